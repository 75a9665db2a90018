#ifndef VELKDATA_COSTDATA_COSTDRIVER_H
#define VELKDATA_COSTDATA_COSTDRIVER_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "costdata/CostProperty.h"

namespace TamberData {
class PartFeature;
}

namespace VelkData {

// A numeric cost property (a length, a count, a yes/no choice, a material
// class) whose value is entered or computed from a formula over other
// drivers. Operations, components and master-data records own their
// drivers through shared pointers; the formula containers of other drivers
// share them as well.
//
// The container holds the two lists of the dependency graph: dependencies
// (drivers its formulas read) and has-impact-on (drivers that read this
// one). After a value change the driver asks each has-impact-on entry, in
// list order, to re-evaluate, and each passes the change on in turn, so a
// change travels depth first. A driver with an explicit value stops it.
//
// The graph is found by substring tests of formula texts and may contain
// cycles. A driver is never re-entered while it is being evaluated or
// notified on the current path: a read that would close a cycle throws
// `NoFormulaResultException` naming the cycle, a notification that would
// close one stops there.
//
// Values are single-precision floats; formulas compute in doubles.
class CostDriver : public CostProperty {
 public:
  CostDriver();
  explicit CostDriver(const std::string& id);
  CostDriver(const CostDriver& other);
  CostDriver& operator=(const CostDriver& other);
  ~CostDriver() override;

  // The current value: cached, explicit or computed, in that order.
  // Throws `NoFormulaResultException` when the value has to be computed and
  // no formula yields one, or when the computation would read this driver
  // again (a cyclic dependency).
  virtual float doubleValue() const = 0;
  // Sets the value explicitly and notifies the dependents, as far as the
  // concrete class accepts `value`.
  virtual void setValue(float value) = 0;
  // Called by notification: recomputes the value and passes the change on,
  // unless the value is explicit. Throws `NoFormulaResultException` when the
  // recomputation fails.
  virtual void reEvaluateFormula() = 0;

  // The generator list of `CostProperty::valueSources`, then, after a line
  // break, "Cost drivers: " with the labels of the dependencies whose id
  // occurs in the recent formula; either part alone when the other is empty.
  std::string valueSources() const override;

  // Switches caching on every dependency first, so the whole upstream graph
  // is frozen or released, then freezes or releases this value. When the
  // value cannot be computed the flag keeps its previous state.
  void setDoCacheValue(bool flag) override;

  bool hasValue() const override;

  // Record `driver` in the container's dependency or has-impact-on list.
  void addDependency(const boost::shared_ptr<CostDriver>& driver);
  void addHasImpactOn(const boost::shared_ptr<CostDriver>& driver);
  // Sets the part feature whose parameters feed the formulas.
  void setDependency(const boost::shared_ptr<TamberData::PartFeature>& f);

 protected:
  // The container's value, with this driver marked as being evaluated for
  // the duration. 0 without container, as for an empty one.
  // Throws `NoFormulaResultException` as `doubleValue` does.
  double evaluateFormula() const;

  // Asks every has-impact-on entry to re-evaluate, in list order.
  void notifyDependents();

  // Whether a notification is travelling through this driver right now; a
  // re-evaluation arriving then has come round a cycle and must stop.
  bool isNotifying() const { return notifying_; }

  // Copies the cache and the explicit flag to `target`, for `clone`.
  void copyValueStateTo(CostDriver& target) const;

  double cachedValue_;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  mutable bool evaluating_;
  bool notifying_;
  bool switchingCache_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDRIVER_H
