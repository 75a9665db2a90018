#include "processplan/FeatureDefinition.h"

#include "processplan/FeatureType.h"
#include "processplan/ParameterDefinition.h"

namespace TamberData {

FeatureDefinition::FeatureDefinition() : type_(FeatureType::Undetermined()) {}

FeatureDefinition::FeatureDefinition(const std::string& type) : type_(type) {}

FeatureDefinition::FeatureDefinition(const FeatureDefinition& other)
    : type_(other.type_) {
  try {
    for (const ParameterDefinition* parameter : other.parameters_) {
      if (parameter) addParameter(*parameter);
    }
  } catch (...) {
    clear();
    throw;
  }
}

FeatureDefinition& FeatureDefinition::operator=(
    const FeatureDefinition& other) {
  if (this == &other) return *this;
  FeatureDefinition copy(other);
  type_.swap(copy.type_);
  parameters_.swap(copy.parameters_);
  return *this;
}

FeatureDefinition::~FeatureDefinition() { clear(); }

int FeatureDefinition::parameterCount() const {
  return static_cast<int>(parameters_.size());
}

const ParameterDefinition* FeatureDefinition::parameterAt(int i) const {
  if (i < 0 || i >= parameterCount()) return nullptr;
  return parameters_[i];
}

void FeatureDefinition::addParameter(const ParameterDefinition& parameter) {
  parameters_.reserve(parameters_.size() + 1);
  parameters_.push_back(new ParameterDefinition(parameter));
}

void FeatureDefinition::clear() {
  for (ParameterDefinition* parameter : parameters_) delete parameter;
  parameters_.clear();
}

}  // namespace TamberData
