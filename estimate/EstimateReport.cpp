#include "estimate/EstimateReport.h"

#include <algorithm>
#include <cstdio>

#include "estimate/CostEstimate.h"

namespace VelkData {

namespace {

const int kColumns = 7;
enum Column {
  kOperation = 0,
  kComponent = 1,
  kSource = 2,
  kAmount = 3,
  kMaterial = 4,
  kProcess = 5,
  kCost = 6,
};

std::string percent(double fraction) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f %%", fraction * 100.0);
  return buffer;
}

// A row under construction: texts, and which cells hold money.
struct Row {
  std::vector<std::string> cells = std::vector<std::string>(kColumns);
  std::vector<bool> number = std::vector<bool>(kColumns, false);
  bool bold = false;
  bool operationLabel = false;
  bool componentLabel = false;
  bool spanning = false;
  int sumFirst = -1;  // with sumLast: the rows the cost cell totals
  int sumLast = -1;
};

void setMoney(Row& row, int column, double value) {
  row.cells[column] = EstimateReport::money(value);
  row.number[column] = true;
}

std::string csvCell(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string EstimateReport::money(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  std::string text = buffer;
  if (text == "-0.00") text = "0.00";
  return text;
}

EstimateReport::EstimateReport(const CostEstimate& estimate) {
  std::vector<Row> rows;
  const std::string currency =
      estimate.currency().empty() ? "" : " " + estimate.currency();
  Row header;
  header.cells = {"Operation",      "Component",           "Source",
                  "Amount",         "Material" + currency, "Process" + currency,
                  "Cost" + currency};
  header.bold = true;
  rows.push_back(header);

  for (const CostEstimate::OperationEstimate& op : estimate.operations()) {
    Row title;
    title.cells[kOperation] = op.label;
    title.cells[kComponent] = op.type;
    title.bold = true;
    title.operationLabel = true;
    rows.push_back(title);
    const int first = static_cast<int>(rows.size());
    for (const CostEstimate::ComponentEstimate& c : op.components) {
      Row row;
      row.cells[kComponent] = c.label;
      row.componentLabel = true;
      std::string source = c.source;
      if (!c.note.empty()) source += " (" + c.note + ")";
      if (!c.complete) source += " (incomplete)";
      row.cells[kSource] = source;
      row.cells[kAmount] = std::to_string(c.amount);
      row.number[kAmount] = true;
      setMoney(row, kMaterial, c.materialCost);
      setMoney(row, kProcess, c.processCost);
      setMoney(row, kCost, c.cost());
      rows.push_back(row);
    }
    Row material;
    material.cells[kComponent] = "General material surcharge";
    material.cells[kSource] =
        percent(estimate.generalMaterialSurchargeFraction());
    setMoney(material, kCost, op.generalMaterialSurcharge);
    rows.push_back(material);
    Row process;
    process.cells[kComponent] = "General process surcharge";
    process.cells[kSource] =
        percent(estimate.generalProcessSurchargeFraction());
    setMoney(process, kCost, op.generalProcessSurcharge);
    rows.push_back(process);
    for (const CostEstimate::AppliedSurcharge& s : op.typeSurcharges) {
      Row row;
      row.cells[kComponent] = "Surcharge " + (s.label.empty() ? s.id : s.label);
      row.cells[kSource] = s.complete ? percent(s.fraction) : "(incomplete)";
      setMoney(row, kCost, s.cost);
      rows.push_back(row);
    }
    Row subtotal;
    subtotal.cells[kOperation] = "Subtotal " + op.label;
    if (!op.complete) subtotal.cells[kComponent] = "(incomplete)";
    setMoney(subtotal, kMaterial, op.materialCost);
    setMoney(subtotal, kProcess, op.processCost);
    setMoney(subtotal, kCost, op.subtotal);
    subtotal.bold = true;
    subtotal.sumFirst = first;
    subtotal.sumLast = static_cast<int>(rows.size()) - 1;
    rows.push_back(subtotal);
  }

  Row operations;
  operations.cells[kOperation] = "Operations total";
  setMoney(operations, kCost, estimate.operationsTotal());
  operations.bold = true;
  rows.push_back(operations);
  for (const CostEstimate::AppliedSurcharge& s : estimate.totalSurcharges()) {
    Row row;
    row.cells[kComponent] = "Surcharge " + (s.label.empty() ? s.id : s.label);
    row.cells[kSource] = s.complete ? percent(s.fraction) : "(incomplete)";
    setMoney(row, kCost, s.cost);
    rows.push_back(row);
  }
  Row total;
  total.cells[kOperation] = "Total";
  if (!estimate.complete()) total.cells[kComponent] = "(incomplete)";
  setMoney(total, kCost, estimate.total());
  total.bold = true;
  rows.push_back(total);

  if (!estimate.complete()) {
    rows.push_back(Row());
    Row heading;
    heading.cells[kOperation] =
        "Incomplete: " + std::to_string(estimate.issues().size()) +
        (estimate.issues().size() == 1 ? " value" : " values") +
        " could not be computed";
    heading.spanning = true;
    heading.bold = true;
    rows.push_back(heading);
    for (const CostEstimate::Issue& issue : estimate.issues()) {
      Row row;
      row.cells[kOperation] = "  " + issue.text();
      row.spanning = true;
      rows.push_back(row);
    }
  }

  table_.init(static_cast<int>(rows.size()), kColumns);
  table_.setLabel("Die cost estimate");
  spanning_.clear();
  for (size_t r = 0; r < rows.size(); ++r) {
    const Row& row = rows[r];
    spanning_.push_back(row.spanning);
    for (int c = 0; c < kColumns; ++c) {
      CostTableItem item(row.cells[c], row.bold);
      item.setIsNumber(row.number[c]);
      if (row.number[c]) item.setHorizontalAlignment("right");
      item.setIsOperationLabel(row.operationLabel && c == kOperation);
      item.setIsComponentLabel(row.componentLabel && c == kComponent);
      if (c == kCost && row.sumFirst >= 0 && row.sumLast >= row.sumFirst) {
        item.setIsSum(true);
        item.addSumRange(row.sumFirst, row.sumLast, "vertical", kCost);
      }
      table_.setEntry(static_cast<int>(r), c, item);
    }
  }
}

std::string EstimateReport::text() const {
  const int rows = table_.getRowSize();
  const int columns = table_.getColumnSize();
  std::vector<size_t> widths(columns, 0);
  for (int r = 0; r < rows; ++r) {
    if (spanning_[r]) continue;
    for (int c = 0; c < columns; ++c) {
      widths[c] =
          std::max(widths[c], table_.getEntry(r, c).getStringData().size());
    }
  }
  std::string out;
  for (int r = 0; r < rows; ++r) {
    std::string line;
    if (spanning_[r]) {
      line = table_.getEntry(r, 0).getStringData();
    } else {
      for (int c = 0; c < columns; ++c) {
        const CostTableItem item = table_.getEntry(r, c);
        const std::string& text = item.getStringData();
        const std::string pad(widths[c] - text.size(), ' ');
        if (c) line += "  ";
        line += item.isNumber() ? pad + text : text + pad;
      }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

std::string EstimateReport::csv() const {
  std::string out;
  for (int r = 0; r < table_.getRowSize(); ++r) {
    for (int c = 0; c < table_.getColumnSize(); ++c) {
      if (c) out += ",";
      std::string text = table_.getEntry(r, c).getStringData();
      if (spanning_[r] && c == 0) {
        text.erase(0, text.find_first_not_of(' '));
      }
      out += csvCell(text);
    }
    out += "\n";
  }
  return out;
}

}  // namespace VelkData
