#include "costdata/CostDriverBool.h"

#include <QtGlobal>

#include "formula/FormulaContainer.h"

namespace VelkData {

CostDriverBool::CostDriverBool() : CostDriverBool(std::string()) {}

CostDriverBool::CostDriverBool(const std::string& id)
    : CostDriver(id), value_(false), trueValue_(1.0f), falseValue_(0.0f) {}

float CostDriverBool::doubleValue() const {
  if (doCacheValue_) return static_cast<float>(cachedValue_);
  if (hasValue_) return value_ ? trueValue_ : falseValue_;
  return computedValue();
}

float CostDriverBool::computedValue() const {
  bool fresh = false;
  const double result = evaluateFormula(&fresh);
  const float value = static_cast<float>(result);
  if (value == trueValue_) return trueValue_;
  if (value == falseValue_) return falseValue_;

  boost::shared_ptr<FormulaContainer> container = formulas();
  for (int i = 0; container && i < container->formulaCount(); ++i) {
    const std::string text = container->formulaAt(i);
    if (text == "true") return trueValue_;
    if (text == "false") return falseValue_;
  }
  // Once per read: the result is reused for the rest of it.
  if (!fresh) return falseValue_;
  qDebug(
      "UnknownFormulaResultException for cost driver %s and value %f. "
      "Formula is %s",
      id().c_str(), result, recentFormula().c_str());
  return falseValue_;
}

std::string CostDriverBool::stringValue() const {
  return boolValue() ? "true" : "false";
}

boost::shared_ptr<CostProperty> CostDriverBool::clone() const {
  boost::shared_ptr<CostDriverBool> copy(new CostDriverBool(id()));
  copyTo(copy);
  copyValueStateTo(*copy);
  copy->value_ = value_;
  copy->trueValue_ = trueValue_;
  copy->falseValue_ = falseValue_;
  return copy;
}

void CostDriverBool::setValue(float value) {
  if (value == trueValue_) {
    value_ = true;
    hasValue_ = true;
  } else if (value == falseValue_) {
    value_ = false;
    hasValue_ = true;
  }
  notifyDependents();
}

void CostDriverBool::setValue(bool value) {
  value_ = value;
  hasValue_ = true;
}

void CostDriverBool::reEvaluateFormula() {
  if (hasValue_ || isNotifying()) return;
  value_ = computedValue() == trueValue_;
  notifyDependents();
}

void CostDriverBool::setDependentValue(float value) {
  if (value == trueValue_) {
    value_ = true;
    hasValue_ = false;
  } else if (value == falseValue_) {
    value_ = false;
    hasValue_ = false;
  }
  notifyDependents();
}

bool CostDriverBool::boolValue() const {
  if (hasValue_) return value_;
  const float value = doubleValue();
  if (value == trueValue_) return true;
  if (value == falseValue_) return false;
  qDebug("UnknownResultError for cost driver %s and value %f (Formula: %s):\n",
         id().c_str(), static_cast<double>(value), recentFormula().c_str());
  return false;
}

}  // namespace VelkData
