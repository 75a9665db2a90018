#include "costdata/CostDriverEnum.h"

#include <QtGlobal>

#include "formula/ValueNotFoundException.h"

namespace VelkData {

CostDriverEnum::CostDriverEnum() : CostDriverEnum(std::string()) {}

CostDriverEnum::CostDriverEnum(const std::string& id)
    : CostDriver(id), index_(0) {}

float CostDriverEnum::doubleValue() const {
  if (doCacheValue_) return static_cast<float>(cachedValue_);
  if (hasValue_) return numberAt(index_);
  bool fresh = false;
  const double result = evaluateFormula(&fresh);
  const int i = indexOfNumber(static_cast<float>(result));
  if (i >= 0) return numbers_[i];
  if (fresh) reportUnknownResult(result);
  return static_cast<float>(result);
}

void CostDriverEnum::reportUnknownResult(double result) const {
  qDebug("UnknownResultError for cost driver %s and value %f (Formula: %s)\n",
         id().c_str(), result, recentFormula().c_str());
}

std::string CostDriverEnum::stringValue() const {
  if (hasValue_) return textAt(index_);
  const int i = indexOfNumber(static_cast<float>(evaluateFormula()));
  if (i >= 0) return textAt(i);
  qDebug("ResultError for cost driver %s (Formula: %s)\n", id().c_str(),
         recentFormula().c_str());
  return std::string();
}

boost::shared_ptr<CostProperty> CostDriverEnum::clone() const {
  boost::shared_ptr<CostDriverEnum> copy(new CostDriverEnum(id()));
  copyTo(copy);
  copyValueStateTo(*copy);
  copy->texts_ = texts_;
  copy->numbers_ = numbers_;
  copy->index_ = index_;
  return copy;
}

void CostDriverEnum::setValues(const std::vector<float>& numbers,
                               const std::vector<std::string>& texts) {
  numbers_ = numbers;
  texts_ = texts;
  notifyDependents();
}

void CostDriverEnum::setValue(const std::string& text) { select(text, true); }

void CostDriverEnum::setValue(float value) {
  const int i = indexOfNumber(value);
  if (i < 0) return;
  index_ = i;
  hasValue_ = true;
  notifyDependents();
}

void CostDriverEnum::reEvaluateFormula() {
  if (hasValue_ || isNotifying()) return;
  bool fresh = false;
  const double result = evaluateFormula(&fresh);
  const int i = indexOfNumber(static_cast<float>(result));
  // An unmatched result leaves the entry as it was.
  if (i >= 0) {
    index_ = i;
  } else if (fresh) {
    reportUnknownResult(result);
  }
  notifyDependents();
}

void CostDriverEnum::setDependentValue(const std::string& text) {
  select(text, false);
}

float CostDriverEnum::getValue(const std::string& text) const {
  const int i = indexOfText(text);
  if (i < 0 || i >= static_cast<int>(numbers_.size())) {
    throw ValueNotFoundException(text);
  }
  return numbers_[i];
}

bool CostDriverEnum::containsEnumString(const std::string& text) const {
  return indexOfText(text) >= 0;
}

int CostDriverEnum::indexOfText(const std::string& text) const {
  for (size_t i = 0; i < texts_.size(); ++i) {
    if (texts_[i] == text) return static_cast<int>(i);
  }
  return -1;
}

int CostDriverEnum::indexOfNumber(float value) const {
  for (size_t i = 0; i < numbers_.size(); ++i) {
    if (numbers_[i] == value) return static_cast<int>(i);
  }
  return -1;
}

float CostDriverEnum::numberAt(int i) const {
  if (i < 0 || i >= static_cast<int>(numbers_.size())) return 0.0f;
  return numbers_[i];
}

std::string CostDriverEnum::textAt(int i) const {
  if (i < 0 || i >= static_cast<int>(texts_.size())) return std::string();
  return texts_[i];
}

void CostDriverEnum::select(const std::string& text, bool isExplicit) {
  const int i = indexOfText(text);
  if (i < 0) throw ValueNotFoundException(text);
  index_ = i;
  hasValue_ = isExplicit;
  notifyDependents();
}

}  // namespace VelkData
