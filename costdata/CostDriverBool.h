#ifndef VELKDATA_COSTDATA_COSTDRIVERBOOL_H
#define VELKDATA_COSTDATA_COSTDRIVERBOOL_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "costdata/CostDriver.h"

namespace VelkData {

// A yes/no cost driver, held like every driver through shared pointers.
// Formulas see it as a number: `trueValue` (1 by default) or `falseValue`
// (0 by default); a formula result is matched against those two numbers.
class CostDriverBool : public CostDriver {
 public:
  CostDriverBool();
  explicit CostDriverBool(const std::string& id);

  // Cached, explicit or computed value. A formula result other than the two
  // numbers counts as true or false when a formula text is exactly "true"
  // or "false"; otherwise it is logged and gives `falseValue`.
  // Throws `NoFormulaResultException` when no formula yields a result.
  float doubleValue() const override;
  // "true" or "false" after `boolValue`. Throws as `doubleValue`.
  std::string stringValue() const override;
  boost::shared_ptr<CostProperty> clone() const override;

  // `trueValue` or `falseValue` sets the state as explicit; any other
  // number leaves it alone. The dependents are notified either way.
  void setValue(float value) override;
  // Stores `value` as explicit without notifying anyone.
  void setValue(bool value);
  // Recomputes and notifies, unless the value is explicit.
  void reEvaluateFormula() override;
  // As `setValue` (float), but the state is not made explicit.
  void setDependentValue(float value);

  void setTrue(float value) { trueValue_ = value; }
  void setFalse(float value) { falseValue_ = value; }
  float trueValue() const { return trueValue_; }
  float falseValue() const { return falseValue_; }

  // The explicit state if there is one; otherwise whether `doubleValue` is
  // `trueValue`. Any other number is logged and gives false.
  // Throws as `doubleValue`.
  bool boolValue() const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // The value computed from the formulas.
  float computedValue() const;

  bool value_;
  float trueValue_;
  float falseValue_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDRIVERBOOL_H
