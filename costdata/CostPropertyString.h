#ifndef VELKDATA_COSTDATA_COSTPROPERTYSTRING_H
#define VELKDATA_COSTDATA_COSTPROPERTYSTRING_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "costdata/CostProperty.h"

namespace VelkData {

// A text-valued cost property (a comment, a material name), held through a
// shared pointer by an operation, a press or the cost database. Its formula
// is a text: either the value itself or a "Norix_" name that the simulation
// session answers.
class CostPropertyString : public CostProperty {
 public:
  CostPropertyString();
  explicit CostPropertyString(const std::string& id);

  // The cached, explicit or computed text. A computation failure is logged
  // ("Error String Formula") and rethrown as `NoFormulaResultException`;
  // `VelkCOM::NorixError` and the session's own exceptions propagate.
  std::string stringValue() const override;
  // Switching the cache on freezes `stringValue`; when it cannot be
  // computed the failure is logged and the cache holds its previous text.
  void setDoCacheValue(bool flag) override;
  boost::shared_ptr<CostProperty> clone() const override;
  bool hasValue() const override;

  // Stores `value` as explicit.
  void setValue(const std::string& value);

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::string value_;
  std::string cachedValue_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTPROPERTYSTRING_H
