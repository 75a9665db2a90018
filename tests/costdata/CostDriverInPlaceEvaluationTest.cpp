// A driver whose dependencies are all known without running anything (held,
// cached, computed earlier in the same read, or reading nothing) runs its
// formula directly. These tests check that such an evaluation leaves
// everything as the full one would, and that whatever it cannot vouch for
// (a failure, a function of the host's, a driver on the path of the
// evaluation) still takes the full way.

#include <gtest/gtest.h>

#include <string>

#include "costdata/CostDriverDouble.h"
#include "costdata/DriverGraph.h"
#include "external/XoloClient.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "support/TestUtil.h"

namespace {

using VelkData::CostDriverDouble;
using VelkData::NoFormulaResultException;
using velktest::computedDouble;
using velktest::DriverGraph;

// A driver with a value of its own, as the part's dimensions are.
boost::shared_ptr<CostDriverDouble> input(const std::string& id, float value) {
  const boost::shared_ptr<CostDriverDouble> d = computedDouble(id, "0");
  d->setValue(value);
  return d;
}

TEST(CostDriverInPlaceEvaluationTest, LeavesTheContainerAsAFullEvaluation) {
  VelkCOM::XoloClient* const saved = VelkCOM::XoloClient::getInstance();
  VelkCOM::XoloClient::setInstance(nullptr);
  DriverGraph graph;
  const boost::shared_ptr<CostDriverDouble> x = input("X", 0.0f);
  const boost::shared_ptr<CostDriverDouble> ratio =
      computedDouble("RATIO", "1/X");
  ratio->formulas()->addFormula("7");
  graph.link(x, ratio);
  const boost::shared_ptr<CostDriverDouble> total =
      computedDouble("TOTAL", "RATIO+1");
  graph.link(ratio, total);

  EXPECT_EQ(8.0f, total->doubleValue());
  EXPECT_EQ("7", ratio->formulas()->recentFormula());
  EXPECT_EQ(nullptr, ratio->formulas()->QorSession());

  // The change re-evaluates RATIO in place: its first formula is the
  // recent one again, and it takes up the session installed meanwhile.
  VelkCOM::XoloClient session;
  VelkCOM::XoloClient::setInstance(&session);
  x->setValue(4.0f);
  EXPECT_EQ(0.25f, ratio->storedValue());
  EXPECT_EQ("1/X", ratio->formulas()->recentFormula());
  EXPECT_EQ(&session, ratio->formulas()->QorSession());
  EXPECT_EQ(1.25f, total->storedValue());
  EXPECT_EQ(1.25f, total->doubleValue());

  // And back: the failure sends it the full way, to its alternative.
  x->setValue(0.0f);
  EXPECT_EQ(7.0f, ratio->storedValue());
  EXPECT_EQ("7", ratio->formulas()->recentFormula());
  EXPECT_EQ(8.0f, total->doubleValue());
  VelkCOM::XoloClient::setInstance(saved);
}

TEST(CostDriverInPlaceEvaluationTest, FailuresKeepTheirMessages) {
  DriverGraph graph;
  const boost::shared_ptr<CostDriverDouble> x = input("X", 2.0f);
  const boost::shared_ptr<CostDriverDouble> inverse =
      computedDouble("INVERSE", "1/X");
  graph.link(x, inverse);
  const boost::shared_ptr<CostDriverDouble> twice =
      computedDouble("TWICE", "2*INVERSE");
  graph.link(inverse, twice);
  EXPECT_EQ(1.0f, twice->doubleValue());

  const std::string inverseFailure =
      "NoFormulaResultException when setting parameters for formula 1/X: "
      "MathError in formula 1/(X = 0)";
  // The change meets the failure first, as its first re-evaluation.
  EXPECT_THROW_MSG(x->setValue(0.0f), NoFormulaResultException,
                   inverseFailure);
  EXPECT_THROW_MSG(inverse->doubleValue(), NoFormulaResultException,
                   inverseFailure);
  // The reader fails while binding, with the failure of what it reads.
  EXPECT_THROW_MSG(twice->doubleValue(), NoFormulaResultException,
                   "NoFormulaResultException when setting parameters for "
                   "formula 2*INVERSE: " +
                       inverseFailure);

  // A variable the formula names but nothing binds.
  const boost::shared_ptr<CostDriverDouble> stray =
      computedDouble("STRAY", "X+Y");
  graph.link(x, stray);
  std::string message;
  try {
    stray->doubleValue();
  } catch (const NoFormulaResultException& e) {
    message = e.what();
  }
  // The list of dependencies follows; its form is the container's own.
  EXPECT_EQ(0u, message.find("NoFormulaResultException when setting "
                             "parameters for formula X+Y: Variable Y in "
                             "formula X+Y is undefined.\n"))
      << message;
}

// The driver a function of the host's reads, if any; there are no threads.
CostDriverDouble* readByHostFunction = nullptr;
double readTheDriver(double x) {
  if (!readByHostFunction) return x + 1;
  return readByHostFunction->doubleValue() + x;
}

TEST(CostDriverInPlaceEvaluationTest, AHostFunctionStillMeetsTheCycleCheck) {
  DriverGraph graph;
  const boost::shared_ptr<CostDriverDouble> x = input("X", 1.0f);
  const boost::shared_ptr<CostDriverDouble> looped =
      computedDouble("LOOPED", "h(X)");
  looped->formulas()->getFormulaAt(0)->setFunction("h", &readTheDriver);
  graph.link(x, looped);
  // Evaluated once, so that everything the driver reads is bound and known
  // in place from here on.
  EXPECT_EQ(2.0f, looped->doubleValue());
  x->setValue(2.0f);
  EXPECT_EQ(3.0f, looped->storedValue());
  // Now the function reads the driver it is evaluated for: a cycle,
  // reported as one, not a recursion without end.
  readByHostFunction = looped.get();
  EXPECT_THROW(looped->doubleValue(), NoFormulaResultException);
  EXPECT_THROW(x->setValue(3.0f), NoFormulaResultException);
  readByHostFunction = nullptr;
  EXPECT_EQ(4.0f, looped->doubleValue());
}

// A driver class of the host's that answers its own value.
class OffsetDriver : public CostDriverDouble {
 public:
  using CostDriverDouble::CostDriverDouble;
  float doubleValue() const override {
    return CostDriverDouble::doubleValue() + 100.0f;
  }
};

TEST(CostDriverInPlaceEvaluationTest, OtherDriverClassesGiveTheirOwnValues) {
  DriverGraph graph;
  const boost::shared_ptr<OffsetDriver> offset(new OffsetDriver("OFFSET"));
  offset->formulas()->addFormula("0");
  offset->setValue(5.0f);
  const boost::shared_ptr<CostDriverDouble> reader =
      computedDouble("READER", "OFFSET*2");
  graph.link(offset, reader);
  EXPECT_EQ(210.0f, reader->doubleValue());
  offset->setValue(6.0f);
  EXPECT_EQ(212.0f, reader->storedValue());
}

}  // namespace
