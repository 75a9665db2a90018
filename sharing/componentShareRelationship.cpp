#include "sharing/componentShareRelationship.h"

#include "costdata/Component.h"

namespace VelkData {

componentShareRelationship::componentShareRelationship()
    : mergeTable(1, std::vector<int>(1, -1)) {}

componentShareRelationship::componentShareRelationship(
    int kind, const ComponentList& components) {
  initFakeRelationship(kind, components);
}

componentShareRelationship::~componentShareRelationship() = default;

void componentShareRelationship::virtualDummyFunction() {}

void componentShareRelationship::initFakeRelationship(
    int /*kind*/, const ComponentList& /*components*/) {
  // TODO(sharing): kinds 1 and 2.
}

bool componentShareRelationship::inputMatch(
    const ComponentList& /*components*/) const {
  // TODO(sharing): key matching.
  return false;
}

bool componentShareRelationship::operator==(
    const componentShareRelationship& other) const {
  return label == other.label;
}

void componentShareRelationship::copyTo(
    const boost::shared_ptr<componentShareRelationship>& target) const {
  if (!target || target.get() == this) return;
  target->label = label;
  target->inputComponents = inputComponents;
  target->sharedComponent = sharedComponent;
  target->mergeTable = mergeTable;
  target->mergeModes = mergeModes;
}

boost::shared_ptr<componentShareRelationship>
componentShareRelationship::clone() const {
  boost::shared_ptr<componentShareRelationship> copy(
      new componentShareRelationship);
  copyTo(copy);
  return copy;
}

}  // namespace VelkData
