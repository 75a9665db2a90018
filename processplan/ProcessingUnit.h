#ifndef VELKDATA_PROCESSPLAN_PROCESSINGUNIT_H
#define VELKDATA_PROCESSPLAN_PROCESSINGUNIT_H

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>
#include <string>
#include <vector>

namespace boost {
namespace serialization {
class access;
}  // namespace serialization
}  // namespace boost

namespace VelkData {
class CostDriver;
class FormulaContainer;
class Operation;
}  // namespace VelkData

namespace TamberData {

class Component;
class Constraint;
class PartFeature;

// One machining step (pierce a hole, trim a contour, form a plunging)
// applied to one part feature on one press operation, with the die
// components the step needs and the constraints on the operation types it
// may run on.
//
// The unit keeps its source components (catalogue components, each with a
// formula for how many are needed and a flag saying whether a group needs
// one set as a whole or one set per member) and the components it
// instantiated from them; `updateComponentAmounts` rebuilds the latter.
//
// Held through boost::shared_ptr by its part feature (the owner) and by
// the processing sequences of the process factory. The unit owns its
// source and instantiated components, its constraints and holds its
// operation; it holds its part feature only weakly, since the feature owns
// it, and the components it shares name their units weakly as well, so a
// removed feature is freed with its units. Once the feature is gone,
// `partFeature` answers an empty pointer.
class ProcessingUnit {
 public:
  // Whether the unit needs a cam to work against the press direction.
  enum CamType {
    kNoCam = 0,
    kCam = 1,
    kFillerCam = 2,
  };

  // The process-wide counter from which each new unit takes its id. Ids are
  // never reused; loading an archive restores the counter.
  static int procUnitCount;

  // A unit without label, feature type, constraints or image and without a
  // cam, for the archive.
  ProcessingUnit();
  // A unit named `label` for features of type `associatedFeatureType`,
  // shown with the picture `imageName`. Both constructors take a new id.
  ProcessingUnit(const std::string& label,
                 const std::string& associatedFeatureType,
                 const boost::shared_ptr<Constraint>& constraints,
                 CamType camType, const std::string& imageName);
  virtual ~ProcessingUnit();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // The unit's name, also used to match sequences and components.
  const std::string& label() const { return label_; }
  // The name of the processing picture; its core names the operation kind
  // (see `ProcessUnitConvert`).
  const std::string& imageName() const { return imageName_; }
  // The feature type the unit belongs to.
  const std::string& associatedFeatureType() const {
    return associatedFeatureType_;
  }

  // The position in the owning feature's unit list; -1 until inserted.
  int getIndex() const { return index_; }
  void setIndex(int index) { index_ = index; }

  // The unit's id, unique within the process.
  int getProcID() const { return procID_; }

  CamType camType() const { return camType_; }
  // "no cam", "cam" or "filler cam" for the unit's cam type; "undefined"
  // for a value outside the enumeration (an archive may carry one).
  std::string CamLabel() const;
  // The same for any cam type value.
  static std::string CamLabel(int camType);

  // Whether the user confirmed the cam type; false for a new unit.
  bool camTypeConfirmed() const { return camTypeConfirmed_; }
  void confirmCamType(bool confirmed = true) { camTypeConfirmed_ = confirmed; }

  // The operation types the unit may run on; may be empty.
  boost::shared_ptr<Constraint> constraints() const { return constraints_; }
  void setConstraints(const boost::shared_ptr<Constraint>& constraints) {
    constraints_ = constraints;
  }

  // The feature the unit machines (its owner); empty until inserted.
  // An empty pointer as well once the feature no longer exists.
  boost::shared_ptr<PartFeature> partFeature() const {
    return partFeature_.lock();
  }
  // Stores the feature; the components follow at the next
  // `updateComponentAmounts`.
  void setPartFeature(const boost::shared_ptr<PartFeature>& feature) {
    partFeature_ = feature;
  }
  // Whether a part feature is set.
  bool hasFeature() const { return !partFeature_.expired(); }

  // The operation the unit is assigned to; empty until assigned.
  boost::shared_ptr<VelkData::Operation> operation() const {
    return operation_;
  }
  // Assigns the unit to `operation`: the amount formulas read its cost
  // drivers (`SetAmountDependencies`, and a dependency with the id of one of
  // its drivers is replaced by that driver), then the components are
  // rebuilt (`updateComponentAmounts`). An empty `operation` unassigns the
  // unit; the components are still rebuilt and lose their operation.
  // Throws what `updateComponentAmounts` throws.
  void setOperation(const boost::shared_ptr<VelkData::Operation>& operation);

  // --- Components -----------------------------------------------------

  // The number of components currently instantiated for the unit.
  int componentCount() const { return static_cast<int>(components_.size()); }
  // The component at `i`; an empty pointer when `i` is out of range.
  boost::shared_ptr<Component> componentAt(int i) const;
  // The components labelled `label`, in list order; empty when none is.
  std::vector<boost::shared_ptr<Component>> componentsByLabel(
      const std::string& label) const;
  // Replaces the component at `i`. An empty `component`, or `i` outside
  // [0, componentCount()), is ignored.
  void setComponentAt(int i, const boost::shared_ptr<Component>& component);
  // Removes the component at `i`; an `i` outside [0, componentCount()) is
  // ignored.
  void removeComponentAt(int i);
  // Replaces the first component labelled like `component` by it, so that
  // units sharing a component hold the same object. Nothing happens when no
  // component has that label or `component` is empty.
  void replaceExistingComponentWith(
      const boost::shared_ptr<Component>& component);

  // Appends a source component with the formula for its number and its
  // group flag (true: one set of components for a whole group; false: one
  // set per member of the group), then rebuilds the components
  // (`updateComponentAmounts`). An empty `component` or `amount` is
  // ignored.
  // Throws what `updateComponentAmounts` throws.
  void addSourceComponent(
      const boost::shared_ptr<Component>& component,
      const boost::shared_ptr<VelkData::FormulaContainer>& amount,
      bool oneSetPerGroup);
  int sourceComponentCount() const {
    return static_cast<int>(sourceComponents_.size());
  }
  // Source component `j`, its amount formula, its group flag and its number
  // as last evaluated; an empty pointer, an empty pointer, false and 0 when
  // `j` is outside [0, sourceComponentCount()).
  boost::shared_ptr<Component> sourceComponentAt(int j) const;
  boost::shared_ptr<VelkData::FormulaContainer> amountFormulaAt(int j) const;
  bool oneSetPerGroupAt(int j) const;
  int sourceAmountAt(int j) const;

  // Makes every amount formula that contains the id of one of `drivers`
  // (plain substring test of its texts) read that driver.
  void SetAmountDependencies(
      const std::vector<boost::shared_ptr<VelkData::CostDriver>>& drivers);

  // Rebuilds the component list from the source components: each amount
  // formula is evaluated and truncated to a whole number n (a formula
  // without result, or a negative or non-finite result, gives 0 and, for
  // the missing result, a debug line); a source needs n components, or n per
  // member of the group when the unit machines a `PartFeatureGroup` and the
  // source's flag is false. Components equal to the source that the unit
  // already holds are reused in list order, the rest are made from the
  // source; either way the new list holds clones, so edited parameter
  // values survive while the objects are new. Units sharing one of the new
  // components then take it in place of their component of the same label.
  // Finally the components are pointed at the unit's part feature (at the
  // group member they serve, for per-member sets) and at the unit's
  // operation.
  // Throws the compile errors of a component formula that no longer
  // compiles when it is cloned.
  void updateComponentAmounts();

  // --- Cams -----------------------------------------------------------

  // Whether the unit's feature needs a cam on `operation`: true when the
  // processing direction deviates from the operation's tipping vector by
  // 15 to 165 degrees, bounds included. A feature without a usable
  // direction (none, the zero vector, or not three components), and a unit
  // without part feature, needs a cam, since the press alone cannot be shown
  // to do. An operation that is empty or whose tipping vector does not have
  // three components needs no cam; this writes a debug line.
  bool needACam(const boost::shared_ptr<VelkData::Operation>& operation) const;
  // `needACam` with the unit's own operation.
  bool needACam() const { return needACam(operation_); }

  // The id of the unit whose cam this unit shares: among the units related
  // to the last cam component (key "CT_000_00", or label "Cam" or
  // "Schieber") that has a related unit with a non-negative index, the one
  // with the smallest index. -1 when there is none.
  int getSharedCamProcID() const;

  // --- Copies and relations -------------------------------------------

  // A new unit (with a new id) of the same label, feature type, cam type
  // and image, with a clone of the constraints, clones of the source
  // components and of their amount formulas, the same flags, and clones of
  // the components; it machines the same part feature and is assigned to
  // the same operation, which rebuilds its components. The index stays -1.
  // Throws the compile errors of a formula that no longer compiles.
  boost::shared_ptr<ProcessingUnit> clone() const;

  // The distinct other units related to any of the unit's components: the
  // units it shares components with. Empty when it shares none.
  std::vector<boost::shared_ptr<ProcessingUnit>> linkedProcessingUnits() const;
  // Makes every component drop its relation to `unit` when `unit` is one of
  // `linkedProcessingUnits`; nothing happens otherwise.
  void removeLinkedProcUnit(const boost::shared_ptr<ProcessingUnit>& unit);

  // Units are equal when they machine equal features at the same index. A
  // unit without part feature equals no unit, not even itself.
  bool operator==(const ProcessingUnit& other) const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // Points the components at their features and at the operation; relies
  // on the layout `updateComponentAmounts` makes.
  void updateComponentAttributes(int groupMembers);
  // The number of components source `j` asks for; 0, with a debug line,
  // when its formula has no result.
  int evaluateAmount(int j);

  std::string label_;
  std::string imageName_;
  int index_;
  std::vector<boost::shared_ptr<Component>> sourceComponents_;
  std::vector<boost::shared_ptr<VelkData::FormulaContainer>> amountFormulas_;
  // One per source component: true for one set per group, false for one
  // set per group member.
  std::vector<bool> oneSetPerGroup_;
  // One per source component: the amount of the last update.
  std::vector<int> sourceAmounts_;
  std::vector<boost::shared_ptr<Component>> components_;
  boost::shared_ptr<VelkData::Operation> operation_;
  boost::weak_ptr<PartFeature> partFeature_;
  boost::shared_ptr<Constraint> constraints_;
  CamType camType_;
  std::string associatedFeatureType_;
  bool camTypeConfirmed_;
  int procID_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PROCESSINGUNIT_H
