#include "costdata/CostDriverDouble.h"

namespace VelkData {

CostDriverDouble::CostDriverDouble() : CostDriverDouble(std::string()) {}

CostDriverDouble::CostDriverDouble(const std::string& id)
    : CostDriver(id), value_(0.0f), accuracy_(0.0f), conversionFactor_(1.0f) {}

float CostDriverDouble::doubleValue() const {
  if (doCacheValue_) return static_cast<float>(cachedValue_);
  if (hasValue_) return value_;
  return static_cast<float>(evaluateFormula());
}

std::string CostDriverDouble::stringValue() const {
  return toString(doubleValue() * conversionFactor_);
}

std::string CostDriverDouble::measureUnit() const { return measureUnit_; }

boost::shared_ptr<CostProperty> CostDriverDouble::clone() const {
  boost::shared_ptr<CostDriverDouble> copy(new CostDriverDouble(id()));
  copyTo(copy);
  copyValueStateTo(*copy);
  copy->value_ = value_;
  copy->accuracy_ = accuracy_;
  copy->conversionFactor_ = conversionFactor_;
  copy->measureUnit_ = measureUnit_;
  return copy;
}

void CostDriverDouble::setValue(float value) {
  value_ = value;
  hasValue_ = true;
  notifyDependents();
}

void CostDriverDouble::reEvaluateFormula() {
  if (hasValue_ || isNotifying()) return;
  value_ = static_cast<float>(evaluateFormula());
  notifyDependents();
}

void CostDriverDouble::setDependentValue(float value) {
  if (hasValue_) return;
  value_ = value;
  notifyDependents();
}

}  // namespace VelkData
