#include "processplan/ParameterDefinition.h"

namespace TamberData {

ParameterDefinition::ParameterDefinition()
    : kind_(kExactValue), min_(-1.0), max_(-1.0), value_(-1.0) {}

ParameterDefinition::ParameterDefinition(const std::string& name, double min,
                                         double max)
    : kind_(kRange), name_(name), min_(min), max_(max), value_(-1.0) {}

ParameterDefinition::ParameterDefinition(const std::string& name, double value)
    : kind_(kExactValue), name_(name), min_(-1.0), max_(-1.0), value_(value) {}

bool ParameterDefinition::accepts(double v) const {
  switch (kind_) {
    case kRange:
      return min_ <= v && v < max_;
    case kExactValue:
      return v == value_;
    default:
      return false;
  }
}

}  // namespace TamberData
