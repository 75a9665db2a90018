#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "costdata/CostDriverDouble.h"
#include "external/XoloClient.h"
#include "external/XoloExceptions.h"
#include "formula/FormulaContainer.h"
#include "processplan/PartFeature.h"
#include "support/HookSession.h"
#include "support/TestUtil.h"

namespace {

using VelkCOM::NorixError;
using VelkCOM::NorixNameNotFound;
using VelkCOM::XoloClient;
using VelkData::CostDriver;
using VelkData::CostDriverDouble;
using VelkData::FormulaContainer;
using VelkData::NoFormulaResultException;

// A session that knows a few values and stages and records what it was
// asked. A name in `failAfter` is answered that many times, then forgotten.
class FakeSession : public XoloClient {
 public:
  double GetDataByName(const std::string& name, int stage) override {
    asked.push_back(name + "@" + std::to_string(stage));
    std::map<std::string, int>::iterator limit = failAfter.find(name);
    if (limit != failAfter.end() && limit->second-- <= 0) {
      throw NorixNameNotFound(name);
    }
    std::map<std::string, double>::const_iterator it = values.find(name);
    if (it == values.end()) throw NorixNameNotFound(name);
    return it->second;
  }
  std::string GetStringDataByName(const std::string& formula,
                                  int stage) override {
    return "text of " + formula + "@" + std::to_string(stage);
  }
  void StageTags(
      std::vector<std::pair<int, std::string>>& tags) const override {
    tags.emplace_back(10, "OP10");
    tags.emplace_back(20, "OP20");
    tags.emplace_back(30, "OP10");
  }

  std::map<std::string, double> values;
  std::map<std::string, int> failAfter;
  std::vector<std::string> asked;
};

// A feature with measures and a name, as a recognised curve has them.
class Curve : public TamberData::PartFeature {
 public:
  std::string label() const override { return "Hole 4"; }
  double length() const override { return 12.5; }
};

// Every test leaves the process-wide session as it found it, whatever it
// installs, so the order of the tests never matters.
class FormulaContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = XoloClient::getInstance();
    XoloClient::setInstance(nullptr);
  }
  void TearDown() override { XoloClient::setInstance(saved_); }

  // Has-impact-on entries are weak; the drivers made here are kept to the
  // end of the run, as their owners would keep them.
  static boost::shared_ptr<CostDriverDouble> driver(const std::string& id,
                                                    float value) {
    static std::vector<boost::shared_ptr<CostDriverDouble>> owners;
    boost::shared_ptr<CostDriverDouble> d =
        boost::make_shared<CostDriverDouble>(id);
    d->setValue(value);
    owners.push_back(d);
    return d;
  }

  // The message of the NoFormulaResultException that evaluating throws.
  static std::string failure(FormulaContainer& c) {
    try {
      double value = c.evalFormulaDouble();
      return "no exception, value " + FormulaContainer::toString(value);
    } catch (const NoFormulaResultException& e) {
      return e.message();
    }
  }

 private:
  XoloClient* saved_ = nullptr;
};

TEST_F(FormulaContainerTest, EmptyContainerGivesNeutralAnswers) {
  FormulaContainer c;
  EXPECT_EQ(0.0, c.evalFormulaDouble());
  EXPECT_EQ("", c.evalFormulaString());
  EXPECT_EQ("No formula defined", c.recentFormula());
  EXPECT_EQ(-1, c.qorStage());
  EXPECT_EQ("", c.formulaAt(0));
  EXPECT_FALSE(c.getFormulaAt(0));
  EXPECT_FALSE(c.dependencyAt(-1));
}

TEST_F(FormulaContainerTest, AddFormulaIgnoresEmptyTextAndRejectsBadSyntax) {
  FormulaContainer c;
  c.addFormula("");
  EXPECT_EQ(0, c.formulaCount());
  EXPECT_THROW(c.addFormula("2*"), SyntaxError);
  EXPECT_EQ(0, c.formulaCount());
  EXPECT_EQ(0, c.compiledFormulaCount());
  c.addFormula("1+1");
  c.addFormula("x");
  EXPECT_EQ("1+1; x", c.printFormulaStrings());
}

TEST_F(FormulaContainerTest, StringContainerAnswersFirstTextOnly) {
  FormulaContainer c;
  c.addFormulaString("steel");
  c.addFormulaString("cast iron");
  EXPECT_EQ("steel", c.evalFormulaString());
  EXPECT_EQ("steel", c.recentFormula());
}

TEST_F(FormulaContainerTest, FailingFormulaFallsThroughToNextOne) {
  FormulaContainer c;
  c.addFormula("x+1");
  c.addFormula("5");
  EXPECT_EQ(5.0, c.evalFormulaDouble());
  EXPECT_EQ("5", c.recentFormula());
}

TEST_F(FormulaContainerTest, SingleFormulaFailureExplainsItself) {
  struct Case {
    std::string text;
    bool withDependency;
    std::string message;
  };
  const std::string prefix =
      "NoFormulaResultException when setting parameters for formula ";
  const Case cases[] = {
      {"x+1", false, prefix + "x+1: Variable x in formula x+1 is undefined.\n"},
      {"x+a", true,
       prefix + "x+a: Variable x in formula x+a is undefined.\n"
                "FormulaContainer are: \na\n"},
      {"10/(a-a)", true,
       prefix + "10/(a-a): MathError in formula 10/((a = 3)-(a = 3))"},
      {"foo(1)", false, prefix + "foo(1): Could not find function foo"},
      {"2(3)", false, prefix + "2(3): StackUnderflow"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    FormulaContainer c;
    if (k.withDependency) c.addDependency(driver("a", 3));
    c.addFormula(k.text);
    EXPECT_EQ(k.message, failure(c));
    EXPECT_EQ(k.text, c.recentFormula());
  }
}

TEST_F(FormulaContainerTest, AllAlternativesFailingAreCounted) {
  FormulaContainer c;
  c.addFormula("x");
  c.addFormula("1/0");
  EXPECT_EQ("Could not evaluate any of the 2 formula", failure(c));
  EXPECT_EQ("No formula defined", c.recentFormula());
}

TEST_F(FormulaContainerTest, DriverValuesBindByIdInListOrder) {
  FormulaContainer c;
  c.addDependency(driver("a", 2));
  c.addDependency(driver("b", 0.5f));
  c.addFormula("a*10+b");
  EXPECT_EQ(20.5, c.evalFormulaDouble());
  // A later driver with the same id takes the place of the earlier one.
  c.addDependency(driver("a", 4));
  EXPECT_EQ(2, c.dependencyCount());
  EXPECT_EQ("a", c.dependencyAt(1)->id());
  EXPECT_EQ(40.5, c.evalFormulaDouble());
}

TEST_F(FormulaContainerTest, MathErrorShowsUndefinedForUnreadableDriver) {
  // "b" reads a session value that is gone by the time the message is
  // written, so its value cannot be shown.
  FakeSession session;
  session.values["Norix_b"] = 2;
  session.failAfter["Norix_b"] = 1;
  boost::shared_ptr<CostDriverDouble> b =
      boost::make_shared<CostDriverDouble>("b");
  b->formulas()->setQorSession(&session);
  b->formulas()->addFormula("Norix_b");

  FormulaContainer c;
  c.addDependency(driver("a", 3));
  c.addDependency(b);
  c.addFormula("b/(a-a)");
  velktest::DebugCapture debug;
  EXPECT_EQ(
      "NoFormulaResultException when setting parameters for formula "
      "b/(a-a): MathError in formula (b = UNDEFINED )/((a = 3)-(a = 3))",
      failure(c));
  EXPECT_EQ(
      "NorixNameNotFound for name Norix_b in formula Norix_b: "
      "Name not found: Norix_b",
      debug.joined());
}

TEST_F(FormulaContainerTest, NorixNamesBindThroughInstalledSession) {
  FakeSession session;
  session.values["Norix_GGdepth"] = 4;
  session.values["Norix_PAx"] = 0.5;
  XoloClient::setInstance(&session);

  FormulaContainer c;
  c.setQorStage(7);
  c.addFormula("Norix_GGdepth*Norix_GGdepth+Norix_PAx");
  EXPECT_EQ(16.5, c.evalFormulaDouble());
  EXPECT_EQ(&session, c.QorSession());
  const std::vector<std::string> expected = {"Norix_GGdepth@7",
                                             "Norix_GGdepth@7", "Norix_PAx@7"};
  EXPECT_EQ(expected, session.asked);
}

// The names to ask the session for are found once per text, so every way
// of changing a text must make them be found again.
TEST_F(FormulaContainerTest, NorixNamesFollowEveryChangeOfTheTexts) {
  FakeSession session;
  session.values["Norix_a"] = 1;
  session.values["Norix_b"] = 2;
  session.values["Norix_bb"] = 30;
  FormulaContainer c;
  c.setQorSession(&session);
  c.addFormula("Norix_a+1");
  EXPECT_EQ(2, c.evalFormulaDouble());

  c.setFormulaAt(0, "Norix_b*10");
  EXPECT_EQ(20, c.evalFormulaDouble());
  c.replaceInFormulaAt(0, "Norix_b", "Norix_bb");
  EXPECT_EQ(300, c.evalFormulaDouble());
  c.setFormulaAt(0, "5");
  EXPECT_EQ(5, c.evalFormulaDouble());
  const std::vector<std::string> asked = {"Norix_a@-1", "Norix_b@-1",
                                          "Norix_bb@-1"};
  EXPECT_EQ(asked, session.asked);

  // A text list replaced without compiling: the names go with the texts.
  c.deleteFormulaStrings();
  c.addFormulaString("Norix_missing");
  EXPECT_EQ(
      "NorixNameNotFound when setting parameters for formula Norix_missing: "
      "Name not found: Norix_missing",
      failure(c));

  // A copy and a clone find the names of their own texts.
  FormulaContainer withNames;
  withNames.setQorSession(&session);
  withNames.addFormula("Norix_a+Norix_b");
  EXPECT_EQ(3, withNames.evalFormulaDouble());
  FormulaContainer assigned;
  assigned.addFormula("7");
  EXPECT_EQ(7, assigned.evalFormulaDouble());
  assigned = withNames;
  EXPECT_EQ(3, assigned.evalFormulaDouble());
  boost::shared_ptr<FormulaContainer> target =
      boost::make_shared<FormulaContainer>();
  target->addFormula("8");
  EXPECT_EQ(8, target->evalFormulaDouble());
  withNames.copyTo(target);
  EXPECT_EQ(3, target->evalFormulaDouble());
}

TEST_F(FormulaContainerTest, NorixNameWithoutSessionFails) {
  FormulaContainer c;
  c.addFormula("Norix_x*2");
  EXPECT_EQ(
      "NorixError when setting parameters for formula Norix_x*2: "
      "QorSession is not set when trying to set formulaNorix_x*2",
      failure(c));
  EXPECT_EQ(nullptr, c.QorSession());

  FormulaContainer plain;
  plain.addFormula("3*2");
  EXPECT_EQ(6.0, plain.evalFormulaDouble());
}

TEST_F(FormulaContainerTest, UnknownNorixNameIsLoggedAndReported) {
  FakeSession session;
  FormulaContainer c;
  c.setQorSession(&session);
  c.addFormula("Norix_zz+1");
  velktest::DebugCapture debug;
  EXPECT_EQ(
      "NorixNameNotFound when setting parameters for formula Norix_zz+1: "
      "Name not found: Norix_zz",
      failure(c));
  const std::vector<std::string> expected = {
      "NorixNameNotFound for name Norix_zz in formula Norix_zz+1: "
      "Name not found: Norix_zz"};
  EXPECT_EQ(expected, debug.lines());
}

TEST_F(FormulaContainerTest, EvalFormulaStringAsksOnlyAGivenSession) {
  FakeSession session;
  XoloClient::setInstance(&session);
  FormulaContainer c;
  c.addFormulaString("Norix_mat");
  EXPECT_THROW_MSG(c.evalFormulaString(), NorixError,
                   "QorSession is not set when trying to set formula "
                   "Norix_mat");
  c.setQorSession(&session);
  c.setQorStage(3);
  EXPECT_EQ("text of Norix_mat@3", c.evalFormulaString());
}

TEST_F(FormulaContainerTest, StageTagTakesLastMatchingStage) {
  FakeSession session;
  FormulaContainer c;
  c.setQorStage(5);
  c.setQorStage("OP20");
  EXPECT_EQ(-1, c.qorStage());  // no session yet
  c.setQorSession(&session);
  c.setQorStage("OP20");
  EXPECT_EQ(20, c.qorStage());
  c.setQorStage("OP10");
  EXPECT_EQ(30, c.qorStage());
  c.setQorStage("OP99");
  EXPECT_EQ(-1, c.qorStage());
}

TEST_F(FormulaContainerTest, PartFeatureParametersBindBySubstring) {
  boost::shared_ptr<Curve> curve = boost::make_shared<Curve>();
  curve->addParameterMapping("LENGTH", "L");
  curve->addParameterMapping("WIDTH", "W");
  FormulaContainer c;
  c.addPartFeatureDependency(curve);
  c.addFormula("L*2+W");
  EXPECT_EQ(25.0, c.evalFormulaDouble());

  // "L" occurs inside "LL", so L is bound although the formula never reads
  // it; LL itself stays undefined.
  FormulaContainer inside;
  inside.addPartFeatureDependency(curve);
  inside.addFormula("LL");
  inside.addFormula("L");
  EXPECT_EQ(12.5, inside.evalFormulaDouble());
  EXPECT_EQ("L", inside.recentFormula());
}

TEST_F(FormulaContainerTest, UnknownSystemParameterIsLoggedAndSkipped) {
  boost::shared_ptr<Curve> curve = boost::make_shared<Curve>();
  curve->addParameterMapping("BOGUS", "Q");
  curve->addParameterMapping("LENGTH", "L");
  curve->addParameterMapping("MISSING", "Z");  // not in the text: no lookup
  FormulaContainer c;
  c.addPartFeatureDependency(curve);
  c.addFormula("L+1");
  c.addFormula("Q+L");
  velktest::DebugCapture debug;
  EXPECT_EQ(13.5, c.evalFormulaDouble());
  EXPECT_TRUE(debug.lines().empty());

  c.setFormulaAt(0, "Q+L");
  EXPECT_EQ("Could not evaluate any of the 2 formula", failure(c));
  const std::vector<std::string> expected = {
      "TamberData::ValueNotFoundException: BOGUS\n",
      "Parameter BOGUS not defined for Feature Hole 4 and Formula: Q+L\n",
      "TamberData::ValueNotFoundException: BOGUS\n",
      "Parameter BOGUS not defined for Feature Hole 4 and Formula: Q+L\n"};
  EXPECT_EQ(expected, debug.lines());
}

TEST_F(FormulaContainerTest, DetailedRecentFormulaWritesValuesIn) {
  FakeSession session;
  session.values["Norix_a"] = 1;
  session.values["Norix_ab"] = 2;
  FormulaContainer c;
  c.setQorSession(&session);
  c.addDependency(driver("d", 3));
  c.addDependency(driver("e", 0.5f));
  c.addFormula("x");
  c.addFormula("d*e+Norix_a*Norix_ab+Norix_a");
  velktest::StdoutCapture out;
  EXPECT_EQ(
      "(d = 3)*(e = 0.5)+(Norix_a = 1)*(Norix_ab = 2)+(Norix_a = 1) = 4.5",
      c.detailedRecentFormula());
  EXPECT_EQ(
      "FormulaContainer Information\n"
      "d: String Value 3 Double Value 3\n"
      "e: String Value 0.5 Double Value 0.5\n",
      out.text());
}

TEST_F(FormulaContainerTest, DetailedRecentFormulaExplainsFailure) {
  FormulaContainer c;
  c.addDependency(driver("a", 3));
  c.addFormula("x+1");
  velktest::StdoutCapture out;
  EXPECT_EQ(
      "NoFormulaResultException (NoFormulaResultException when setting "
      "parameters for formula x+1: Variable x in formula x+1 is undefined.\n"
      "FormulaContainer are: \na\n) Could not evaluate formula x+1\n"
      "FormulaContainer are: \na\n",
      c.detailedRecentFormula());
}

TEST_F(FormulaContainerTest, CloneCompilesItsOwnFormulas) {
  FakeSession session;
  boost::shared_ptr<Curve> curve = boost::make_shared<Curve>();
  boost::shared_ptr<FormulaContainer> c =
      boost::make_shared<FormulaContainer>();
  c->addFormula("x+1");
  c->addDependency(driver("a", 1));
  c->addHasImpactOn(driver("h", 1));
  c->setQorSession(&session);
  c->setQorStage(4);
  c->addPartFeatureDependency(curve);

  boost::shared_ptr<FormulaContainer> clone = c->clone();
  ASSERT_EQ(1, clone->compiledFormulaCount());
  EXPECT_NE(c->getFormulaAt(0), clone->getFormulaAt(0));
  EXPECT_EQ("x+1", clone->formulaAt(0));
  EXPECT_EQ(c->dependencyAt(0), clone->dependencyAt(0));
  EXPECT_EQ(1u, clone->getHasImpactOnList().size());
  EXPECT_EQ(&session, clone->QorSession());
  EXPECT_EQ(4, clone->qorStage());
  EXPECT_EQ(curve, clone->partFeature());

  // A variable set by hand reaches only the formula it was set on.
  c->setVariableForFormulaAt(0, "x", 1);
  EXPECT_EQ(2.0, c->evalFormulaDouble());
  EXPECT_THROW(clone->evalFormulaDouble(), NoFormulaResultException);
  clone->setFormulaAt(0, "7");
  EXPECT_EQ("x+1", c->formulaAt(0));

  // A plain copy shares the compiled formula.
  FormulaContainer copy(*c);
  EXPECT_EQ(c->getFormulaAt(0), copy.getFormulaAt(0));
}

// A clone starts like a container compiled afresh, whatever the source's
// formula went through, even though it may run the source's program.
TEST_F(FormulaContainerTest, CloneBehavesAsIfCompiledAfresh) {
  boost::shared_ptr<FormulaContainer> c =
      boost::make_shared<FormulaContainer>();
  c->addFormula("a*10+b");
  const boost::shared_ptr<CostDriverDouble> a = driver("a", 2);
  c->addDependency(a);
  c->addDependency(driver("b", 1));
  EXPECT_EQ(21.0, c->evalFormulaDouble());

  // The source's bound values do not travel: without its driver "a" the
  // clone has no value for it.
  boost::shared_ptr<FormulaContainer> clone = c->clone();
  clone->removeDependency(a);
  EXPECT_EQ(
      "NoFormulaResultException when setting parameters for formula "
      "a*10+b: Variable a in formula a*10+b is undefined.\n"
      "FormulaContainer are: \nb\n",
      failure(*clone));
  clone->addDependency(driver("a", 5));
  EXPECT_EQ(51.0, clone->evalFormulaDouble());
  EXPECT_EQ(21.0, c->evalFormulaDouble());

  // Functions given to the source's formula by hand are not the clone's.
  c->getFormulaAt(0)->removeAllFunctions();
  c->setFormulaAt(0, "max(a,b)");
  EXPECT_EQ(2.0, c->evalFormulaDouble());
  c->getFormulaAt(0)->removeAllFunctions();
  EXPECT_EQ(2.0, c->clone()->evalFormulaDouble());

  // A formula given another text behind the container's back no longer
  // matches its text; the clone compiles the text.
  c->getFormulaAt(0)->setExpression("a-b");
  EXPECT_EQ(1.0, c->evalFormulaDouble());
  EXPECT_EQ(2.0, c->clone()->evalFormulaDouble());
  EXPECT_THROW(c->getFormulaAt(0)->setExpression("max(a,b"), SyntaxError);
  EXPECT_EQ(2.0, c->clone()->evalFormulaDouble());

  // Texts replaced without compiling are compiled by the clone, and a
  // text that does not compile fails the clone as it always did.
  c->deleteFormulaStrings();
  c->addFormulaString("a+b");
  EXPECT_EQ(3.0, c->clone()->evalFormulaDouble());
  c->deleteFormulaStrings();
  c->addFormulaString("a+");
  EXPECT_THROW(c->clone(), SyntaxError);
}

// Binding by name must find every driver however the list changes between
// evaluations: replaced drivers, removed ones, new ones in between.
TEST_F(FormulaContainerTest, BindingFollowsChangesOfTheDriverList) {
  FormulaContainer c;
  c.addFormula("a*100+b*10+c");
  c.addDependency(driver("a", 1));
  c.addDependency(driver("b", 2));
  c.addDependency(driver("c", 3));
  EXPECT_EQ(123.0, c.evalFormulaDouble());
  EXPECT_EQ(123.0, c.evalFormulaDouble());
  c.replaceDependencyIFAvailable(driver("b", 7));  // now a, c, b
  EXPECT_EQ(173.0, c.evalFormulaDouble());
  c.addDependency(driver("z", 9));
  c.addDependency(driver("a", 4));  // now c, b, z, a
  EXPECT_EQ(473.0, c.evalFormulaDouble());
  c.removeDependency(driver("c", 0));
  // The formula keeps the last value bound for "c".
  EXPECT_EQ(473.0, c.evalFormulaDouble());
  c.setVariableForFormulaAt(0, "c", 5);
  EXPECT_EQ(475.0, c.evalFormulaDouble());
  c.getFormulaAt(0)->removeVariable("c");
  EXPECT_EQ(
      "NoFormulaResultException when setting parameters for formula "
      "a*100+b*10+c: Variable c in formula a*100+b*10+c is undefined.\n"
      "FormulaContainer are: \nb\nz\na\n",
      failure(c));
  c.addDependency(driver("c", 8));
  EXPECT_EQ(478.0, c.evalFormulaDouble());
}

// The container keeps a variable handle per binding position; it must
// bind exactly as by name whatever happens to the formulas and drivers in
// between: renamed drivers, formulas edited through getFormulaAt, replaced
// or recompiled formulas, and all three sources binding in one round.
TEST_F(FormulaContainerTest, CachedBindingsFollowEveryEdit) {
  boost::shared_ptr<Curve> curve = boost::make_shared<Curve>();
  curve->addParameterMapping("LENGTH", "L");
  FakeSession session;
  session.values["Norix_t"] = 1000;
  FormulaContainer c;
  c.setQorSession(&session);
  c.addPartFeatureDependency(curve);
  c.addFormula("a*10+b+Norix_t+L");
  boost::shared_ptr<CostDriverDouble> x = driver("a", 1);
  boost::shared_ptr<CostDriverDouble> y = driver("b", 2);
  c.addDependency(x);
  c.addDependency(y);
  EXPECT_EQ(1024.5, c.evalFormulaDouble());
  EXPECT_EQ(1024.5, c.evalFormulaDouble());

  // The same positions now bind other names.
  x->setId("b");
  y->setId("a");
  EXPECT_EQ(1033.5, c.evalFormulaDouble());

  boost::shared_ptr<Formula> f = c.getFormulaAt(0);
  f->removeAllVariables();
  EXPECT_EQ(1033.5, c.evalFormulaDouble());
  f->setExpression("a-b+L");
  EXPECT_EQ(13.5, c.evalFormulaDouble());
  *f = Formula("a*b*L");
  EXPECT_EQ(25.0, c.evalFormulaDouble());
  c.setFormulaAt(0, "b-a+Norix_t");
  EXPECT_EQ(999.0, c.evalFormulaDouble());
  f->setVariable("a", 100);  // the replaced formula is not the container's
  EXPECT_EQ(999.0, c.evalFormulaDouble());

  // A variable the round no longer binds keeps its last value, and is
  // undefined once removed, as when binding by name.
  y->setId("z");
  EXPECT_EQ(999.0, c.evalFormulaDouble());
  c.getFormulaAt(0)->removeVariable("a");
  EXPECT_EQ(
      "NoFormulaResultException when setting parameters for formula "
      "b-a+Norix_t: Variable a in formula b-a+Norix_t is undefined.\n"
      "FormulaContainer are: \nb\nz\n",
      failure(c));
  y->setId("a");
  y->setValue(5);
  EXPECT_EQ(996.0, c.evalFormulaDouble());

  // Copies share the formulas, and with them the handles.
  FormulaContainer copy(c);
  x->setValue(7);
  EXPECT_EQ(1002.0, copy.evalFormulaDouble());
  EXPECT_EQ(1002.0, c.evalFormulaDouble());
}

using velktest::HookSession;

// Reading a dependency may run the host's code, which may edit the very
// list being bound or rename a driver of it; the rest of the round must
// bind by name, and so must the rounds after it.
TEST_F(FormulaContainerTest, BindingRoundFollowsEditsMadeWhileBinding) {
  HookSession session;
  boost::shared_ptr<CostDriverDouble> a =
      boost::make_shared<CostDriverDouble>("a");
  a->formulas()->addFormula("Norix_hook");
  a->formulas()->setQorSession(&session);
  boost::shared_ptr<CostDriverDouble> b = driver("b", 2);
  boost::shared_ptr<CostDriverDouble> c3 = driver("c", 3);
  FormulaContainer c;
  c.addFormula("a*100+b*10+c");
  c.addDependency(a);
  c.addDependency(b);
  c.addDependency(c3);
  EXPECT_EQ(123.0, c.evalFormulaDouble());
  EXPECT_EQ(123.0, c.evalFormulaDouble());

  session.hook = [&] {
    c.removeDependency(b);
    c.addDependency(driver("x", 5));
    c.addDependency(driver("b", 7));  // now a, c, x, b
  };
  EXPECT_EQ(173.0, c.evalFormulaDouble());
  EXPECT_EQ(173.0, c.evalFormulaDouble());

  // Renamed while the round runs: the formula no longer reads that driver,
  // and "c" keeps the value bound last.
  session.hook = [&] { c3->setId("q"); };
  EXPECT_EQ(173.0, c.evalFormulaDouble());
  c3->setValue(9);
  EXPECT_EQ(173.0, c.evalFormulaDouble());
  EXPECT_EQ(173.0, c.evalFormulaDouble());
  c3->setId("c");
  EXPECT_EQ(179.0, c.evalFormulaDouble());
}

// Alternatives keep their rounds apart: a failing first formula must not
// disturb the bindings of the second.
TEST_F(FormulaContainerTest, AlternativesBindThroughTheirOwnHandles) {
  FormulaContainer c;
  c.addFormula("a+b+missing");
  c.addFormula("b*10+a");
  boost::shared_ptr<CostDriverDouble> a = driver("a", 1);
  boost::shared_ptr<CostDriverDouble> b = driver("b", 2);
  c.addDependency(a);
  c.addDependency(b);
  for (int i = 0; i < 3; ++i) {
    a->setValue(i);
    EXPECT_EQ(20.0 + i, c.evalFormulaDouble());
    EXPECT_EQ("b*10+a", c.recentFormula());
  }
  c.setVariableForFormulaAt(0, "missing", 100);
  EXPECT_EQ(104.0, c.evalFormulaDouble());
  c.removeDependency(a);
  c.addDependency(a);  // now b, a
  a->setValue(3);
  EXPECT_EQ(105.0, c.evalFormulaDouble());
}

TEST_F(FormulaContainerTest, CloneOfTextContainerCompilesNothing) {
  boost::shared_ptr<FormulaContainer> c =
      boost::make_shared<FormulaContainer>();
  c->addFormulaString("cast iron");
  boost::shared_ptr<FormulaContainer> clone = c->clone();
  EXPECT_EQ(0, clone->compiledFormulaCount());
  EXPECT_EQ("cast iron", clone->evalFormulaString());
}

TEST_F(FormulaContainerTest, ReplaceInFormulaScansOnBehindInsertedText) {
  FormulaContainer c;
  c.addFormula("a+ba");
  c.replaceInFormulaAt(0, "a", "aa");
  EXPECT_EQ("aa+baa", c.formulaAt(0));

  c.addDependency(driver("CD_OP_02", 2));
  c.addDependency(driver("CD_PR_PI", 5));
  c.addFormula("CD_OP_02*10");
  c.replaceInFormulaAt(1, "CD_OP_02", "(CD_OP_02+3*CD_PR_PI)");
  EXPECT_EQ("(CD_OP_02+3*CD_PR_PI)*10", c.formulaAt(1));
  c.setFormulaAt(0, "x");  // recompiled text, not only the string
  EXPECT_EQ(170.0, c.evalFormulaDouble());

  c.replaceInFormulaAt(5, "a", "b");
  c.replaceInFormulaAt(1, "", "b");
  EXPECT_EQ("x; (CD_OP_02+3*CD_PR_PI)*10", c.printFormulaStrings());
}

TEST_F(FormulaContainerTest, SetFormulaAtBeyondListAppendsAWorkingFormula) {
  FormulaContainer c;
  c.addFormula("x");
  c.setFormulaAt(3, "4");
  c.setFormulaAt(-1, "5");
  c.setFormulaAt(0, "");
  ASSERT_EQ(2, c.formulaCount());
  EXPECT_EQ("x", c.formulaAt(0));
  EXPECT_EQ(4.0, c.evalFormulaDouble());
}

TEST_F(FormulaContainerTest, DependencyListsMatchById) {
  FormulaContainer c;
  c.replaceDependencyIFAvailable(driver("a", 1));
  EXPECT_EQ(0, c.dependencyCount());
  c.addDependency(driver("a", 1));
  c.addDependency(driver("b", 2));
  boost::shared_ptr<CostDriverDouble> newA = driver("a", 9);
  c.replaceDependencyIFAvailable(newA);
  ASSERT_EQ(2, c.dependencyCount());
  EXPECT_EQ(newA, c.dependencyAt(1));
  c.removeDependency(driver("b", 0));
  ASSERT_EQ(1, c.dependencyCount());
  EXPECT_EQ("a", c.dependencyAt(0)->id());
  EXPECT_FALSE(c.dependencyAt(1));

  c.addHasImpactOn(driver("h", 1));
  c.addHasImpactOn(driver("h", 2));
  c.addHasImpactOn(driver("k", 2));
  std::vector<boost::shared_ptr<CostDriver>> list = c.getHasImpactOnList();
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ("k", list[1]->id());
  c.removeHasImpactOn(driver("h", 0));
  EXPECT_EQ(1u, c.getHasImpactOnList().size());
  EXPECT_EQ(2u, list.size());
}

TEST_F(FormulaContainerTest, StaticHelpers) {
  const std::pair<double, const char*> numbers[] = {
      {0.1, "0.1"},   {2.5, "2.5"},   {1.0 / 3, "0.333333"},
      {2, "2"},       {1e7, "1e+07"}, {123456789, "1.23457e+08"},
      {-0.5, "-0.5"}, {0.1f, "0.1"}};
  for (const auto& n : numbers) {
    SCOPED_TRACE(n.second);
    EXPECT_EQ(n.second, FormulaContainer::toString(n.first));
  }
  bool ok = false;
  EXPECT_EQ(2.5, FormulaContainer::toDouble(" 2.5mm", &ok));
  EXPECT_TRUE(ok);
  EXPECT_EQ(0.0, FormulaContainer::toDouble("mm", &ok));
  EXPECT_FALSE(ok);
  EXPECT_EQ(-3.0, FormulaContainer::toDouble("-3"));
  EXPECT_TRUE(FormulaContainer::isLetterOrNumber("a+"));
  EXPECT_TRUE(FormulaContainer::isLetterOrNumber("7"));
  EXPECT_FALSE(FormulaContainer::isLetterOrNumber("_x"));
  EXPECT_FALSE(FormulaContainer::isLetterOrNumber(""));
  EXPECT_EQ("Norix_", FormulaContainer::norixKeyPrefix());
}

}  // namespace
