#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/Component.h"
#include "costdata/ComponentCost.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Operation.h"
#include "costdata/PriceUnit.h"
#include "costdata/ToolMaterial.h"
#include "formula/FormulaContainer.h"
#include "support/TestUtil.h"

namespace VelkData {
namespace {

typedef boost::shared_ptr<TamberData::Component> ComponentPtr;
typedef boost::shared_ptr<CostDriverDouble> DriverPtr;
typedef boost::shared_ptr<FormulaContainer> ContainerPtr;
typedef boost::shared_ptr<ManufacturingStep> StepPtr;
typedef boost::shared_ptr<ToolMaterial> MaterialPtr;

DriverPtr valued(const std::string& id, float value) {
  DriverPtr d(new CostDriverDouble(id));
  d->setValue(value);
  return d;
}

ContainerPtr container(const std::string& formula) {
  ContainerPtr c(new FormulaContainer());
  c->addFormula(formula);
  return c;
}

StepPtr step(const std::string& label, float rate) {
  StepPtr s(new ManufacturingStep("MS_" + label));
  s->setLabel(label);
  s->SetCostPerHour(rate);
  return s;
}

MaterialPtr material(const std::string& label, float costPerUnit, float density,
                     bool weightUnit) {
  boost::shared_ptr<PriceUnit> unit(new PriceUnit(weightUnit ? "kg" : "dm3"));
  unit->setIsWeightUnit(weightUnit);
  MaterialPtr m(new ToolMaterial("TM_" + label));
  m->setLabel(label);
  m->SetCostPerUnit(costPerUnit);
  m->SetDensity(density);
  m->SetPriceUnit(unit);
  return m;
}

// The ids of the container's dependencies, space separated.
std::string dependencies(const ContainerPtr& c) {
  std::string out;
  for (int i = 0; i < c->dependencyCount(); ++i) {
    if (i) out += " ";
    out += c->dependencyAt(i)->id();
  }
  return out;
}

// A cam with two parameters, P_LEN = 2.5 and P_WID = 4, not yet in an
// operation; the operation "OP20" has one driver, CD_OP_1 = 3.
class ComponentCostTest : public ::testing::Test {
 protected:
  ComponentCostTest()
      : length_(valued("P_LEN", 2.5f)),
        width_(valued("P_WID", 4.0f)),
        opDriver_(valued("CD_OP_1", 3.0f)),
        component_(new TamberData::Component("Cam", "CT_000_00")),
        operation_(new Operation("OP20", "TRIM")) {
    component_->addParameter(length_, TamberData::Component::kRoundUp,
                             ContainerPtr(), ContainerPtr());
    component_->addParameter(width_, TamberData::Component::kRoundUp,
                             ContainerPtr(), ContainerPtr());
    operation_->AddCostDriver(opDriver_);
  }

  ComponentCost costFor(const std::string& label) {
    ComponentCost cost(component_);
    cost.setLabel(label);
    return cost;
  }

  DriverPtr length_;
  DriverPtr width_;
  DriverPtr opDriver_;
  ComponentPtr component_;
  boost::shared_ptr<Operation> operation_;
};

TEST_F(ComponentCostTest, StepCostIsHourlyRateTimesAmount) {
  ComponentCost cost = costFor("Cam cost");
  StepPtr milling = step("Milling", 80.0f);
  cost.SetAmountFormula(milling, container("P_LEN"));

  EXPECT_DOUBLE_EQ(200.0, cost.Cost(milling));
  EXPECT_EQ("((P_LEN = 2.5) = 2.5) * 80", cost.CostFormula(milling));
}

TEST_F(ComponentCostTest, CostFormulaWritesTheFactorInGeneralFormat) {
  struct Case {
    float rate;
    const char* text;
  };
  const Case cases[] = {
      {80.0f, "(2 = 2) * 80"},
      {0.5f, "(2 = 2) * 0.5"},
      {62.125f, "(2 = 2) * 62.125"},
      {0.1f, "(2 = 2) * 0.1"},
      {1234567.0f, "(2 = 2) * 1.23457e+06"},
      {0.0f, "(2 = 2) * 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ComponentCost cost = costFor("Cam cost");
    StepPtr s = step("Milling", c.rate);
    cost.SetAmountFormula(s, container("2"));
    EXPECT_EQ(c.text, cost.CostFormula(s));
  }
}

TEST_F(ComponentCostTest, MaterialCostUsesDensityOnlyForWeightUnits) {
  ComponentCost cost = costFor("Cam cost");
  MaterialPtr steel = material("Steel", 4.0f, 7.85f, true);
  MaterialPtr cast = material("Cast", 4.0f, 7.85f, false);
  cost.SetAmountFormula(steel, container("10"));
  cost.SetAmountFormula(cast, container("10"));

  const float perVolume = 4.0f * 7.85f;
  EXPECT_DOUBLE_EQ(10.0 * static_cast<double>(perVolume), cost.Cost(steel));
  EXPECT_DOUBLE_EQ(40.0, cost.Cost(cast));
  EXPECT_EQ("(10 = 10) * 31.4", cost.CostFormula(steel));
  EXPECT_EQ("(10 = 10) * 4", cost.CostFormula(cast));
}

TEST_F(ComponentCostTest, MissingAmountFormulaCostsNothing) {
  ComponentCost cost = costFor("Cam cost");
  StepPtr milling = step("Milling", 80.0f);
  MaterialPtr steel = material("Steel", 4.0f, 7.85f, true);
  // A record with the same identifier is another key: entries are found by
  // object, not by identifier.
  cost.SetAmountFormula(step("Milling", 80.0f), container("1"));

  velktest::DebugCapture debug;
  EXPECT_EQ(0.0, cost.Cost(milling));
  EXPECT_EQ(0.0, cost.Cost(steel));
  EXPECT_EQ(0.0, cost.Cost(StepPtr()));
  EXPECT_EQ(0.0, cost.Cost(MaterialPtr()));
  EXPECT_EQ("No cost formula defined", cost.CostFormula(milling));
  EXPECT_EQ("No cost formula defined", cost.CostFormula(steel));
  EXPECT_EQ("No cost formula defined", cost.CostFormula(MaterialPtr()));
  EXPECT_TRUE(debug.lines().empty()) << debug.joined();
}

TEST_F(ComponentCostTest, UnboundAmountFormulaCostsNothingAndLogsOneLine) {
  ComponentCost cost = costFor("Cam cost");
  StepPtr milling = step("Milling", 80.0f);
  MaterialPtr steel = material("Steel", 4.0f, 7.85f, true);
  cost.SetAmountFormula(milling, container("UNKNOWN*2"));
  cost.SetAmountFormula(steel, container("UNKNOWN*2"));

  {
    velktest::DebugCapture debug;
    EXPECT_EQ(0.0, cost.Cost(milling));
    ASSERT_EQ(1u, debug.lines().size());
    EXPECT_EQ(
        "Could not evaluate cost formula UNKNOWN*2 for the cost of "
        "manufacturing step Milling of component Cam cost: "
        "NoFormulaResultException when setting parameters for formula "
        "UNKNOWN*2: Variable UNKNOWN in formula UNKNOWN*2 is undefined.\n\n",
        debug.lines()[0]);
  }
  velktest::DebugCapture debug;
  EXPECT_EQ(0.0, cost.Cost(steel));
  ASSERT_EQ(1u, debug.lines().size());
  EXPECT_EQ(
      "Could not evaluate cost formula UNKNOWN*2 for the cost of material "
      "Steel of component Cam cost: NoFormulaResultException when setting "
      "parameters for formula UNKNOWN*2: Variable UNKNOWN in formula "
      "UNKNOWN*2 is undefined.\n\n",
      debug.lines()[0]);
}

TEST_F(ComponentCostTest, AmountFormulaRecordsOnlyTheParametersItNames) {
  ComponentCost cost = costFor("Cam cost");
  ContainerPtr amount = container("P_WID * 2");
  cost.SetAmountFormula(step("Milling", 1.0f), amount);
  EXPECT_EQ("P_WID", dependencies(amount));
}

TEST_F(ComponentCostTest, OperationDriversReachAmountFormulasWhenSetLater) {
  ComponentCost cost = costFor("Cam cost");
  StepPtr milling = step("Milling", 10.0f);
  ContainerPtr amount = container("CD_OP_1 * P_LEN");
  cost.SetAmountFormula(milling, amount);

  cost.SetOperation(operation_);
  EXPECT_EQ(operation_, cost.operation());
  EXPECT_EQ(operation_, component_->operation());
  EXPECT_EQ("P_LEN CD_OP_1", dependencies(amount));
  EXPECT_DOUBLE_EQ(75.0, cost.Cost(milling));
}

TEST_F(ComponentCostTest, SetComponentWiresFormulasAddedBeforeIt) {
  component_->setOperation(operation_);
  ComponentCost cost;
  StepPtr milling = step("Milling", 10.0f);
  ContainerPtr amount = container("CD_OP_1 * P_WID");
  cost.SetAmountFormula(milling, amount);
  EXPECT_EQ("", dependencies(amount));
  EXPECT_FALSE(cost.operation());

  cost.setComponent(component_);
  EXPECT_EQ(operation_, cost.operation());
  EXPECT_EQ("CD_OP_1 P_WID", dependencies(amount));
  EXPECT_DOUBLE_EQ(120.0, cost.Cost(milling));
}

TEST_F(ComponentCostTest, EmptyOperationLogsOneLineAndChangesNothing) {
  component_->setOperation(operation_);
  ComponentCost cost = costFor("Cam cost");
  {
    velktest::DebugCapture debug;
    cost.SetOperation(boost::shared_ptr<Operation>());
    EXPECT_EQ("op == NULL when calling SetOperation for Cam cost of Type Cam",
              debug.joined());
  }
  EXPECT_EQ(operation_, cost.operation());

  ComponentCost bare;
  bare.setLabel("Bare");
  velktest::DebugCapture debug;
  bare.SetOperation(boost::shared_ptr<Operation>());
  EXPECT_EQ("op == NULL when calling SetOperation for Bare of Type ",
            debug.joined());
}

TEST_F(ComponentCostTest, OperationWithoutComponentStillWiresFormulas) {
  ComponentCost cost;
  ContainerPtr amount = container("CD_OP_1");
  StepPtr milling = step("Milling", 2.0f);
  cost.SetAmountFormula(milling, amount);
  cost.SetOperation(operation_);
  EXPECT_FALSE(cost.operation());
  EXPECT_DOUBLE_EQ(6.0, cost.Cost(milling));
}

TEST_F(ComponentCostTest, EmptyKeysAndContainersAreIgnored) {
  ComponentCost cost = costFor("Cam cost");
  cost.SetAmountFormula(StepPtr(), container("1"));
  cost.SetAmountFormula(step("Milling", 1.0f), ContainerPtr());
  cost.SetAmountFormula(MaterialPtr(), container("1"));
  cost.SetAmountFormula(material("Steel", 1.0f, 1.0f, false), ContainerPtr());
  EXPECT_TRUE(cost.stepAmounts().empty());
  EXPECT_TRUE(cost.materialAmounts().empty());
}

TEST_F(ComponentCostTest, SetAmountFormulaReplacesTheEarlierOne) {
  ComponentCost cost = costFor("Cam cost");
  StepPtr milling = step("Milling", 10.0f);
  cost.SetAmountFormula(milling, container("1"));
  cost.SetAmountFormula(milling, container("P_WID"));
  EXPECT_EQ(1u, cost.stepAmounts().size());
  EXPECT_DOUBLE_EQ(40.0, cost.Cost(milling));
}

TEST_F(ComponentCostTest, CloneHasItsOwnAmountFormulasAndSharesComponent) {
  component_->setOperation(operation_);
  ComponentCost source = costFor("Cam cost");
  source.addInformation("Supplier", "Acme");
  StepPtr milling = step("Milling", 10.0f);
  MaterialPtr steel = material("Steel", 2.0f, 1.0f, false);
  source.SetAmountFormula(milling, container("P_LEN"));
  source.SetAmountFormula(steel, container("P_WID"));

  boost::shared_ptr<ComponentCost> copy = source.clone();
  ASSERT_TRUE(copy);
  EXPECT_EQ("Cam cost", copy->label());
  EXPECT_EQ(component_, copy->component());
  EXPECT_EQ(source.information(), copy->information());
  ASSERT_EQ(1u, copy->stepAmounts().size());
  ASSERT_EQ(1u, copy->materialAmounts().size());
  EXPECT_NE(source.stepAmounts().at(milling), copy->stepAmounts().at(milling));
  EXPECT_NE(source.materialAmounts().at(steel),
            copy->materialAmounts().at(steel));

  copy->stepAmounts().at(milling)->setFormulaAt(0, "P_LEN * 4");
  copy->SetAmountFormula(steel, container("P_WID * 3"));
  EXPECT_DOUBLE_EQ(25.0, source.Cost(milling));
  EXPECT_DOUBLE_EQ(8.0, source.Cost(steel));
  EXPECT_DOUBLE_EQ(100.0, copy->Cost(milling));
  EXPECT_DOUBLE_EQ(24.0, copy->Cost(steel));

  // Both still read the one component's parameters.
  length_->setValue(1.0f);
  EXPECT_DOUBLE_EQ(10.0, source.Cost(milling));
  EXPECT_DOUBLE_EQ(40.0, copy->Cost(milling));
}

TEST_F(ComponentCostTest, CloneRecordsOnlyTheParametersItsFormulaNames) {
  component_->setOperation(operation_);
  ComponentCost source = costFor("Cam cost");
  StepPtr milling = step("Milling", 1.0f);
  ContainerPtr amount = container("P_LEN + CD_OP_1");
  source.SetAmountFormula(milling, amount);
  source.SetOperation(operation_);
  // A parameter the formula does not name, recorded by hand.
  amount->addDependency(width_);
  ASSERT_EQ("P_LEN CD_OP_1 P_WID", dependencies(amount));

  boost::shared_ptr<ComponentCost> copy = source.clone();
  EXPECT_EQ("CD_OP_1 P_LEN", dependencies(copy->stepAmounts().at(milling)));
  EXPECT_DOUBLE_EQ(5.5, copy->Cost(milling));
}

TEST_F(ComponentCostTest, ReplaceAmountFormulasSharesTheOthersContainers) {
  ComponentCost target = costFor("Target");
  ComponentCost other = costFor("Other");
  StepPtr milling = step("Milling", 10.0f);
  StepPtr grinding = step("Grinding", 20.0f);
  MaterialPtr steel = material("Steel", 2.0f, 1.0f, false);
  target.SetAmountFormula(milling, container("1"));
  target.SetAmountFormula(grinding, container("1"));
  other.SetAmountFormula(milling, container("P_LEN"));
  other.SetAmountFormula(steel, container("P_WID"));

  target.ReplaceAmountFormulas(other);
  EXPECT_EQ(other.stepAmounts().at(milling), target.stepAmounts().at(milling));
  EXPECT_EQ(other.materialAmounts().at(steel),
            target.materialAmounts().at(steel));
  EXPECT_EQ(2u, target.stepAmounts().size());
  EXPECT_DOUBLE_EQ(25.0, target.Cost(milling));
  EXPECT_DOUBLE_EQ(20.0, target.Cost(grinding));

  other.stepAmounts().at(milling)->setFormulaAt(0, "P_LEN * 2");
  EXPECT_DOUBLE_EQ(50.0, target.Cost(milling));
}

TEST_F(ComponentCostTest, ReplaceAmountFormulasWithItselfKeepsEverything) {
  ComponentCost cost = costFor("Cam cost");
  StepPtr milling = step("Milling", 10.0f);
  ContainerPtr amount = container("P_LEN");
  cost.SetAmountFormula(milling, amount);
  cost.ReplaceAmountFormulas(cost);
  ASSERT_EQ(1u, cost.stepAmounts().size());
  EXPECT_EQ(amount, cost.stepAmounts().at(milling));
  EXPECT_EQ("P_LEN", dependencies(amount));
}

}  // namespace
}  // namespace VelkData
