#include "costdata/ComponentCost.h"

#include <QtGlobal>
#include <cstdio>

#include "costdata/Component.h"
#include "costdata/CostDriver.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Operation.h"
#include "costdata/ToolMaterial.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"

namespace VelkData {

namespace {

// Formulas name drivers by plain substring; an empty identifier would match
// every text, so it names nothing.
bool mentions(const std::string& text, const std::string& name) {
  return !name.empty() && text.find(name) != std::string::npos;
}

// The factor of a cost formula as printf's "%g" writes it.
std::string generalFormat(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

template <class Key>
boost::shared_ptr<FormulaContainer> findAmount(
    const std::map<boost::shared_ptr<Key>, boost::shared_ptr<FormulaContainer>>&
        amounts,
    const boost::shared_ptr<Key>& key) {
  if (!key) return boost::shared_ptr<FormulaContainer>();
  auto it = amounts.find(key);
  if (it == amounts.end()) return boost::shared_ptr<FormulaContainer>();
  return it->second;
}

// The amount times `factor`; a formula without a value is logged with
// `format` (formula, record label, component cost label, reason) and
// contributes nothing.
double evaluateCost(FormulaContainer& amount, float factor, const char* format,
                    const std::string& recordLabel,
                    const std::string& costLabel) {
  try {
    return factor * amount.evalFormulaDouble();
  } catch (const NoFormulaResultException& e) {
    qDebug(format, amount.recentFormula().c_str(), recordLabel.c_str(),
           costLabel.c_str(), e.what());
    return 0.0;
  }
}

}  // namespace

ComponentCost::ComponentCost() {}

ComponentCost::ComponentCost(
    const boost::shared_ptr<TamberData::Component>& component) {
  setComponent(component);
}

ComponentCost::~ComponentCost() {}

void ComponentCost::virtualDummyFunction() {}

void ComponentCost::setComponent(
    const boost::shared_ptr<TamberData::Component>& component) {
  component_ = component;
  if (!component_) return;
  boost::shared_ptr<Operation> own = component_->operation();
  if (own) SetOperation(own);
  for (int i = 0; i < component_->parameterCount(); ++i) {
    UpdateDependencies(component_->parameterAt(i));
  }
}

boost::shared_ptr<Operation> ComponentCost::operation() const {
  if (!component_) return boost::shared_ptr<Operation>();
  return component_->operation();
}

void ComponentCost::SetOperation(
    const boost::shared_ptr<Operation>& operation) {
  if (!operation) {
    const std::string componentLabel =
        component_ ? component_->label() : std::string();
    qDebug("op == NULL when calling SetOperation for %s of Type %s",
           label_.c_str(), componentLabel.c_str());
    return;
  }
  if (component_) component_->setOperation(operation);
  for (const boost::shared_ptr<CostDriver>& driver :
       operation->GetAllCostDrivers()) {
    UpdateDependencies(driver);
  }
}

void ComponentCost::UpdateDependencies(
    const boost::shared_ptr<CostDriver>& driver) {
  if (!driver) return;
  for (const auto& entry : stepAmounts_) {
    if (mentions(entry.second->formulaAt(0), driver->id())) {
      entry.second->addDependency(driver);
    }
  }
  for (const auto& entry : materialAmounts_) {
    if (mentions(entry.second->formulaAt(0), driver->id())) {
      entry.second->addDependency(driver);
    }
  }
}

void ComponentCost::wireParameters(
    const boost::shared_ptr<FormulaContainer>& amount) {
  if (!component_) return;
  const std::string formula = amount->formulaAt(0);
  for (int i = 0; i < component_->parameterCount(); ++i) {
    boost::shared_ptr<CostDriver> parameter = component_->parameterAt(i);
    if (parameter && mentions(formula, parameter->id())) {
      amount->addDependency(parameter);
    }
  }
}

void ComponentCost::SetAmountFormula(
    const boost::shared_ptr<ManufacturingStep>& step,
    const boost::shared_ptr<FormulaContainer>& amount) {
  // An entry without step or container could neither be costed nor
  // archived, so it is never made.
  if (!step || !amount) return;
  wireParameters(amount);
  stepAmounts_[step] = amount;
}

void ComponentCost::SetAmountFormula(
    const boost::shared_ptr<ToolMaterial>& material,
    const boost::shared_ptr<FormulaContainer>& amount) {
  if (!material || !amount) return;
  wireParameters(amount);
  materialAmounts_[material] = amount;
}

void ComponentCost::ReplaceAmountFormulas(const ComponentCost& other) {
  // Copies, so that taking over one's own formulas does not walk a map
  // while it is written.
  const StepAmountMap steps = other.stepAmounts_;
  const MaterialAmountMap materials = other.materialAmounts_;
  for (const auto& entry : steps) SetAmountFormula(entry.first, entry.second);
  for (const auto& entry : materials) {
    SetAmountFormula(entry.first, entry.second);
  }
}

double ComponentCost::Cost(
    const boost::shared_ptr<ManufacturingStep>& step) const {
  boost::shared_ptr<FormulaContainer> amount = findAmount(stepAmounts_, step);
  if (!amount) return 0.0;
  return evaluateCost(*amount, step->CostPerHour(),
                      "Could not evaluate cost formula %s for the cost of "
                      "manufacturing step %s of component %s: %s\n",
                      step->label(), label_);
}

double ComponentCost::Cost(
    const boost::shared_ptr<ToolMaterial>& material) const {
  boost::shared_ptr<FormulaContainer> amount =
      findAmount(materialAmounts_, material);
  if (!amount) return 0.0;
  return evaluateCost(*amount, material->CostPerVolumeUnit(),
                      "Could not evaluate cost formula %s for the cost of "
                      "material %s of component %s: %s\n",
                      material->label(), label_);
}

std::string ComponentCost::CostFormula(
    const boost::shared_ptr<ManufacturingStep>& step) const {
  boost::shared_ptr<FormulaContainer> amount = findAmount(stepAmounts_, step);
  if (!amount) return "No cost formula defined";
  return "(" + amount->detailedRecentFormula() + ") * " +
         generalFormat(step->CostPerHour());
}

std::string ComponentCost::CostFormula(
    const boost::shared_ptr<ToolMaterial>& material) const {
  boost::shared_ptr<FormulaContainer> amount =
      findAmount(materialAmounts_, material);
  if (!amount) return "No cost formula defined";
  return "(" + amount->detailedRecentFormula() + ") * " +
         generalFormat(material->CostPerVolumeUnit());
}

void ComponentCost::addInformation(const std::string& key,
                                   const std::string& value) {
  information_.push_back(std::make_pair(key, value));
}

boost::shared_ptr<ComponentCost> ComponentCost::clone() const {
  boost::shared_ptr<ComponentCost> copy(new ComponentCost(component_));
  copy->label_ = label_;
  copy->information_ = information_;

  // A cloned container still records the parameters this cost's formula
  // named; they are dropped and wired afresh from the clone's own text.
  auto detached = [this](const boost::shared_ptr<FormulaContainer>& amount) {
    boost::shared_ptr<FormulaContainer> own = amount->clone();
    if (component_) {
      for (int i = 0; i < component_->parameterCount(); ++i) {
        boost::shared_ptr<CostDriver> parameter = component_->parameterAt(i);
        if (parameter) own->removeDependency(parameter);
      }
    }
    return own;
  };
  for (const auto& entry : stepAmounts_) {
    copy->SetAmountFormula(entry.first, detached(entry.second));
  }
  for (const auto& entry : materialAmounts_) {
    copy->SetAmountFormula(entry.first, detached(entry.second));
  }
  return copy;
}

}  // namespace VelkData
