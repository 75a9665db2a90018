#ifndef VELKDATA_COSTDATA_COSTDRIVER_H
#define VELKDATA_COSTDATA_COSTDRIVER_H

#include <boost/intrusive_ptr.hpp>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <memory>
#include <string>

#include "costdata/CostProperty.h"
#include "costdata/DriverReadScope.h"

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
// one). After a value change the driver notifies its dependents: each driver
// reachable through has-impact-on lists is asked to re-evaluate
// (`reEvaluateFormula`) when a driver that passed the change on lists it,
// and re-evaluating passes the change on again. A driver with an explicit
// value is asked but stops the change.
//
// Each driver is asked at most once per change, and only after every
// reachable driver that lists it has been dealt with (a topological order),
// so a driver reached along several paths re-evaluates once, from final
// inputs. Where no driver can be reached along two paths (the dependents
// form a tree) the order is depth first, has-impact-on lists in list order:
// a driver, then everything its change reaches, then its next sibling.
// A re-evaluation that fails ends the change with its
// `NoFormulaResultException`; the drivers after it in that order keep their
// previous stored values.
// A driver finds the drivers its change reaches once and keeps that plan
// until the graph changes shape (see `DriverGraphVersion`). When the host's
// code changes the graph during a change, the change goes on over the
// drivers it had reached, as the lists now link them; a driver destroyed
// meanwhile is not asked, and drivers linked meanwhile are left to the next
// change.
//
// Reads are lazy: a computed value is evaluated from its formula whenever it
// is read. Within one top-level read or change (see `DriverReadScope`) each
// computed driver is evaluated at most once and its value reused, and
// neither reading nor changing recurses along the graph: chains of any
// length can be read and changed.
//
// The graph is found by substring tests of formula texts and may contain
// cycles. A driver is never re-entered while it is being evaluated or
// notified on the current path: a read that would close a cycle throws
// `NoFormulaResultException` naming the cycle, a notification that would
// close one stops there (the driver closing it is asked and ignores the
// request).
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
  // the duration. 0 without container, as for an empty one. Within one read
  // the value (or failure) is computed once and then reused; `fresh`, when
  // given, tells whether this call computed it, so that a line reporting an
  // odd result is written once per read.
  // Throws `NoFormulaResultException` as `doubleValue` does.
  double evaluateFormula(bool* fresh = nullptr) const {
    // Most reads within a read or change find the value remembered.
    if (remembered()) {
      if (fresh) *fresh = false;
      if (rememberedFailed_) throwRememberedFailure();
      return rememberedValue_;
    }
    return computeFormula(fresh);
  }

  // Passes a change of this driver on to every driver it reaches, in the
  // order described above. Called from within this driver's own
  // re-evaluation, it marks the change as passed on instead.
  // Inline, since every re-evaluation of a change ends here.
  void notifyDependents() {
    Propagation* const running = runningPropagation_;
    if (running && running->asking == this) {
      running->passedOn = true;
      return;
    }
    propagateFrom(*this);
  }

  // Whether a notification is travelling through this driver right now; a
  // re-evaluation arriving then has come round a cycle and must stop.
  bool isNotifying() const { return notifying_; }

  // Copies the cache and the explicit flag to `target`, for `clone`.
  void copyValueStateTo(CostDriver& target) const;

  double cachedValue_ = 0.0;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // The change under way: the driver it is asking to re-evaluate right
  // now, and whether that driver passed the change on. Null outside a
  // change; there are no threads.
  struct Propagation {
    const CostDriver* asking = nullptr;
    bool passedOn = false;
  };
  static Propagation* runningPropagation_;
  class PropagationScope;
  class ChangeRun;

  // The drivers a change of this one reaches, in the order they are asked,
  // with the has-impact-on entries between them; see CostDriver.cpp.
  // Counted without atomic operations (there are no threads), since every
  // change takes hold of its plan.
  struct ChangePlan;
  friend void intrusive_ptr_add_ref(const ChangePlan* plan);
  friend void intrusive_ptr_release(const ChangePlan* plan);

  // Runs a change that starts at `source`.
  static void propagateFrom(CostDriver& source);
  // The plan of a change of this driver as the graph is now, made anew
  // when the graph changed shape since it was made.
  boost::intrusive_ptr<const ChangePlan> changePlan();

  // `evaluateFormula` when nothing is remembered.
  double computeFormula(bool* fresh) const;
  // Its way when the value is neither settled nor found in place within a
  // read already open. Kept apart, so that those short ways stay short.
  double computeFormulaFully(FormulaContainer* container) const;
  // The value of `container` when it is settled (see
  // FormulaContainer::settledValue), remembered in the read under way.
  bool settledValue(FormulaContainer* container, double* value) const;
  // Evaluates in place (see FormulaContainer::evalFirstInPlace) within the
  // read under way, which must remember, and remembers the value. False,
  // having done nothing visible, when the full way must be taken.
  bool evaluatedInPlace(FormulaContainer* container, double* value) const;
  // Throws the failure remembered in this read.
  [[noreturn]] void throwRememberedFailure() const;

  // Binding a formula reads each dependency, the remembered ones in place;
  // see FormulaContainer::readDependency.
  friend class FormulaContainer;
  // The value this read has computed for the driver, when it has; `tag`
  // is DriverReadScope::reuseTag().
  bool rememberedComputation(unsigned long long tag, double* value) const {
    if (rememberedRead_ != tag || !computesOnRead() || rememberedFailed_) {
      return false;
    }
    *value = rememberedValue_;
    return true;
  }

  // Remembers `value` as this driver's result of the read tagged `tag`.
  void rememberValue(unsigned long long tag, double value) const {
    rememberedRead_ = tag;
    rememberedFailed_ = false;
    rememberedValue_ = value;
  }
  // Whether reading this driver evaluates its formula.
  bool computesOnRead() const { return !doCacheValue_ && !hasValue_; }
  // Whether this driver's result of the read under way is remembered.
  bool remembered() const {
    return rememberedRead_ == DriverReadScope::reuseTag();
  }
  // Evaluates, deepest first, the not yet remembered upstream drivers this
  // driver's formulas will read, so that its own evaluation finds them all
  // remembered. Walks with its own stack instead of recursing; gives up
  // (and switches reuse off) when the upstream graph has a cycle.
  void evaluateUpstream(const FormulaContainer* container) const;
  // Whether every computed driver `container` reads is remembered.
  static bool upstreamKnown(const FormulaContainer* container);

  // Made on the first change of this driver and kept while the graph keeps
  // its shape; shared with the changes that are running it.
  boost::intrusive_ptr<const ChangePlan> changePlan_;
  // The walk that numbered this driver last while making a change plan,
  // and the number.
  unsigned long long walkMark_ = 0;
  std::size_t walkIndex_ = 0;
  // The message of a failure remembered (see below).
  mutable std::string rememberedFailure_;

  // The members every read and change uses come last, next to the value
  // of the concrete class, so that they share its cache line.
  //
  // The upstream walk that has this driver on its stack; 0 or a walk that
  // has ended when none has.
  mutable unsigned long long upstreamWalk_ = 0;
  // What this driver computed in the read tagged `rememberedRead_`: a value
  // or, when `rememberedFailed_`, the failure in `rememberedFailure_`.
  mutable unsigned long long rememberedRead_ = 0;
  mutable double rememberedValue_ = 0.0;
  mutable bool rememberedFailed_ = false;
  mutable bool evaluating_ = false;
  bool notifying_ = false;
  bool switchingCache_ = false;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDRIVER_H
