#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/CostTable.h"
#include "support/TestUtil.h"

namespace VelkData {
namespace {

// Cells separated by ",", rows by "|".
std::string cells(const CostTable& table) {
  std::string out;
  for (int r = 0; r < table.getRowSize(); ++r) {
    if (r) out += "|";
    for (int c = 0; c < table.getColumnSize(); ++c) {
      if (c) out += ",";
      out += table.getEntry(r, c).getStringData();
    }
  }
  return out;
}

std::string heights(const CostTable& table) {
  std::string out;
  for (int r = 0; r < table.getRowSize(); ++r) {
    if (r) out += ",";
    out += std::to_string(table.getRowHeight(r));
  }
  return out;
}

std::string widths(const CostTable& table) {
  std::string out;
  for (int c = 0; c < table.getColumnSize(); ++c) {
    if (c) out += ",";
    out += std::to_string(table.getColumnWidth(c));
  }
  return out;
}

std::string ranges(const CostTableItem& item) {
  std::string out;
  for (const SumRange& range : item.getSumRange()) {
    if (!out.empty()) out += " ";
    out += range.direction + "(" + std::to_string(range.first) + "," +
           std::to_string(range.last) + ",line " + std::to_string(range.line) +
           ")";
  }
  return out;
}

// A table whose cells are named after the table and position ("a00"), so
// every moved cell shows where it came from.
CostTable* named(const std::string& name, int rows, int columns) {
  CostTable* table = new CostTable(rows, columns);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      table->setEntry(
          r, c, CostTableItem(name + std::to_string(r) + std::to_string(c)));
    }
  }
  return table;
}

TEST(CostTableTest, InitBuildsDefaultGridAndKeepsLabel) {
  CostTable table(2, 3);
  table.setLabel("Press line");
  table.setEntry(1, 2, CostTableItem("x"));
  table.setRowHeight(0, 40);
  table.setColumnWidth(2, 7);

  table.init();
  EXPECT_EQ(2, table.getRowSize());
  EXPECT_EQ(3, table.getColumnSize());
  EXPECT_EQ(",,|,,", cells(table));
  EXPECT_EQ("15,15", heights(table));
  EXPECT_EQ("100,100,100", widths(table));
  EXPECT_EQ("Press line", table.getLabel());

  table.init(1, 2);
  EXPECT_EQ(",", cells(table));
  EXPECT_EQ("15", heights(table));
  EXPECT_EQ("100,100", widths(table));
}

TEST(CostTableTest, NegativeSizesCountAsZero) {
  struct Case {
    int rows, columns, expectRows, expectColumns;
  } cases[] = {{-1, 3, 0, 3}, {2, -5, 2, 0}, {-2, -2, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rows) + " x " + std::to_string(c.columns));
    CostTable table(c.rows, c.columns);
    EXPECT_EQ(c.expectRows, table.getRowSize());
    EXPECT_EQ(c.expectColumns, table.getColumnSize());
    EXPECT_EQ("", table.getEntry(0, 0).getStringData());
    table.setEntry(0, 0, CostTableItem("x"));
    EXPECT_EQ("", table.getEntry(0, 0).getStringData());
  }
}

TEST(CostTableTest, DeleteDataLeavesEmptyTable) {
  CostTable table(2, 2);
  table.setEntry(0, 0, CostTableItem("x"));
  table.deleteData();
  EXPECT_EQ(0, table.getRowSize());
  EXPECT_EQ(0, table.getColumnSize());
  EXPECT_EQ("", table.getEntry(0, 0).getStringData());
  EXPECT_EQ(0, table.getRowHeight(0));
  EXPECT_EQ(0, table.getColumnWidth(0));
}

TEST(CostTableTest, GetEntryOutsideGridIsNeutralCell) {
  CostTable table(2, 3);
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c) {
      CostTableItem filled("filled", true, 1, 2, 3);
      filled.setHorizontalAlignment("right");
      filled.addSumRange(0, 1, "vertical", 0);
      table.setEntry(r, c, filled);
    }
  }
  const int positions[][2] = {{-1, 0}, {0, -1}, {2, 0}, {0, 3}, {5, 9}};
  for (const auto& p : positions) {
    SCOPED_TRACE(std::to_string(p[0]) + "," + std::to_string(p[1]));
    CostTableItem item = table.getEntry(p[0], p[1]);
    EXPECT_EQ("", item.getStringData());
    EXPECT_EQ("left", item.getHorizontalAlignment());
    EXPECT_EQ("center", item.getVerticalAlignment());
    EXPECT_EQ((BackgroundColor{255, 255, 255}), item.getBackgroundColor());
    EXPECT_FALSE(item.getBoldFace());
    EXPECT_TRUE(item.getSumRange().empty());
  }
}

TEST(CostTableTest, WritesOutsideGridAreIgnored) {
  CostTable table(2, 2);
  const int positions[][2] = {{-1, 0}, {0, -1}, {2, 0}, {0, 2}};
  for (const auto& p : positions) {
    table.setEntry(p[0], p[1], CostTableItem("x"));
  }
  for (int outside : {-1, 2}) {
    table.setRowHeight(outside, 99);
    table.setColumnWidth(outside, 99);
  }
  EXPECT_EQ(",|,", cells(table));
  EXPECT_EQ("15,15", heights(table));
  EXPECT_EQ("100,100", widths(table));
  EXPECT_EQ(0, table.getRowHeight(-1));
  EXPECT_EQ(0, table.getRowHeight(2));
  EXPECT_EQ(0, table.getColumnWidth(-1));
  EXPECT_EQ(0, table.getColumnWidth(2));
}

TEST(CostTableTest, AppendVerticalWithGapPlacesOtherBelow) {
  CostTable* top = named("a", 2, 3);
  top->setRowHeight(1, 30);
  top->setColumnWidth(0, 50);
  top->setColumnWidth(1, 200);
  top->setColumnWidth(2, 60);
  CostTable* bottom = named("b", 4, 2);
  bottom->setRowHeight(0, 20);
  bottom->setRowHeight(3, 5);
  bottom->setColumnWidth(0, 80);
  bottom->setColumnWidth(1, 70);
  top->setLabel("top");
  bottom->setLabel("bottom");

  top->append(bottom, "vertical", 1);

  EXPECT_EQ(7, top->getRowSize());
  EXPECT_EQ(3, top->getColumnSize());
  EXPECT_EQ("a00,a01,a02|a10,a11,a12|,,|b00,b01,|b10,b11,|b20,b21,|b30,b31,",
            cells(*top));
  EXPECT_EQ("b00", top->getEntry(3, 0).getStringData());
  EXPECT_EQ("15,30,15,20,15,15,5", heights(*top));
  EXPECT_EQ("80,200,60", widths(*top));
  EXPECT_EQ("top", top->getLabel());
  delete top;
}

TEST(CostTableTest, AppendHorizontalPlacesOtherRight) {
  CostTable* left = named("a", 3, 1);
  left->setRowHeight(0, 10);
  left->setRowHeight(1, 40);
  left->setRowHeight(2, 25);
  left->setColumnWidth(0, 30);
  CostTable* right = named("b", 2, 2);
  right->setRowHeight(0, 20);
  right->setRowHeight(1, 20);
  right->setColumnWidth(1, 70);

  left->append(right, "horizontal", 2);

  EXPECT_EQ(3, left->getRowSize());
  EXPECT_EQ(5, left->getColumnSize());
  EXPECT_EQ("a00,,,b00,b01|a10,,,b10,b11|a20,,,,", cells(*left));
  EXPECT_EQ("20,40,25", heights(*left));
  EXPECT_EQ("30,100,100,100,70", widths(*left));
  delete left;
}

TEST(CostTableTest, AppendTreatsUnknownDirectionAsHorizontal) {
  CostTable* table = named("a", 1, 1);
  table->append(named("b", 1, 1), "diagonal", 0);
  EXPECT_EQ("a00,b00", cells(*table));
  delete table;
}

TEST(CostTableTest, AppendToEmptyTableTakesOther) {
  CostTable table;
  CostTable* other = named("b", 2, 2);
  other->setColumnWidth(1, 55);
  table.append(other, "vertical", 0);
  EXPECT_EQ("b00,b01|b10,b11", cells(table));
  EXPECT_EQ("100,55", widths(table));
}

TEST(CostTableTest, AppendMovesSumRangesOfOtherCells) {
  struct Case {
    const char* appendDirection;
    const char* rangeDirection;
    const char* expected;
  } cases[] = {
      // This table is 2 x 3 and the gap 1: offset 3 rows or 4 columns.
      {"horizontal", "vertical", "vertical(0,3,line 5)"},
      {"horizontal", "horizontal", "horizontal(4,7,line 1)"},
      {"vertical", "vertical", "vertical(3,6,line 1)"},
      {"vertical", "horizontal", "horizontal(0,3,line 4)"},
      {"vertical", "sideways", "sideways(0,3,line 1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.appendDirection) + " / " + c.rangeDirection);
    CostTable table(2, 3);
    CostTableItem own("own");
    own.addSumRange(0, 1, c.rangeDirection, 1);
    table.setEntry(1, 2, own);
    CostTable* other = new CostTable(2, 2);
    CostTableItem sum("sum");
    sum.addSumRange(0, 3, c.rangeDirection, 1);
    other->setEntry(0, 0, sum);

    table.append(other, c.appendDirection, 1);

    const bool vertical = std::string(c.appendDirection) == "vertical";
    CostTableItem moved = table.getEntry(vertical ? 3 : 0, vertical ? 0 : 4);
    EXPECT_EQ("sum", moved.getStringData());
    EXPECT_EQ(c.expected, ranges(moved));
    EXPECT_EQ(std::string(c.rangeDirection) + "(0,1,line 1)",
              ranges(table.getEntry(1, 2)));
  }
}

TEST(CostTableTest, AppendMovesEverySumRangeOfACell) {
  CostTable table(1, 2);
  CostTable* other = new CostTable(1, 1);
  CostTableItem sum("sum");
  sum.addSumRange(0, 1, "horizontal", 0);
  sum.addSumRange(0, 0, "vertical", 1);
  other->setEntry(0, 0, sum);
  table.append(other, "horizontal", 0);
  EXPECT_EQ("horizontal(2,3,line 0) vertical(0,0,line 3)",
            ranges(table.getEntry(0, 2)));
}

TEST(CostTableTest, AppendIgnoresNullTable) {
  CostTable* table = named("a", 1, 2);
  table->append(nullptr, "vertical", 3);
  EXPECT_EQ("a00,a01", cells(*table));
  EXPECT_EQ("15", heights(*table));
  delete table;
}

TEST(CostTableTest, AppendToItselfAppendsCopy) {
  CostTable* table = named("a", 1, 2);
  table->setColumnWidth(1, 40);
  CostTableItem sum("s");
  sum.addSumRange(0, 1, "horizontal", 0);
  table->setEntry(0, 0, sum);

  table->append(table, "horizontal", 1);

  EXPECT_EQ("s,a01,,s,a01", cells(*table));
  EXPECT_EQ("100,40,100,100,40", widths(*table));
  EXPECT_EQ("horizontal(0,1,line 0)", ranges(table->getEntry(0, 0)));
  EXPECT_EQ("horizontal(3,4,line 0)", ranges(table->getEntry(0, 3)));
  delete table;
}

TEST(CostTableTest, AppendTreatsNegativeGapAsZero) {
  CostTable* table = named("a", 1, 1);
  table->append(named("b", 1, 1), "vertical", -3);
  EXPECT_EQ("a00|b00", cells(*table));
  delete table;
}

TEST(CostTableTest, CopyOwnsItsCells) {
  CostTable source(1, 2);
  source.setLabel("source");
  source.setEntry(0, 0, CostTableItem("kept"));

  CostTable copy(source);
  copy.setEntry(0, 0, CostTableItem("changed"));
  copy.setColumnWidth(0, 1);
  copy.setLabel("copy");
  copy.append(new CostTable(1, 1), "horizontal", 0);

  CostTable assigned;
  assigned = source;
  assigned.setEntry(0, 1, CostTableItem("changed"));
  assigned.setRowHeight(0, 1);

  EXPECT_EQ("kept,", cells(source));
  EXPECT_EQ("100,100", widths(source));
  EXPECT_EQ("15", heights(source));
  EXPECT_EQ("source", source.getLabel());
  EXPECT_EQ("changed,,", cells(copy));
  EXPECT_EQ("kept,changed", cells(assigned));
}

TEST(CostTableTest, SelfAssignmentKeepsCells) {
  CostTable table(1, 2);
  table.setEntry(0, 1, CostTableItem("x"));
  CostTable& alias = table;
  table = alias;
  EXPECT_EQ(",x", cells(table));
}

TEST(CostTableTest, PrintWritesCellTextsRowByRow) {
  CostTable table(2, 2);
  table.setEntry(0, 0, CostTableItem("Die set"));
  table.setEntry(0, 1, CostTableItem(1250.5, true, 255, 0, 0));
  table.setEntry(1, 1, CostTableItem("x"));
  velktest::StdoutCapture capture;
  table.print();
  EXPECT_EQ("Die set  1250.5  \n  x  \n", capture.text());
}

TEST(CostTableTest, PrintOfEmptyTableWritesNothing) {
  CostTable table;
  velktest::StdoutCapture capture;
  table.print();
  EXPECT_EQ("", capture.text());
}

}  // namespace
}  // namespace VelkData
