#include "processplan/ProcessDatabase.h"

#include <QDateTime>
#include <QDebug>
#include <QString>
#include <algorithm>
#include <cstddef>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDriver.h"
#include "costdata/CostDriverBool.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostDriverInt.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "external/Stage.h"
#include "formula/NoFormulaResultException.h"
#include "processplan/IteratorFeature.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessingUnit.h"
#include "processplan/ValueNotFoundException.h"

namespace TamberData {

namespace {

using VelkData::Operation;
using VelkData::Press;

// Hands the value of `from` to `to` when both are drivers of `Driver`'s kind
// (or a subclass of it); returns whether they were.
template <class Driver, class Transfer>
bool handOver(const boost::shared_ptr<VelkData::CostDriver>& from,
              const boost::shared_ptr<VelkData::CostDriver>& to,
              Transfer transfer) {
  boost::shared_ptr<Driver> source = boost::dynamic_pointer_cast<Driver>(from);
  boost::shared_ptr<Driver> target = boost::dynamic_pointer_cast<Driver>(to);
  if (!source || !target) return false;
  transfer(*source, *target);
  return true;
}

// Copies the value of `from` into `to`, kind by kind. The explicit-value
// setters used here notify the new driver's dependents, so values that the
// new operation computes from it follow at once.
void handOverValue(const boost::shared_ptr<VelkData::CostDriver>& from,
                   const boost::shared_ptr<VelkData::CostDriver>& to) {
  using VelkData::CostDriverBool;
  using VelkData::CostDriverDouble;
  using VelkData::CostDriverEnum;
  using VelkData::CostDriverInt;
  // Checked from the most derived kind up; CostDriverIntRange travels as an
  // int.
  if (handOver<CostDriverDouble>(
          from, to, [](const CostDriverDouble& s, CostDriverDouble& t) {
            t.setValue(s.doubleValue());
          })) {
    return;
  }
  if (handOver<CostDriverInt>(from, to,
                              [](const CostDriverInt& s, CostDriverInt& t) {
                                // The float setter, unlike the int one,
                                // notifies; the value is whole already.
                                t.setValue(s.doubleValue());
                              })) {
    return;
  }
  if (handOver<CostDriverEnum>(from, to,
                               [](const CostDriverEnum& s, CostDriverEnum& t) {
                                 // By text: the two operation types may number
                                 // their choices differently.
                                 const std::string text = s.stringValue();
                                 if (t.containsEnumString(text))
                                   t.setValue(text);
                               })) {
    return;
  }
  handOver<CostDriverBool>(
      from, to, [](const CostDriverBool& s, CostDriverBool& t) {
        // The truth travels, in the new driver's own numbers.
        t.setValue(s.boolValue() ? t.trueValue() : t.falseValue());
      });
}

bool contains(const std::vector<boost::shared_ptr<Operation>>& operations,
              const boost::shared_ptr<Operation>& operation) {
  return std::find(operations.begin(), operations.end(), operation) !=
         operations.end();
}

// Whether two die-set components stand for the same die set. Die-set
// sharing puts one component into several operations, and clones of it
// (after archiving, for instance) keep the operations they are used in, so
// the operation list identifies the die set.
bool sameDieSet(const Component& a, const Component& b) {
  if (&a == &b) return true;
  const std::vector<boost::shared_ptr<Operation>> opsA = a.operations();
  const std::vector<boost::shared_ptr<Operation>> opsB = b.operations();
  if (opsA.size() != opsB.size() || opsA.empty()) return false;
  if (!opsA.front() || !opsB.front()) return false;
  return opsA.front()->label() == opsB.front()->label();
}

}  // namespace

ProcessDatabase::ProcessDatabase()
    : id_(QDateTime::currentDateTime().toString(Qt::ISODate).toStdString()),
      featuresHaveBeenDetected_(false) {}

ProcessDatabase::~ProcessDatabase() {}

void ProcessDatabase::virtualDummyFunction() {}

bool ProcessDatabase::inLine(int index) const {
  return index >= 0 && index < OperationCount();
}

int ProcessDatabase::OperationCount() const {
  return static_cast<int>(operations_.size());
}

boost::shared_ptr<Operation> ProcessDatabase::OperationAt(int index) const {
  if (!inLine(index)) return boost::shared_ptr<Operation>();
  return operations_[index];
}

std::vector<boost::shared_ptr<Operation>> ProcessDatabase::Operations() const {
  return operations_;
}

std::string ProcessDatabase::OperationTypeAt(int index) const {
  const boost::shared_ptr<Operation> operation = OperationAt(index);
  return operation ? operation->type() : std::string();
}

int ProcessDatabase::OperationTypeCount() const { return OperationCount(); }

int ProcessDatabase::AddOperation(
    const boost::shared_ptr<Operation>& operation) {
  if (!operation) return -1;
  operations_.push_back(operation);
  return OperationCount() - 1;
}

void ProcessDatabase::InsertOperationAt(
    int index, const boost::shared_ptr<Operation>& operation) {
  if (!operation || index < 0 || index > OperationCount()) return;
  operations_.insert(operations_.begin() + index, operation);
}

int ProcessDatabase::RemoveOperation(
    const boost::shared_ptr<Operation>& operation) {
  if (!operation) return -1;
  for (int i = 0; i < OperationCount(); ++i) {
    if (operations_[i] && *operations_[i] == *operation) {
      operations_.erase(operations_.begin() + i);
      return i;
    }
  }
  return -1;
}

void ProcessDatabase::RemoveOperationAt(int index) {
  if (!inLine(index)) return;
  UnshareBaseAssemCompsInOperation(index);
  operations_.erase(operations_.begin() + index);
}

void ProcessDatabase::ReplaceOperationAt(
    int index, const boost::shared_ptr<Operation>& operation, bool copyValues) {
  if (index < 0) return;
  if (index >= OperationCount()) {
    operations_.resize(static_cast<std::size_t>(index) + 1);
  }
  const boost::shared_ptr<Operation> old = operations_[index];
  if (copyValues && old && operation && old != operation) {
    const std::vector<boost::shared_ptr<VelkData::CostDriver>> newDrivers =
        operation->GetAllCostDrivers();
    for (const boost::shared_ptr<VelkData::CostDriver>& from :
         old->GetAllCostDrivers()) {
      if (!from) continue;
      for (const boost::shared_ptr<VelkData::CostDriver>& to : newDrivers) {
        if (!to || to->id() != from->id()) continue;
        // A value the old operation cannot compute has nothing to hand
        // over; the new driver keeps its own.
        try {
          handOverValue(from, to);
        } catch (const VelkData::NoFormulaResultException& e) {
          qDebug("Cost driver %s keeps its value: %s", from->id().c_str(),
                 e.what());
        }
        break;
      }
    }
  }
  operations_[index] = operation;
}

bool ProcessDatabase::ChangeOperationTypeAt(int index,
                                            const std::string& newType,
                                            std::string& message) {
  const boost::shared_ptr<Operation> old = OperationAt(index);
  if (!old) {
    message = "No operation at index " + std::to_string(index);
    return false;
  }
  const boost::shared_ptr<Operation> created = CreateOperation(newType);
  if (!created) {
    message = "Operation type '" + newType + "' has no reference operation";
    return false;
  }

  const boost::shared_ptr<VelkUtils::Stage> stage = old->stage();
  if (stage && !created->ShouldBeEmpty()) {
    const std::vector<std::string>& allowed = stage->AllowedOperationTypes();
    if (std::find(allowed.begin(), allowed.end(), newType) == allowed.end()) {
      // Taking the stage over writes the operation's label to it, so the
      // message names the stage by that label. Its tool dimensions and
      // description are left alone until the change is certain: a refused
      // change must not leave the reference's values in the stage.
      old->SetStageLabel(old->label());
      const std::string pressLabel =
          currentPress_ ? currentPress_->label() : std::string();
      message = "Operation " + old->label() + "' is of type '" + newType +
                "' which is not allowed for stage '" + stage->Label() +
                "' of the current press '" + pressLabel + "'";
      return false;
    }
  }

  // The clone shares the reference operation's stage; it is detached from
  // it before the label is written through.
  created->SetStage(stage);
  created->SetLabel(old->label());
  created->setPress(old->press());

  UnshareBaseAssemCompsInOperation(index);
  operations_.erase(operations_.begin() + index);
  operations_.insert(operations_.begin() + index, created);
  return true;
}

int ProcessDatabase::OperationCount(
    const boost::shared_ptr<Press>& press) const {
  if (!press) return 0;
  int count = 0;
  for (const boost::shared_ptr<Operation>& operation : operations_) {
    if (operation && operation->press() == press) ++count;
  }
  return count;
}

int ProcessDatabase::FirstOperationOn(
    const boost::shared_ptr<Press>& press) const {
  if (!press) return -1;
  for (int i = 0; i < OperationCount(); ++i) {
    if (operations_[i] && operations_[i]->press() == press) return i;
  }
  return -1;
}

int ProcessDatabase::LastOperationOn(
    const boost::shared_ptr<Press>& press) const {
  if (!press) return -1;
  for (int i = OperationCount() - 1; i >= 0; --i) {
    if (operations_[i] && operations_[i]->press() == press) return i;
  }
  return -1;
}

boost::shared_ptr<Operation> ProcessDatabase::getFirstFormStage() const {
  for (const boost::shared_ptr<Operation>& operation : operations_) {
    if (!operation) continue;
    const boost::shared_ptr<VelkUtils::Stage> stage = operation->stage();
    if (stage && stage->getStageType() == VelkUtils::Stage::kFormingStage) {
      return operation;
    }
  }
  return boost::shared_ptr<Operation>();
}

std::vector<boost::shared_ptr<ProcessingUnit>>
ProcessDatabase::getProcUnitsFromOP(
    const boost::shared_ptr<Operation>& operation) const {
  std::vector<boost::shared_ptr<ProcessingUnit>> units;
  // Without this check every unassigned unit would match.
  if (!operation) return units;
  for (IteratorFeature it(*this); !it.isDone(); it.next()) {
    const boost::shared_ptr<PartFeature> feature = it.currentItem();
    if (!feature) continue;
    for (const boost::shared_ptr<ProcessingUnit>& unit :
         feature->getProcessingUnits()) {
      if (unit && unit->operation() == operation) units.push_back(unit);
    }
  }
  return units;
}

std::vector<boost::shared_ptr<ProcessingUnit>>
ProcessDatabase::findParentProcUnits(
    const boost::shared_ptr<PartFeature>& feature) const {
  if (feature) {
    for (IteratorFeature it(*this); !it.isDone(); it.next()) {
      const boost::shared_ptr<PartFeature> candidate = it.currentItem();
      if (!candidate || !candidate->isGroup()) continue;
      const std::vector<boost::shared_ptr<PartFeature>> children =
          candidate->getChildren();
      if (std::find(children.begin(), children.end(), feature) !=
          children.end()) {
        return candidate->getProcessingUnits();
      }
    }
  }
  return std::vector<boost::shared_ptr<ProcessingUnit>>();
}

void ProcessDatabase::UnshareBaseAssemCompsInOperation(int index) {
  const boost::shared_ptr<Operation> target = OperationAt(index);
  if (!target) return;
  for (const boost::shared_ptr<Operation>& operation : operations_) {
    if (!operation) continue;
    const boost::shared_ptr<VelkData::BaseAssembly> assembly =
        operation->baseAssembly();
    if (!assembly) continue;
    // Backwards, so that a removal does not move entries still to visit.
    for (int i = assembly->ComponentCount() - 1; i >= 0; --i) {
      const boost::shared_ptr<Component> component = assembly->ComponentAt(i);
      if (!component || !component->isOPShared() ||
          !contains(component->operations(), target)) {
        continue;
      }
      for (const boost::shared_ptr<Component>& child :
           component->getChildComps()) {
        if (child) child->Activate();
      }
      assembly->RemoveComponentAt(i);
    }
  }
}

std::vector<int> ProcessDatabase::getDiesetConfig(bool upper) const {
  std::vector<int> config;
  config.reserve(operations_.size());
  boost::shared_ptr<Component> reference;
  int group = 0;
  for (std::size_t i = 0; i < operations_.size(); ++i) {
    const boost::shared_ptr<Operation>& operation = operations_[i];
    boost::shared_ptr<Component> dieSet;
    if (operation && operation->baseAssembly()) {
      dieSet = upper ? operation->baseAssembly()->getUpperDieSet()
                     : operation->baseAssembly()->getLowerDieSet();
    }
    if (i == 0) {
      reference = dieSet;
    } else if (!dieSet) {
      ++group;
    } else if (!reference || !sameDieSet(*dieSet, *reference)) {
      ++group;
      reference = dieSet;
    }
    config.push_back(group);
  }
  return config;
}

void ProcessDatabase::SetReferenceOperation(
    const std::string& type, const boost::shared_ptr<Operation>& operation) {
  if (!operation) return;
  operation->setType(type);
  referenceOperations_[type] = operation;
}

boost::shared_ptr<Operation> ProcessDatabase::ReferenceOperation(
    const std::string& type) const {
  const auto found = referenceOperations_.find(type);
  if (found == referenceOperations_.end()) {
    return boost::shared_ptr<Operation>();
  }
  return found->second;
}

boost::shared_ptr<Operation> ProcessDatabase::CreateOperation(
    const std::string& type) const {
  const boost::shared_ptr<Operation> reference = ReferenceOperation(type);
  if (!reference) return boost::shared_ptr<Operation>();
  const boost::shared_ptr<Operation> created = reference->clone();
  // The cloned components and amount formulas still read the reference's
  // drivers; a new operation must be costed with its own values.
  if (created->baseAssembly()) {
    created->setBaseAssembly(created->baseAssembly(), created);
  }
  return created;
}

void ProcessDatabase::AddDefaultOperation(
    const boost::shared_ptr<Operation>& operation) {
  if (operation) defaultOperations_.push_back(operation);
}

boost::shared_ptr<Operation> ProcessDatabase::DefaultOperationAt(
    int index) const {
  if (index < 0 || index >= DefaultOperationCount()) {
    return boost::shared_ptr<Operation>();
  }
  return defaultOperations_[index];
}

int ProcessDatabase::DefaultOperationCount() const {
  return static_cast<int>(defaultOperations_.size());
}

int ProcessDatabase::addTopLevelPartFeature(
    const boost::shared_ptr<PartFeature>& feature) {
  if (!feature) return -1;
  topLevelPartFeatures_.push_back(feature);
  return topLevelPartFeatureCount() - 1;
}

void ProcessDatabase::insertTopLevelPartFeatureAt(
    int index, const boost::shared_ptr<PartFeature>& feature) {
  if (!feature || index < 0 || index > topLevelPartFeatureCount()) return;
  topLevelPartFeatures_.insert(topLevelPartFeatures_.begin() + index, feature);
}

void ProcessDatabase::removeTopLevelPartFeatureAt(int index) {
  if (index < 0 || index >= topLevelPartFeatureCount()) return;
  topLevelPartFeatures_.erase(topLevelPartFeatures_.begin() + index);
}

int ProcessDatabase::topLevelPartFeatureCount() const {
  return static_cast<int>(topLevelPartFeatures_.size());
}

boost::shared_ptr<PartFeature> ProcessDatabase::topLevelPartFeatureAt(
    int index) const {
  if (index < 0 || index >= topLevelPartFeatureCount()) {
    return boost::shared_ptr<PartFeature>();
  }
  return topLevelPartFeatures_[index];
}

bool ProcessDatabase::removeTopLevelPartFeature(
    const boost::shared_ptr<PartFeature>& feature, bool mustExist) {
  if (!feature) return false;
  const std::string label = feature->label();
  for (auto it = topLevelPartFeatures_.begin();
       it != topLevelPartFeatures_.end(); ++it) {
    if (*it && (*it)->label() == label) {
      topLevelPartFeatures_.erase(it);
      return true;
    }
  }
  if (mustExist) {
    throw ValueNotFoundException("No top-level part feature with label " +
                                 label);
  }
  return false;
}

std::vector<boost::shared_ptr<PartFeature>> ProcessDatabase::getPartFeatures(
    int fid) const {
  return getPartFeatures(std::vector<int>(1, fid));
}

std::vector<boost::shared_ptr<PartFeature>> ProcessDatabase::getPartFeatures(
    const std::vector<int>& fids) const {
  std::map<int, boost::shared_ptr<PartFeature>> byFid;
  for (IteratorFeature it(*this); !it.isDone(); it.next()) {
    const boost::shared_ptr<PartFeature> feature = it.currentItem();
    if (feature) byFid[feature->getFID()] = feature;
  }
  std::vector<boost::shared_ptr<PartFeature>> features;
  for (int fid : fids) {
    const auto found = byFid.find(fid);
    if (found != byFid.end()) features.push_back(found->second);
  }
  return features;
}

void ProcessDatabase::addReferenceProcessingUnit(
    const std::string& featureType,
    const boost::shared_ptr<ProcessingUnit>& unitNoCam,
    const boost::shared_ptr<ProcessingUnit>& unitCam,
    const boost::shared_ptr<ProcessingUnit>& unitFillerCam) {
  UnitsByCamType& lists = referenceProcessingUnits_[featureType];
  if (unitNoCam) lists[ProcessingUnit::kNoCam].push_back(unitNoCam);
  if (unitCam) lists[ProcessingUnit::kCam].push_back(unitCam);
  if (unitFillerCam) lists[ProcessingUnit::kFillerCam].push_back(unitFillerCam);
}

void ProcessDatabase::referenceProcessingUnits(
    std::vector<boost::shared_ptr<ProcessingUnit>>& out,
    const std::string& featureType, int camType) const {
  // Only the three cam types have lists; any other number must not even be
  // turned into the enumeration.
  if (camType < ProcessingUnit::kNoCam ||
      camType > ProcessingUnit::kFillerCam) {
    return;
  }
  const auto lists = referenceProcessingUnits_.find(featureType);
  if (lists == referenceProcessingUnits_.end()) return;
  const auto units =
      lists->second.find(static_cast<ProcessingUnit::CamType>(camType));
  if (units == lists->second.end()) return;
  out.insert(out.end(), units->second.begin(), units->second.end());
}

void ProcessDatabase::referenceProcessingUnits(
    std::vector<boost::shared_ptr<ProcessingUnit>>& out,
    const std::string& featureType) const {
  referenceProcessingUnits(out, featureType, ProcessingUnit::kNoCam);
  referenceProcessingUnits(out, featureType, ProcessingUnit::kCam);
  referenceProcessingUnits(out, featureType, ProcessingUnit::kFillerCam);
}

void ProcessDatabase::referenceProcessingUnits(
    std::vector<boost::shared_ptr<ProcessingUnit>>& out) const {
  for (const auto& lists : referenceProcessingUnits_) {
    referenceProcessingUnits(out, lists.first);
  }
}

void ProcessDatabase::AddBlankingPress(const boost::shared_ptr<Press>& press) {
  if (press) blankingPresses_.push_back(press);
}

int ProcessDatabase::BlankingPressCount() const {
  return static_cast<int>(blankingPresses_.size());
}

boost::shared_ptr<Press> ProcessDatabase::BlankingPressAt(int index) const {
  if (index < 0 || index >= BlankingPressCount()) {
    return boost::shared_ptr<Press>();
  }
  return blankingPresses_[index];
}

void ProcessDatabase::RemoveBlankingPressAt(int index) {
  if (index < 0 || index >= BlankingPressCount()) return;
  blankingPresses_.erase(blankingPresses_.begin() + index);
}

void ProcessDatabase::addTemporaryPtr(const boost::shared_ptr<void>& object) {
  if (object) temporaryPtrs_.push_back(object);
}

int ProcessDatabase::temporaryPtrCount() const {
  return static_cast<int>(temporaryPtrs_.size());
}

}  // namespace TamberData
