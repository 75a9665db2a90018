#ifndef VELKDATA_PROCESSPLAN_FEATUREPARAMETERFACTORY_H
#define VELKDATA_PROCESSPLAN_FEATUREPARAMETERFACTORY_H

#include <boost/shared_ptr.hpp>
#include <map>
#include <string>

#include "processplan/PartFeature.h"

namespace TamberData {

// Says, per feature type, which system-defined parameter of a feature
// (`PartFeature::value`) a formula reads under which user-defined name.
// Features of a type share the type's list (`PartFeature::
// setParameterMapping`), so a pair added later reaches them all. Held by
// shared pointer by the process database. A copy has lists of its own.
class FeatureParameterFactory {
 public:
  FeatureParameterFactory();
  FeatureParameterFactory(const FeatureParameterFactory& other);
  FeatureParameterFactory& operator=(const FeatureParameterFactory& other);
  virtual ~FeatureParameterFactory();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // Appends (`systemName`, `userName`) to the list of `type`, creating the
  // list on first use.
  void addParameterMapping(const std::string& type,
                           const std::string& systemName,
                           const std::string& userName);
  // The shared list of `type`; an empty pointer when the type has none.
  boost::shared_ptr<ParameterMapping> parameterMapping(
      const std::string& type) const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::map<std::string, boost::shared_ptr<ParameterMapping>> mappings_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_FEATUREPARAMETERFACTORY_H
