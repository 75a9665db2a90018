#ifndef VELKDATA_EXTERNAL_STAGE_H
#define VELKDATA_EXTERNAL_STAGE_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

namespace VelkData {
class CostProperty;
}  // namespace VelkData

namespace VelkUtils {

// The description of one stage of the press line as the simulation knows
// it: its label and type, the tool dimensions and description written
// through by the operation that runs in it, the tipping vector of the part
// in the stage, the stage's own cost properties (table sizes and the like,
// read by presses) and the operation types the stage admits.
//
// Held through boost::shared_ptr by operations and presses; an operation and
// its clones share one stage, a press that grows copies a stage with
// `clone`. Copy it only through `clone`, which keeps the dynamic type.
class Stage {
 public:
  // Stage kinds. The names accepted by `setStageType` are the lower-case
  // words in parentheses, matched without regard to case; drawing and
  // redrawing stages are forming stages.
  enum StageType {
    kUndefinedStage = 0,  // ("undefined"), also any unknown name
    kBlankingStage = 1,   // ("blanking")
    kFormingStage = 2,    // ("forming")
    kTrimmingStage = 3,   // ("trimming")
    kFlangingStage = 4,   // ("flanging")
    kPiercingStage = 5,   // ("piercing")
  };

  // An undefined stage with stage id 0, empty texts, tool dimensions 0.0,
  // no tipping vector (the simulation has not supplied one), no cost
  // properties and no allowed operation types.
  Stage();
  explicit Stage(const std::string& label);
  virtual ~Stage();

  Stage& operator=(const Stage&) = delete;

  // A new stage of the same dynamic type with the same field values; later
  // changes to the fields of either side do not reach the other. The cost
  // properties are cloned too.
  virtual boost::shared_ptr<Stage> clone() const;

  // Keeps the class polymorphic for archives that store it through a
  // pointer to its base; does nothing.
  virtual void virtualDummyFunction();

  const std::string& Label() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }

  const std::string& description() const { return description_; }
  void setDescription(const std::string& description) {
    description_ = description;
  }

  // The operation type of the operation that runs in the stage.
  const std::string& typeString() const { return typeString_; }
  void setTypeString(const std::string& typeString) {
    typeString_ = typeString;
  }

  // Sets the stage kind from its name (see StageType); an unknown name
  // makes the stage undefined.
  void setStageType(const std::string& name);
  // The stage kind as a StageType value; kFormingStage (2) for a forming
  // stage.
  int getStageType() const { return stageType_; }
  // The name of stage kind `type` as `setStageType` accepts it; "undefined"
  // for a value outside StageType.
  static std::string stageTypeName(int type);

  // The simulation's number of the stage; 0 for a stage the simulation does
  // not know yet.
  int getStageID() const { return stageId_; }
  void setStageID(int id) { stageId_ = id; }

  double toolLength() const { return toolLength_; }
  void setToolLength(double length) { toolLength_ = length; }
  double toolWidth() const { return toolWidth_; }
  void setToolWidth(double width) { toolWidth_ = width; }
  double toolHeight() const { return toolHeight_; }
  void setToolHeight(double height) { toolHeight_ = height; }

  // The direction in which the part lies in the stage, normally three
  // components; empty until the simulation supplies one.
  const std::vector<double>& getTippingVector() const { return tippingVector_; }
  void setTippingVector(const std::vector<double>& tipping) {
    tippingVector_ = tipping;
  }

  int CostPropertyCount() const;
  // The cost property at `i`, or an empty pointer when `i` is outside
  // [0, CostPropertyCount()).
  boost::shared_ptr<VelkData::CostProperty> CostPropertyAt(int i) const;
  // Appends `property`; an empty pointer is ignored, so readers of the list
  // never meet one.
  void AddCostProperty(
      const boost::shared_ptr<VelkData::CostProperty>& property);

  // The names of the operation types that may run in the stage, in the
  // order given.
  const std::vector<std::string>& AllowedOperationTypes() const {
    return allowedOperationTypes_;
  }
  void setAllowedOperationTypes(const std::vector<std::string>& types) {
    allowedOperationTypes_ = types;
  }
  void AddAllowedOperationType(const std::string& type) {
    allowedOperationTypes_.push_back(type);
  }

 protected:
  // Member-wise copy for `clone` of this class and its subclasses.
  Stage(const Stage& other);

 private:
  std::string label_;
  std::string description_;
  std::string typeString_;
  StageType stageType_;
  int stageId_;
  double toolLength_;
  double toolWidth_;
  double toolHeight_;
  std::vector<double> tippingVector_;
  std::vector<boost::shared_ptr<VelkData::CostProperty>> costProperties_;
  std::vector<std::string> allowedOperationTypes_;
};

}  // namespace VelkUtils

#endif  // VELKDATA_EXTERNAL_STAGE_H
