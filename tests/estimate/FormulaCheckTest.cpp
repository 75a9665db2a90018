#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>

#include "velkdata/velkdata.h"
#include "SampleFixture.h"

namespace {

using VelkData::FormulaCheck;

std::string findingLines(const FormulaCheck& check) {
  std::string lines;
  for (const FormulaCheck::Finding& f : check.findings()) {
    lines += f.text() + "\n";
  }
  return lines;
}

using FormulaCheckTest = SampleFixture;

TEST_F(FormulaCheckTest, SampleIsClean) {
  const FormulaCheck check(*db_);
  EXPECT_EQ("", findingLines(check));
  EXPECT_TRUE(check.clean());
  EXPECT_GT(check.formulaCount(), 100);
}

TEST_F(FormulaCheckTest, ReportsCycleUnknownNameAndUncompilableText) {
  // Width and height of the trim die read each other.
  const auto width = driver(1, "DIE_WID");
  const auto height = driver(1, "DIE_HGT");
  width->getFormulaContainer()->setFormulaAt(0, "DIE_HGT*2");
  height->getFormulaContainer()->setFormulaAt(0, "DIE_WID/2");
  width->addDependency(height);
  height->addDependency(width);
  plan_->OperationAt(2)->baseAssembly()->AmountFormulaAt(2)->setFormulaAt(
      0, "NO_SUCH_DRIVER*2");
  // A text that an archive carried but that never compiled.
  auto broken = boost::make_shared<VelkData::CostDriverDouble>("BROKEN");
  broken->getFormulaContainer()->addFormulaString("2*(PART_LENGTH");
  db_->AddCostProperty(broken);

  const FormulaCheck check(*db_);
  EXPECT_EQ(
      "OP20 / DIE_HGT: dependency cycle: DIE_HGT -> DIE_WID -> DIE_HGT\n"
      "cost property BROKEN: does not compile: Missing ')'. in formula "
      "\"2*(PART_LENGTH\"\n"
      "OP30 / BA_FLANGE / Guide pin / amount: unknown name NO_SUCH_DRIVER in "
      "formula \"NO_SUCH_DRIVER*2\"\n",
      findingLines(check));
  // Drivers own what they read, so a reading cycle keeps itself alive; the
  // host that finds one breaks it.
  width->getFormulaContainer()->removeDependency(height);
  height->getFormulaContainer()->removeDependency(width);
}

TEST_F(FormulaCheckTest, ReportsValuesThatFail) {
  driver(0, "DRAW_DEPTH")->getFormulaContainer()->setFormulaAt(0, "1/0");
  const FormulaCheck check(*db_);
  const std::string lines = findingLines(check);
  EXPECT_NE(std::string::npos, lines.find("OP10 / DRAW_DEPTH: value fails: "))
      << lines;
  // What reads the failing driver fails as well, each at its place.
  EXPECT_NE(std::string::npos,
            lines.find("OP10 / Draw punch / PUNCH_H: value fails: "))
      << lines;
}

TEST_F(FormulaCheckTest, ReportsSurchargesThatReadUnknownNames) {
  auto s = boost::make_shared<VelkData::Surcharge>(
      "S_X", boost::make_shared<VelkData::FormulaContainer>());
  s->setLabel("Extra");
  s->setFormulaString("DIE_LEN/1000");
  db_->AddTotalCostSurcharge(s);
  const FormulaCheck check(*db_);
  // The total reads no operation's drivers.
  EXPECT_EQ("surcharge S_X: unknown name DIE_LEN in formula \"DIE_LEN/1000\"\n",
            findingLines(check));
}

}  // namespace
