#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cstdlib>
#include <string>

#include "costdata/CostDriverDouble.h"
#include "costdata/CostPropertyString.h"
#include "costdata/Press.h"
#include "external/Stage.h"
#include "formula/FormulaContainer.h"
#include "support/TestUtil.h"

namespace VelkData {
namespace {

boost::shared_ptr<CostDriverDouble> driver(const std::string& id, float value) {
  auto d = boost::make_shared<CostDriverDouble>(id);
  d->setValue(value);
  return d;
}

boost::shared_ptr<CostDriverDouble> formulaDriver(const std::string& id,
                                                  const std::string& text) {
  auto d = boost::make_shared<CostDriverDouble>(id);
  d->formulas()->addFormula(text);
  return d;
}

boost::shared_ptr<VelkUtils::Stage> stageWith(
    std::initializer_list<std::pair<const char*, float>> drivers) {
  auto stage = boost::make_shared<VelkUtils::Stage>("stage");
  for (const auto& d : drivers)
    stage->AddCostProperty(driver(d.first, d.second));
  return stage;
}

Press pressOfKind(float kind) {
  Press press("P", 0);
  press.addCostProperty(driver("CD_PR_02", kind));
  return press;
}

TEST(PressTest, PressKindFollowsTheTruncatedKindDriver) {
  const struct {
    float kind;
    bool flexible;
    bool blanking;
  } cases[] = {
      {10, true, false}, {9, false, false},   {9.9f, false, false},
      {5, false, true},  {5.7f, false, true}, {4, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    Press press = pressOfKind(c.kind);
    EXPECT_EQ(c.flexible, press.isFlexible());
    EXPECT_EQ(c.blanking, press.isBlankingPress());
  }
  Press none("P", 0);
  EXPECT_FALSE(none.isFlexible());
  EXPECT_FALSE(none.isBlankingPress());
}

TEST(PressTest, AnyKindDriverMakesThePressFlexible) {
  Press press("P", 0);
  press.addCostProperty(driver("CD_PR_02", 5));
  press.addCostProperty(driver("CD_PR_02", 12));
  EXPECT_TRUE(press.isFlexible());
  EXPECT_FALSE(press.isBlankingPress());
}

TEST(PressTest, SetPitchAddsAFormulaDriverOnce) {
  Press press("P", 0);
  EXPECT_EQ(0.0, press.pitch());
  press.setPitch(2500);
  ASSERT_EQ(1, press.costPropertyCount());
  EXPECT_EQ("CD_PR_PI", press.costPropertyAt(0)->id());
  EXPECT_EQ("2500", press.costPropertyAt(0)->formulas()->formulaAt(0));
  EXPECT_EQ(2500.0, press.pitch());
  press.setPitch(1250.5);
  EXPECT_EQ(1, press.costPropertyCount());
  EXPECT_EQ(1250.5, press.pitch());

  Press other("Q", 0);
  other.setPitch(1.0 / 3.0);
  EXPECT_EQ("0.333333", other.costPropertyAt(0)->formulas()->formulaAt(0));
}

TEST(PressTest, StageIndexesOutsideTheListAreNeutral) {
  Press press("P", 2);
  EXPECT_EQ(2, press.stageCount());
  EXPECT_FALSE(press.stageAt(-1));
  EXPECT_FALSE(press.stageAt(2));
  auto stage = stageWith({});
  press.setStageAt(2, stage);
  press.setStageAt(-1, stage);
  press.setStageAt(1, stage);
  EXPECT_EQ(stage, press.stageAt(1));
  press.removeStageAt(5);
  EXPECT_EQ(2, press.stageCount());
  press.removeStageAt(0);
  EXPECT_EQ(1, press.stageCount());
  EXPECT_EQ(stage, press.stageAt(0));
  EXPECT_EQ(0, Press("P", -3).stageCount());
}

TEST(PressTest, TableSizesComeFromStageDrivers) {
  Press line("P", 2);
  line.addCostProperty(driver("CD_PR_02", 10));
  line.setStageAt(0, stageWith({{"CD_ST_12", 4000},
                                {"CD_ST_13", 2000},
                                {"CD_ST_08", 900},
                                {"CD_ST_06", 1500},
                                {"CD_ST_07", 1200}}));
  line.setStageAt(1, stageWith({{"CD_ST_13", 1800}, {"CD_ST_06", 1600}}));
  EXPECT_EQ(4000.0, line.tableLength());
  EXPECT_EQ(2000.0, line.tableWidth());
  EXPECT_EQ(900.0, line.tableHeight());
  EXPECT_EQ(1500.0, line.tableLength(0));
  EXPECT_EQ(1200.0, line.tableWidth(0));
  EXPECT_EQ(1800.0, line.tableWidth(1));  // falls back to "CD_ST_13"
  EXPECT_EQ(0.0, line.tableHeight(1));
  EXPECT_EQ(0.0, line.tableLength(2));

  Press rigid("R", 1);
  rigid.setStageAt(0, stageWith({{"CD_ST_12", 4000}, {"CD_ST_06", 1500}}));
  EXPECT_EQ(0.0, rigid.tableLength());
  EXPECT_EQ(1500.0, rigid.tableLength(0));
}

TEST(PressTest, TransferPressGrowsByACloneOfItsLastStage) {
  Press line("L", 3);
  line.addCostProperty(driver("CD_PR_02", 11));
  for (int i = 0; i < 3; ++i) {
    auto stage = stageWith({{"CD_ST_06", 100.0f * (i + 1)}});
    stage->setStageID(i + 1);
    stage->setLabel("S" + std::to_string(i + 1));
    line.setStageAt(i, stage);
  }
  ASSERT_TRUE(line.transPressAddStage());
  ASSERT_EQ(4, line.stageCount());
  EXPECT_NE(line.stageAt(2), line.stageAt(3));
  EXPECT_EQ("S3", line.stageAt(3)->Label());
  EXPECT_EQ(0, line.stageAt(3)->getStageID());
  EXPECT_EQ(3, line.stageAt(2)->getStageID());
  EXPECT_EQ(300.0, line.tableLength(3));

  EXPECT_TRUE(line.transPressRemoveStage());
  EXPECT_TRUE(line.transPressRemoveStage());
  EXPECT_EQ(2, line.stageCount());

  Press rigid("R", 3);
  rigid.addCostProperty(driver("CD_PR_02", 9));
  EXPECT_FALSE(rigid.transPressAddStage());
  EXPECT_FALSE(rigid.transPressRemoveStage());
  EXPECT_EQ(3, rigid.stageCount());

  Press empty("E", 0);
  empty.addCostProperty(driver("CD_PR_02", 10));
  EXPECT_FALSE(empty.transPressRemoveStage());
}

boost::shared_ptr<CostPropertyString> textProperty(const std::string& id,
                                                   const std::string& value) {
  auto p = boost::make_shared<CostPropertyString>(id);
  p->setValue(value);
  return p;
}

TEST(PressTest, PressInfoCarriesTheTextValuesFieldByField) {
  Press press("Line 1", 3);
  press.addCostProperty(driver("CD_PR_02", 10));
  press.addCostProperty(textProperty("CD_PR_04", "servo"));
  press.addCostProperty(formulaDriver("CD_PR_07", "x+1"));
  press.addCostProperty(textProperty("CD_PR_03", ""));
  press.addCostProperty(textProperty("CD_PR_05", "first"));
  press.addCostProperty(textProperty("CD_PR_05", "second"));
  press.addCostProperty(textProperty("CD_PR_05", ""));
  press.addCostProperty(textProperty("CD_PR_11", "eleven"));
  press.addCostProperty(driver("CD_PR_06", 2.5f));
  press.addCostProperty(textProperty("CD_PR_99", "ignored"));

  velktest::StdoutCapture out;
  VELKO_PRESSINFO* info = press.getVELKOPressInfo();
  EXPECT_EQ(
      "PressParameter not set correctly NoFormulaResultException when "
      "setting parameters for formula x+1: Variable x in formula x+1 is "
      "undefined.\n\n",
      out.text());
  ASSERT_NE(nullptr, info);
  EXPECT_EQ(-2, info->kind);
  EXPECT_STREQ("10", info->pressKind);
  EXPECT_STREQ("Line 1", info->label);
  EXPECT_EQ(3, info->stageCount);
  EXPECT_STREQ("", info->pr03);
  EXPECT_STREQ("servo", info->pr04);
  EXPECT_STREQ("second", info->pr05);
  EXPECT_STREQ("2.5", info->pr06);
  EXPECT_STREQ("", info->pr07);
  EXPECT_STREQ("eleven", info->pr11);
}

TEST(PressTest, EachPressInfoReplacesTheLastOne) {
  Press press("P", 1);
  press.addCostProperty(textProperty("CD_PR_04", "a"));
  VELKO_PRESSINFO* first = press.getVELKOPressInfo();
  EXPECT_STREQ("a", first->pr04);
  EXPECT_STREQ("", first->pressKind);
  press.SetPressLabel("renamed");
  VELKO_PRESSINFO* second = press.getVELKOPressInfo();
  EXPECT_STREQ("renamed", second->label);

  // A copy shares stages and properties but builds records of its own.
  Press copy(press);
  VELKO_PRESSINFO* copied = copy.getVELKOPressInfo();
  EXPECT_NE(second, copied);
  EXPECT_STREQ("renamed", copied->label);
  EXPECT_STREQ("renamed", second->label);
  copy = press;
  EXPECT_STREQ("renamed", copied->label);  // assignment keeps the record
}

}  // namespace
}  // namespace VelkData
