#ifndef VELKDATA_COSTDATA_COMPONENTCOSTFACTORY_H
#define VELKDATA_COSTDATA_COMPONENTCOSTFACTORY_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostsValueSlot.h"

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace TamberData {
class Component;
}  // namespace TamberData

namespace VelkData {

// The cost catalogue of die components, held by the cost database through
// a shared pointer. It keeps value slots by value, in insertion order; each
// slot is a template component cost with one admissible value range per
// component parameter. Asked for the costs of a concrete component, it
// splits parameter values above the standard maximum into pieces, rounds
// the values to each slot's accuracy, and hands out a copy of the first
// slot that accepts them, with a clone of the component holding the
// rounded values.
class ComponentCostFactory {
 public:
  // No slots.
  ComponentCostFactory();
  virtual ~ComponentCostFactory();

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

  // Appends a copy of `slot`; later changes to `slot` do not reach it.
  void addComponentCostsValueSlot(const ComponentCostsValueSlot& slot);

  int ComponentCostsValueSlotCount() const;
  // The stored slot `i` (not a copy); null when `i` is outside
  // [0, ComponentCostsValueSlotCount()). The pointer is valid until the
  // next slot is added or the factory is destroyed.
  ComponentCostsValueSlot* ComponentCostsValueSlotAt(int i);
  const ComponentCostsValueSlot* ComponentCostsValueSlotAt(int i) const;

  // Updates the amount formulas of the catalogue from `slot`: every stored
  // slot with the same label and pairwise equal ranges (same count,
  // `ComponentCostValueRange::Equals`) takes over `slot`'s amount formulas
  // and then shares their containers. Returns whether any slot was
  // updated; false for an empty `slot`.
  bool replaceComponentCostsValueSlot(
      const boost::shared_ptr<ComponentCostsValueSlot>& slot);

  // A clone of the template cost of the first slot whose component is
  // labelled `label`; an empty pointer when there is none.
  // Throws the compile errors of a formula text that no longer compiles.
  boost::shared_ptr<ComponentCost> referenceComponentCostByType(
      const std::string& label) const;

  // The costs of `component`: one per piece its values split into (usually
  // one), copied from the first slot that accepts the piece's rounded
  // values; each carries a clone of `component` holding those values.
  //
  // The component's noDBMatch flag is cleared first. When a parameter value
  // cannot be read, the flag is set with a cause naming the parameter and
  // the answer is empty. When no slot accepts a piece, the candidate slots
  // report their first mismatching parameter on the debug output, the flag
  // is set with the cause of the last check, and the remaining pieces are
  // still costed. A parameter that cannot be split is checked unsplit, after
  // the debug line "Cannot split parameter <id> of component <label>: "
  // followed by the reason: the failure of a standard limit formula, a piece
  // size that is not positive (it would never bring the value down), or
  // more than 10000 pieces (an infinite value, or one that a piece is too
  // small to reduce at double precision).
  //
  // An empty `component` gives an empty answer.
  // Throws the compile errors of a formula text that no longer compiles,
  // when components or costs are cloned.
  std::vector<boost::shared_ptr<ComponentCost>> componentCosts(
      const boost::shared_ptr<TamberData::Component>& component);

 private:
  friend class boost::serialization::access;
  // Lets the unit tests reach the rounding rule.
  friend class ComponentCostFactoryTestPeer;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // `value` rounded to a multiple of `step` by `rule` (0 up, 1 down, 2 to
  // the nearer multiple with halfway going up, any other: unchanged). A
  // step that is not a positive finite number leaves the value unchanged,
  // since there is no multiple of it to round to.
  static double roundValue(double value, double step, int rule);

  // Whether every value lies in its range of `slot` (value i in range i).
  // At the first value that does not, `message` names the parameter of
  // `component` ("Database mismatch for " + its label when it is shown at
  // level 0 or 1, otherwise "Database mismatch"), and with `report` a
  // debug line names parameter, value, component and operation. A value
  // without a range in the slot does not match; surplus ranges are not
  // checked. On success `message` is emptied.
  bool checkComponentCost(const TamberData::Component& component,
                          const std::vector<float>& values,
                          const ComponentCostsValueSlot& slot,
                          std::string& message, bool report) const;

  std::vector<ComponentCostsValueSlot> slots_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COMPONENTCOSTFACTORY_H
