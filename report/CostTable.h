#ifndef VELKDATA_REPORT_COSTTABLE_H
#define VELKDATA_REPORT_COSTTABLE_H

#include <string>
#include <vector>

#include "report/CostTableItem.h"

namespace VelkData {

// A rectangular grid of report cells with a height per row and a width per
// column, from which the host renders a cost report. The host builds a
// table cell by cell and glues tables together with `append`.
//
// The host holds tables by plain pointer. A table owns its cells; a copy
// (construction or assignment) owns copies of them. Rows and columns are
// counted from 0; every member answers a neutral value for an index outside
// the grid instead of failing.
class CostTable {
 public:
  // Height of a row and width of a column whenever the grid is (re)built.
  static constexpr int kDefaultRowHeight = 15;
  static constexpr int kDefaultColumnWidth = 100;

  // An empty 0 x 0 table.
  CostTable();
  // A rows x columns grid of default cells; see `init`.
  CostTable(int rows, int columns);

  // Discards the grid and builds rows x columns default cells, every row
  // 15 high and every column 100 wide. The label stays. A negative size
  // counts as 0.
  void init(int rows, int columns);
  // Rebuilds the grid with default cells at the current size.
  void init();
  // Frees the cells, widths and heights; the table is 0 x 0 afterwards, so
  // sizes and cells never disagree.
  void deleteData();

  int getRowSize() const { return rows_; }
  int getColumnSize() const { return columns_; }

  const std::string& getLabel() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }

  // A copy of the cell at (row, column); outside the grid a default cell
  // with empty text.
  CostTableItem getEntry(int row, int column) const;
  // Replaces the cell at (row, column); outside the grid nothing happens.
  void setEntry(int row, int column, const CostTableItem& item);

  // 0 outside the grid.
  int getRowHeight(int row) const;
  int getColumnWidth(int column) const;
  // Ignored outside the grid.
  void setRowHeight(int row, int height);
  void setColumnWidth(int column, int width);

  // Glues `other` below this table (direction "vertical") or to its right
  // (any other direction; the host passes "horizontal"), with `gap` empty
  // rows or columns in between. Other's cells move by the offset R1 + gap
  // rows or C1 + gap columns, where R1 x C1 is this table's old size, and
  // so do the sum ranges they hold: the offset is added to first and last
  // of ranges running in the append direction and to line of ranges running
  // across it; ranges of any other direction stay. Along the append
  // direction each row or column keeps its own height or width (gap rows or
  // columns get the default); across it a row or column present in both
  // tables takes the larger value.
  //
  // Takes ownership of `other` and deletes it. Two cases do not: a null
  // `other` is ignored, and appending a table to itself appends a copy of
  // the table as it was (the table itself is of course not deleted). A
  // negative gap counts as 0.
  // REQUIRES: `other` is null, this table, or was created with `new` and is
  // not used by the caller afterwards.
  void append(CostTable* other, const std::string& direction, int gap);

  // Writes one line per row to standard output: every cell's text followed
  // by two blanks.
  void print() const;

 private:
  int index(int row, int column) const { return row * columns_ + column; }
  bool containsRow(int row) const { return row >= 0 && row < rows_; }
  bool containsColumn(int column) const {
    return column >= 0 && column < columns_;
  }

  std::vector<CostTableItem> items_;  // rows_ x columns_, row by row.
  int rows_;
  int columns_;
  std::string label_;
  std::vector<int> columnWidths_;
  std::vector<int> rowHeights_;
};

}  // namespace VelkData

#endif  // VELKDATA_REPORT_COSTTABLE_H
