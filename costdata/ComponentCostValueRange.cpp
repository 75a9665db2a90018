#include "costdata/ComponentCostValueRange.h"

#include <cmath>
#include <limits>

namespace VelkData {

namespace {

// Truncates `value` toward zero into `out`. NaN and values outside the int
// range have no truncation (the cast would be undefined), so they fail.
bool truncateToInt(float value, int* out) {
  if (std::isnan(value)) return false;
  const double truncated = std::trunc(static_cast<double>(value));
  if (truncated < static_cast<double>(std::numeric_limits<int>::min()) ||
      truncated > static_cast<double>(std::numeric_limits<int>::max())) {
    return false;
  }
  *out = static_cast<int>(truncated);
  return true;
}

}  // namespace

ComponentCostValueRange::ComponentCostValueRange()
    : ComponentCostValueRange(kIntRange) {}

ComponentCostValueRange::ComponentCostValueRange(Type type)
    : QObject(),
      type_(type),
      doubleMax_(0.0f),
      doubleMin_(0.0f),
      doubleAccuracy_(0.0f) {}

ComponentCostValueRange::ComponentCostValueRange(
    const ComponentCostValueRange& other)
    : QObject(),
      type_(other.type_),
      stringValues_(other.stringValues_),
      doubleMax_(other.doubleMax_),
      doubleMin_(other.doubleMin_),
      doubleAccuracy_(other.doubleAccuracy_),
      values_(other.values_) {}

ComponentCostValueRange& ComponentCostValueRange::operator=(
    const ComponentCostValueRange& other) {
  // The object base keeps its own identity; only the fields are taken over.
  type_ = other.type_;
  stringValues_ = other.stringValues_;
  doubleMax_ = other.doubleMax_;
  doubleMin_ = other.doubleMin_;
  doubleAccuracy_ = other.doubleAccuracy_;
  values_ = other.values_;
  return *this;
}

ComponentCostValueRange::~ComponentCostValueRange() {}

void ComponentCostValueRange::virtualDummyFunction() {}

bool ComponentCostValueRange::CheckValue(float value) const {
  switch (type_) {
    case kDoubleRange:
      return doubleMin_ <= value && value <= doubleMax_;
    case kDoubleList:
      for (float entry : values_) {
        if (entry == value) return true;
      }
      return false;
    default: {
      // Integer kinds judge the truncated value; the text kinds fall through
      // to the integer check as well, which refuses them.
      int truncated = 0;
      if (!truncateToInt(value, &truncated)) return false;
      return CheckValue(truncated);
    }
  }
}

bool ComponentCostValueRange::CheckValue(int value) const {
  switch (type_) {
    case kIntRange: {
      const float asFloat = static_cast<float>(value);
      return doubleMin_ <= asFloat && asFloat <= doubleMax_;
    }
    case kIntList:
      for (float entry : values_) {
        int truncated = 0;
        if (truncateToInt(entry, &truncated) && truncated == value) {
          return true;
        }
      }
      return false;
    default:
      return false;
  }
}

bool ComponentCostValueRange::Equals(
    const ComponentCostValueRange& other) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case kIntRange:
    case kDoubleRange:
      return doubleMax_ == other.doubleMax_ && doubleMin_ == other.doubleMin_ &&
             doubleAccuracy_ == other.doubleAccuracy_;
    case kIntList:
    case kDoubleList:
      return values_ == other.values_;
    default:
      return false;
  }
}

}  // namespace VelkData
