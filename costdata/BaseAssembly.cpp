#include "costdata/BaseAssembly.h"

#include <cmath>
#include <limits>

#include "costdata/Component.h"
#include "costdata/CostDriver.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"

namespace VelkData {

namespace {

bool isValidIndex(int i, std::size_t size) {
  return i >= 0 && static_cast<std::size_t>(i) < size;
}

}  // namespace

BaseAssembly::BaseAssembly() {}

BaseAssembly::BaseAssembly(const std::string& label,
                           const std::string& operationType)
    : label_(label), operationType_(operationType) {}

BaseAssembly::~BaseAssembly() {}

void BaseAssembly::virtualDummyFunction() {}

void BaseAssembly::AddComponent(
    const boost::shared_ptr<TamberData::Component>& component,
    const boost::shared_ptr<FormulaContainer>& amountFormula,
    int mergeBehavior) {
  components_.push_back(component);
  amountFormulas_.push_back(amountFormula);
  mergeBehaviors_.push_back(mergeBehavior);
}

int BaseAssembly::ComponentCount() const {
  return static_cast<int>(components_.size());
}

boost::shared_ptr<TamberData::Component> BaseAssembly::ComponentAt(
    int i) const {
  if (!isValidIndex(i, components_.size())) {
    return boost::shared_ptr<TamberData::Component>();
  }
  return components_[i];
}

boost::shared_ptr<FormulaContainer> BaseAssembly::AmountFormulaAt(int i) const {
  if (!isValidIndex(i, amountFormulas_.size())) {
    return boost::shared_ptr<FormulaContainer>();
  }
  return amountFormulas_[i];
}

int BaseAssembly::AmountAt(int i) const {
  const boost::shared_ptr<FormulaContainer> formula = AmountFormulaAt(i);
  if (!formula) {
    throw NoFormulaResultException("No amount formula for component " +
                                   std::to_string(i) + " of base assembly " +
                                   label_);
  }
  const double amount = formula->evalFormulaDouble();
  // Converting a value outside the int range is undefined; such a value is
  // no count of components anyway.
  if (!(std::fabs(amount) <
        static_cast<double>(std::numeric_limits<int>::max()) + 1.0)) {
    throw NoFormulaResultException(
        "Amount formula " + formula->recentFormula() + " of base assembly " +
        label_ + " gives " + FormulaContainer::toString(amount) +
        ", which is no number of components");
  }
  return static_cast<int>(amount);
}

int BaseAssembly::mergeBehaviorAt(int i) const {
  if (!isValidIndex(i, mergeBehaviors_.size())) {
    return -1;
  }
  return mergeBehaviors_[i];
}

bool BaseAssembly::RemoveComponent(
    const boost::shared_ptr<TamberData::Component>& c) {
  for (std::size_t i = 0; i < components_.size(); ++i) {
    if (components_[i] == c) {
      RemoveComponentAt(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

void BaseAssembly::RemoveComponentAt(int i) {
  // The lists are index for index; each is checked on its own so that one
  // read short from an old archive cannot make the erase run past its end.
  if (isValidIndex(i, components_.size())) {
    components_.erase(components_.begin() + i);
  }
  if (isValidIndex(i, amountFormulas_.size())) {
    amountFormulas_.erase(amountFormulas_.begin() + i);
  }
  if (isValidIndex(i, mergeBehaviors_.size())) {
    mergeBehaviors_.erase(mergeBehaviors_.begin() + i);
  }
}

void BaseAssembly::SetAmountDependencies(
    const std::vector<boost::shared_ptr<CostDriver>>& drivers) {
  for (const boost::shared_ptr<FormulaContainer>& container : amountFormulas_) {
    if (!container) {
      continue;
    }
    const int formulaCount = container->formulaCount();
    for (int f = 0; f < formulaCount; ++f) {
      const std::string text = container->formulaAt(f);
      for (const boost::shared_ptr<CostDriver>& driver : drivers) {
        // An empty id would be found in every text; it names nothing.
        if (driver && !driver->id().empty() &&
            text.find(driver->id()) != std::string::npos) {
          container->addDependency(driver);
        }
      }
    }
  }
}

boost::shared_ptr<TamberData::Component> BaseAssembly::getLowerDieSet() const {
  return firstActiveWithKeyPrefix("CT_300");
}

boost::shared_ptr<TamberData::Component> BaseAssembly::getUpperDieSet() const {
  return firstActiveWithKeyPrefix("CT_301");
}

boost::shared_ptr<TamberData::Component> BaseAssembly::firstActiveWithKeyPrefix(
    const std::string& prefix) const {
  for (const boost::shared_ptr<TamberData::Component>& component :
       components_) {
    if (component &&
        component->getComponentKey().compare(0, prefix.size(), prefix) == 0 &&
        !component->Deactivated()) {
      return component;
    }
  }
  return boost::shared_ptr<TamberData::Component>();
}

bool BaseAssembly::isDieset() const { return operationType_ == "DIESET"; }

boost::shared_ptr<BaseAssembly> BaseAssembly::clone() const {
  boost::shared_ptr<BaseAssembly> copy(
      new BaseAssembly(label_, operationType_));
  for (std::size_t i = 0; i < components_.size(); ++i) {
    boost::shared_ptr<TamberData::Component> component;
    if (components_[i]) {
      component = components_[i]->clone();
    }
    boost::shared_ptr<FormulaContainer> formula;
    if (i < amountFormulas_.size() && amountFormulas_[i]) {
      formula = amountFormulas_[i]->clone();
    }
    copy->AddComponent(component, formula,
                       mergeBehaviorAt(static_cast<int>(i)));
  }
  return copy;
}

}  // namespace VelkData
