#ifndef VELKDATA_PROCESSPLAN_FEATUREDEFINITION_H
#define VELKDATA_PROCESSPLAN_FEATUREDEFINITION_H

#include <string>
#include <vector>

namespace boost {
namespace serialization {
class access;
}  // namespace serialization
}  // namespace boost

namespace TamberData {

class ParameterDefinition;

// The conditions under which a recognised curve or patch is of one feature
// type. Conditions on the same parameter name are alternatives; those on
// different names must all hold (see `FeatureTypeFactory`). Owned by its
// `FeatureTypeFactory`; owns its conditions, and copies copy them.
class FeatureDefinition {
 public:
  // A definition yielding "Undetermined", without conditions.
  FeatureDefinition();
  // A definition yielding `type`, without conditions.
  explicit FeatureDefinition(const std::string& type);
  FeatureDefinition(const FeatureDefinition& other);
  FeatureDefinition& operator=(const FeatureDefinition& other);
  ~FeatureDefinition();

  // The feature type name the definition yields.
  const std::string& type() const { return type_; }
  void setType(const std::string& type) { type_ = type; }

  int parameterCount() const;
  // The condition at `i`, owned by the definition; null when `i` is
  // outside [0, parameterCount()).
  const ParameterDefinition* parameterAt(int i) const;
  // Appends a copy of `parameter`.
  void addParameter(const ParameterDefinition& parameter);

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  void clear();

  std::string type_;
  std::vector<ParameterDefinition*> parameters_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_FEATUREDEFINITION_H
