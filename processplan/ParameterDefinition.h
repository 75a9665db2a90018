#ifndef VELKDATA_PROCESSPLAN_PARAMETERDEFINITION_H
#define VELKDATA_PROCESSPLAN_PARAMETERDEFINITION_H

#include <string>

namespace boost {
namespace serialization {
class access;
}  // namespace serialization
}  // namespace boost

namespace TamberData {

// One acceptance condition on one measured parameter of a feature: the
// parameter equals a value, or lies in a half-open range. Owned by its
// `FeatureDefinition`; a plain value class.
class ParameterDefinition {
 public:
  enum Kind {
    kExactValue = 0,
    kRange = 1,
  };

  // An exact-value condition without name; bounds and value -1.0.
  ParameterDefinition();
  // A range condition: `min` <= value < `max`.
  ParameterDefinition(const std::string& name, double min, double max);
  // An exact condition: value == `value`.
  ParameterDefinition(const std::string& name, double value);

  // `kExactValue` or `kRange`; an archive may hold any other number, which
  // `accepts` nothing.
  int kind() const { return kind_; }
  void setKind(int kind) { kind_ = kind; }
  // The parameter name as `PartFeature::value` understands it, e.g.
  // "LENGTH", "CIRCUMFERENCE", "MAXDIAMETER".
  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }
  double min() const { return min_; }
  void setMin(double min) { min_ = min; }
  double max() const { return max_; }
  void setMax(double max) { max_ = max; }
  double value() const { return value_; }
  void setValue(double value) { value_ = value; }
  // A free text kept with the condition; the classification ignores it.
  const std::string& description() const { return description_; }
  void setDescription(const std::string& text) { description_ = text; }

  // Whether the measured value `v` satisfies the condition: min <= v < max
  // for a range, v == value (exactly) for an exact condition, never for
  // any other kind.
  bool accepts(double v) const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  int kind_;
  std::string name_;
  double min_;
  double max_;
  double value_;
  std::string description_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PARAMETERDEFINITION_H
