#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>

#include "costdata/Component.h"
#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostsValueSlot.h"
#include "costdata/ManufacturingStep.h"
#include "formula/FormulaContainer.h"

namespace VelkData {
namespace {

typedef boost::shared_ptr<TamberData::Component> ComponentPtr;
typedef boost::shared_ptr<FormulaContainer> ContainerPtr;
typedef boost::shared_ptr<ManufacturingStep> StepPtr;
typedef ComponentCostValueRange Range;

ContainerPtr container(const std::string& formula) {
  ContainerPtr c(new FormulaContainer());
  c->addFormula(formula);
  return c;
}

StepPtr step(float rate) {
  StepPtr s(new ManufacturingStep("MS_MILL"));
  s->SetCostPerHour(rate);
  return s;
}

Range realRange(float min, float max) {
  Range r(Range::kDoubleRange);
  r.SetDoubleMin(min);
  r.SetDoubleMax(max);
  return r;
}

class ComponentCostsValueSlotTest : public ::testing::Test {
 protected:
  ComponentCostsValueSlotTest()
      : component_(new TamberData::Component("Cam", "CT_000_00")),
        template_(component_) {
    template_.setLabel("template label");
  }

  ComponentPtr component_;
  ComponentCost template_;
};

TEST_F(ComponentCostsValueSlotTest, TakesACopyOfTheCostUnderItsOwnLabel) {
  const StepPtr mill = step(10.0f);
  template_.SetAmountFormula(mill, container("2"));
  const ComponentCostsValueSlot slot("Cam small", template_);

  EXPECT_EQ("Cam small", slot.Label());
  EXPECT_EQ("template label", template_.label());
  EXPECT_EQ(component_, slot.component());
  EXPECT_DOUBLE_EQ(20.0, slot.componentCost().Cost(mill));

  // Later amounts given to the source no longer reach the slot.
  template_.SetAmountFormula(mill, container("3"));
  EXPECT_DOUBLE_EQ(20.0, slot.componentCost().Cost(mill));
}

TEST_F(ComponentCostsValueSlotTest, RangeAtGivesTheStoredRangeOrNull) {
  ComponentCostsValueSlot slot("Cam small", template_);
  slot.AddComponentCostValueRange(realRange(0.0f, 10.0f));
  slot.AddComponentCostValueRange(realRange(5.0f, 6.0f));

  ASSERT_EQ(2, slot.ComponentCostValueRangeCount());
  slot.ComponentCostValueRangeAt(1)->SetDoubleMax(8.0f);
  EXPECT_TRUE(slot.ComponentCostValueRangeAt(1)->CheckValue(7.5f));
  EXPECT_EQ(nullptr, slot.ComponentCostValueRangeAt(2));
  EXPECT_EQ(nullptr, slot.ComponentCostValueRangeAt(-1));
  const ComponentCostsValueSlot& constSlot = slot;
  EXPECT_EQ(nullptr, constSlot.ComponentCostValueRangeAt(2));
}

TEST_F(ComponentCostsValueSlotTest, CopiesKeepTheirOwnRanges) {
  ComponentCostsValueSlot slot("Cam small", template_);
  slot.AddComponentCostValueRange(realRange(0.0f, 10.0f));
  ComponentCostsValueSlot copied(slot);
  ComponentCostsValueSlot assigned;
  assigned = slot;

  slot.ComponentCostValueRangeAt(0)->SetDoubleMax(1.0f);
  const ComponentCostsValueSlot* const copies[] = {&copied, &assigned};
  for (const ComponentCostsValueSlot* s : copies) {
    EXPECT_EQ("Cam small", s->Label());
    ASSERT_EQ(1, s->ComponentCostValueRangeCount());
    EXPECT_TRUE(s->ComponentCostValueRangeAt(0)->CheckValue(5.0f));
    EXPECT_EQ(component_, s->component());
  }
}

TEST_F(ComponentCostsValueSlotTest,
       CopyComponentCostIsIndependentOfTheTemplate) {
  const StepPtr mill = step(10.0f);
  const ContainerPtr amount = container("2");
  ComponentCostsValueSlot slot("Cam small", template_);
  slot.SetAmountFormula(mill, amount);
  slot.AddComponentCostInformation("source", "catalogue 2024");

  const boost::shared_ptr<ComponentCost> copy = slot.CopyComponentCost();
  ASSERT_TRUE(copy);
  EXPECT_EQ("Cam small", copy->label());
  EXPECT_EQ(component_, copy->component());
  ASSERT_EQ(1u, copy->information().size());
  EXPECT_EQ("catalogue 2024", copy->information()[0].second);
  ASSERT_EQ(1u, copy->stepAmounts().size());
  EXPECT_NE(amount, copy->stepAmounts().begin()->second);

  copy->stepAmounts().begin()->second->setFormulaAt(0, "5");
  EXPECT_DOUBLE_EQ(50.0, copy->Cost(mill));
  EXPECT_DOUBLE_EQ(20.0, slot.componentCost().Cost(mill));
}

TEST_F(ComponentCostsValueSlotTest,
       ReplaceAmountFormulasSharesTheOthersContainers) {
  const StepPtr mill = step(10.0f);
  const StepPtr grind = step(1.0f);
  const ContainerPtr newer = container("4");
  ComponentCostsValueSlot stored("Cam small", template_);
  stored.SetAmountFormula(mill, container("2"));
  stored.SetAmountFormula(grind, container("7"));
  ComponentCostsValueSlot incoming("Cam small", template_);
  incoming.SetAmountFormula(mill, newer);

  stored.ReplaceComponentCostAmountFormulas(incoming);
  EXPECT_EQ(newer, stored.componentCost().stepAmounts().at(mill));
  EXPECT_DOUBLE_EQ(40.0, stored.componentCost().Cost(mill));
  EXPECT_DOUBLE_EQ(7.0, stored.componentCost().Cost(grind));
}

}  // namespace
}  // namespace VelkData
