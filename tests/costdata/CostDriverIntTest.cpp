#include <gtest/gtest.h>

#include <boost/pointer_cast.hpp>
#include <limits>
#include <string>

#include "costdata/CostDriverInt.h"
#include "costdata/CostDriverIntRange.h"
#include "costdata/DriverGraph.h"
#include "support/TestUtil.h"

namespace {

using VelkData::CostDriverInt;
using VelkData::CostDriverIntRange;
using velktest::DriverGraph;
using velktest::RecordingDriver;

// An int driver read by a recording double driver.
class CostDriverIntTest : public ::testing::Test {
 protected:
  CostDriverIntTest()
      : count(new CostDriverInt("n")),
        reader(new RecordingDriver("r", &order)) {
    reader->formulas()->addFormula("n");
    graph.link(count, reader);
  }

  std::string order;
  DriverGraph graph;
  boost::shared_ptr<CostDriverInt> count;
  boost::shared_ptr<RecordingDriver> reader;
};

TEST_F(CostDriverIntTest, FormulaResultIsTruncatedTowardZero) {
  const struct {
    const char* formula;
    float expected;
  } cases[] = {
      {"-2.7", -2.0f},
      {"2.7", 2.0f},
      {"-0.5", 0.0f},
      {"7", 7.0f},
      // Beyond the int range the value saturates instead of being undefined.
      {"1e20", static_cast<float>(std::numeric_limits<int>::max())},
      {"-1e20", static_cast<float>(std::numeric_limits<int>::min())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    CostDriverInt d("d");
    d.formulas()->addFormula(c.formula);
    EXPECT_EQ(c.expected, d.doubleValue());
  }
}

TEST_F(CostDriverIntTest, SetValueFromFloatTruncatesAndNotifies) {
  count->setValue(3.9f);
  EXPECT_FLOAT_EQ(3.0f, count->doubleValue());
  EXPECT_TRUE(count->hasValue());
  EXPECT_EQ("r", order);

  count->setValue(-3.9f);
  EXPECT_FLOAT_EQ(-3.0f, reader->doubleValue());
}

TEST_F(CostDriverIntTest, SetValueFromIntDoesNotNotify) {
  count->setValue(4);
  EXPECT_TRUE(count->hasValue());
  EXPECT_FLOAT_EQ(4.0f, reader->doubleValue());
  EXPECT_EQ("", order);
}

TEST_F(CostDriverIntTest, DependentValueClearsTheExplicitState) {
  count->setValue(4);
  count->setDependentValue(5.8f);
  EXPECT_FALSE(count->hasValue());
  EXPECT_EQ("r", order);

  count->setValue(4);
  count->setDependentValue(6);
  EXPECT_FALSE(count->hasValue());
  EXPECT_EQ("r", order);  // the int overload does not notify
}

TEST_F(CostDriverIntTest, StringValueAppliesTheConversionFactor) {
  count->setValue(12);
  count->setConversionFactor(0.5f);
  EXPECT_EQ("6", count->stringValue());
}

TEST_F(CostDriverIntTest, CachedValueIsFrozen) {
  count->formulas()->addFormula("2.5");
  count->setDoCacheValue(true);
  count->setValue(9);
  EXPECT_FLOAT_EQ(2.0f, count->doubleValue());
  count->setDoCacheValue(false);
  EXPECT_FLOAT_EQ(9.0f, count->doubleValue());
}

TEST_F(CostDriverIntTest, RangeClonesAsARange) {
  boost::shared_ptr<CostDriverIntRange> range(new CostDriverIntRange("st"));
  range->setValue(3);
  range->setAccuracy(2);
  range->setMeasureUnit("pcs");

  boost::shared_ptr<CostDriverIntRange> copy =
      boost::dynamic_pointer_cast<CostDriverIntRange>(range->clone());
  ASSERT_TRUE(copy);
  EXPECT_EQ("st", copy->id());
  EXPECT_TRUE(copy->hasValue());
  EXPECT_FLOAT_EQ(3.0f, copy->doubleValue());
  EXPECT_FLOAT_EQ(2.0f, copy->doubleAccuracy());
  EXPECT_EQ("pcs", copy->measureUnit());

  copy->setValue(8);
  EXPECT_FLOAT_EQ(3.0f, range->doubleValue());
  // A plain int driver does not clone into a range.
  EXPECT_FALSE(boost::dynamic_pointer_cast<CostDriverIntRange>(count->clone()));
}

}  // namespace
