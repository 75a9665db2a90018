#ifndef VELKDATA_COSTDATA_OPERATION_H
#define VELKDATA_COSTDATA_OPERATION_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

namespace boost {
namespace serialization {
class access;
}  // namespace serialization
}  // namespace boost

namespace VelkUtils {
class Stage;
}  // namespace VelkUtils

namespace TamberData {
class ProcessingUnit;
}  // namespace TamberData

namespace VelkData {

class BaseAssembly;
class CostDriver;
class CostDriverDouble;
class CostDriverEnum;
class CostProperty;
class FormulaContainer;
class Press;

// One operation of the press line (drawing, trimming, flanging, piercing and
// so on): its type, the cost drivers of that type with this operation's
// values, three tool dimensions each with formulas for the admissible
// minimum and maximum, the base assembly of its die set, its press, a free
// comment and the stage description that the simulation works with.
//
// The cost database holds operation types as operations; the process plan
// holds the operations of one part as clones of them. Everything refers to
// an operation through boost::shared_ptr. Copy construction and assignment
// share every pointee with the source; `clone` makes an independent
// operation that still shares stage and press.
//
// The operation keeps its stage in step with its own values: label, type,
// tool dimensions, description (the comment's text) and tipping vector are
// written through to it. An operation without a stage simply skips those
// writes.
//
// Dependencies between the drivers are found by a plain substring test of
// formula texts: a formula that contains a driver's id anywhere, even
// inside a longer name ("CD_1" inside "CD_10"), depends on that driver.
// Only the reading side records the dependency; values are computed on
// read, so no has-impact-on entry is needed for them to be current.
class Operation {
 public:
  // One tool dimension: the value driver (also one of the operation's cost
  // drivers) and the containers whose formulas give the smallest and the
  // largest admissible value. Any member may be empty.
  struct Triplet {
    boost::shared_ptr<CostDriverDouble> value;
    boost::shared_ptr<FormulaContainer> minimum;
    boost::shared_ptr<FormulaContainer> maximum;
  };

  // An operation with empty texts, for the archive. Since the archive does
  // not store the press, it runs on a press of its own like every other
  // operation.
  Operation();
  // An operation of `type` labelled `label`, without drivers, stage or base
  // assembly, running on a press of its own (empty label, no stages).
  Operation(const std::string& label, const std::string& type);
  Operation(const Operation& other);
  Operation& operator=(const Operation& other);
  virtual ~Operation();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // The label is the identity of the operation.
  const std::string& label() const { return label_; }
  // Sets the label, and the stage's label when there is a stage.
  void SetLabel(const std::string& label);
  // Sets only the stage's label; ignored without a stage.
  void SetStageLabel(const std::string& label);

  // The identifier of the operation type.
  const std::string& type() const { return type_; }
  void setType(const std::string& type) { type_ = type; }

  // Whether the operation must hold no processing units.
  bool ShouldBeEmpty() const { return shouldBeEmpty_; }
  void SetShouldBeEmtpy(bool shouldBeEmpty) { shouldBeEmpty_ = shouldBeEmpty; }

  // The base assembly of the die set; an empty pointer when none is set.
  boost::shared_ptr<BaseAssembly> baseAssembly() const { return baseAssembly_; }
  // Only stores `assembly`; its amount formulas and components are not
  // bound to this operation.
  void setBaseAssembly(const boost::shared_ptr<BaseAssembly>& assembly);
  // Stores `assembly` and binds it to `operation` (the shared pointer that
  // holds this operation): the amount formulas record the drivers of this
  // operation they name, and every component gets `operation`. An empty
  // `assembly` only clears the stored one.
  void setBaseAssembly(const boost::shared_ptr<BaseAssembly>& assembly,
                       const boost::shared_ptr<Operation>& operation);

  // The press the operation runs in; empty only after `setPress` with an
  // empty pointer.
  boost::shared_ptr<Press> press() const { return press_; }
  void setPress(const boost::shared_ptr<Press>& press) { press_ = press; }

  // The free comment; its text is the stage description. May be empty.
  boost::shared_ptr<CostProperty> getCommentProperty() const {
    return commentProperty_;
  }
  void setCommentProperty(const boost::shared_ptr<CostProperty>& property) {
    commentProperty_ = property;
  }

  // Operations are equal when their labels are equal.
  bool operator==(const Operation& other) const {
    return label_ == other.label_;
  }
  bool operator!=(const Operation& other) const { return !(*this == other); }

  // Wires `driver` into the existing drivers, the dimension formulas and
  // the driver's own formulas (see `addDependency`), then appends it. An
  // empty pointer is ignored.
  void AddCostDriver(const boost::shared_ptr<CostDriver>& driver);
  int CostDriverCount() const;
  // The driver at `i`; an empty pointer when `i` is outside
  // [0, CostDriverCount()).
  boost::shared_ptr<CostDriver> CostDriverAt(int i) const;
  // A copy of the driver list, in insertion order.
  std::vector<boost::shared_ptr<CostDriver>> GetAllCostDrivers() const;

  // Makes every driver of this operation whose formulas name `driver`, and
  // the minimum and maximum formulas of height, length and width, record
  // `driver` as a dependency. Used for drivers that do not belong to the
  // operation too, such as the cost properties of a stage. A driver with an
  // empty id names nothing and is ignored, as is an empty pointer.
  void addDependency(const boost::shared_ptr<CostDriver>& driver);

  // The value drivers of the three dimensions; empty until set.
  boost::shared_ptr<CostDriverDouble> LengthValue() const;
  boost::shared_ptr<CostDriverDouble> WidthValue() const;
  boost::shared_ptr<CostDriverDouble> HeightValue() const;

  // Replace the dimension, write its value to the stage, add `value` as a
  // cost driver and wire the two containers to the drivers they name. An
  // empty `value` is neither written nor added; empty containers are kept
  // as they are and wired to nothing.
  // Throws `NoFormulaResultException` when the stage needs the value and it
  // cannot be computed.
  void SetLength(const boost::shared_ptr<CostDriverDouble>& value,
                 const boost::shared_ptr<FormulaContainer>& minimum,
                 const boost::shared_ptr<FormulaContainer>& maximum);
  void SetWidth(const boost::shared_ptr<CostDriverDouble>& value,
                const boost::shared_ptr<FormulaContainer>& minimum,
                const boost::shared_ptr<FormulaContainer>& maximum);
  void SetHeight(const boost::shared_ptr<CostDriverDouble>& value,
                 const boost::shared_ptr<FormulaContainer>& minimum,
                 const boost::shared_ptr<FormulaContainer>& maximum);

  // The admissible range of each dimension as its formulas give it. When a
  // formula cannot be evaluated the failure is logged with the operation's
  // label and the answer is 0.0; so it is without a container.
  float LengthMinimum() const;
  float LengthMaximum() const;
  float WidthMinimum() const;
  float WidthMaximum() const;
  float HeightMinimum() const;
  float HeightMaximum() const;

  // Stores `stage` after wiring the stage's cost drivers into this
  // operation (see `addDependency`), and writes the tool dimensions that are
  // set and the comment's text to it. An empty `stage` detaches the
  // operation from its stage.
  // Throws `NoFormulaResultException` when a value written to the stage
  // cannot be computed.
  void SetStage(const boost::shared_ptr<VelkUtils::Stage>& stage);
  // As `SetStage` (stage); a drawing stage then also chooses the base
  // assembly from `assemblies`: the one at the drawing type's number minus
  // one, or else the first whose label contains the drawing type's text,
  // bound to `operation` as by `setBaseAssembly` (assembly, operation). A
  // current base assembly whose label already contains the text is kept;
  // without a fitting entry nothing changes.
  // REQUIRES: `operation` holds this operation.
  void SetStage(const boost::shared_ptr<VelkUtils::Stage>& stage,
                const std::vector<boost::shared_ptr<BaseAssembly>>& assemblies,
                const boost::shared_ptr<Operation>& operation);
  // The stage after refreshing its type string, the tool dimensions that
  // are set and the description; an empty pointer without a stage.
  // Throws `NoFormulaResultException` when a refreshed value cannot be
  // computed.
  boost::shared_ptr<VelkUtils::Stage> stage();

  // The stage's tipping vector; (0, 0, 1), the press direction, without a
  // stage.
  std::vector<double> tippingVector() const;
  // Passes `tipping` to the stage; ignored without a stage.
  void setTippingVector(const std::vector<double>& tipping);

  // For exactly two angles (theta, phi) in radians the unit vector
  // (sin theta cos phi, sin theta sin phi, cos theta); (0, 0, 0) for any
  // other number of angles.
  static std::vector<double> DirAngle2DirVector(
      const std::vector<double>& angles);
  // Always (0, 0, 0); the reverse conversion is not needed by the model.
  static std::vector<double> DirVector2DirAngle(
      const std::vector<double>& vector);

  // The tool type: the value of the first driver "CD_OP_50", truncated; -1
  // when there is none or it is not an enumeration driver.
  // Throws `NoFormulaResultException` when its value cannot be computed.
  int getToolType() const;
  // The first driver "CD_OP_50" as enumeration driver; an empty pointer when
  // there is none or it is of another kind.
  boost::shared_ptr<CostDriverEnum> getToolType_p() const;
  // Sets the value of the driver `getToolType_p`; ignored without one.
  void setToolType(int type);
  // The die-set type of a flexible press: the value of the first driver
  // "CD_OP_70", truncated. -1 without a press, for a press that is not
  // flexible and when the driver is missing or not an enumeration driver.
  // Throws `NoFormulaResultException` when a value cannot be computed.
  int getDiesetType() const;
  // Whether any enumeration driver "CD_OP_50" has exactly the value 106,
  // the cut-off tool.
  // Throws `NoFormulaResultException` when a value cannot be computed.
  bool isCutoff() const;

  // Whether the operation may hold `units`: false when it should be empty
  // or the constraints of a unit forbid its type, as soon as one non-empty
  // unit is met; true otherwise, including for an empty list.
  bool checkType(
      const std::vector<boost::shared_ptr<TamberData::ProcessingUnit>>& units)
      const;

  // A new operation with the same label, type, flag and tipping vector,
  // sharing stage and press with this one, and owning clones of the cost
  // drivers, the base assembly (not yet bound to the new operation), the
  // comment and the dimension formulas.
  // Throws the compile errors of a formula text that no longer compiles.
  boost::shared_ptr<Operation> clone() const;

 private:
  friend class boost::serialization::access;
  // Lets the tests write archives in the layout of older class versions.
  friend class OperationTestPeer;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // `dependent` records `driver` once per formula of its own that names
  // `driver`.
  void addDependency(const boost::shared_ptr<CostDriver>& driver,
                     const boost::shared_ptr<CostDriver>& dependent);
  // `container` records `driver` once per formula that names `driver`.
  void addDependency(const boost::shared_ptr<CostDriver>& driver,
                     const boost::shared_ptr<FormulaContainer>& container);
  // Wires `driver` both ways: the existing drivers and dimension formulas
  // that name it, and the existing drivers that its own formulas name.
  void UpdateDependencies(const boost::shared_ptr<CostDriver>& driver);
  // `container` records each existing driver it names.
  void UpdateDependencies(const boost::shared_ptr<FormulaContainer>& container);

  // The three steps of SetLength/SetWidth/SetHeight, with `writeToStage`
  // passing the value on to the matching stage member.
  void setDimension(Triplet& triple,
                    const boost::shared_ptr<CostDriverDouble>& value,
                    const boost::shared_ptr<FormulaContainer>& minimum,
                    const boost::shared_ptr<FormulaContainer>& maximum,
                    void (VelkUtils::Stage::*writeToStage)(double));
  // The value of `container`, or 0.0 after logging `format` with the label
  // and the failure.
  float evaluateLimit(const boost::shared_ptr<FormulaContainer>& container,
                      const char* format) const;
  // Writes the comment's text to the stage when both are present.
  void refreshStageDescription();
  // Writes the value drivers that are set to the stage's tool length,
  // height and width, in that order.
  void refreshStageDimensions();
  // The first driver with identifier `id` as enumeration driver; empty when
  // there is none or it is of another kind.
  boost::shared_ptr<CostDriverEnum> firstEnumDriver(
      const std::string& id) const;

  std::string label_;
  std::string type_;
  bool shouldBeEmpty_;
  boost::shared_ptr<BaseAssembly> baseAssembly_;
  boost::shared_ptr<VelkUtils::Stage> stage_;
  std::vector<boost::shared_ptr<CostDriver>> costDrivers_;
  boost::shared_ptr<CostProperty> commentProperty_;
  Triplet length_;
  Triplet width_;
  Triplet height_;
  boost::shared_ptr<Press> press_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_OPERATION_H
