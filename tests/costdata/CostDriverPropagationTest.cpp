#include <gtest/gtest.h>

#include <pthread.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "costdata/CostDriverBool.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostDriverInt.h"
#include "costdata/DriverGraph.h"
#include "costdata/DriverReadScope.h"
#include "external/XoloClient.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "support/HookSession.h"
#include "support/TestUtil.h"

namespace {

using VelkData::CostDriver;
using VelkData::CostDriverBool;
using VelkData::CostDriverDouble;
using VelkData::CostDriverEnum;
using VelkData::CostDriverInt;
using VelkData::FormulaContainer;
using VelkData::NoFormulaResultException;
using velktest::computedDouble;
using velktest::DebugCapture;
using velktest::DriverGraph;
using velktest::RecordingDriver;

typedef boost::shared_ptr<CostDriverDouble> DoublePtr;

// Answers every session name with 0 and counts the questions: a formula
// that adds "Norix_<id>" asks once per evaluation, so the count of a name
// is the number of times that driver's formula was evaluated.
class CountingSession : public VelkCOM::XoloClient {
 public:
  double GetDataByName(const std::string& name, int) override {
    ++asked[name];
    return 0.0;
  }
  int evaluations(const std::string& id) const {
    auto it = asked.find("Norix_" + id);
    return it == asked.end() ? 0 : it->second;
  }
  int total() const {
    int sum = 0;
    for (const auto& entry : asked) sum += entry.second;
    return sum;
  }
  std::map<std::string, int> asked;
};

// A double driver computed from `formula` that reports each evaluation to
// `session`.
DoublePtr counted(const std::string& id, const std::string& formula,
                  CountingSession* session) {
  DoublePtr d = computedDouble(id, formula + "+Norix_" + id);
  d->formulas()->setQorSession(session);
  return d;
}

// Layer 0 is the input; every later layer holds two drivers, each the mean
// of both drivers of the layer before. Drivers reached along 2^k paths.
class Lattice {
 public:
  Lattice(int depth, CountingSession* session, std::string* order = nullptr)
      : input(order ? DoublePtr(new RecordingDriver("in", order))
                    : DoublePtr(new CostDriverDouble("in"))) {
    input->setValue(1.0f);
    std::vector<DoublePtr> below = {input};
    for (int layer = 1; layer <= depth; ++layer) {
      std::vector<DoublePtr> here;
      for (int k = 0; k < 2; ++k) {
        const std::string id = "L" + std::to_string(layer) + char('a' + k);
        const std::string formula =
            below.size() == 1 ? below[0]->id() + "*2"
                              : "(" + below[0]->id() + "+" + below[1]->id() +
                                    ")/2";
        DoublePtr d;
        if (order) {
          d.reset(new RecordingDriver(id, order));
          d->formulas()->addFormula(formula + "+Norix_" + id);
          d->formulas()->setQorSession(session);
        } else {
          d = counted(id, formula, session);
        }
        for (const DoublePtr& source : below) graph.link(source, d);
        here.push_back(d);
        all.push_back(d);
      }
      below = here;
    }
    top = below[0];
  }

  DriverGraph graph;
  DoublePtr input;
  DoublePtr top;
  std::vector<DoublePtr> all;
};

TEST(CostDriverPropagationTest, DiamondReEvaluatesTheJoinOnceAfterBothSides) {
  std::string order;
  CountingSession session;
  DriverGraph graph;
  DoublePtr s(new RecordingDriver("s", &order));
  DoublePtr a(new RecordingDriver("a", &order));
  DoublePtr b(new RecordingDriver("b", &order));
  DoublePtr t(new RecordingDriver("t", &order));
  s->setValue(1.0f);
  a->formulas()->addFormula("s*2+Norix_a");
  b->formulas()->addFormula("s*3+Norix_b");
  t->formulas()->addFormula("a+b+Norix_t");
  for (const DoublePtr& d : {a, b, t}) d->formulas()->setQorSession(&session);
  graph.link(s, a);
  graph.link(s, b);
  graph.link(a, t);
  graph.link(b, t);

  s->setValue(2.0f);
  EXPECT_EQ("a b t", order);
  EXPECT_EQ(1, session.evaluations("a"));
  EXPECT_EQ(1, session.evaluations("b"));
  EXPECT_EQ(1, session.evaluations("t"));
  EXPECT_FLOAT_EQ(4.0f, a->storedValue());
  EXPECT_FLOAT_EQ(6.0f, b->storedValue());
  EXPECT_FLOAT_EQ(10.0f, t->storedValue());

  session.asked.clear();
  EXPECT_FLOAT_EQ(10.0f, t->doubleValue());
  EXPECT_EQ(3, session.total());
}

TEST(CostDriverPropagationTest, ExplicitSideOfADiamondStillLetsTheOtherPass) {
  std::string order;
  DriverGraph graph;
  DoublePtr s(new RecordingDriver("s", &order));
  DoublePtr a(new RecordingDriver("a", &order));
  DoublePtr b(new RecordingDriver("b", &order));
  DoublePtr t(new RecordingDriver("t", &order));
  DoublePtr u(new RecordingDriver("u", &order));
  s->setValue(1.0f);
  a->formulas()->addFormula("s*2");
  b->formulas()->addFormula("s*3");
  t->formulas()->addFormula("a+b");
  u->formulas()->addFormula("a-1");
  graph.link(s, a);
  graph.link(s, b);
  graph.link(a, t);
  graph.link(a, u);
  graph.link(b, t);
  a->setValue(5.0f);
  order.clear();

  s->setValue(2.0f);
  // a is asked and stops; t is still reached through b, u is not reached.
  EXPECT_EQ("a b t", order);
  EXPECT_FLOAT_EQ(11.0f, t->storedValue());
}

TEST(CostDriverPropagationTest, LatticeChangeEvaluatesEachDriverOnce) {
  for (int depth : {1, 2, 5, 12}) {
    SCOPED_TRACE(depth);
    CountingSession session;
    std::string order;
    Lattice lattice(depth, &session, &order);
    order.clear();

    lattice.input->setValue(3.0f);
    EXPECT_EQ(2 * depth, session.total());
    for (const DoublePtr& d : lattice.all) {
      EXPECT_EQ(1, session.evaluations(d->id())) << d->id();
      EXPECT_FLOAT_EQ(6.0f, d->storedValue()) << d->id();
    }
    // Layer by layer, each layer's drivers in list order.
    std::string expected;
    for (int layer = 1; layer <= depth; ++layer) {
      if (!expected.empty()) expected += " ";
      expected += "L" + std::to_string(layer) + "a L" +
                  std::to_string(layer) + "b";
    }
    EXPECT_EQ(expected, order);
  }
}

TEST(CostDriverPropagationTest, LatticeReadEvaluatesEachUpstreamDriverOnce) {
  CountingSession session;
  Lattice lattice(16, &session);
  EXPECT_FLOAT_EQ(2.0f, lattice.top->doubleValue());
  // The top and both drivers of each of the 15 layers below it.
  EXPECT_EQ(31, session.total());
  for (const DoublePtr& d : lattice.all) {
    if (d == lattice.top || d->id() == "L16b") continue;
    EXPECT_EQ(1, session.evaluations(d->id())) << d->id();
  }

}

// A class derived from the double driver may give another value than the
// one its formula computed; a reader must see that value, in a change and
// in a read, even when the read has computed the driver already.
class Doubling : public CostDriverDouble {
 public:
  using CostDriverDouble::CostDriverDouble;
  float doubleValue() const override {
    return 2.0f * CostDriverDouble::doubleValue();
  }
};

TEST(CostDriverPropagationTest, ReadersSeeTheValueOfADerivedClass) {
  DriverGraph graph;
  DoublePtr input(new CostDriverDouble("in"));
  input->setValue(3.0f);
  DoublePtr doubled(new Doubling("d"));
  doubled->formulas()->addFormula("in+1");
  DoublePtr plain = computedDouble("p", "in+1");
  DoublePtr both = computedDouble("b", "d*10+p");
  graph.link(input, doubled);
  graph.link(input, plain);
  graph.link(doubled, both);
  graph.link(plain, both);
  EXPECT_FLOAT_EQ(84.0f, both->doubleValue());
  input->setValue(4.0f);
  EXPECT_FLOAT_EQ(105.0f, both->storedValue());
  EXPECT_FLOAT_EQ(105.0f, both->doubleValue());
}

// A driver's value is a float, and a reader computes with that, not with
// the double its formula gave, however the read finds the value.
TEST(CostDriverPropagationTest, ReadersComputeWithTheFloatValue) {
  DriverGraph graph;
  DoublePtr input(new CostDriverDouble("x"));
  input->setValue(1.0f);
  DoublePtr third = computedDouble("t", "x/3");
  DoublePtr rest = computedDouble("r", "t*3-x");
  graph.link(input, third);
  graph.link(input, rest);
  graph.link(third, rest);
  const float expected = static_cast<float>(
      static_cast<double>(static_cast<float>(1.0 / 3)) * 3 - 1);
  ASSERT_NE(0.0f, expected);
  EXPECT_EQ(expected, rest->doubleValue());
  input->setValue(2.0f);
  input->setValue(1.0f);
  EXPECT_EQ(expected, rest->storedValue());
}

// Formulas over more drivers than a binding round keeps in place follow
// every change, and an edit of the dependencies, alike.
TEST(CostDriverPropagationTest, WideFormulasFollowChanges) {
  DriverGraph graph;
  std::vector<DoublePtr> inputs;
  std::string text = "0";
  for (int k = 0; k < 5; ++k) {
    const std::string id = "w" + std::to_string(k);
    inputs.push_back(DoublePtr(new CostDriverDouble(id)));
    inputs.back()->setValue(static_cast<float>(k + 1));
    text += "+" + id + "*" + std::to_string(1 << k);
  }
  std::vector<DoublePtr> middles;
  for (int k = 0; k < 5; ++k) {
    middles.push_back(computedDouble("m" + std::to_string(k),
                                     "w" + std::to_string(k) + "+0"));
    graph.link(inputs[k], middles.back());
  }
  DoublePtr sum = computedDouble("sum", text);
  for (int k = 0; k < 5; ++k) graph.link(middles[k], sum);
  std::string mirrored = "0";
  for (int k = 0; k < 5; ++k) {
    mirrored += "+m" + std::to_string(k) + "*" + std::to_string(1 << k);
  }
  sum->formulas()->setFormulaAt(0, mirrored);
  // 1 + 2*2 + 3*4 + 4*8 + 5*16
  EXPECT_FLOAT_EQ(129.0f, sum->doubleValue());
  float first = 1.0f;
  for (int round = 0; round < 3; ++round) {
    inputs[4]->setValue(static_cast<float>(10 + round));
    EXPECT_FLOAT_EQ(first + 48.0f + 16.0f * (10 + round), sum->storedValue());
    first = static_cast<float>(round);
    inputs[0]->setValue(static_cast<float>(round));
    EXPECT_FLOAT_EQ(48.0f + round + 16.0f * (10 + round), sum->doubleValue());
  }
  // Without m3 its variable keeps the last value bound (4 * 8).
  sum->formulas()->removeDependency(middles[3]);
  inputs[1]->setValue(0.0f);
  EXPECT_FLOAT_EQ(2.0f + 12.0f + 32.0f + 16.0f * 12, sum->storedValue());
}

// Once a read has met a cycle it reuses nothing, not even a value that a
// driver remembered in an earlier read.
TEST(CostDriverPropagationTest, ReadAfterACycleReusesNoEarlierValue) {
  DoublePtr input(new CostDriverDouble("x"));
  input->setValue(1.0f);
  // Reads x without being told of its changes.
  DoublePtr unnotified = computedDouble("d", "x+1");
  unnotified->addDependency(input);
  DoublePtr reader = computedDouble("c", "d*2");
  reader->addDependency(unnotified);
  DoublePtr e = computedDouble("e", "f+1");
  DoublePtr f = computedDouble("f", "e+1");
  e->addDependency(f);
  f->addDependency(e);
  EXPECT_FLOAT_EQ(4.0f, reader->doubleValue());
  input->setValue(5.0f);
  {
    VelkData::DriverReadScope read;
    EXPECT_THROW(e->doubleValue(), NoFormulaResultException);
    EXPECT_FLOAT_EQ(12.0f, reader->doubleValue());
  }
  e->formulas()->removeAllDependencies();
  f->formulas()->removeAllDependencies();
}

TEST(CostDriverPropagationTest, ContainerEvaluationComputesSharedDriversOnce) {
  CountingSession session;
  Lattice lattice(8, &session);
  FormulaContainer cost;
  cost.addFormula("L8a*L8b");
  cost.addDependency(lattice.all[14]);
  cost.addDependency(lattice.all[15]);
  EXPECT_DOUBLE_EQ(4.0, cost.evalFormulaDouble());
  EXPECT_EQ(16, session.total());
}

// A change that does not notify (an int set without notification) must be
// seen by the next read: nothing computed in one read outlives it.
TEST(CostDriverPropagationTest, ReadsDoNotReuseValuesOfEarlierReads) {
  DriverGraph graph;
  boost::shared_ptr<CostDriverInt> count(new CostDriverInt("n"));
  count->setValue(2);
  DoublePtr twice = computedDouble("t", "n*2");
  DoublePtr sum = computedDouble("s", "t+t+n");
  graph.link(count, twice);
  graph.link(count, sum);
  graph.link(twice, sum);
  EXPECT_FLOAT_EQ(10.0f, sum->doubleValue());
  count->setValue(3);
  EXPECT_FLOAT_EQ(15.0f, sum->doubleValue());
  count->formulas()->addFormula("4");
  count->resetValue();
  EXPECT_FLOAT_EQ(20.0f, sum->doubleValue());
}

// A driver whose first re-evaluation sets another driver: what was computed
// before that nested change is stale for the rest of the outer change.
class PushingDriver : public CostDriverDouble {
 public:
  PushingDriver(const std::string& id, const DoublePtr& target)
      : CostDriverDouble(id), target_(target), pushed_(false) {}
  void reEvaluateFormula() override {
    CostDriverDouble::reEvaluateFormula();
    if (pushed_) return;
    pushed_ = true;
    target_->setValue(doubleValue() * 100.0f);
  }

 private:
  DoublePtr target_;
  bool pushed_;
};

TEST(CostDriverPropagationTest, NestedChangeIsSeenByTheRestOfTheChange) {
  DriverGraph graph;
  DoublePtr input(new CostDriverDouble("in"));
  input->setValue(0.0f);
  DoublePtr side(new CostDriverDouble("side"));
  side->setValue(1.0f);
  DoublePtr early = computedDouble("early", "side+0");
  boost::shared_ptr<PushingDriver> pusher(new PushingDriver("p", side));
  pusher->formulas()->addFormula("in+early");
  DoublePtr late = computedDouble("late", "p+side");
  graph.link(input, pusher);
  graph.link(early, pusher);
  graph.link(side, early);
  graph.link(pusher, late);
  graph.link(side, late);

  // pusher computes 2+1 with early read as 1, then sets side to 300; that
  // change re-evaluates early, pusher and late from 300.
  input->setValue(2.0f);
  EXPECT_FLOAT_EQ(300.0f, side->doubleValue());
  EXPECT_FLOAT_EQ(300.0f, early->storedValue());
  EXPECT_FLOAT_EQ(302.0f, pusher->storedValue());
  EXPECT_FLOAT_EQ(602.0f, late->storedValue());
}

TEST(CostDriverPropagationTest, FailureEndsTheChangeWithItsMessage) {
  DriverGraph graph;
  DoublePtr s(new CostDriverDouble("s"));
  s->setValue(1.0f);
  DoublePtr a = computedDouble("a", "10/(s-s)");
  DoublePtr b = computedDouble("b", "s+1");
  DoublePtr t = computedDouble("t", "a+b");
  graph.link(s, a);
  graph.link(s, b);
  graph.link(a, t);
  graph.link(b, t);

  EXPECT_THROW_MSG(s->setValue(2.0f), NoFormulaResultException,
                   "NoFormulaResultException when setting parameters for "
                   "formula 10/(s-s): MathError in formula 10/((s = 2)-(s = "
                   "2))");
  // Reading the join fails with the nested message, every time.
  const std::string message =
      "NoFormulaResultException when setting parameters for formula a+b: "
      "NoFormulaResultException when setting parameters for formula "
      "10/(s-s): MathError in formula 10/((s = 2)-(s = 2))";
  EXPECT_THROW_MSG(t->doubleValue(), NoFormulaResultException, message);
  EXPECT_THROW_MSG(t->doubleValue(), NoFormulaResultException, message);
}

// The unmatched result of an enumeration is reported where it is computed,
// on the notification path as on a read, and once per change however many
// drivers read it.
TEST(CostDriverPropagationTest, UnmatchedEnumerationResultIsReportedOnce) {
  DriverGraph graph;
  DoublePtr size(new CostDriverDouble("size"));
  size->setValue(1.0f);
  boost::shared_ptr<CostDriverEnum> grade(new CostDriverEnum("grade"));
  grade->setValues({10.0f, 20.0f}, {"small", "large"});
  grade->formulas()->addFormula("size*10");
  DoublePtr left = computedDouble("left", "grade+1");
  DoublePtr right = computedDouble("right", "grade+2");
  DoublePtr both = computedDouble("both", "left+right");
  graph.link(size, grade);
  graph.link(grade, left);
  graph.link(grade, right);
  graph.link(left, both);
  graph.link(right, both);

  {
    DebugCapture log;
    size->setValue(2.0f);
    EXPECT_EQ("", log.joined());
    EXPECT_EQ(1, grade->currentIndex());
  }
  {
    DebugCapture log;
    size->setValue(3.0f);
    EXPECT_EQ(
        "UnknownResultError for cost driver grade and value 30.000000 "
        "(Formula: size*10)\n",
        log.joined());
    // The entry stays as it was.
    EXPECT_EQ(1, grade->currentIndex());
    EXPECT_FLOAT_EQ(63.0f, both->storedValue());
  }
  {
    DebugCapture log;
    EXPECT_FLOAT_EQ(63.0f, both->doubleValue());
    EXPECT_EQ(1u, log.lines().size());
  }
}

TEST(CostDriverPropagationTest, UnmatchedBooleanResultIsReportedOncePerRead) {
  DriverGraph graph;
  boost::shared_ptr<CostDriverBool> flag(new CostDriverBool("flag"));
  flag->formulas()->addFormula("0.5");
  DoublePtr left = computedDouble("left", "flag+1");
  DoublePtr right = computedDouble("right", "flag+2");
  DoublePtr both = computedDouble("both", "left+right");
  graph.link(flag, left);
  graph.link(flag, right);
  graph.link(left, both);
  graph.link(right, both);

  for (int read = 0; read < 2; ++read) {
    DebugCapture log;
    EXPECT_FLOAT_EQ(3.0f, both->doubleValue());
    EXPECT_EQ(
        "UnknownFormulaResultException for cost driver flag and value "
        "0.500000. Formula is 0.5",
        log.joined());
  }
}

// A chain of drivers that all read the one below them through one shared
// compiled formula "c+1": every driver has the id "c", which is all a
// binding needs, and a hundred thousand formulas need not be compiled.
class Chain {
 public:
  explicit Chain(int length) : bottom(new CostDriverDouble("c")) {
    bottom->setValue(0.0f);
    FormulaContainer shared;
    shared.addFormula("c+1");
    drivers.push_back(bottom);
    for (int i = 1; i <= length; ++i) {
      DoublePtr d(new CostDriverDouble("c"));
      *d->formulas() = shared;
      graph.link(drivers.back(), d);
      drivers.push_back(d);
    }
  }

  DriverGraph graph;
  DoublePtr bottom;
  std::vector<DoublePtr> drivers;
};

// Long chains used to exhaust the stack: reading and notifying recursed
// once per driver.
TEST(CostDriverPropagationTest, LongChainReadsAndChangesWithoutRecursion) {
  const int length = 100000;
  Chain chain(length);
  EXPECT_FLOAT_EQ(static_cast<float>(length), chain.drivers[length]->doubleValue());

  chain.bottom->setValue(5.0f);
  EXPECT_FLOAT_EQ(static_cast<float>(length + 5),
                  chain.drivers[length]->storedValue());
  EXPECT_FLOAT_EQ(static_cast<float>(length / 2 + 5),
                  chain.drivers[length / 2]->storedValue());
}

// Runs `body` on a thread with a small stack, so that recursion along a
// chain shows as a crash long before the chain is as long as a real one.
void onSmallStack(void (*body)()) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  auto run = [](void* f) -> void* {
    reinterpret_cast<void (*)()>(f)();
    return nullptr;
  };
  ASSERT_EQ(0, pthread_create(&thread, &attributes, run,
                              reinterpret_cast<void*>(body)));
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

// A failure at the bottom travels up as a message nested once per level,
// so the chain is kept short enough for that message.
TEST(CostDriverPropagationTest, FailureAtTheBottomOfAChainNeedsNoRecursion) {
  onSmallStack([] {
    const int length = 1000;
    Chain chain(length);
    chain.bottom->resetValue();
    chain.bottom->formulas()->addFormula("undefinedLength*2");
    const std::string innermost =
        "NoFormulaResultException when setting parameters for formula "
        "undefinedLength*2: Variable undefinedLength in formula "
        "undefinedLength*2 is undefined.\n";
    const std::string level =
        "NoFormulaResultException when setting parameters for formula c+1: ";
    std::string message;
    try {
      chain.drivers[length]->doubleValue();
    } catch (const NoFormulaResultException& e) {
      message = e.message();
    }
    ASSERT_EQ(length * level.size() + innermost.size(), message.size());
    EXPECT_EQ(level, message.substr(0, level.size()));
    EXPECT_EQ(innermost, message.substr(message.size() - innermost.size()));


    chain.bottom->setValue(1.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(length + 1),
                    chain.drivers[length]->storedValue());
  });
}

// A change remembers which drivers it reaches; links made or undone and
// containers replaced between changes must be seen by the next change.
TEST(CostDriverPropagationTest, ChangeFollowsTheGraphAsItIsNow) {
  std::string order;
  DriverGraph graph;
  DoublePtr s(new CostDriverDouble("s"));
  s->setValue(1.0f);
  DoublePtr a(new RecordingDriver("a", &order));
  a->formulas()->addFormula("s+1");
  DoublePtr b(new RecordingDriver("b", &order));
  b->formulas()->addFormula("s+2");
  graph.link(s, a);
  s->setValue(2.0f);
  EXPECT_EQ("a", order);

  graph.link(s, b);
  order.clear();
  s->setValue(3.0f);
  EXPECT_EQ("a b", order);
  EXPECT_FLOAT_EQ(5.0f, b->storedValue());

  s->formulas()->removeHasImpactOn(a);
  order.clear();
  s->setValue(4.0f);
  EXPECT_EQ("b", order);
  EXPECT_FLOAT_EQ(4.0f, a->storedValue());

  // b now computes from a container of its own that passes on to a.
  boost::shared_ptr<FormulaContainer> fresh(new FormulaContainer);
  fresh->addFormula("s*10");
  fresh->addDependency(s);
  fresh->addHasImpactOn(a);
  b->setFormulaContainer(fresh);
  order.clear();
  s->setValue(5.0f);
  EXPECT_EQ("b a", order);
  EXPECT_FLOAT_EQ(50.0f, b->storedValue());
  EXPECT_FLOAT_EQ(6.0f, a->storedValue());

  // A dependent that no longer exists drops out of the change.
  {
    DoublePtr gone(new RecordingDriver("gone", &order));
    gone->formulas()->addFormula("s");
    gone->addDependency(s);
    s->addHasImpactOn(gone);
    order.clear();
    s->setValue(6.0f);
    EXPECT_EQ("b a gone", order);
  }
  order.clear();
  s->setValue(7.0f);
  EXPECT_EQ("b a", order);
}

// On its first re-evaluation, unlinks and drops one driver of the change
// under way and links a new one.
class RewiringDriver : public RecordingDriver {
 public:
  RewiringDriver(const std::string& id, std::string* log)
      : RecordingDriver(id, log) {}
  void reEvaluateFormula() override {
    RecordingDriver::reEvaluateFormula();
    if (!rewire) return;
    const std::function<void()> once = rewire;
    rewire = nullptr;
    once();
  }
  std::function<void()> rewire;
};

TEST(CostDriverPropagationTest, GraphChangedDuringAChangeIsSafe) {
  std::string order;
  DriverGraph graph;
  DoublePtr s(new CostDriverDouble("s"));
  s->setValue(1.0f);
  boost::shared_ptr<RewiringDriver> x(new RewiringDriver("x", &order));
  x->formulas()->addFormula("s+1");
  // Held only here, so that dropping it destroys it.
  DoublePtr y(new RecordingDriver("y", &order));
  y->formulas()->addFormula("s+2");
  DoublePtr z(new RecordingDriver("z", &order));
  z->formulas()->addFormula("x*10");
  DoublePtr w(new RecordingDriver("w", &order));
  w->formulas()->addFormula("x*100");
  graph.link(s, x);
  y->addDependency(s);
  s->addHasImpactOn(y);
  graph.link(x, z);
  y->addHasImpactOn(z);

  s->setValue(2.0f);
  EXPECT_EQ("x y z", order);

  x->rewire = [&] {
    s->formulas()->removeHasImpactOn(y);
    y.reset();
    graph.link(x, w);
  };
  order.clear();
  s->setValue(3.0f);
  // y no longer exists when its turn comes; w was linked after the change
  // began and is not part of it.
  EXPECT_EQ("x z", order);
  EXPECT_FLOAT_EQ(40.0f, z->storedValue());
  EXPECT_FLOAT_EQ(0.0f, w->storedValue());

  order.clear();
  s->setValue(4.0f);
  EXPECT_EQ("x z w", order);
  EXPECT_FLOAT_EQ(500.0f, w->storedValue());
}

using velktest::HookSession;

// A read walks the upstream graph first; a driver read on the way may
// change the graph, even drop drivers the walk has still to finish.
TEST(CostDriverPropagationTest, GraphChangedDuringAReadIsSafe) {
  HookSession session;
  DoublePtr top = computedDouble("top", "5");
  DoublePtr b = computedDouble("b", "a+c+1");
  DoublePtr a = computedDouble("a", "Norix_hook");
  a->formulas()->setQorSession(&session);
  DoublePtr c = computedDouble("c", "2");
  top->addDependency(b);
  b->addDependency(a);
  b->addDependency(c);
  // Only top keeps b, and b keeps c: reading a drops both while the walk
  // still has b to finish.
  b.reset();
  c.reset();

  session.hook = [&] { top->formulas()->removeAllDependencies(); };
  EXPECT_FLOAT_EQ(5.0f, top->doubleValue());
  EXPECT_EQ(0, top->formulas()->dependencyCount());
  EXPECT_FLOAT_EQ(1.0f, a->doubleValue());
}

}  // namespace
