#ifndef VELKDATA_COSTDATA_COSTDRIVERDOUBLE_H
#define VELKDATA_COSTDATA_COSTDRIVERDOUBLE_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "costdata/CostDriver.h"

namespace VelkData {

// A cost driver with a real value (a length, a thickness, a factor), held by
// operations, components and master-data records through shared pointers.
// The value is stored in the driver's internal unit; `stringValue` shows it
// multiplied by the conversion factor, in `measureUnit`.
class CostDriverDouble : public CostDriver {
 public:
  CostDriverDouble();
  explicit CostDriverDouble(const std::string& id);

  // Cached, explicit or computed value; a formula result is narrowed to
  // float. Throws `NoFormulaResultException` when it cannot be computed.
  float doubleValue() const override;
  // `doubleValue` times the conversion factor, six significant digits:
  // 2.5 with factor 1000 shows "2500". Throws as `doubleValue`.
  std::string stringValue() const override;
  std::string measureUnit() const override;
  boost::shared_ptr<CostProperty> clone() const override;

  // Stores `value` as explicit and notifies the dependents.
  void setValue(float value) override;
  // Recomputes and notifies, unless the value is explicit.
  void reEvaluateFormula() override;
  // A value pushed by the owner (such as an operation's dimension): taken
  // and passed on only while no explicit value is set.
  void setDependentValue(float value);
  // The value last stored by `setValue`, `setDependentValue` or a
  // re-evaluation; what `doubleValue` returns only while it is explicit.
  float storedValue() const { return value_; }

  // The accuracy is kept for the host's input and display only.
  void setAccuracy(float accuracy) { accuracy_ = accuracy; }
  float doubleAccuracy() const { return accuracy_; }
  void setConversionFactor(float factor) { conversionFactor_ = factor; }
  float conversionFactor() const { return conversionFactor_; }
  void setMeasureUnit(const std::string& unit) { measureUnit_ = unit; }

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  float value_;
  float accuracy_;
  float conversionFactor_;
  std::string measureUnit_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDRIVERDOUBLE_H
