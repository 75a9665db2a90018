#include "report/CostTable.h"

#include <algorithm>
#include <cstddef>
#include <iostream>
#include <memory>
#include <utility>

namespace VelkData {

namespace {

// Across the append direction both tables cover the same rows or columns
// from index 0; the wider of the two sizes wins so no text gets clipped.
std::vector<int> mergeAcross(const std::vector<int>& mine,
                             const std::vector<int>& theirs) {
  std::vector<int> merged(std::max(mine.size(), theirs.size()));
  for (std::size_t i = 0; i < merged.size(); ++i) {
    if (i < mine.size() && i < theirs.size()) {
      merged[i] = std::max(mine[i], theirs[i]);
    } else {
      merged[i] = i < mine.size() ? mine[i] : theirs[i];
    }
  }
  return merged;
}

// Along the append direction the sizes follow one another: this table's,
// then the gap at `fill`, then other's.
std::vector<int> concatenateAlong(const std::vector<int>& mine, int gap,
                                  const std::vector<int>& theirs, int fill) {
  std::vector<int> joined(mine);
  joined.insert(joined.end(), gap, fill);
  joined.insert(joined.end(), theirs.begin(), theirs.end());
  return joined;
}

}  // namespace

CostTable::CostTable() : rows_(0), columns_(0) {}

CostTable::CostTable(int rows, int columns) : rows_(0), columns_(0) {
  init(rows, columns);
}

void CostTable::init(int rows, int columns) {
  rows_ = std::max(rows, 0);
  columns_ = std::max(columns, 0);
  init();
}

void CostTable::init() {
  items_.assign(static_cast<std::size_t>(rows_) * columns_, CostTableItem());
  rowHeights_.assign(rows_, kDefaultRowHeight);
  columnWidths_.assign(columns_, kDefaultColumnWidth);
}

void CostTable::deleteData() {
  // Release the memory, not just the elements.
  std::vector<CostTableItem>().swap(items_);
  std::vector<int>().swap(rowHeights_);
  std::vector<int>().swap(columnWidths_);
  rows_ = 0;
  columns_ = 0;
}

CostTableItem CostTable::getEntry(int row, int column) const {
  if (!containsRow(row) || !containsColumn(column)) {
    return CostTableItem(std::string());
  }
  return items_[index(row, column)];
}

void CostTable::setEntry(int row, int column, const CostTableItem& item) {
  if (!containsRow(row) || !containsColumn(column)) return;
  items_[index(row, column)] = item;
}

int CostTable::getRowHeight(int row) const {
  return containsRow(row) ? rowHeights_[row] : 0;
}

int CostTable::getColumnWidth(int column) const {
  return containsColumn(column) ? columnWidths_[column] : 0;
}

void CostTable::setRowHeight(int row, int height) {
  if (containsRow(row)) rowHeights_[row] = height;
}

void CostTable::setColumnWidth(int column, int width) {
  if (containsColumn(column)) columnWidths_[column] = width;
}

void CostTable::append(CostTable* other, const std::string& direction,
                       int gap) {
  if (other == nullptr) return;

  // Reading from the table while rebuilding it would lose its cells, so a
  // table appended to itself is appended as a snapshot.
  std::unique_ptr<CostTable> owned(other == this ? new CostTable(*this)
                                                 : other);
  const CostTable& source = *owned;
  gap = std::max(gap, 0);
  const bool vertical = direction == "vertical";
  const int rowOffset = vertical ? rows_ + gap : 0;
  const int columnOffset = vertical ? 0 : columns_ + gap;

  CostTable joined;
  joined.label_ = label_;
  if (vertical) {
    joined.rows_ = rows_ + gap + source.rows_;
    joined.columns_ = std::max(columns_, source.columns_);
    joined.rowHeights_ = concatenateAlong(rowHeights_, gap, source.rowHeights_,
                                          kDefaultRowHeight);
    joined.columnWidths_ = mergeAcross(columnWidths_, source.columnWidths_);
  } else {
    joined.rows_ = std::max(rows_, source.rows_);
    joined.columns_ = columns_ + gap + source.columns_;
    joined.rowHeights_ = mergeAcross(rowHeights_, source.rowHeights_);
    joined.columnWidths_ = concatenateAlong(
        columnWidths_, gap, source.columnWidths_, kDefaultColumnWidth);
  }
  joined.items_.assign(static_cast<std::size_t>(joined.rows_) * joined.columns_,
                       CostTableItem());

  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < columns_; ++c) {
      joined.items_[joined.index(r, c)] = items_[index(r, c)];
    }
  }

  // Ranges running along the append direction cover moved rows or columns;
  // ranges running across it stay on the same span but sit on a moved line.
  const std::string along = vertical ? "vertical" : "horizontal";
  const std::string across = vertical ? "horizontal" : "vertical";
  const int offset = vertical ? rowOffset : columnOffset;
  for (int r = 0; r < source.rows_; ++r) {
    for (int c = 0; c < source.columns_; ++c) {
      CostTableItem item = source.items_[source.index(r, c)];
      for (SumRange& range : item.sumRanges_) {
        if (range.direction == along) {
          range.first += offset;
          range.last += offset;
        } else if (range.direction == across) {
          range.line += offset;
        }
      }
      joined.items_[joined.index(r + rowOffset, c + columnOffset)] =
          std::move(item);
    }
  }

  std::swap(items_, joined.items_);
  std::swap(rowHeights_, joined.rowHeights_);
  std::swap(columnWidths_, joined.columnWidths_);
  rows_ = joined.rows_;
  columns_ = joined.columns_;
}

void CostTable::print() const {
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < columns_; ++c) {
      std::cout << items_[index(r, c)].getStringData() << "  ";
    }
    std::cout << '\n';
  }
  std::cout.flush();
}

}  // namespace VelkData
