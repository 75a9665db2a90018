// A driver whose formula reads nothing keeps its value from one read to the
// next while nothing it is made of changes. These tests change each of
// those things and check that every read still gives what a fresh
// evaluation gives, with the same messages.

#include <gtest/gtest.h>

#include <string>

#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostDriverInt.h"
#include "costdata/DriverGraph.h"
#include "external/XoloClient.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "support/TestUtil.h"

namespace {

using VelkData::CostDriverDouble;
using VelkData::CostDriverEnum;
using VelkData::CostDriverInt;
using VelkData::NoFormulaResultException;
using velktest::computedDouble;
using velktest::DebugCapture;

TEST(CostDriverSettledValueTest, ReadsFollowEveryChangeOfTheFormulas) {
  const boost::shared_ptr<CostDriverDouble> width =
      computedDouble("PART_WIDTH", "800");
  const boost::shared_ptr<CostDriverDouble> area =
      computedDouble("AREA", "PART_WIDTH*2");
  area->addDependency(width);
  width->addHasImpactOn(area);
  EXPECT_EQ(800.0f, width->doubleValue());
  EXPECT_EQ(1600.0f, area->doubleValue());
  EXPECT_EQ(800.0f, width->doubleValue());

  width->formulas()->setFormulaAt(0, "900");
  EXPECT_EQ(900.0f, width->doubleValue());
  EXPECT_EQ(1800.0f, area->doubleValue());

  // The host reaches the compiled formula itself: no version tells of
  // this, only the formula's own program.
  width->formulas()->getFormulaAt(0)->setExpression("950");
  EXPECT_EQ(950.0f, width->doubleValue());
  EXPECT_EQ(1900.0f, area->doubleValue());

  // From here on the formula reads a variable the host sets on it.
  width->formulas()->getFormulaAt(0)->setExpression("X*10");
  width->formulas()->getFormulaAt(0)->setVariable("X", 5);
  EXPECT_EQ(50.0f, width->doubleValue());
  width->formulas()->getFormulaAt(0)->setVariable("X", 6);
  EXPECT_EQ(60.0f, width->doubleValue());
  EXPECT_EQ(120.0f, area->doubleValue());
}

TEST(CostDriverSettledValueTest, ExplicitAndCachedValuesStillComeFirst) {
  const boost::shared_ptr<CostDriverDouble> width =
      computedDouble("PART_WIDTH", "800");
  EXPECT_EQ(800.0f, width->doubleValue());
  width->setValue(640.0f);
  EXPECT_EQ(640.0f, width->doubleValue());
  width->resetValue();
  EXPECT_EQ(800.0f, width->doubleValue());
  width->setDoCacheValue(true);
  width->formulas()->setFormulaAt(0, "700");
  EXPECT_EQ(800.0f, width->doubleValue());
  width->setDoCacheValue(false);
  EXPECT_EQ(700.0f, width->doubleValue());
}

TEST(CostDriverSettledValueTest, ADependencyAddedLaterIsRead) {
  const boost::shared_ptr<CostDriverDouble> width =
      computedDouble("PART_WIDTH", "800");
  EXPECT_EQ(800.0f, width->doubleValue());
  // The formula does not name it, but binding reads every dependency, so
  // one that fails makes the driver fail, as it always did.
  const boost::shared_ptr<CostDriverDouble> broken =
      computedDouble("BROKEN", "UNKNOWN_NAME+1");
  width->addDependency(broken);
  EXPECT_THROW(width->doubleValue(), NoFormulaResultException);
  broken->formulas()->setFormulaAt(0, "3");
  EXPECT_EQ(800.0f, width->doubleValue());

  // A dependency that starts failing without any change of shape: a value
  // upstream of it turns zero.
  const boost::shared_ptr<CostDriverDouble> height =
      computedDouble("PART_HEIGHT", "0");
  height->setValue(4.0f);
  const boost::shared_ptr<CostDriverDouble> inverse =
      computedDouble("INVERSE", "1/PART_HEIGHT");
  inverse->addDependency(height);
  const boost::shared_ptr<CostDriverDouble> depth =
      computedDouble("PART_DEPTH", "300");
  depth->addDependency(inverse);
  EXPECT_EQ(300.0f, depth->doubleValue());
  EXPECT_EQ(300.0f, depth->doubleValue());
  height->setValue(0.0f);
  EXPECT_THROW(depth->doubleValue(), NoFormulaResultException);
}

TEST(CostDriverSettledValueTest, FailuresAndAlternativesAreEvaluatedEachTime) {
  const boost::shared_ptr<CostDriverDouble> failing =
      computedDouble("FAILING", "1/0");
  for (int read = 0; read < 2; ++read) {
    EXPECT_THROW_MSG(failing->doubleValue(), NoFormulaResultException,
                     "NoFormulaResultException when setting parameters for "
                     "formula 1/0: MathError in formula 1/0");
  }
  // The second alternative gives the value, and stays the recent formula.
  failing->formulas()->addFormula("12");
  for (int read = 0; read < 2; ++read) {
    EXPECT_EQ(12.0f, failing->doubleValue());
    EXPECT_EQ("12", failing->formulas()->recentFormula());
  }
}

TEST(CostDriverSettledValueTest, ASessionInstalledLaterIsTakenUp) {
  VelkCOM::XoloClient* const saved = VelkCOM::XoloClient::getInstance();
  VelkCOM::XoloClient::setInstance(nullptr);
  const boost::shared_ptr<CostDriverDouble> width =
      computedDouble("PART_WIDTH", "800");
  EXPECT_EQ(800.0f, width->doubleValue());
  EXPECT_EQ(nullptr, width->formulas()->QorSession());
  VelkCOM::XoloClient session;
  VelkCOM::XoloClient::setInstance(&session);
  EXPECT_EQ(800.0f, width->doubleValue());
  EXPECT_EQ(&session, width->formulas()->QorSession());
  VelkCOM::XoloClient::setInstance(saved);
}

TEST(CostDriverSettledValueTest, RecentFormulaAndOddResultLinesAsBefore) {
  const boost::shared_ptr<CostDriverInt> count(new CostDriverInt("COUNT"));
  count->formulas()->addFormula("7/2");
  EXPECT_EQ(3.0f, count->doubleValue());
  EXPECT_EQ(3.0f, count->doubleValue());
  EXPECT_EQ("7/2", count->formulas()->recentFormula());

  // An enumeration reports a result outside its list at every read.
  const boost::shared_ptr<CostDriverEnum> kind(new CostDriverEnum("KIND"));
  kind->setValues({1.0f, 2.0f}, {"one", "two"});
  kind->formulas()->addFormula("5");
  DebugCapture capture;
  EXPECT_EQ(5.0f, kind->doubleValue());
  EXPECT_EQ(5.0f, kind->doubleValue());
  ASSERT_EQ(2u, capture.lines().size());
  EXPECT_EQ(capture.lines()[0], capture.lines()[1]);
  EXPECT_NE(std::string::npos, capture.lines()[0].find("UnknownResultError"));
}

}  // namespace
