#ifndef VELKDATA_ESTIMATE_ESTIMATEREPORT_H
#define VELKDATA_ESTIMATE_ESTIMATEREPORT_H

#include <string>
#include <vector>

#include "report/CostTable.h"

namespace VelkData {

class CostEstimate;

// A cost estimate laid out as a cost table for people: one block per
// operation (its components with amount, material, process and total cost,
// the general and operation-type surcharges, the subtotal), then the
// operations' total, the total-cost surcharges and the total, and, when
// the estimate is incomplete, one line per value that could not be
// computed. The host renders `table` itself or takes the plain text or CSV.
//
// Money cells hold their amount with two decimals and no exponent
// ("1234567.80"), whatever the cell's default number format; surcharges
// show as percentages ("15.00 %"). Money cells are marked as numbers, and
// each subtotal cell as a sum over the cost column of its block.
class EstimateReport {
 public:
  explicit EstimateReport(const CostEstimate& estimate);

  const CostTable& table() const { return table_; }

  // The table as text: columns padded to their widest cell and separated
  // by two blanks, numbers aligned right; lines of the incomplete section
  // are written whole. Every line ends with "\n".
  std::string text() const;
  // The table as comma-separated values, one line per row; cells holding a
  // comma, a quote or a line break are quoted, quotes doubled.
  std::string csv() const;

  // `value` with two decimals, "-" for negative amounts, never "-0.00".
  static std::string money(double value);

 private:
  CostTable table_;
  // Rows whose single text spans the line (the incomplete section).
  std::vector<bool> spanning_;
};

}  // namespace VelkData

#endif  // VELKDATA_ESTIMATE_ESTIMATEREPORT_H
