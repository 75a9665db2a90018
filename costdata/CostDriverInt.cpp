#include "costdata/CostDriverInt.h"

#include <cmath>
#include <limits>

namespace VelkData {

CostDriverInt::CostDriverInt() : CostDriverInt(std::string()) {}

CostDriverInt::CostDriverInt(const std::string& id)
    : CostDriver(id), value_(0), accuracy_(0), conversionFactor_(1.0f) {}

float CostDriverInt::doubleValue() const {
  if (doCacheValue_) return static_cast<float>(cachedValue_);
  if (hasValue_) return static_cast<float>(value_);
  return static_cast<float>(truncate(evaluateFormula()));
}

std::string CostDriverInt::stringValue() const {
  return toString(doubleValue() * conversionFactor_);
}

std::string CostDriverInt::measureUnit() const { return measureUnit_; }

boost::shared_ptr<CostProperty> CostDriverInt::clone() const {
  boost::shared_ptr<CostDriverInt> copy(new CostDriverInt(id()));
  fillClone(copy);
  return copy;
}

void CostDriverInt::fillClone(
    const boost::shared_ptr<CostDriverInt>& copy) const {
  copyTo(copy);
  copyValueStateTo(*copy);
  copy->value_ = value_;
  copy->accuracy_ = accuracy_;
  copy->conversionFactor_ = conversionFactor_;
  copy->measureUnit_ = measureUnit_;
}

void CostDriverInt::setValue(float value) {
  value_ = truncate(value);
  hasValue_ = true;
  notifyDependents();
}

void CostDriverInt::setValue(int value) {
  value_ = value;
  hasValue_ = true;
}

void CostDriverInt::reEvaluateFormula() {
  if (hasValue_ || isNotifying()) return;
  value_ = truncate(evaluateFormula());
  notifyDependents();
}

void CostDriverInt::setDependentValue(float value) {
  value_ = truncate(value);
  hasValue_ = false;
  notifyDependents();
}

void CostDriverInt::setDependentValue(int value) {
  value_ = value;
  hasValue_ = false;
}

int CostDriverInt::truncate(double value) {
  if (std::isnan(value)) return 0;
  // Converting a double outside the int range is undefined behaviour.
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  return static_cast<int>(value);
}

}  // namespace VelkData
