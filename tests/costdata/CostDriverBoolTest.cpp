#include <gtest/gtest.h>

#include <boost/pointer_cast.hpp>
#include <string>

#include "costdata/CostDriverBool.h"
#include "costdata/DriverGraph.h"
#include "support/TestUtil.h"

namespace {

using VelkData::CostDriverBool;
using velktest::DebugCapture;
using velktest::DriverGraph;
using velktest::RecordingDriver;

// A yes/no driver read by a recording double driver.
class CostDriverBoolTest : public ::testing::Test {
 protected:
  CostDriverBoolTest()
      : flag(new CostDriverBool("flag")),
        reader(new RecordingDriver("r", &order)) {
    reader->formulas()->addFormula("flag*10");
    graph.link(flag, reader);
  }

  std::string order;
  DriverGraph graph;
  boost::shared_ptr<CostDriverBool> flag;
  boost::shared_ptr<RecordingDriver> reader;
};

TEST_F(CostDriverBoolTest, SetValueAcceptsOnlyTheTwoNumbersButAlwaysNotifies) {
  flag->setValue(1.0f);
  EXPECT_TRUE(flag->boolValue());
  EXPECT_TRUE(flag->hasValue());

  flag->setValue(0.5f);
  EXPECT_TRUE(flag->boolValue());
  EXPECT_EQ("r r", order);

  flag->setValue(0.0f);
  EXPECT_EQ("false", flag->stringValue());
  EXPECT_FLOAT_EQ(0.0f, reader->doubleValue());
}

TEST_F(CostDriverBoolTest, SetValueFromBoolDoesNotNotify) {
  flag->setValue(true);
  EXPECT_FLOAT_EQ(10.0f, reader->doubleValue());
  EXPECT_EQ("", order);
}

TEST_F(CostDriverBoolTest, DependentValueIsNotExplicit) {
  flag->formulas()->addFormula("1");
  flag->setDependentValue(0.0f);
  EXPECT_FALSE(flag->hasValue());
  EXPECT_EQ("r", order);
  // Not explicit, so the formula still decides.
  EXPECT_TRUE(flag->boolValue());
}

TEST_F(CostDriverBoolTest, FormulaResultMatchesTheTwoNumbers) {
  const struct {
    const char* formula;
    float value;
    const char* text;
  } cases[] = {
      {"2+3", 5.0f, "true"},
      {"0-1", -1.0f, "false"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    CostDriverBool d("d");
    d.setTrue(5.0f);
    d.setFalse(-1.0f);
    d.formulas()->addFormula(c.formula);
    DebugCapture log;
    EXPECT_FLOAT_EQ(c.value, d.doubleValue());
    EXPECT_EQ(c.text, d.stringValue());
    EXPECT_EQ("", log.joined());
  }
}

TEST_F(CostDriverBoolTest, UnmatchedResultFallsBackOnTrueOrFalseTexts) {
  CostDriverBool byText("t");
  byText.formulas()->addFormula("0.5");
  byText.formulas()->addFormula("true");
  DebugCapture log;
  EXPECT_FLOAT_EQ(1.0f, byText.doubleValue());
  EXPECT_EQ("", log.joined());
}

TEST_F(CostDriverBoolTest, UnmatchedResultIsLoggedAndFalse) {
  flag->formulas()->addFormula("0.5");
  DebugCapture log;
  EXPECT_FLOAT_EQ(0.0f, flag->doubleValue());
  EXPECT_EQ(
      "UnknownFormulaResultException for cost driver flag and value 0.500000. "
      "Formula is 0.5",
      log.joined());
}

TEST_F(CostDriverBoolTest, BoolValueLogsANumberThatIsNeitherValue) {
  flag->formulas()->addFormula("1");
  flag->setDoCacheValue(true);
  flag->setTrue(2.0f);  // the frozen 1 no longer means true
  DebugCapture log;
  EXPECT_EQ("false", flag->stringValue());
  EXPECT_EQ(
      "UnknownResultError for cost driver flag and value 1.000000 "
      "(Formula: 1):\n",
      log.joined());
}

TEST_F(CostDriverBoolTest, CloneKeepsStateAndValues) {
  flag->setTrue(3.0f);
  flag->setValue(true);
  boost::shared_ptr<CostDriverBool> copy =
      boost::dynamic_pointer_cast<CostDriverBool>(flag->clone());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->hasValue());
  EXPECT_FLOAT_EQ(3.0f, copy->doubleValue());
  copy->setValue(false);
  EXPECT_TRUE(flag->boolValue());
}

}  // namespace
