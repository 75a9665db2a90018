#ifndef VELKDATA_COSTDATA_COSTDRIVERINT_H
#define VELKDATA_COSTDATA_COSTDRIVERINT_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "costdata/CostDriver.h"

namespace VelkData {

// A cost driver with an integer value (a count, a number of stations), held
// like every driver through shared pointers. Real numbers, from a formula or
// a caller, are truncated toward zero: -2.7 becomes -2, 3.9 becomes 3.
class CostDriverInt : public CostDriver {
 public:
  CostDriverInt();
  explicit CostDriverInt(const std::string& id);

  // Cached, explicit or computed value, as float; a formula result is
  // truncated toward zero first. Throws `NoFormulaResultException` when it
  // cannot be computed.
  float doubleValue() const override;
  // `doubleValue` times the conversion factor, six significant digits.
  // Throws as `doubleValue`.
  std::string stringValue() const override;
  std::string measureUnit() const override;
  boost::shared_ptr<CostProperty> clone() const override;

  // Stores `value` truncated as explicit and notifies the dependents.
  void setValue(float value) override;
  // Stores `value` as explicit without notifying anyone.
  void setValue(int value);
  // Recomputes and notifies, unless the value is explicit.
  void reEvaluateFormula() override;
  // A value pushed by the owner: stored (truncated) as not explicit, then
  // passed on to the dependents.
  void setDependentValue(float value);
  // As above for an int, without notifying anyone.
  void setDependentValue(int value);

  // The value last stored by a setter or a re-evaluation; what
  // `doubleValue` returns only while it is explicit.
  int storedValue() const { return value_; }

  // The accuracy is kept for the host's input and display only.
  void setAccuracy(int accuracy) { accuracy_ = accuracy; }
  float doubleAccuracy() const { return static_cast<float>(accuracy_); }
  void setConversionFactor(float factor) { conversionFactor_ = factor; }
  float conversionFactor() const { return conversionFactor_; }
  void setMeasureUnit(const std::string& unit) { measureUnit_ = unit; }

  // `value` truncated toward zero; values beyond the int range saturate and
  // NaN gives 0, so that no result of a formula is undefined.
  static int truncate(double value);

 protected:
  // Fills a fresh clone (of this class or a subclass) with this driver's
  // state.
  void fillClone(const boost::shared_ptr<CostDriverInt>& copy) const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  int value_;
  int accuracy_;
  float conversionFactor_;
  std::string measureUnit_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDRIVERINT_H
