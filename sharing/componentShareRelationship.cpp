#include "sharing/componentShareRelationship.h"

#include <algorithm>

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

namespace {

// The built-in kinds cover die sets, whose components have seven parameters
// in this order; the tables below describe exactly those seven.
const int kBuiltInParameterCount = 7;
const int kBuiltInMergeModes[kBuiltInParameterCount] = {2, 2, 1, 4, 2, 2, 2};

bool hasKeyPrefix(const TamberData::Component& component,
                  const std::string& prefix) {
  return component.getComponentKey().compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void componentShareRelationship::initFakeRelationship(
    int kind, const ComponentList& components) {
  std::string prefix;
  if (kind == 1) {
    label = "REL_300_00";
    prefix = "CT_300";
  } else if (kind == 2) {
    label = "REL_301_00";
    prefix = "CT_301";
  } else {
    return;
  }
  inputComponents = components;

  for (const ComponentPtr& component : components) {
    if (component && hasKeyPrefix(*component, prefix)) {
      // The die set stands for the merged result and takes part once more
      // as the result's own input.
      inputComponents.push_back(component);
      sharedComponent = component;
      break;
    }
  }

  if (inputComponents.empty()) return;
  const ComponentPtr& first = inputComponents.front();
  const int parameterCount = first ? first->parameterCount() : 0;
  // A first component with fewer than seven parameters gets only the
  // entries it has room for; the rest of the built-in table does not apply.
  const int filled = std::min(parameterCount, kBuiltInParameterCount);

  std::vector<int> row(parameterCount, 0);
  for (int k = 0; k < filled; ++k) row[k] = k;
  mergeTable.assign(inputComponents.size(), row);

  mergeModes.assign(parameterCount, 0);
  for (int k = 0; k < filled; ++k) mergeModes[k] = kBuiltInMergeModes[k];
}

bool componentShareRelationship::inputMatch(
    const ComponentList& components) const {
  for (const ComponentPtr& wanted : components) {
    // Each wanted component needs a partner of its own key; several wanted
    // components may find the same partner, and one wanted component
    // matching several inputs still counts once.
    bool found = false;
    if (wanted) {
      for (const ComponentPtr& input : inputComponents) {
        if (input &&
            input->getComponentKey() == wanted->getComponentKey()) {
          found = true;
          break;
        }
      }
    }
    if (!found) return false;
  }
  return true;
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
