#include <gtest/gtest.h>

#include <boost/pointer_cast.hpp>
#include <string>

#include "costdata/CostDriverDouble.h"
#include "costdata/DriverGraph.h"
#include "formula/NoFormulaResultException.h"
#include "support/TestUtil.h"

namespace {

using VelkData::CostDriverDouble;
using VelkData::NoFormulaResultException;
using velktest::computedDouble;
using velktest::DriverGraph;
using velktest::RecordingDriver;

TEST(CostDriverDoubleTest, ValueComesFromCacheThenExplicitThenFormula) {
  boost::shared_ptr<CostDriverDouble> d = computedDouble("d", "0.1");
  // The formula result is narrowed to float.
  EXPECT_EQ(0.1f, d->doubleValue());

  d->setValue(7.0f);
  EXPECT_TRUE(d->hasValue());
  EXPECT_FLOAT_EQ(7.0f, d->doubleValue());

  d->setDoCacheValue(true);
  d->setValue(9.0f);
  EXPECT_FLOAT_EQ(7.0f, d->doubleValue());

  d->setDoCacheValue(false);
  EXPECT_FLOAT_EQ(9.0f, d->doubleValue());

  d->resetValue();
  EXPECT_FALSE(d->hasValue());
  EXPECT_EQ(0.1f, d->doubleValue());
}

TEST(CostDriverDoubleTest, StringValueAppliesTheConversionFactor) {
  const struct {
    float value;
    float factor;
    const char* expected;
  } cases[] = {
      {2.5f, 1000.0f, "2500"},
      {2.5f, 1.0f, "2.5"},
      {0.001f, 1.0f, "0.001"},
      {1234567.0f, 1.0f, "1.23457e+06"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    CostDriverDouble d("d");
    d.setValue(c.value);
    d.setConversionFactor(c.factor);
    EXPECT_EQ(c.expected, d.stringValue());
  }
}

TEST(CostDriverDoubleTest, FormulaFailurePropagates) {
  boost::shared_ptr<CostDriverDouble> d = computedDouble("d", "x+1");
  EXPECT_THROW_MSG(d->doubleValue(), NoFormulaResultException,
                   "NoFormulaResultException when setting parameters for "
                   "formula x+1: Variable x in formula x+1 is undefined.\n");
  EXPECT_THROW(d->stringValue(), NoFormulaResultException);
}

TEST(CostDriverDoubleTest, DependentValueIsPassedOnOnlyWithoutExplicitValue) {
  std::string order;
  DriverGraph graph;
  boost::shared_ptr<CostDriverDouble> d = computedDouble("d", "2");
  boost::shared_ptr<RecordingDriver> reader(new RecordingDriver("r", &order));
  reader->formulas()->addFormula("d*2");
  graph.link(d, reader);

  d->setDependentValue(3.0f);
  EXPECT_FALSE(d->hasValue());
  EXPECT_EQ("r", order);
  // Not explicit, so reading still follows the formula.
  EXPECT_FLOAT_EQ(4.0f, reader->doubleValue());

  d->setValue(5.0f);
  d->setDependentValue(6.0f);
  EXPECT_FLOAT_EQ(5.0f, d->doubleValue());
  EXPECT_EQ("r r", order);  // only setValue notified
}

TEST(CostDriverDoubleTest, CloneIsAnIndependentCopy) {
  boost::shared_ptr<CostDriverDouble> source = computedDouble("len", "a+1");
  source->setLabel("Length");
  source->setMeasureUnit("mm");
  source->setConversionFactor(1000.0f);
  source->setAccuracy(0.5f);
  source->setValue(2.5f);

  boost::shared_ptr<CostDriverDouble> copy =
      boost::dynamic_pointer_cast<CostDriverDouble>(source->clone());
  ASSERT_TRUE(copy);
  EXPECT_EQ("len", copy->id());
  EXPECT_EQ("Length", copy->label());
  EXPECT_EQ("mm", copy->measureUnit());
  EXPECT_FLOAT_EQ(0.5f, copy->doubleAccuracy());
  EXPECT_EQ("2500", copy->stringValue());
  EXPECT_NE(source->formulas(), copy->formulas());
  EXPECT_EQ("a+1", copy->formulas()->formulaAt(0));

  copy->setValue(1.0f);
  copy->formulas()->setFormulaAt(0, "7");
  EXPECT_FLOAT_EQ(2.5f, source->doubleValue());
  EXPECT_EQ("a+1", source->formulas()->formulaAt(0));
}

TEST(CostDriverDoubleTest, CloneOfACachedDriverKeepsTheFrozenValue) {
  boost::shared_ptr<CostDriverDouble> source = computedDouble("d", "3");
  source->setDoCacheValue(true);
  source->formulas()->setFormulaAt(0, "4");

  boost::shared_ptr<CostDriverDouble> copy =
      boost::dynamic_pointer_cast<CostDriverDouble>(source->clone());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->doCacheValue());
  EXPECT_FLOAT_EQ(3.0f, copy->doubleValue());
  copy->setDoCacheValue(false);
  EXPECT_FLOAT_EQ(4.0f, copy->doubleValue());
}

}  // namespace
