#include "processplan/FeatureParameterFactory.h"

#include <utility>

namespace TamberData {

FeatureParameterFactory::FeatureParameterFactory() {}

FeatureParameterFactory::FeatureParameterFactory(
    const FeatureParameterFactory& other) {
  for (const auto& entry : other.mappings_) {
    if (entry.second) {
      mappings_[entry.first].reset(new ParameterMapping(*entry.second));
    }
  }
}

FeatureParameterFactory& FeatureParameterFactory::operator=(
    const FeatureParameterFactory& other) {
  if (this != &other) {
    FeatureParameterFactory copy(other);
    mappings_.swap(copy.mappings_);
  }
  return *this;
}

FeatureParameterFactory::~FeatureParameterFactory() {}

void FeatureParameterFactory::virtualDummyFunction() {}

void FeatureParameterFactory::addParameterMapping(const std::string& type,
                                                  const std::string& systemName,
                                                  const std::string& userName) {
  boost::shared_ptr<ParameterMapping>& mapping = mappings_[type];
  if (!mapping) mapping.reset(new ParameterMapping);
  mapping->push_back(std::make_pair(systemName, userName));
}

boost::shared_ptr<ParameterMapping> FeatureParameterFactory::parameterMapping(
    const std::string& type) const {
  auto it = mappings_.find(type);
  return it == mappings_.end() ? boost::shared_ptr<ParameterMapping>()
                               : it->second;
}

}  // namespace TamberData
