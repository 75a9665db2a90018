#include "processplan/FeatureGroupFactory.h"

#include <algorithm>

#include "processplan/PartFeatureGroup.h"

namespace TamberData {

namespace {

bool contains(const std::vector<std::string>& types, const std::string& type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

std::vector<std::string> typesOf(
    const std::vector<boost::shared_ptr<PartFeature>>& features) {
  std::vector<std::string> types;
  for (const boost::shared_ptr<PartFeature>& feature : features) {
    if (feature) types.push_back(feature->type());
  }
  return types;
}

// Entry `i` of one of the parallel type lists; an archive may hold lists
// shorter than the group list, which then count as empty.
const std::vector<std::string>& listAt(
    const std::vector<std::vector<std::string>>& lists, int i) {
  static const std::vector<std::string> kNone;
  return i < static_cast<int>(lists.size()) ? lists[i] : kNone;
}

bool hasType(const boost::shared_ptr<PartFeatureGroup>& group,
             const std::string& type) {
  return group && group->type() == type;
}

}  // namespace

FeatureGroupFactory::FeatureGroupFactory() : typeIDs_(new FeatureTypeIDs) {}

FeatureGroupFactory::FeatureGroupFactory(const FeatureGroupFactory& other)
    : requiredTypes_(other.requiredTypes_),
      triggerTypes_(other.triggerTypes_),
      excludedTypes_(other.excludedTypes_),
      sequences_(other.sequences_),
      typeIDs_(other.typeIDs_ ? new FeatureTypeIDs(*other.typeIDs_)
                              : new FeatureTypeIDs) {
  if (other.defaultGroup_) {
    defaultGroup_ = other.defaultGroup_->clone();
    defaultGroup_->setTypeIDs(typeIDs_);
  }
  for (const boost::shared_ptr<PartFeatureGroup>& group : other.groups_) {
    boost::shared_ptr<PartFeatureGroup> copy;
    if (group) {
      copy = group->clone();
      copy->setTypeIDs(typeIDs_);
    }
    groups_.push_back(copy);
  }
}

FeatureGroupFactory& FeatureGroupFactory::operator=(
    const FeatureGroupFactory& other) {
  if (this != &other) {
    FeatureGroupFactory copy(other);
    swap(copy);
  }
  return *this;
}

FeatureGroupFactory::~FeatureGroupFactory() {}

void FeatureGroupFactory::virtualDummyFunction() {}

void FeatureGroupFactory::setDefaultGroup(const std::string& type,
                                          const std::string& label,
                                          int xoloId) {
  if (!typeIDs_) typeIDs_.reset(new FeatureTypeIDs);
  (*typeIDs_)[type] = xoloId;
  defaultGroup_.reset(new PartFeatureGroup(
      type, typeIDs_, boost::shared_ptr<ParameterMapping>(), label));
}

void FeatureGroupFactory::addFeatureGroupDefinition(
    const std::string& type, int xoloId,
    const std::vector<std::string>& required,
    const std::vector<std::string>& trigger,
    const std::vector<std::string>& excluded) {
  if (!typeIDs_) typeIDs_.reset(new FeatureTypeIDs);
  (*typeIDs_)[type] = xoloId;
  for (const boost::shared_ptr<PartFeatureGroup>& group : groups_) {
    if (group) group->setTypeIDs(typeIDs_);
  }
  if (defaultGroup_) defaultGroup_->setTypeIDs(typeIDs_);
  groups_.push_back(boost::shared_ptr<PartFeatureGroup>(new PartFeatureGroup(
      type, typeIDs_, boost::shared_ptr<ParameterMapping>(), type)));
  requiredTypes_.push_back(required);
  triggerTypes_.push_back(trigger);
  excludedTypes_.push_back(excluded);
  sequences_.push_back(boost::shared_ptr<ProcessingSequence>());
}

boost::shared_ptr<PartFeatureGroup> FeatureGroupFactory::copyDefaultGroup(
    VelkCOM::XoloClient* client) const {
  return copyOf(defaultGroup_, client);
}

boost::shared_ptr<PartFeatureGroup> FeatureGroupFactory::copyReferenceGroup(
    const std::string& type, VelkCOM::XoloClient* client) const {
  for (const boost::shared_ptr<PartFeatureGroup>& group : groups_) {
    if (hasType(group, type)) return copyOf(group, client);
  }
  return boost::shared_ptr<PartFeatureGroup>();
}

boost::shared_ptr<PartFeatureGroup> FeatureGroupFactory::copyReferenceGroupById(
    int xoloId, VelkCOM::XoloClient* client) const {
  for (const boost::shared_ptr<PartFeatureGroup>& group : groups_) {
    if (group && group->typeID() == xoloId) return copyOf(group, client);
  }
  return boost::shared_ptr<PartFeatureGroup>();
}

int FeatureGroupFactory::referenceGroupCount() const {
  return static_cast<int>(groups_.size());
}

boost::shared_ptr<PartFeatureGroup> FeatureGroupFactory::referenceGroupAt(
    int i) const {
  if (i < 0 || i >= referenceGroupCount()) {
    return boost::shared_ptr<PartFeatureGroup>();
  }
  return groups_[i];
}

void FeatureGroupFactory::setDefaultProcessingSequence(
    const std::string& type,
    const boost::shared_ptr<ProcessingSequence>& sequence) {
  for (int i = 0; i < referenceGroupCount(); ++i) {
    if (hasType(groups_[i], type)) {
      if (i >= static_cast<int>(sequences_.size())) sequences_.resize(i + 1);
      sequences_[i] = sequence;
      return;
    }
  }
}

boost::shared_ptr<ProcessingSequence>
FeatureGroupFactory::defaultProcessingSequence(
    const boost::shared_ptr<PartFeature>& group) const {
  if (group) {
    for (int i = 0; i < referenceGroupCount(); ++i) {
      if (!hasType(groups_[i], group->type())) continue;
      if (i < static_cast<int>(sequences_.size())) return sequences_[i];
      break;
    }
  }
  return boost::shared_ptr<ProcessingSequence>();
}

std::vector<std::string> FeatureGroupFactory::allTypes() const {
  std::vector<std::string> types;
  for (const boost::shared_ptr<PartFeatureGroup>& group : groups_) {
    types.push_back(group ? group->type() : std::string());
  }
  return types;
}

std::vector<std::string> FeatureGroupFactory::possibleTypes(
    const std::vector<boost::shared_ptr<PartFeature>>& features) const {
  const std::vector<std::string> types = typesOf(features);
  std::vector<std::string> result;
  for (int i = 0; i < referenceGroupCount(); ++i) {
    if (groups_[i] && matches(i, types)) result.push_back(groups_[i]->type());
  }
  return result;
}

std::vector<std::string> FeatureGroupFactory::possibleTypes(
    const boost::shared_ptr<PartFeature>& group) const {
  if (!group) return std::vector<std::string>();
  return possibleTypes(group->getChildren());
}

bool FeatureGroupFactory::mayContain(
    const boost::shared_ptr<PartFeature>& group,
    const std::vector<boost::shared_ptr<PartFeature>>& features) const {
  return group && contains(possibleTypes(features), group->type());
}

bool FeatureGroupFactory::matches(int i,
                                  const std::vector<std::string>& types) const {
  for (const std::string& required : listAt(requiredTypes_, i)) {
    if (!required.empty() && !contains(types, required)) return false;
  }
  bool triggered = false;
  for (const std::string& trigger : listAt(triggerTypes_, i)) {
    if (!trigger.empty() && contains(types, trigger)) triggered = true;
  }
  if (!triggered) return false;
  for (const std::string& excluded : listAt(excludedTypes_, i)) {
    if (!excluded.empty() && contains(types, excluded)) return false;
  }
  return true;
}

boost::shared_ptr<PartFeatureGroup> FeatureGroupFactory::copyOf(
    const boost::shared_ptr<PartFeatureGroup>& group,
    VelkCOM::XoloClient* client) {
  if (!group) return boost::shared_ptr<PartFeatureGroup>();
  boost::shared_ptr<PartFeatureGroup> copy = group->clone();
  copy->setQorSession(client);
  if (client != nullptr) copy->updateParameters();
  return copy;
}

void FeatureGroupFactory::swap(FeatureGroupFactory& other) {
  defaultGroup_.swap(other.defaultGroup_);
  groups_.swap(other.groups_);
  requiredTypes_.swap(other.requiredTypes_);
  triggerTypes_.swap(other.triggerTypes_);
  excludedTypes_.swap(other.excludedTypes_);
  sequences_.swap(other.sequences_);
  typeIDs_.swap(other.typeIDs_);
}

}  // namespace TamberData
