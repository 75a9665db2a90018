#include <gtest/gtest.h>

#include <algorithm>
#include <boost/shared_ptr.hpp>
#include <limits>
#include <string>
#include <vector>

#include "costdata/Component.h"
#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostFactory.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Operation.h"
#include "formula/FormulaContainer.h"
#include "support/TestUtil.h"

namespace VelkData {

class ComponentCostFactoryTestPeer {
 public:
  static double roundValue(double value, double step, int rule) {
    return ComponentCostFactory::roundValue(value, step, rule);
  }
};

namespace {

using TamberData::Component;

typedef boost::shared_ptr<Component> ComponentPtr;
typedef boost::shared_ptr<CostDriverDouble> DriverPtr;
typedef boost::shared_ptr<ComponentCost> CostPtr;
typedef boost::shared_ptr<FormulaContainer> ContainerPtr;
typedef std::vector<CostPtr> Costs;
typedef ComponentCostValueRange Range;

ContainerPtr container(const std::string& formula) {
  ContainerPtr c(new FormulaContainer());
  c->addFormula(formula);
  return c;
}

Range realRange(float min, float max, float accuracy = 0.0f) {
  Range r(Range::kDoubleRange);
  r.SetDoubleMin(min);
  r.SetDoubleMax(max);
  r.SetDoubleAccuracy(accuracy);
  return r;
}

// The parameter values of each cost's component, e.g. "1000 1000 | 500 7".
std::string values(const Costs& costs) {
  std::string out;
  for (const CostPtr& cost : costs) {
    if (!out.empty()) out += " | ";
    const ComponentPtr c = cost->component();
    for (int i = 0; i < c->parameterCount(); ++i) {
      if (i) out += " ";
      out += CostDriver::toString(c->parameterAt(i)->doubleValue());
    }
  }
  return out;
}

std::string labels(const Costs& costs) {
  std::string out;
  for (const CostPtr& cost : costs) {
    if (!out.empty()) out += " ";
    out += cost->label();
  }
  return out;
}

class ComponentCostFactoryTest : public ::testing::Test {
 protected:
  ComponentCostFactoryTest() : operation_(new Operation("Op 20", "TRIM")) {
    resetComponent();
  }

  // A fresh "Cam" without parameters in operation "Op 20".
  void resetComponent() {
    component_.reset(new Component("Cam", "CT_000_00"));
    component_->setOperation(operation_);
  }

  // Appends a shown parameter with explicit `value` to the component.
  DriverPtr addParameter(const std::string& id, const std::string& label,
                         float value,
                         Component::RoundingRule rule = Component::kKeepValue,
                         const std::string& min = "0",
                         const std::string& max = "1e9") {
    DriverPtr d(new CostDriverDouble(id));
    d->setLabel(label);
    d->setLevel(CostProperty::kLevelBasic);
    d->setValue(value);
    component_->addParameter(d, rule, container(min), container(max));
    return d;
  }

  // A slot for a catalogue component with the same key as `component_`
  // (or `key`), with the given ranges.
  ComponentCostsValueSlot slot(const std::string& label,
                               const std::vector<Range>& ranges,
                               const std::string& key = "CT_000_00") {
    ComponentPtr catalogue(new Component("Cam catalogue", key));
    ComponentCostsValueSlot s(label, ComponentCost(catalogue));
    for (const Range& r : ranges) s.AddComponentCostValueRange(r);
    return s;
  }

  Costs costs() { return factory_.componentCosts(component_); }

  boost::shared_ptr<Operation> operation_;
  ComponentPtr component_;
  ComponentCostFactory factory_;
};

TEST_F(ComponentCostFactoryTest, RoundValueFollowsTheRoundingRule) {
  struct Case {
    double value;
    double step;
    int rule;
    double expected;
  } cases[] = {
      {2.3, 0.5, 0, 2.5},   {2.3, 0.5, 1, 2.0},   {2.3, 0.5, 2, 2.5},
      {2.25, 0.5, 2, 2.5},  {2.2, 0.5, 2, 2.0},   {2.3, 0.5, 7, 2.3},
      {2.0, 0.5, 0, 2.0},   {-2.3, 0.5, 0, -2.0}, {-2.3, 0.5, 1, -2.5},
      {17.0, 5.0, 2, 15.0}, {2.3, 0.0, 0, 2.3},   {2.3, -0.5, 1, 2.3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " step " + std::to_string(c.step) +
                 " rule " + std::to_string(c.rule));
    EXPECT_DOUBLE_EQ(c.expected, ComponentCostFactoryTestPeer::roundValue(
                                     c.value, c.step, c.rule));
  }
}

TEST_F(ComponentCostFactoryTest, FirstMatchingSlotGivesACostWithRoundedClone) {
  const DriverPtr length =
      addParameter("CD_L", "Length", 2.3f, Component::kRoundUp);
  factory_.addComponentCostsValueSlot(
      slot("Trim steel", {realRange(0, 10, 0.5f)}, "CT_001_00"));
  factory_.addComponentCostsValueSlot(
      slot("Cam small", {realRange(0, 2.4f, 0.5f)}));
  factory_.addComponentCostsValueSlot(
      slot("Cam large", {realRange(2.4f, 10, 0.5f)}));
  factory_.addComponentCostsValueSlot(
      slot("Cam any", {realRange(0, 10, 0.5f)}));
  component_->SetNoDBMatchFlag("stale cause");

  velktest::DebugCapture debug;
  const Costs result = costs();

  ASSERT_EQ(1u, result.size());
  EXPECT_EQ("Cam large", result[0]->label());
  EXPECT_EQ("2.5", values(result));
  const ComponentPtr costed = result[0]->component();
  EXPECT_NE(component_, costed);
  EXPECT_NE(factory_.ComponentCostsValueSlotAt(2)->component(), costed);
  EXPECT_EQ("CT_000_00", costed->getComponentKey());
  EXPECT_EQ(operation_, result[0]->operation());
  EXPECT_FLOAT_EQ(2.3f, length->doubleValue());
  EXPECT_FALSE(component_->noDBMatch());
  EXPECT_EQ("", debug.joined());
}

TEST_F(ComponentCostFactoryTest, CostsUseTheirSlotsAmountFormulas) {
  addParameter("CD_L", "Length", 4.0f);
  boost::shared_ptr<ManufacturingStep> mill(new ManufacturingStep("MS_MILL"));
  mill->SetCostPerHour(10.0f);
  ComponentCostsValueSlot s = slot("Cam", {realRange(0, 10)});
  s.SetAmountFormula(mill, container("CD_L * 3"));
  factory_.addComponentCostsValueSlot(s);

  const Costs result = costs();
  ASSERT_EQ(1u, result.size());
  // The amount reads the costed clone's parameter, not the catalogue's.
  EXPECT_DOUBLE_EQ(120.0, result[0]->Cost(mill));
}

TEST_F(ComponentCostFactoryTest, ValueAboveStandardMaximumIsSplitIntoPieces) {
  struct Case {
    const char* min;
    const char* expected;
  } cases[] = {
      {"0", "1000 7 | 1000 7 | 500 7"},
      {"800", "800 7 | 800 7 | 900 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.min);
    resetComponent();
    addParameter("CD_L", "Length", 2500.0f, Component::kKeepValue, c.min,
                 "1000");
    addParameter("CD_W", "Width", 7.0f);
    ComponentCostFactory factory;
    factory.addComponentCostsValueSlot(
        slot("Cam", {realRange(0, 1000), realRange(0, 10)}));

    const Costs result = factory.componentCosts(component_);
    EXPECT_EQ(c.expected, values(result));
    EXPECT_EQ("Cam Cam Cam", labels(result));
  }
}

TEST_F(ComponentCostFactoryTest,
       ParametersComputedFromTheSplitOneFollowEachPiece) {
  const DriverPtr length = addParameter("CD_L", "Length", 2500.0f,
                                        Component::kKeepValue, "0", "1000");
  DriverPtr width(new CostDriverDouble("CD_W"));
  width->formulas()->addFormula("CD_L * 2");
  width->addDependency(length);
  component_->addParameter(width, Component::kKeepValue, container("0"),
                           container("100000"));
  factory_.addComponentCostsValueSlot(
      slot("Cam", {realRange(0, 1000), realRange(0, 2000)}));

  EXPECT_EQ("1000 2000 | 1000 2000 | 500 1000", values(costs()));
  EXPECT_FALSE(component_->noDBMatch());
}

TEST_F(ComponentCostFactoryTest, PieceWhoseDependentValuesFailIsNotCosted) {
  const DriverPtr length = addParameter("CD_L", "Length", 2500.0f,
                                        Component::kKeepValue, "0", "1000");
  DriverPtr slope(new CostDriverDouble("CD_S"));
  slope->setLabel("Slope");
  slope->formulas()->addFormula("1 / (CD_L - 1000)");
  slope->addDependency(length);
  component_->addParameter(slope, Component::kKeepValue, container("0"),
                           container("1"));
  factory_.addComponentCostsValueSlot(
      slot("Cam", {realRange(0, 1000), realRange(-1, 1)}));

  velktest::DebugCapture debug;
  // Pieces 1000, 1000 and 500: the slope of the first two has no value.
  EXPECT_EQ("500 -0.002", values(costs()));
  EXPECT_EQ(2, std::count(debug.lines().begin(), debug.lines().end(),
                          "!!Could not calculate component Cam!"));
  EXPECT_EQ(std::string::npos, debug.joined().find("Double parameter"));
  EXPECT_TRUE(component_->noDBMatch());
  EXPECT_EQ("Database mismatch for Slope", component_->getNoDBMatchCause());
}

TEST_F(ComponentCostFactoryTest,
       PiecesThatNoSlotTakesStillLetTheOthersBeCosted) {
  addParameter("CD_L", "Length", 2500.0f, Component::kKeepValue, "0", "1000");
  factory_.addComponentCostsValueSlot(slot("Cam", {realRange(0, 999)}));

  velktest::DebugCapture debug;
  EXPECT_EQ("500", values(costs()));
  EXPECT_EQ(
      "Double parameter CD_L (= 1000) of component Cam  for operation Op 20 "
      "of type TRIM does not match|!!Could not calculate component Cam!|"
      "Double parameter CD_L (= 1000) of component Cam  for operation Op 20 "
      "of type TRIM does not match|!!Could not calculate component Cam!",
      debug.joined());
  EXPECT_TRUE(component_->noDBMatch());
  EXPECT_EQ("Database mismatch for Length", component_->getNoDBMatchCause());
}

// Splitting used to subtract a piece that was not positive forever.
TEST_F(ComponentCostFactoryTest,
       SplittingWithNonPositivePieceSizeNoLongerHangs) {
  struct Case {
    const char* min;
    const char* max;
    const char* line;
  } cases[] = {
      {"-5", "1000",
       "Cannot split parameter CD_L of component Cam: piece size -5 is not "
       "positive"},
      {"0", "0",
       "Cannot split parameter CD_L of component Cam: piece size 0 is not "
       "positive"},
      {"0", "-10",
       "Cannot split parameter CD_L of component Cam: piece size -10 is not "
       "positive"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    resetComponent();
    addParameter("CD_L", "Length", 2500.0f, Component::kKeepValue, c.min,
                 c.max);
    ComponentCostFactory factory;
    factory.addComponentCostsValueSlot(slot("Cam", {realRange(0, 3000)}));

    velktest::DebugCapture debug;
    const Costs result = factory.componentCosts(component_);
    EXPECT_EQ(c.line, debug.joined());
    // The parameter is costed whole.
    EXPECT_EQ("2500", values(result));
  }
}

TEST_F(ComponentCostFactoryTest, InfiniteValueIsNotSplitEndlessly) {
  addParameter("CD_L", "Length", std::numeric_limits<float>::infinity(),
               Component::kKeepValue, "0", "1000");
  factory_.addComponentCostsValueSlot(slot("Cam", {realRange(0, 1000)}));

  velktest::DebugCapture debug;
  EXPECT_TRUE(costs().empty());
  EXPECT_EQ(
      "Cannot split parameter CD_L of component Cam: value inf needs more "
      "than 10000 pieces|Double parameter CD_L (= inf) of component Cam  for "
      "operation Op 20 of type TRIM does not match|!!Could not calculate "
      "component Cam!",
      debug.joined());
}

TEST_F(ComponentCostFactoryTest, StandardLimitWithoutValueLeavesTheValueWhole) {
  addParameter("CD_L", "Length", 2500.0f, Component::kKeepValue, "0",
               "CD_NOWHERE * 2");
  factory_.addComponentCostsValueSlot(slot("Cam", {realRange(0, 3000)}));

  velktest::DebugCapture debug;
  EXPECT_EQ("2500", values(costs()));
  ASSERT_EQ(1u, debug.lines().size());
  const std::string prefix = "Cannot split parameter CD_L of component Cam: ";
  EXPECT_EQ(prefix, debug.lines()[0].substr(0, prefix.size()));
  EXPECT_NE(std::string::npos, debug.lines()[0].find("CD_NOWHERE"));
}

TEST_F(ComponentCostFactoryTest, UnmatchedComponentIsReportedPerCandidateSlot) {
  addParameter("CD_L", "Length", 50.0f);
  addParameter("CD_W", "Width", 1234567.0f);
  factory_.addComponentCostsValueSlot(
      slot("Cam small", {realRange(0, 10), realRange(0, 1e7f)}));
  factory_.addComponentCostsValueSlot(
      slot("Trim", {realRange(0, 10), realRange(0, 10)}, "CT_001_00"));
  factory_.addComponentCostsValueSlot(
      slot("Cam wide", {realRange(0, 100), realRange(0, 10)}));

  velktest::DebugCapture debug;
  EXPECT_TRUE(costs().empty());
  EXPECT_EQ(
      "Double parameter CD_L (= 50) of component Cam  for operation Op 20 of "
      "type TRIM does not match|"
      "Double parameter CD_W (= 1.23457e+06) of component Cam  for operation "
      "Op 20 of type TRIM does not match|"
      "!!Could not calculate component Cam!",
      debug.joined());
  EXPECT_TRUE(component_->noDBMatch());
  // The cause is that of the last slot checked.
  EXPECT_EQ("Database mismatch for Width", component_->getNoDBMatchCause());
}

TEST_F(ComponentCostFactoryTest, CauseNamesOnlyParametersShownByDefault) {
  struct Case {
    bool visible;
    int level;
    const char* cause;
  } cases[] = {
      {true, 0, "Database mismatch for Length"},
      {true, 1, "Database mismatch for Length"},
      {true, 2, "Database mismatch"},
      {false, 1, "Database mismatch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cause + std::string(" level ") + std::to_string(c.level));
    resetComponent();
    const DriverPtr length = addParameter("CD_L", "Length", 50.0f);
    length->setIsVisible(c.visible);
    length->setLevel(static_cast<CostProperty::LevelType>(c.level));
    ComponentCostFactory factory;
    factory.addComponentCostsValueSlot(slot("Cam", {realRange(0, 10)}));

    velktest::DebugCapture debug;
    EXPECT_TRUE(factory.componentCosts(component_).empty());
    EXPECT_EQ(c.cause, component_->getNoDBMatchCause());
  }
}

TEST_F(ComponentCostFactoryTest, ComponentWithoutAnyCandidateSlotIsFlagged) {
  addParameter("CD_L", "Length", 5.0f);
  factory_.addComponentCostsValueSlot(
      slot("Trim", {realRange(0, 10)}, "CT_001_00"));

  velktest::DebugCapture debug;
  EXPECT_TRUE(costs().empty());
  EXPECT_EQ("!!Could not calculate component Cam!", debug.joined());
  EXPECT_TRUE(component_->noDBMatch());
  EXPECT_EQ("Database mismatch", component_->getNoDBMatchCause());
}

TEST_F(ComponentCostFactoryTest, UnreadableParameterFlagsTheComponent) {
  struct Case {
    bool visible;
    const char* cause;
  } cases[] = {
      // Reading names any visible parameter, whatever its level.
      {true, "Database mismatch for Width"},
      {false, "Database mismatch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cause);
    resetComponent();
    addParameter("CD_L", "Length", 5.0f);
    DriverPtr width(new CostDriverDouble("CD_W"));
    width->setLabel("Width");
    width->setLevel(CostProperty::kLevelExpert);
    width->setIsVisible(c.visible);
    width->formulas()->addFormula("CD_NOWHERE + 1");
    component_->addParameter(width, Component::kKeepValue, container("0"),
                             container("100"));
    ComponentCostFactory factory;
    factory.addComponentCostsValueSlot(
        slot("Cam", {realRange(0, 10), realRange(0, 10)}));

    velktest::DebugCapture debug;
    EXPECT_TRUE(factory.componentCosts(component_).empty());
    EXPECT_TRUE(component_->noDBMatch());
    EXPECT_EQ(c.cause, component_->getNoDBMatchCause());
  }
}

TEST_F(ComponentCostFactoryTest, ValueWithoutARangeDoesNotMatch) {
  addParameter("CD_L", "Length", 5.0f);
  addParameter("CD_W", "Width", 6.0f);
  factory_.addComponentCostsValueSlot(slot("Cam short", {realRange(0, 10)}));
  factory_.addComponentCostsValueSlot(slot(
      "Cam long", {realRange(0, 10), realRange(0, 10), realRange(50, 60)}));

  velktest::DebugCapture debug;
  const Costs result = costs();
  // Surplus ranges are not checked.
  EXPECT_EQ("Cam long", labels(result));

  ComponentCostFactory shortOnly;
  shortOnly.addComponentCostsValueSlot(slot("Cam short", {realRange(0, 10)}));
  EXPECT_TRUE(shortOnly.componentCosts(component_).empty());
  EXPECT_EQ(
      "Double parameter CD_W (= 6) of component Cam  for operation Op 20 of "
      "type TRIM does not match|!!Could not calculate component Cam!",
      debug.joined());
  EXPECT_EQ("Database mismatch for Width", component_->getNoDBMatchCause());
}

TEST_F(ComponentCostFactoryTest, EmptyComponentGivesNoCosts) {
  factory_.addComponentCostsValueSlot(slot("Cam", {realRange(0, 10)}));
  velktest::DebugCapture debug;
  EXPECT_TRUE(factory_.componentCosts(ComponentPtr()).empty());
  EXPECT_EQ("", debug.joined());
}

TEST_F(ComponentCostFactoryTest, AddedSlotIsACopy) {
  ComponentCostsValueSlot s = slot("Cam", {realRange(0, 10)});
  factory_.addComponentCostsValueSlot(s);
  s.ComponentCostValueRangeAt(0)->SetDoubleMax(1.0f);
  s.AddComponentCostValueRange(realRange(0, 1));

  ASSERT_EQ(1, factory_.ComponentCostsValueSlotCount());
  const ComponentCostsValueSlot* stored = factory_.ComponentCostsValueSlotAt(0);
  ASSERT_EQ(1, stored->ComponentCostValueRangeCount());
  EXPECT_TRUE(stored->ComponentCostValueRangeAt(0)->CheckValue(5.0f));
  EXPECT_EQ(nullptr, factory_.ComponentCostsValueSlotAt(1));
  EXPECT_EQ(nullptr, factory_.ComponentCostsValueSlotAt(-1));
}

TEST_F(ComponentCostFactoryTest,
       ReferenceCostIsACloneOfTheFirstSlotOfThatType) {
  factory_.addComponentCostsValueSlot(
      slot("Trim", {realRange(0, 10)}, "CT_001_00"));
  factory_.addComponentCostsValueSlot(slot("Cam small", {realRange(0, 10)}));
  factory_.addComponentCostsValueSlot(slot("Cam large", {realRange(10, 20)}));
  boost::shared_ptr<ManufacturingStep> mill(new ManufacturingStep("MS_MILL"));
  const ContainerPtr amount = container("2");
  factory_.ComponentCostsValueSlotAt(1)->SetAmountFormula(mill, amount);

  const CostPtr reference =
      factory_.referenceComponentCostByType("Cam catalogue");
  ASSERT_TRUE(reference);
  EXPECT_EQ("Trim", reference->label());

  ComponentCostFactory cams;
  cams.addComponentCostsValueSlot(*factory_.ComponentCostsValueSlotAt(1));
  cams.addComponentCostsValueSlot(*factory_.ComponentCostsValueSlotAt(2));
  const CostPtr cam = cams.referenceComponentCostByType("Cam catalogue");
  ASSERT_TRUE(cam);
  EXPECT_EQ("Cam small", cam->label());
  EXPECT_EQ(cams.ComponentCostsValueSlotAt(0)->component(), cam->component());
  ASSERT_EQ(1u, cam->stepAmounts().size());
  EXPECT_NE(amount, cam->stepAmounts().begin()->second);

  EXPECT_FALSE(factory_.referenceComponentCostByType("Cam"));
  EXPECT_FALSE(factory_.referenceComponentCostByType(""));
}

TEST_F(ComponentCostFactoryTest, ReplaceUpdatesSlotsWithSameLabelAndRanges) {
  boost::shared_ptr<ManufacturingStep> mill(new ManufacturingStep("MS_MILL"));
  const ContainerPtr old = container("1");
  const std::vector<Range> ranges = {realRange(0, 10, 0.5f),
                                     realRange(5, 6, 1)};
  const std::vector<std::vector<Range>> storedRanges = {
      ranges,
      {realRange(0, 10, 0.5f), realRange(5, 7, 1)},
      {realRange(0, 10, 0.5f)},
      ranges,
  };
  const char* storedLabels[] = {"Cam", "Cam", "Cam", "Cam large"};
  for (size_t i = 0; i < storedRanges.size(); ++i) {
    ComponentCostsValueSlot s = slot(storedLabels[i], storedRanges[i]);
    s.SetAmountFormula(mill, old);
    factory_.addComponentCostsValueSlot(s);
  }
  factory_.addComponentCostsValueSlot(slot("Cam", ranges));

  const ContainerPtr newer = container("2");
  boost::shared_ptr<ComponentCostsValueSlot> incoming(
      new ComponentCostsValueSlot(slot("Cam", ranges)));
  incoming->SetAmountFormula(mill, newer);

  EXPECT_TRUE(factory_.replaceComponentCostsValueSlot(incoming));
  std::string taken;
  for (int i = 0; i < factory_.ComponentCostsValueSlotCount(); ++i) {
    const ComponentCost::StepAmountMap& amounts =
        factory_.ComponentCostsValueSlotAt(i)->componentCost().stepAmounts();
    const auto it = amounts.find(mill);
    taken += (it == amounts.end()) ? "-" : (it->second == newer ? "N" : "O");
  }
  // Both slots labelled "Cam" with equal ranges take the new formula.
  EXPECT_EQ("NOOON", taken);

  boost::shared_ptr<ComponentCostsValueSlot> otherRanges(
      new ComponentCostsValueSlot(slot("Cam", {realRange(0, 10, 0.25f)})));
  EXPECT_FALSE(factory_.replaceComponentCostsValueSlot(otherRanges));
  EXPECT_FALSE(factory_.replaceComponentCostsValueSlot(
      boost::shared_ptr<ComponentCostsValueSlot>()));
}

TEST_F(ComponentCostFactoryTest, SlotWithTextRangeIsNeverReplaced) {
  Range texts(Range::kStringList);
  texts.SetstringValues(QStringList() << "steel");
  factory_.addComponentCostsValueSlot(slot("Cam", {texts}));
  boost::shared_ptr<ComponentCostsValueSlot> incoming(
      new ComponentCostsValueSlot(slot("Cam", {texts})));
  EXPECT_FALSE(factory_.replaceComponentCostsValueSlot(incoming));
}

}  // namespace
}  // namespace VelkData
