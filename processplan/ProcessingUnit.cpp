#include "processplan/ProcessingUnit.h"

#include <QtGlobal>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <deque>

#include "costdata/Component.h"
#include "costdata/CostDriver.h"
#include "costdata/Operation.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "processplan/Constraint.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessFactoryFeature.h"

namespace TamberData {

namespace {

// Whether any text of `formula` names `id` (plain substring test, so an id
// that is the start of a longer one matches it as well).
bool mentions(const VelkData::FormulaContainer& formula,
              const std::string& id) {
  for (int k = 0; k < formula.formulaCount(); ++k) {
    if (formula.formulaAt(k).find(id) != std::string::npos) return true;
  }
  return false;
}

bool isCamComponent(const Component& component) {
  return component.getComponentKey() == "CT_000_00" ||
         component.label() == "Cam" || component.label() == "Schieber";
}

}  // namespace

int ProcessingUnit::procUnitCount = 0;

ProcessingUnit::ProcessingUnit()
    : ProcessingUnit(std::string(), std::string(),
                     boost::shared_ptr<Constraint>(), kNoCam, std::string()) {}

ProcessingUnit::ProcessingUnit(const std::string& label,
                               const std::string& associatedFeatureType,
                               const boost::shared_ptr<Constraint>& constraints,
                               CamType camType, const std::string& imageName)
    : label_(label),
      imageName_(imageName),
      index_(-1),
      constraints_(constraints),
      camType_(camType),
      associatedFeatureType_(associatedFeatureType),
      camTypeConfirmed_(false),
      procID_(procUnitCount++) {}

ProcessingUnit::~ProcessingUnit() = default;

void ProcessingUnit::virtualDummyFunction() {}

std::string ProcessingUnit::CamLabel() const { return CamLabel(camType_); }

std::string ProcessingUnit::CamLabel(int camType) {
  switch (camType) {
    case kNoCam:
      return "no cam";
    case kCam:
      return "cam";
    case kFillerCam:
      return "filler cam";
    default:
      return "undefined";
  }
}

void ProcessingUnit::setOperation(
    const boost::shared_ptr<VelkData::Operation>& operation) {
  operation_ = operation;
  if (operation_) {
    const std::vector<boost::shared_ptr<VelkData::CostDriver>> drivers =
        operation_->GetAllCostDrivers();
    SetAmountDependencies(drivers);
    // A formula may still read the same-named driver of an earlier
    // operation; it must read this operation's values from now on.
    for (const boost::shared_ptr<VelkData::CostDriver>& driver : drivers) {
      for (const boost::shared_ptr<VelkData::FormulaContainer>& formula :
           amountFormulas_) {
        if (formula && driver) formula->replaceDependencyIFAvailable(driver);
      }
    }
  }
  updateComponentAmounts();
}

boost::shared_ptr<Component> ProcessingUnit::componentAt(int i) const {
  if (i < 0 || i >= componentCount()) return boost::shared_ptr<Component>();
  return components_[i];
}

std::vector<boost::shared_ptr<Component>> ProcessingUnit::componentsByLabel(
    const std::string& label) const {
  std::vector<boost::shared_ptr<Component>> result;
  for (const boost::shared_ptr<Component>& component : components_) {
    if (component && component->label() == label) result.push_back(component);
  }
  return result;
}

void ProcessingUnit::setComponentAt(
    int i, const boost::shared_ptr<Component>& component) {
  if (!component || i < 0 || i >= componentCount()) return;
  components_[i] = component;
}

void ProcessingUnit::removeComponentAt(int i) {
  if (i < 0 || i >= componentCount()) return;
  components_.erase(components_.begin() + i);
}

void ProcessingUnit::replaceExistingComponentWith(
    const boost::shared_ptr<Component>& component) {
  if (!component) return;
  for (boost::shared_ptr<Component>& own : components_) {
    if (own && own->label() == component->label()) {
      own = component;
      return;
    }
  }
}

void ProcessingUnit::addSourceComponent(
    const boost::shared_ptr<Component>& component,
    const boost::shared_ptr<VelkData::FormulaContainer>& amount,
    bool oneSetPerGroup) {
  if (!component || !amount) return;
  sourceComponents_.push_back(component);
  amountFormulas_.push_back(amount);
  oneSetPerGroup_.push_back(oneSetPerGroup);
  sourceAmounts_.push_back(0);
  updateComponentAmounts();
}

boost::shared_ptr<Component> ProcessingUnit::sourceComponentAt(int j) const {
  if (j < 0 || j >= sourceComponentCount()) {
    return boost::shared_ptr<Component>();
  }
  return sourceComponents_[j];
}

boost::shared_ptr<VelkData::FormulaContainer> ProcessingUnit::amountFormulaAt(
    int j) const {
  if (j < 0 || j >= static_cast<int>(amountFormulas_.size())) {
    return boost::shared_ptr<VelkData::FormulaContainer>();
  }
  return amountFormulas_[j];
}

bool ProcessingUnit::oneSetPerGroupAt(int j) const {
  if (j < 0 || j >= static_cast<int>(oneSetPerGroup_.size())) return false;
  return oneSetPerGroup_[j];
}

int ProcessingUnit::sourceAmountAt(int j) const {
  if (j < 0 || j >= static_cast<int>(sourceAmounts_.size())) return 0;
  return sourceAmounts_[j];
}

void ProcessingUnit::SetAmountDependencies(
    const std::vector<boost::shared_ptr<VelkData::CostDriver>>& drivers) {
  for (const boost::shared_ptr<VelkData::FormulaContainer>& formula :
       amountFormulas_) {
    if (!formula) continue;
    for (const boost::shared_ptr<VelkData::CostDriver>& driver : drivers) {
      if (driver && mentions(*formula, driver->id())) {
        formula->addDependency(driver);
      }
    }
  }
}

int ProcessingUnit::evaluateAmount(int j) {
  const boost::shared_ptr<VelkData::FormulaContainer>& formula =
      amountFormulas_[j];
  if (!formula) return 0;
  double value = 0.0;
  try {
    value = formula->evalFormulaDouble();
  } catch (const VelkData::NoFormulaResultException& e) {
    qDebug(
        "Could not evaluate formula %s for the number of Components for "
        "ProcessingUnit %s: %s",
        formula->recentFormula().c_str(), label_.c_str(), e.what());
    return 0;
  }
  // A count below zero means none; a value that is no number or does not
  // fit an int cannot be a count and must not reach the conversion.
  if (!(value >= 0.0) || value >= static_cast<double>(INT_MAX)) return 0;
  return static_cast<int>(value);
}

void ProcessingUnit::updateComponentAmounts() {
  // Only a `PartFeatureGroup` answers `isGroup`; its members are its
  // children.
  const boost::shared_ptr<PartFeature> feature = partFeature();
  const boost::shared_ptr<PartFeature> group =
      feature && feature->isGroup() ? feature
                                    : boost::shared_ptr<PartFeature>();
  if (group) {
    std::printf(
        "ProcessingUnit[%s]::updateComponentAmounts()  "
        "unitBelongsToGroup=true\n",
        group->label().c_str());
    std::fflush(stdout);
  }
  const int groupMembers = group ? group->childrenCount() : 0;

  // Each present component is reused at most once, so that two sources with
  // equal keys keep their own components instead of sharing the first ones.
  std::vector<bool> reused(components_.size(), false);
  std::vector<boost::shared_ptr<Component>> rebuilt;
  for (int j = 0; j < sourceComponentCount(); ++j) {
    sourceAmounts_[j] = 0;
    const boost::shared_ptr<Component>& source = sourceComponents_[j];
    // Only an archive can bring a missing source; it makes nothing.
    if (!source) continue;
    const int amount = evaluateAmount(j);
    sourceAmounts_[j] = amount;
    if (amount == 0) continue;

    std::vector<size_t> present;
    for (size_t k = 0; k < components_.size(); ++k) {
      if (!reused[k] && components_[k] && *components_[k] == *source) {
        present.push_back(k);
      }
    }
    const long long wanted = (group && !oneSetPerGroup_[j])
                                 ? static_cast<long long>(amount) * groupMembers
                                 : amount;
    size_t next = 0;
    for (long long made = 0; made < wanted; ++made) {
      if (next < present.size()) {
        reused[present[next]] = true;
        rebuilt.push_back(components_[present[next++]]->clone());
      } else {
        rebuilt.push_back(source->clone());
      }
    }
  }
  components_.swap(rebuilt);

  // Units sharing a component must hold the very object this unit holds.
  for (const boost::shared_ptr<Component>& component : components_) {
    for (int r = 0; r < component->relatedProcessingUnitCount(); ++r) {
      const boost::shared_ptr<ProcessingUnit> other =
          component->relatedProcessingUnitAt(r);
      // This unit itself may be related; replacing its first same-label
      // component would put one object in two places of its own list.
      if (other && other.get() != this) {
        other->replaceExistingComponentWith(component);
      }
    }
  }

  updateComponentAttributes(groupMembers);
}

void ProcessingUnit::updateComponentAttributes(int groupMembers) {
  const boost::shared_ptr<PartFeature> feature = partFeature();
  const bool group = feature && feature->isGroup();
  const size_t count = components_.size();
  size_t position = 0;
  for (int j = 0; j < sourceComponentCount() && position < count; ++j) {
    const size_t amount = static_cast<size_t>(sourceAmounts_[j]);
    if (group && !oneSetPerGroup_[j]) {
      for (int c = 0; c < groupMembers; ++c) {
        const boost::shared_ptr<PartFeature> member = feature->childAt(c);
        for (size_t k = 0; k < amount && position < count; ++k) {
          if (components_[position]) {
            components_[position]->setPartFeature(member);
          }
          ++position;
        }
      }
    } else {
      for (size_t k = 0; k < amount && position < count; ++k) {
        if (components_[position]) {
          components_[position]->setPartFeature(feature);
        }
        ++position;
      }
    }
  }
  // Every component follows the unit's operation, an empty one included: a
  // clone still carrying its original's operation is detached, and each
  // component reports the missing operation on the debug output.
  for (const boost::shared_ptr<Component>& component : components_) {
    if (component) component->setOperation(operation_);
  }
}

bool ProcessingUnit::needACam(
    const boost::shared_ptr<VelkData::Operation>& operation) const {
  const std::vector<double> tipping =
      operation ? operation->tippingVector() : std::vector<double>();
  if (tipping.size() != 3) {
    qDebug("error, no stage tipping available in xolo!");
    return false;
  }
  const boost::shared_ptr<PartFeature> feature = partFeature();
  const std::deque<double> direction =
      feature ? feature->processingDirection() : std::deque<double>();
  if (direction.size() != 3) return true;

  double dot, p;
  ProcessFactoryFeature::dotAndLengths(direction, tipping, &dot, &p);
  if (p == 0.0 || p < 1e-14) return true;
  return ProcessFactoryFeature::isCamAngle(
      ProcessFactoryFeature::angle(dot, p) * 57.29577951308232);
}

int ProcessingUnit::getSharedCamProcID() const {
  int result = -1;
  for (const boost::shared_ptr<Component>& component : components_) {
    if (!component || !isCamComponent(*component)) continue;
    boost::shared_ptr<ProcessingUnit> nearest;
    for (int r = 0; r < component->relatedProcessingUnitCount(); ++r) {
      const boost::shared_ptr<ProcessingUnit> unit =
          component->relatedProcessingUnitAt(r);
      if (!unit || unit->getIndex() < 0) continue;
      if (!nearest || unit->getIndex() < nearest->getIndex()) nearest = unit;
    }
    if (nearest) result = nearest->getProcID();
  }
  return result;
}

boost::shared_ptr<ProcessingUnit> ProcessingUnit::clone() const {
  boost::shared_ptr<ProcessingUnit> copy(new ProcessingUnit(
      label_, associatedFeatureType_,
      constraints_ ? constraints_->clone() : boost::shared_ptr<Constraint>(),
      camType_, imageName_));
  for (int j = 0; j < sourceComponentCount(); ++j) {
    copy->sourceComponents_.push_back(sourceComponents_[j]
                                          ? sourceComponents_[j]->clone()
                                          : boost::shared_ptr<Component>());
    // The copy gets formulas of its own: `setOperation` wires the formulas
    // to the drivers of the copy's operation, which must not rewire this
    // unit's formulas to another operation.
    copy->amountFormulas_.push_back(
        amountFormulas_[j] ? amountFormulas_[j]->clone()
                           : boost::shared_ptr<VelkData::FormulaContainer>());
    copy->oneSetPerGroup_.push_back(oneSetPerGroup_[j]);
    copy->sourceAmounts_.push_back(sourceAmounts_[j]);
  }
  for (const boost::shared_ptr<Component>& component : components_) {
    if (component) copy->components_.push_back(component->clone());
  }
  // The feature first: the rebuild that `setOperation` runs points the
  // components at it and counts the members of a group.
  copy->partFeature_ = partFeature_;
  copy->setOperation(operation_);
  return copy;
}

std::vector<boost::shared_ptr<ProcessingUnit>>
ProcessingUnit::linkedProcessingUnits() const {
  std::vector<boost::shared_ptr<ProcessingUnit>> linked;
  for (const boost::shared_ptr<Component>& component : components_) {
    if (!component) continue;
    for (int r = 0; r < component->relatedProcessingUnitCount(); ++r) {
      const boost::shared_ptr<ProcessingUnit> unit =
          component->relatedProcessingUnitAt(r);
      if (!unit || unit.get() == this) continue;
      if (std::find(linked.begin(), linked.end(), unit) == linked.end()) {
        linked.push_back(unit);
      }
    }
  }
  return linked;
}

void ProcessingUnit::removeLinkedProcUnit(
    const boost::shared_ptr<ProcessingUnit>& unit) {
  if (!unit) return;
  const std::vector<boost::shared_ptr<ProcessingUnit>> linked =
      linkedProcessingUnits();
  if (std::find(linked.begin(), linked.end(), unit) == linked.end()) return;
  for (const boost::shared_ptr<Component>& component : components_) {
    if (component) component->removeRelatedProcessingUnit(unit);
  }
}

bool ProcessingUnit::operator==(const ProcessingUnit& other) const {
  const boost::shared_ptr<PartFeature> feature = partFeature();
  if (!feature) return false;
  return feature->equals(other.partFeature()) && index_ == other.index_;
}

}  // namespace TamberData
