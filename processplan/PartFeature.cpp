#include "processplan/PartFeature.h"

#include <QtDebug>
#include <algorithm>

#include "costdata/Component.h"
#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {

PartFeature::PartFeature() {}

PartFeature::PartFeature(const std::string& type,
                         const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
                         const boost::shared_ptr<ParameterMapping>& mapping)
    : type_(type),
      typeIDs_(typeIDs),
      parameterMapping_(
          mapping ? mapping
                  : boost::shared_ptr<ParameterMapping>(new ParameterMapping)) {
}

PartFeature::~PartFeature() {}

std::string PartFeature::label() const { return std::string(); }

std::string PartFeature::type() const { return type_; }

void PartFeature::setType(const std::string& type) { type_ = type; }

double PartFeature::length() const { return 0.0; }

double PartFeature::area() const { return 0.0; }

void PartFeature::setLength(double) {}

void PartFeature::setArea(double) {}

double PartFeature::value(const std::string& name) const {
  if (name == "LENGTH") return length();
  if (name == "SURFACE") return area();
  if (name == "TYPE") return static_cast<double>(typeID());
  if (name == "WIDTH") return 0.0;
  throw ValueNotFoundException(name);
}

void PartFeature::insertProcessingUnitAt(
    int index, const boost::shared_ptr<ProcessingUnit>& unit,
    const boost::shared_ptr<PartFeature>& owner) {
  if (!unit || index < 0 || index > processingUnitCount()) return;
  processingUnits_.insert(processingUnits_.begin() + index, unit);
  unit->setPartFeature(owner);
  renumberProcessingUnits(index);
}

std::deque<double> PartFeature::processingDirection() const {
  return std::deque<double>();
}

void PartFeature::addChild(const boost::shared_ptr<PartFeature>& child) {
  insertChildAt(childrenCount(), child);
}

void PartFeature::insertChildAt(int index,
                                const boost::shared_ptr<PartFeature>& child) {
  if (index < 0 || !acceptsChild(child)) return;
  if (index >= childrenCount()) {
    children_.push_back(child);
  } else {
    children_.insert(children_.begin() + index, child);
  }
}

namespace {

// Whether `target` is `root` or lies below it. The tree is acyclic because
// insertion refuses cycles, so the walk ends.
bool isOrContains(const PartFeature& root, const PartFeature* target) {
  if (&root == target) return true;
  for (int i = 0; i < root.childrenCount(); ++i) {
    boost::shared_ptr<PartFeature> child = root.childAt(i);
    if (child && isOrContains(*child, target)) return true;
  }
  return false;
}

}  // namespace

bool PartFeature::acceptsChild(
    const boost::shared_ptr<PartFeature>& child) const {
  if (!child) return false;
  for (const boost::shared_ptr<PartFeature>& existing : children_) {
    if (existing && existing->equals(child)) return false;
  }
  return !isOrContains(*child, this);
}

void PartFeature::removeChild(const boost::shared_ptr<PartFeature>& child) {
  if (!child) return;
  children_.erase(std::remove(children_.begin(), children_.end(), child),
                  children_.end());
}

void PartFeature::removeAllChilds() { children_.clear(); }

void PartFeature::getFeature(
    std::vector<VelkUtils::LINEFEATURE>& lines,
    std::vector<VelkUtils::PATCHFEATURE>& patches) const {
  for (const boost::shared_ptr<PartFeature>& child : children_) {
    if (child) child->getFeature(lines, patches);
  }
}

bool PartFeature::isPatchFeature() const { return false; }

bool PartFeature::isGroup() const { return false; }

std::vector<double> PartFeature::getBoundBox() const {
  return std::vector<double>();
}

void PartFeature::setBoundBox(const std::vector<double>&) {}

int PartFeature::getPartSide() const { return 0; }

int PartFeature::getFID() const { return -1; }

bool PartFeature::checkXoloSync() const { return true; }

int PartFeature::typeID() const {
  if (!typeIDs_) return 1;
  FeatureTypeIDs::const_iterator it = typeIDs_->find(type_);
  return it == typeIDs_->end() ? 1 : it->second;
}

void PartFeature::setTypeIDs(const boost::shared_ptr<FeatureTypeIDs>& typeIDs) {
  typeIDs_ = typeIDs;
}

void PartFeature::setParameterMapping(
    const boost::shared_ptr<ParameterMapping>& mapping) {
  if (!mapping) {
    qDebug(
        "error while call to PartFeature::setParameterMapping -> "
        "m_parameterMapping.get()==NULL");
    parameterMapping_.reset(new ParameterMapping);
    return;
  }
  parameterMapping_ = mapping;
}

void PartFeature::addParameterMapping(const std::string& systemName,
                                      const std::string& userName) {
  if (!parameterMapping_) parameterMapping_.reset(new ParameterMapping);
  parameterMapping_->push_back(std::make_pair(systemName, userName));
}

int PartFeature::userDefinedParametersCount() const {
  return parameterMapping_ ? static_cast<int>(parameterMapping_->size()) : -1;
}

std::string PartFeature::userDefinedParameterAt(int i) const {
  if (!parameterMapping_ || i < 0 ||
      i >= static_cast<int>(parameterMapping_->size())) {
    return std::string();
  }
  return (*parameterMapping_)[i].second;
}

std::string PartFeature::systemDefinedParameterAt(int i) const {
  if (!parameterMapping_ || i < 0 ||
      i >= static_cast<int>(parameterMapping_->size())) {
    return std::string();
  }
  return (*parameterMapping_)[i].first;
}

int PartFeature::childrenCount() const {
  return static_cast<int>(children_.size());
}

boost::shared_ptr<PartFeature> PartFeature::childAt(int i) const {
  if (i < 0 || i >= childrenCount()) return boost::shared_ptr<PartFeature>();
  return children_[i];
}

int PartFeature::processingUnitCount() const {
  return static_cast<int>(processingUnits_.size());
}

boost::shared_ptr<ProcessingUnit> PartFeature::processingUnitAt(int i) const {
  if (i < 0 || i >= processingUnitCount()) {
    return boost::shared_ptr<ProcessingUnit>();
  }
  return processingUnits_[i];
}

void PartFeature::addProcessingUnit(
    const boost::shared_ptr<ProcessingUnit>& unit,
    const boost::shared_ptr<PartFeature>& owner) {
  insertProcessingUnitAt(processingUnitCount(), unit, owner);
}

void PartFeature::setProcessingUnitAt(
    int index, const boost::shared_ptr<ProcessingUnit>& unit,
    const boost::shared_ptr<PartFeature>& owner) {
  if (!unit || index < 0 || index >= processingUnitCount()) return;
  processingUnits_[index] = unit;
  unit->setPartFeature(owner);
  unit->setIndex(index);
}

void PartFeature::removeProcessingUnitAt(int index) {
  if (index < 0 || index >= processingUnitCount()) return;
  processingUnits_.erase(processingUnits_.begin() + index);
  renumberProcessingUnits(index);
}

void PartFeature::clearProcessingUnits() {
  for (const boost::shared_ptr<ProcessingUnit>& unit : processingUnits_) {
    if (!unit) continue;
    for (int i = 0; i < unit->componentCount(); ++i) {
      boost::shared_ptr<Component> component = unit->componentAt(i);
      if (component) component->removeRelatedProcessingUnit(unit);
    }
  }
  processingUnits_.clear();
}

void PartFeature::renumberProcessingUnits(int from) {
  for (int i = from; i < processingUnitCount(); ++i) {
    if (processingUnits_[i]) processingUnits_[i]->setIndex(i);
  }
}

}  // namespace TamberData
