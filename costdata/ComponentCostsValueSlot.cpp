#include "costdata/ComponentCostsValueSlot.h"

#include "costdata/Component.h"

namespace VelkData {

ComponentCostsValueSlot::ComponentCostsValueSlot() : QObject() {}

ComponentCostsValueSlot::ComponentCostsValueSlot(const std::string& label,
                                                 const ComponentCost& cost)
    : QObject(), componentCost_(cost) {
  componentCost_.setLabel(label);
}

ComponentCostsValueSlot::ComponentCostsValueSlot(
    const ComponentCostsValueSlot& other)
    : QObject(), ranges_(other.ranges_), componentCost_(other.componentCost_) {}

ComponentCostsValueSlot& ComponentCostsValueSlot::operator=(
    const ComponentCostsValueSlot& other) {
  // The object base keeps its own identity; only the fields are taken over.
  ranges_ = other.ranges_;
  componentCost_ = other.componentCost_;
  return *this;
}

ComponentCostsValueSlot::~ComponentCostsValueSlot() {}

void ComponentCostsValueSlot::virtualDummyFunction() {}

const std::string& ComponentCostsValueSlot::Label() const {
  return componentCost_.label();
}

boost::shared_ptr<TamberData::Component> ComponentCostsValueSlot::component()
    const {
  return componentCost_.component();
}

void ComponentCostsValueSlot::AddComponentCostValueRange(
    const ComponentCostValueRange& range) {
  ranges_.push_back(range);
}

int ComponentCostsValueSlot::ComponentCostValueRangeCount() const {
  return static_cast<int>(ranges_.size());
}

ComponentCostValueRange* ComponentCostsValueSlot::ComponentCostValueRangeAt(
    int i) {
  if (i < 0 || i >= ComponentCostValueRangeCount()) return nullptr;
  return &ranges_[i];
}

const ComponentCostValueRange*
ComponentCostsValueSlot::ComponentCostValueRangeAt(int i) const {
  if (i < 0 || i >= ComponentCostValueRangeCount()) return nullptr;
  return &ranges_[i];
}

boost::shared_ptr<ComponentCost> ComponentCostsValueSlot::CopyComponentCost()
    const {
  return componentCost_.clone();
}

void ComponentCostsValueSlot::SetAmountFormula(
    const boost::shared_ptr<ManufacturingStep>& step,
    const boost::shared_ptr<FormulaContainer>& amount) {
  componentCost_.SetAmountFormula(step, amount);
}

void ComponentCostsValueSlot::SetAmountFormula(
    const boost::shared_ptr<ToolMaterial>& material,
    const boost::shared_ptr<FormulaContainer>& amount) {
  componentCost_.SetAmountFormula(material, amount);
}

void ComponentCostsValueSlot::AddComponentCostInformation(
    const std::string& key, const std::string& value) {
  componentCost_.addInformation(key, value);
}

void ComponentCostsValueSlot::ReplaceComponentCostAmountFormulas(
    const ComponentCostsValueSlot& other) {
  componentCost_.ReplaceAmountFormulas(other.componentCost_);
}

}  // namespace VelkData
