#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>

#include "velkdata/velkdata.h"

namespace {

using VelkData::CostEstimate;
using VelkData::EstimateReport;

class EstimateReportTest : public ::testing::Test {
 protected:
  EstimateReportTest() : db_(VelkData::buildSampleDatabase()) {}

  // The first row whose first cell is `text`; -1 when there is none.
  static int rowOf(const VelkData::CostTable& table, const std::string& text) {
    for (int r = 0; r < table.getRowSize(); ++r) {
      if (table.getEntry(r, 0).getStringData() == text) return r;
    }
    return -1;
  }

  boost::shared_ptr<VelkData::CostDatabase> db_;
};

TEST_F(EstimateReportTest, MoneyHasTwoDecimalsAndNoExponent) {
  EXPECT_EQ("1234567.80", EstimateReport::money(1234567.8));
  EXPECT_EQ("10000000000.00", EstimateReport::money(1e10));
  EXPECT_EQ("0.10", EstimateReport::money(0.1));
  EXPECT_EQ("-12.35", EstimateReport::money(-12.345001));
  EXPECT_EQ("0.00", EstimateReport::money(-0.001));
}

TEST_F(EstimateReportTest, TotalsAreMoneyCellsOfTheEstimate) {
  const CostEstimate estimate(*db_);
  const EstimateReport report(estimate);
  const VelkData::CostTable& table = report.table();
  const int total = rowOf(table, "Total");
  ASSERT_GE(total, 0);
  EXPECT_EQ(EstimateReport::money(estimate.total()),
            table.getEntry(total, 6).getStringData());
  EXPECT_TRUE(table.getEntry(total, 6).isNumber());
  EXPECT_EQ("Cost EUR", table.getEntry(0, 6).getStringData());

  // A subtotal totals the cost column of its block: the cells it names add
  // up to it.
  const int subtotal = rowOf(table, "Subtotal OP10");
  ASSERT_GE(subtotal, 0);
  const VelkData::CostTableItem cell = table.getEntry(subtotal, 6);
  ASSERT_TRUE(cell.isSum());
  ASSERT_EQ(1u, cell.getSumRange().size());
  const VelkData::SumRange range = cell.getSumRange()[0];
  EXPECT_EQ("vertical", range.direction);
  EXPECT_EQ(6, range.line);
  double sum = 0.0;
  for (int r = range.first; r <= range.last; ++r) {
    sum += table.getEntry(r, 6).getDoubleData();
  }
  EXPECT_NEAR(estimate.operations()[0].subtotal, sum, 0.05);
}

TEST_F(EstimateReportTest, TextAlignsNumbersRight) {
  const EstimateReport report{CostEstimate(*db_)};
  const std::string text = report.text();
  const std::string header = text.substr(0, text.find('\n'));
  const size_t lineEnd = text.find("\nTotal ");
  ASSERT_NE(std::string::npos, lineEnd);
  const std::string totalLine =
      text.substr(lineEnd + 1, text.find('\n', lineEnd + 1) - lineEnd - 1);
  // Right-aligned: the total ends where the header's last column ends.
  EXPECT_EQ(header.size(), totalLine.size());
}

TEST_F(EstimateReportTest, IncompleteEstimateListsItsIssues) {
  db_->ProcessDB()
      ->OperationAt(1)
      ->baseAssembly()
      ->AmountFormulaAt(2)
      ->setFormulaAt(0, "NO_SUCH_DRIVER*2");
  const CostEstimate estimate(*db_);
  ASSERT_FALSE(estimate.complete());
  const EstimateReport report(estimate);
  const std::string text = report.text();
  EXPECT_NE(std::string::npos,
            text.find("Incomplete: 1 value could not be computed\n"));
  EXPECT_NE(std::string::npos, text.find("\n  OP20 / Guide pin / amount: "));
  // The issue's text holds quotes, so CSV quotes it and doubles them.
  const std::string csv = report.csv();
  EXPECT_NE(std::string::npos, csv.find("\n\"OP20 / Guide pin / amount: "))
      << csv;
  EXPECT_NE(std::string::npos,
            csv.find("in formula \"\"NO_SUCH_DRIVER*2\"\"\""))
      << csv;
}

}  // namespace
