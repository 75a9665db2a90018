#include "processplan/PartFeature.h"

#include <QtDebug>

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

double PartFeature::value(const std::string& name) const {
  if (name == "LENGTH") return length();
  if (name == "SURFACE") return area();
  if (name == "TYPE") return static_cast<double>(typeID());
  if (name == "WIDTH") return 0.0;
  throw ValueNotFoundException(name);
}

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

}  // namespace TamberData
