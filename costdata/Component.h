#ifndef VELKDATA_COSTDATA_COMPONENT_H
#define VELKDATA_COSTDATA_COMPONENT_H

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkData {
class CostDriver;
class FormulaContainer;
class Operation;
class componentShareRelationship;
}  // namespace VelkData

namespace TamberData {

class PartFeature;
class ProcessingUnit;

// One component of a die: a cam, a trim steel, a die shoe, a gas spring, a
// guide pin and so on. Base assemblies, processing units, component costs
// and the die-set sharing hold components through boost::shared_ptr.
//
// A component carries a catalogue key ("CT_..."), a label, the operations
// it is used in (entry 0 is its own operation), the part feature it
// machines, its parameters (cost drivers, each with a rounding rule and
// formulas for its standard minimum and maximum), the processing units it
// is related to, child components and a few state flags.
//
// Ownership: a component owns its parameters, their standard limits and
// its child components. Its operations, its part feature and its related
// processing units sit higher up the containment tree (the process
// database owns the operations, features own their units, units own their
// components), so the component holds them weakly: dropping a database, an
// operation or a feature frees it even though its components still name
// it. Once such an object is gone, the getters answer an empty pointer, as
// for one that was never set.
//
// Copy construction and assignment share every pointee with the source;
// `clone` makes a component with parameters and formulas of its own.
class Component {
 public:
  // How the cost catalogue rounds a parameter value to the accuracy of its
  // value range. Stored per parameter as the integer read from an archive:
  // any value other than the three below leaves the value unchanged.
  enum RoundingRule : int {
    kRoundUp = 0,
    kRoundDown = 1,
    kRoundToNearestStep = 2,
    kKeepValue = 3,
  };

  // An empty component: no key, no label, no parameters, one empty
  // operation entry (so it is a reference component), state 0.
  Component();
  // As the default constructor, then `componentKey` and `label` are set.
  Component(const std::string& label, const std::string& componentKey);
  // The one component that stands for `components` used together in
  // several operations (a die set serving a run of stages). Identity (label
  // and key) comes from the relationship's shared component, or from the
  // first of `components` without a relationship; state 0, no database
  // mismatch. Each parameter k of that identity is made from the inputs:
  // without a relationship it is a copy of the first component's; with one,
  // merge mode k of the relationship decides:
  //   0, 2  copy of the first component's parameter k;
  //   1     a span over the press line, "0.5*CD_MERGE_FIRST+<n-1>*CD_PR_PI
  //         +0.5*CD_MERGE_LAST" over auxiliary clones of the first and last
  //         inputs' parameter k (a cut-off first operation adds its whole
  //         parameter as "CD_MERGE_CUTOFF" and the span starts at the second
  //         input); the pitch term only where the press has "CD_PR_PI";
  //   3     copy of the last component's parameter k;
  //   4, 5  copy from the input with the largest (smallest) value; ties keep
  //         the earlier input, no value above 0 (below the largest double)
  //         keeps the first, and an input whose value cannot be read is
  //         logged and passed over;
  //   6     the sum "(f1)+(f2)+..." of the inputs' formulas, taking over
  //         their dependencies and has-impact-on entries.
  // A mode missing from the relationship or outside 0 to 6 is logged and
  // treated as 0. A copy always brings the rounding rule and clones of the
  // standard limits of the component it comes from.
  // When an input lacks parameter k, "ERROR: component merge carried out
  // with illegal parameter" goes to standard output and the component keeps
  // the parameters made so far. Without any component the result is the
  // empty component of the default constructor.
  // Throws the compile errors of a formula text that no longer compiles.
  Component(
      const boost::shared_ptr<VelkData::componentShareRelationship>&
          relationship,
      const std::vector<boost::shared_ptr<Component>>& components);
  Component(const Component& other) = default;
  Component& operator=(const Component& other) = default;
  virtual ~Component();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // --- Identity -------------------------------------------------------

  const std::string& label() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }
  const std::string& getComponentKey() const { return componentKey_; }
  void setComponentKey(const std::string& key) { componentKey_ = key; }

  // Components are equal when their keys are equal. When either key is
  // empty the labels are compared instead, and a warning line goes to
  // standard output every time, since labels are not unique identities.
  bool operator==(const Component& other) const;

  // Whether the key begins with "CT_000", the cam family. A key shorter
  // than six characters is no cam.
  bool isCam() const;

  // --- State flags ----------------------------------------------------
  // Setting a flag that is set, or clearing one that is clear, changes
  // nothing.

  // The bit set of the three switches: 1 omitted, 2 deactivated, 4 frozen.
  int state() const { return state_; }

  bool omitted() const;
  void Omit();
  void DeOmit();
  bool Deactivated() const;
  void Deactivate();
  void Activate();
  bool frozen() const;
  void freeze();
  void deFreeze();

  // Flags the component as having no entry in the cost database. The first
  // form empties the cause; `ResetNoDBMatchFlag` keeps it.
  void SetNoDBMatchFlag();
  void SetNoDBMatchFlag(const std::string& cause);
  void ResetNoDBMatchFlag() { noDBMatch_ = false; }
  bool noDBMatch() const { return noDBMatch_; }
  const std::string& getNoDBMatchCause() const { return noDBMatchCause_; }

  // Traversal mark for algorithms that walk components; not archived.
  bool getVisitedFlag() const { return visited_; }
  void setVisitedFlag(bool visited) { visited_ = visited; }

  // --- Relations ------------------------------------------------------

  // Whether at least one related processing unit still exists.
  bool isShared() const;
  // Whether the component is used in more than one operation.
  bool isOPShared() const;
  // Whether the component belongs to no operation yet: its first operation
  // entry is empty. False when the operation list itself is empty.
  bool isReferenceComponent() const;

  // The component's own operation (entry 0); an empty pointer when there is
  // none or it no longer exists.
  boost::shared_ptr<VelkData::Operation> operation() const;
  // A copy of the operation list; entries whose operation no longer exists
  // are empty pointers.
  std::vector<boost::shared_ptr<VelkData::Operation>> operations() const;
  // Makes `operation` the component's own operation and makes every
  // parameter and standard-limit formula that names one of its cost drivers
  // (plain substring test of formula 0) record that driver. An empty
  // `operation` only replaces the entry and writes a debug line.
  void setOperation(const boost::shared_ptr<VelkData::Operation>& operation);
  // Makes `operations` the operation list. Only the first one is wired to
  // the parameters (through `setOperation`, and only when it differs from
  // the current own operation); the others are appended as they are. An
  // empty list keeps the own operation and drops the rest.
  void setOperations(
      const std::vector<boost::shared_ptr<VelkData::Operation>>& operations);

  // The part feature the component machines; may be empty.
  boost::shared_ptr<PartFeature> partFeature() const {
    return partFeature_.lock();
  }
  // Stores `feature`; every parameter with a formula that contains a
  // user-defined parameter name of the feature then reads the feature.
  void setPartFeature(const boost::shared_ptr<PartFeature>& feature);

  // Appends `unit` unless the same or an equal unit
  // (`ProcessingUnit::operator==`) is already related. An empty pointer is
  // ignored.
  void addRelatedProcessingUnit(const boost::shared_ptr<ProcessingUnit>& unit);
  // Removes the entries that are `unit` or equal to it; nothing happens
  // when there is none.
  void removeRelatedProcessingUnit(
      const boost::shared_ptr<ProcessingUnit>& unit);
  void clearRelatedProcessingUnits() { relatedProcessingUnits_.clear(); }
  int relatedProcessingUnitCount() const;
  // The related unit at `i`; an empty pointer when `i` is outside
  // [0, relatedProcessingUnitCount()) or the unit no longer exists.
  boost::shared_ptr<ProcessingUnit> relatedProcessingUnitAt(int i) const;

  // Appends a child component; an empty pointer is ignored.
  void addChildComp(const boost::shared_ptr<Component>& child);
  // A copy of the child list.
  std::vector<boost::shared_ptr<Component>> getChildComps() const {
    return childComps_;
  }

  // --- Parameters -----------------------------------------------------

  // Appends a parameter with its rounding rule and the containers of its
  // standard minimum and maximum. The lists stay index for index.
  void addParameter(const boost::shared_ptr<VelkData::CostDriver>& parameter,
                    RoundingRule rule,
                    const boost::shared_ptr<VelkData::FormulaContainer>& min,
                    const boost::shared_ptr<VelkData::FormulaContainer>& max);
  int parameterCount() const;
  // The parameter at `i`; an empty pointer when `i` is outside
  // [0, parameterCount()).
  boost::shared_ptr<VelkData::CostDriver> parameterAt(int i) const;
  // The rounding rule of parameter `i`; `kKeepValue` when `i` is outside
  // [0, parameterCount()), so that nothing is rounded.
  RoundingRule roundingRuleAt(int i) const;
  // The standard minimum / maximum of parameter `i` as its formula gives it.
  // Throws `NoFormulaResultException` when the formula yields no value, and
  // likewise when `i` is outside [0, parameterCount()) or the parameter has
  // no such container, since callers already report that failure.
  double standardMinAt(int i) const;
  double standardMaxAt(int i) const;

  // The number of visible parameters of level 0 or 1, the ones a user is
  // shown by default.
  int visibleCount() const;
  // Whether at least one parameter holds an explicitly set value.
  bool parameterValueChanged() const;
  // Whether parameters, rounding rules and standard limits have the same
  // length, as they must.
  bool testInternalLists() const;

  // --- Copying --------------------------------------------------------

  // A new component with the same key, label, state, related units, own
  // operation and part feature, and clones of the parameters and their
  // standard-limit formulas; parameters that name each other refer to each
  // other's clones.
  // Throws the compile errors of a formula text that no longer compiles.
  boost::shared_ptr<Component> clone() const;
  // Replaces the identity, state, related units, own operation, part
  // feature and parameters of `target` by those of this component, as
  // `clone` does. The target's other operations and child components are
  // kept. An empty `target`, or this component itself, is ignored.
  void copyTo(const boost::shared_ptr<Component>& target) const;
  // The same as `source->copyTo` (this component).
  void copyFrom(const boost::shared_ptr<Component>& source);

 private:
  friend class boost::serialization::access;
  // Lets the unit tests reach the catalogue table and write archives in the
  // layout of older class versions.
  friend class ComponentTestPeer;
  // Builds the parameters of a shared component from its inputs' parameters
  // and standard limits (sharing/ComponentSharing.cpp).
  friend class ComponentMerge;

  // Defined with the archive code in persistence/.
  template <class Archive>
  void save(Archive& archive, const unsigned int version) const;
  template <class Archive>
  void load(Archive& archive, const unsigned int version);
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // Empties every field; the operation list gets its one empty entry.
  void init();

  // The catalogue key of a German or English catalogue label (8-bit
  // Windows-1252 text, compared byte for byte); "" for any other label.
  // Archives written before components had keys carry only the label.
  static std::string getComponentKeyFromLabel(const std::string& label);

  void copyInto(Component& target) const;
  double evaluateStandardLimit(int i, bool maximum) const;

  std::string label_;
  std::vector<RoundingRule> roundingRules_;
  std::string componentKey_;
  boost::weak_ptr<PartFeature> partFeature_;
  std::vector<boost::weak_ptr<ProcessingUnit>> relatedProcessingUnits_;
  std::vector<boost::shared_ptr<VelkData::CostDriver>> parameters_;
  std::vector<std::pair<boost::shared_ptr<VelkData::FormulaContainer>,
                        boost::shared_ptr<VelkData::FormulaContainer>>>
      standardLimits_;
  std::vector<boost::weak_ptr<VelkData::Operation>> operations_;
  std::vector<boost::shared_ptr<Component>> childComps_;
  bool visited_;
  std::int32_t state_;
  bool noDBMatch_;
  std::string noDBMatchCause_;
};

}  // namespace TamberData

#endif  // VELKDATA_COSTDATA_COMPONENT_H
