#include <gtest/gtest.h>

#include <string>

#include "costdata/CostDriver.h"
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

// a feeds b and d; b feeds c. Every driver records when it re-evaluates.
class CostDriverTest : public ::testing::Test {
 protected:
  CostDriverTest()
      : a(new RecordingDriver("a", &order)),
        b(new RecordingDriver("b", &order)),
        c(new RecordingDriver("c", &order)),
        d(new RecordingDriver("d", &order)) {
    a->setValue(1.0f);
    b->formulas()->addFormula("a*10");
    c->formulas()->addFormula("b+1");
    d->formulas()->addFormula("a-1");
    graph.link(a, b);
    graph.link(b, c);
    graph.link(a, d);
    order.clear();
  }

  std::string order;
  DriverGraph graph;
  boost::shared_ptr<RecordingDriver> a, b, c, d;
};

TEST_F(CostDriverTest, ValueChangeTravelsDepthFirst) {
  a->setValue(2.0f);
  EXPECT_EQ("b c d", order);
  EXPECT_FLOAT_EQ(21.0f, c->doubleValue());
  EXPECT_FLOAT_EQ(1.0f, d->doubleValue());
}

TEST_F(CostDriverTest, ExplicitValueStopsNotification) {
  b->setValue(7.0f);
  order.clear();
  a->setValue(2.0f);
  // b is asked but keeps its value and does not pass the change on to c.
  EXPECT_EQ("b d", order);
  EXPECT_FLOAT_EQ(7.0f, b->doubleValue());
  EXPECT_FLOAT_EQ(8.0f, c->doubleValue());
}

TEST_F(CostDriverTest, CachingFreezesTheUpstreamGraph) {
  c->setDoCacheValue(true);
  EXPECT_TRUE(b->doCacheValue());
  EXPECT_TRUE(a->doCacheValue());

  a->setValue(5.0f);
  EXPECT_FLOAT_EQ(1.0f, a->doubleValue());
  EXPECT_FLOAT_EQ(10.0f, b->doubleValue());
  EXPECT_FLOAT_EQ(11.0f, c->doubleValue());
  // d is not upstream of c and stays live, but it reads the frozen a.
  EXPECT_FALSE(d->doCacheValue());
  EXPECT_FLOAT_EQ(0.0f, d->doubleValue());

  c->setDoCacheValue(false);
  EXPECT_FALSE(a->doCacheValue());
  EXPECT_FLOAT_EQ(51.0f, c->doubleValue());
}

TEST_F(CostDriverTest, CachingThatCannotComputeKeepsTheDriverLive) {
  boost::shared_ptr<CostDriverDouble> broken = computedDouble("e", "x+1");
  broken->setDoCacheValue(true);
  EXPECT_FALSE(broken->doCacheValue());
  EXPECT_THROW(broken->doubleValue(), NoFormulaResultException);
}

TEST(CostDriverValueSourcesTest, ListsGeneratorsAndDriversReadByTheFormula) {
  boost::shared_ptr<CostDriverDouble> length(new CostDriverDouble("len"));
  length->setLabel("Length");
  boost::shared_ptr<CostDriverDouble> width(new CostDriverDouble("wid"));
  width->setLabel("Width");
  boost::shared_ptr<CostDriverDouble> unused(new CostDriverDouble("cnt"));
  unused->setLabel("Count");

  const struct {
    const char* formula;
    const char* expected;
  } cases[] = {
      {"len*2+Norix_PAx",
       "Geometry generator (Part stage)\nCost drivers: Length"},
      {"wid*len", "Cost drivers: Length, Width"},
      {"Norix_BGthickness", "Blank generator"},
      {"3", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    boost::shared_ptr<CostDriverDouble> d = computedDouble("d", c.formula);
    // Dependency order decides the order of the labels.
    d->addDependency(length);
    d->addDependency(unused);
    d->addDependency(width);
    EXPECT_EQ(c.expected, d->valueSources());
  }
  EXPECT_EQ("No value defined", length->valueSources());
}

// Dependencies are found by substring tests of formula texts, so ordinary
// data ("CD_1" inside "CD_10") made two drivers read each other, and reading
// either recursed until the host crashed.
TEST(CostDriverCycleTest, ReadingACycleFailsAndNamesIt) {
  DriverGraph graph;
  boost::shared_ptr<CostDriverDouble> a = computedDouble("CD_1", "CD_10+1");
  boost::shared_ptr<CostDriverDouble> b = computedDouble("CD_10", "CD_1*2");
  graph.link(a, b);
  graph.link(b, a);

  EXPECT_THROW_MSG(
      a->doubleValue(), NoFormulaResultException,
      "NoFormulaResultException when setting parameters for formula CD_10+1: "
      "NoFormulaResultException when setting parameters for formula CD_1*2: "
      "Cyclic dependency between cost drivers: CD_1 -> CD_10 -> CD_1");

  // The failed read leaves nothing behind: once the cycle is cut, both
  // values come out.
  a->setValue(4.0f);
  EXPECT_FLOAT_EQ(8.0f, b->doubleValue());
  b->setValue(3.0f);
  a->resetValue();
  EXPECT_FLOAT_EQ(4.0f, a->doubleValue());
}

TEST(CostDriverCycleTest, NotificationStopsWhereItComesRound) {
  std::string order;
  DriverGraph graph;
  boost::shared_ptr<RecordingDriver> a(new RecordingDriver("a", &order));
  boost::shared_ptr<RecordingDriver> b(new RecordingDriver("b", &order));
  boost::shared_ptr<RecordingDriver> c(new RecordingDriver("c", &order));
  a->formulas()->addFormula("1");
  b->formulas()->addFormula("2");
  c->formulas()->addFormula("3");
  graph.notifies(a, b);
  graph.notifies(b, c);
  graph.notifies(c, a);

  a->setDependentValue(5.0f);
  // a is asked once more by c and stops there.
  EXPECT_EQ("b c a", order);

  order.clear();
  b->reEvaluateFormula();
  EXPECT_EQ("b c a b", order);
}

TEST(CostDriverCycleTest, CachingACycleTerminatesAndStaysLive) {
  DriverGraph graph;
  boost::shared_ptr<CostDriverDouble> a = computedDouble("a", "b+1");
  boost::shared_ptr<CostDriverDouble> b = computedDouble("b", "a+1");
  graph.link(a, b);
  graph.link(b, a);

  a->setDoCacheValue(true);
  EXPECT_FALSE(a->doCacheValue());
  EXPECT_FALSE(b->doCacheValue());
}

}  // namespace
