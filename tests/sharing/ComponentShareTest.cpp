#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "costdata/Component.h"
#include "costdata/CostDriverDouble.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "sharing/SharingSupport.h"
#include "sharing/componentShareRelationship.h"
#include "support/TestUtil.h"

namespace TamberData {
namespace {

using VelkData::componentShareRelationship;
using VelkData::CostDriver;
using VelkData::NoFormulaResultException;
using velktest::component;
using velktest::ComponentList;
using velktest::ComponentPtr;
using velktest::OperationPtr;

typedef boost::shared_ptr<componentShareRelationship> RelationshipPtr;

const char kIllegal[] =
    "ERROR: component merge carried out with illegal parameter\n";

// A relationship over `inputs` whose result is the first input, built field
// by field as a host would.
RelationshipPtr relationship(const ComponentList& inputs,
                             const std::vector<int>& modes,
                             const std::string& label = "REL_TEST") {
  RelationshipPtr r(new componentShareRelationship);
  r->label = label;
  r->inputComponents = inputs;
  r->sharedComponent = inputs.front();
  r->mergeModes = modes;
  return r;
}

// Components of one parameter with the given formulas, named A, B, C... and
// each on an operation OP1, OP2, ... of its own.
ComponentList inputs(const std::vector<std::string>& formulas,
                     std::vector<OperationPtr>* operations = nullptr) {
  ComponentList list;
  for (std::size_t i = 0; i < formulas.size(); ++i) {
    const std::string name(1, static_cast<char>('A' + i));
    ComponentPtr c = component("CT_300_00", {formulas[i]}, name);
    c->parameterAt(0)->setLabel("from " + name);
    OperationPtr op = velktest::operation("OP" + std::to_string(i + 1));
    c->setOperation(op);
    if (operations) operations->push_back(op);
    list.push_back(c);
  }
  return list;
}

// The label of parameter 0, which tells the input it was copied from.
std::string source(const Component& c) {
  return c.parameterAt(0) ? c.parameterAt(0)->label() : "(none)";
}

TEST(ComponentShareTest, WithoutRelationshipCopiesTheFirstComponent) {
  ComponentPtr first = component("CT_120_00", {"11", "12", "13"}, "Shoe");
  first->Deactivate();
  first->SetNoDBMatchFlag("no slot");
  ComponentPtr second = component("CT_121_00", {"21", "22"});

  Component shared(RelationshipPtr(), {first, second});

  EXPECT_EQ("Shoe", shared.label());
  EXPECT_EQ("CT_120_00", shared.getComponentKey());
  EXPECT_EQ(0, shared.state());
  EXPECT_FALSE(shared.noDBMatch());
  ASSERT_EQ(3, shared.parameterCount());
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_NE(first->parameterAt(k), shared.parameterAt(k));
    EXPECT_EQ(first->parameterAt(k)->id(), shared.parameterAt(k)->id());
    EXPECT_FLOAT_EQ(11.0f + k, shared.parameterAt(k)->doubleValue());
    EXPECT_EQ(first->roundingRuleAt(k), shared.roundingRuleAt(k));
    EXPECT_DOUBLE_EQ(k, shared.standardMinAt(k));
    EXPECT_DOUBLE_EQ(k * 100.0, shared.standardMaxAt(k));
  }
  // A clone, not the same driver: changing the copy leaves the input alone.
  shared.parameterAt(0)->setValue(99.0f);
  EXPECT_FLOAT_EQ(11.0f, first->parameterAt(0)->doubleValue());
}

TEST(ComponentShareTest, NoComponentsGiveTheEmptyComponent) {
  ComponentList none;
  Component plain(RelationshipPtr(), none);
  Component withRelationship(
      relationship({component("CT_300_00", {"1"})}, {2}), none);
  for (const Component* c : {&plain, &withRelationship}) {
    EXPECT_EQ("", c->getComponentKey());
    EXPECT_EQ("", c->label());
    EXPECT_EQ(0, c->parameterCount());
    EXPECT_TRUE(c->isReferenceComponent());
  }
}

TEST(ComponentShareTest, IdentityAndParameterCountComeFromTheSharedComponent) {
  ComponentList list = inputs({"1", "2"});
  RelationshipPtr r = relationship(list, {3, 3});
  r->sharedComponent = component("CT_301_05", {"7", "8"}, "Upper shoe");

  velktest::StdoutCapture out;
  Component shared(r, list);
  EXPECT_EQ("Upper shoe", shared.label());
  EXPECT_EQ("CT_301_05", shared.getComponentKey());
  // Parameter 1 is missing on the inputs: the merge stops there.
  EXPECT_EQ(kIllegal, out.text());
  EXPECT_EQ(1, shared.parameterCount());
  EXPECT_EQ("from B", source(shared));
}

TEST(ComponentShareTest, SpanTextsOverThePressLine) {
  struct Case {
    int inputs;
    bool cutoff;
    bool pitch;
    const char* text;
    float value;
  };
  // Parameter values 100, 60, 40; pitches 700, 500, 300 on the presses of
  // the first, second and third operation.
  const Case cases[] = {
      {1, false, false, "0.5*CD_MERGE_FIRST+0.5*CD_MERGE_LAST", 100},
      {1, false, true, "0.5*CD_MERGE_FIRST+0*CD_PR_PI+0.5*CD_MERGE_LAST", 100},
      {2, false, false, "0.5*CD_MERGE_FIRST+0.5*CD_MERGE_LAST", 80},
      {2, false, true, "0.5*CD_MERGE_FIRST+1*CD_PR_PI+0.5*CD_MERGE_LAST", 780},
      {3, false, false, "0.5*CD_MERGE_FIRST+0.5*CD_MERGE_LAST", 70},
      {3, false, true, "0.5*CD_MERGE_FIRST+2*CD_PR_PI+0.5*CD_MERGE_LAST", 1470},
      {1, true, false, "CD_MERGE_CUTOFF", 100},
      {1, true, true, "CD_MERGE_CUTOFF", 100},
      {2, true, false, "CD_MERGE_CUTOFF+0.5*CD_MERGE_FIRST+0.5*CD_MERGE_LAST",
       160},
      {2, true, true,
       "CD_MERGE_CUTOFF+0.5*CD_MERGE_FIRST+0*CD_PR_PI+0.5*CD_MERGE_LAST", 160},
      {3, true, false, "CD_MERGE_CUTOFF+0.5*CD_MERGE_FIRST+0.5*CD_MERGE_LAST",
       150},
      {3, true, true,
       "CD_MERGE_CUTOFF+0.5*CD_MERGE_FIRST+1*CD_PR_PI+0.5*CD_MERGE_LAST", 650},
  };
  const char* values[] = {"100", "60", "40"};
  const double pitches[] = {700, 500, 300};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ComponentList list;
    // Components name their operations weakly; the line keeps them.
    std::vector<OperationPtr> line;
    for (int i = 0; i < c.inputs; ++i) {
      ComponentPtr input = component("CT_300_00", {values[i]});
      OperationPtr op = velktest::operation("OP" + std::to_string(i + 1),
                                            c.pitch ? pitches[i] : -1);
      if (i == 0 && c.cutoff) velktest::makeCutoff(op);
      input->setOperation(op);
      list.push_back(input);
      line.push_back(op);
    }
    Component shared(relationship(list, {1}), list);

    ASSERT_EQ(1, shared.parameterCount());
    boost::shared_ptr<CostDriver> span = shared.parameterAt(0);
    EXPECT_TRUE(boost::dynamic_pointer_cast<VelkData::CostDriverDouble>(span));
    EXPECT_EQ("CD_CP_0", span->id());
    EXPECT_EQ("Label of CD_CP_0", span->label());
    EXPECT_EQ(c.text, span->dependencyFormulaAt(0));
    EXPECT_EQ(1, span->dependencyFormulaCount());
    EXPECT_FLOAT_EQ(c.value, span->doubleValue());
    EXPECT_DOUBLE_EQ(0.0, shared.standardMinAt(0));
    EXPECT_EQ(Component::kRoundUp, shared.roundingRuleAt(0));
  }
}

TEST(ComponentShareTest, SpanReadsClonesNotTheInputsThemselves) {
  ComponentList list = inputs({"100", "40"});
  Component shared(relationship(list, {1}), list);
  list[0]->parameterAt(0)->setValue(0.0f);
  // The auxiliary drivers are copies taken at merge time.
  EXPECT_FLOAT_EQ(70.0f, shared.parameterAt(0)->doubleValue());
  EXPECT_EQ("CD_CP_0", list[0]->parameterAt(0)->id());
}

TEST(ComponentShareTest, LargestAndSmallestValues) {
  struct Case {
    int mode;
    std::vector<std::string> values;
    const char* chosen;
  };
  const Case cases[] = {
      {4, {"-3", "-1"}, "from A"},      {4, {"2", "5", "5"}, "from B"},
      {4, {"5", "5"}, "from A"},        {4, {"0", "0", "1"}, "from C"},
      {5, {"4", "1", "1"}, "from B"},   {5, {"-3", "-1"}, "from A"},
      {5, {"-1", "-3", "-3"}, "from B"}, {5, {"2", "2"}, "from A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    SCOPED_TRACE(c.mode);
    ComponentList list = inputs(c.values);
    Component shared(relationship(list, {c.mode}), list);
    ASSERT_EQ(1, shared.parameterCount());
    EXPECT_EQ(c.chosen, source(shared));
  }
}

TEST(ComponentShareTest, UnreadableValueIsLoggedAndPassedOver) {
  std::vector<OperationPtr> ops;
  ComponentList list = inputs({"2", "missing_name*10", "1"}, &ops);
  std::string why;
  try {
    list[1]->parameterAt(0)->doubleValue();
  } catch (const NoFormulaResultException& e) {
    why = e.what();
  }
  ASSERT_FALSE(why.empty());
  const std::string line =
      "Error for parameter CD_CP_0 of component B for operation OP2 of type "
      "TRIM!!\nFormula is missing_name*10\nError message: " +
      why;

  {
    velktest::DebugCapture debug;
    Component largest(relationship(list, {4}), list);
    EXPECT_EQ("from A", source(largest));
    ASSERT_EQ(1u, debug.lines().size());
    EXPECT_EQ(line, debug.lines()[0]);
  }
  {
    velktest::DebugCapture debug;
    Component smallest(relationship(list, {5}), list);
    EXPECT_EQ("from C", source(smallest));
    EXPECT_EQ(line, debug.joined());
  }
}

TEST(ComponentShareTest, LastComponentForModeThree) {
  ComponentList list = inputs({"1", "2", "3"});
  Component shared(relationship(list, {3}), list);
  EXPECT_EQ("from C", source(shared));
}

TEST(ComponentShareTest, ModesZeroAndTwoCopyTheFirst) {
  ComponentList list = inputs({"1", "2"});
  EXPECT_EQ("from A", source(Component(relationship(list, {0}), list)));
  EXPECT_EQ("from A", source(Component(relationship(list, {2}), list)));
}

TEST(ComponentShareTest, SumTakesOverDependenciesAndDependents) {
  using velktest::driver;
  boost::shared_ptr<CostDriver> a = driver("a", "3");
  boost::shared_ptr<CostDriver> b = driver("b", "4");
  boost::shared_ptr<CostDriver> readerOfA = driver("R1", "0");
  boost::shared_ptr<CostDriver> readerOfB = driver("R2", "0");
  ComponentList list = inputs({"a*2", "b"});
  list[0]->parameterAt(0)->addDependency(a);
  list[0]->parameterAt(0)->addHasImpactOn(readerOfA);
  list[1]->parameterAt(0)->addDependency(b);
  list[1]->parameterAt(0)->addHasImpactOn(readerOfB);

  Component shared(relationship(list, {6}), list);

  ASSERT_EQ(1, shared.parameterCount());
  boost::shared_ptr<CostDriver> sum = shared.parameterAt(0);
  EXPECT_EQ("CD_CP_0", sum->id());
  EXPECT_EQ("(a*2)+(b)", sum->dependencyFormulaAt(0));
  EXPECT_FLOAT_EQ(10.0f, sum->doubleValue());
  boost::shared_ptr<VelkData::FormulaContainer> container = sum->formulas();
  ASSERT_EQ(2, container->dependencyCount());
  EXPECT_EQ(a, container->dependencyAt(0));
  EXPECT_EQ(b, container->dependencyAt(1));
  std::vector<boost::shared_ptr<CostDriver>> dependents =
      container->getHasImpactOnList();
  ASSERT_EQ(2u, dependents.size());
  EXPECT_EQ(readerOfA, dependents[0]);
  EXPECT_EQ(readerOfB, dependents[1]);
  EXPECT_DOUBLE_EQ(0.0, shared.standardMinAt(0));
  EXPECT_DOUBLE_EQ(0.0, shared.standardMaxAt(0));
}

// A parameter without formula text used to contribute "()", which does not
// compile; it adds the value it holds instead.
TEST(ComponentShareTest, SumOfAParameterWithoutFormulaAddsItsValue) {
  ComponentList list = inputs({"5", "1"});
  boost::shared_ptr<CostDriver> plain(new VelkData::CostDriverDouble("CD_CP_0"));
  plain->setValue(7.5f);
  ComponentPtr valueOnly(new Component("V", "CT_300_00"));
  valueOnly->addParameter(plain, Component::kRoundUp, velktest::formula("0"),
                          velktest::formula("1"));
  list[1] = valueOnly;

  Component shared(relationship(list, {6}), list);
  EXPECT_EQ("(5)+(7.5)", shared.parameterAt(0)->dependencyFormulaAt(0));
  EXPECT_FLOAT_EQ(12.5f, shared.parameterAt(0)->doubleValue());
}

// A relationship read from a file or built field by field may carry fewer
// merge modes than parameters, or modes no rule answers to; those used to
// be read past the end or used as they were.
TEST(ComponentShareTest, MissingOrUnknownModesFallBackToTheFirstComponent) {
  ComponentList list;
  for (int i = 0; i < 2; ++i) {
    ComponentPtr c = component("CT_300_00", {"1", "2", "3"});
    for (int k = 0; k < 3; ++k) {
      c->parameterAt(k)->setLabel(std::string(1, char('A' + i)));
    }
    list.push_back(c);
  }
  velktest::DebugCapture debug;
  Component shared(relationship(list, {3, 9}, "REL_SHORT"), list);

  ASSERT_EQ(3, shared.parameterCount());
  EXPECT_EQ("B", shared.parameterAt(0)->label());
  EXPECT_EQ("A", shared.parameterAt(1)->label());
  EXPECT_EQ("A", shared.parameterAt(2)->label());
  EXPECT_EQ(
      "Share relationship REL_SHORT has the unknown merge mode 9 for "
      "parameter CD_CP_1; it is taken from the first component|"
      "Share relationship REL_SHORT has no merge mode for parameter CD_CP_2; "
      "it is taken from the first component",
      debug.joined());

  velktest::DebugCapture negative;
  Component again(relationship(list, {-1, 3, 3}, "REL_NEG"), list);
  EXPECT_EQ("A", again.parameterAt(0)->label());
  EXPECT_EQ(1u, negative.lines().size());
}

TEST(ComponentShareTest, IllegalParameterEndsTheMergeOnStandardOutput) {
  ComponentPtr first = component("CT_300_00", {"1"});
  first->addParameter(boost::shared_ptr<CostDriver>(), Component::kRoundUp,
                      velktest::formula("0"), velktest::formula("1"));
  first->addParameter(velktest::driver("CD_CP_2", "3"), Component::kRoundUp,
                      velktest::formula("0"), velktest::formula("1"));
  {
    velktest::StdoutCapture out;
    Component shared(RelationshipPtr(), {first});
    EXPECT_EQ(kIllegal, out.text());
    EXPECT_EQ(1, shared.parameterCount());
    EXPECT_TRUE(shared.testInternalLists());
  }
  // A later input lacking the parameter stops a span just the same.
  ComponentList list = inputs({"1", "2"});
  ComponentPtr shortInput(new Component("S", "CT_300_00"));
  list.push_back(shortInput);
  for (int mode : {1, 3, 6}) {
    SCOPED_TRACE(mode);
    velktest::StdoutCapture out;
    Component shared(relationship(list, {mode}), list);
    EXPECT_EQ(kIllegal, out.text());
    EXPECT_EQ(0, shared.parameterCount());
  }
}

TEST(ComponentShareTest, RelationshipWithoutSharedComponentUsesTheFirst) {
  ComponentList list = inputs({"1", "2"});
  RelationshipPtr r = relationship(list, {3}, "REL_EMPTY");
  r->sharedComponent.reset();
  velktest::DebugCapture debug;
  Component shared(r, list);
  EXPECT_EQ("A", shared.label());
  EXPECT_EQ("from B", source(shared));
  EXPECT_EQ(
      "Share relationship REL_EMPTY has no shared component; the first "
      "component stands in",
      debug.joined());
}

TEST(ComponentShareTest, BuiltInRelationshipMergesADieSet) {
  ComponentPtr a = velktest::sevenParameters("CT_300_00", 0, "A");
  ComponentPtr b = velktest::sevenParameters("CT_300_00", 10, "B");
  // Components name their operations weakly; the test keeps them.
  const OperationPtr first = velktest::operation("OP1", 800);
  const OperationPtr second = velktest::operation("OP2", 800);
  a->setOperation(first);
  b->setOperation(second);
  RelationshipPtr r(new componentShareRelationship(1, {a, b}));

  Component shared(r, {a, b});
  ASSERT_EQ(7, shared.parameterCount());
  // Parameter 2 spans both stages, parameter 3 is the larger one, the
  // others come from the first.
  EXPECT_FLOAT_EQ(1.0f, shared.parameterAt(0)->doubleValue());
  EXPECT_FLOAT_EQ(0.5f * 3 + 800 + 0.5f * 13,
                  shared.parameterAt(2)->doubleValue());
  EXPECT_FLOAT_EQ(14.0f, shared.parameterAt(3)->doubleValue());
  EXPECT_FLOAT_EQ(7.0f, shared.parameterAt(6)->doubleValue());
}

}  // namespace
}  // namespace TamberData
