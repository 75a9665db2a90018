#ifndef VELKDATA_PROCESSPLAN_PROCESSINGUNIT_H
#define VELKDATA_PROCESSPLAN_PROCESSINGUNIT_H

#include <boost/shared_ptr.hpp>
#include <string>

namespace VelkData {
class Operation;
}  // namespace VelkData

namespace TamberData {

class Constraint;
class PartFeature;

// One machining step (pierce a hole, trim a contour, form a plunging)
// applied to one part feature on one press operation, with the constraints
// on the operation types it may run on.
//
// Held through boost::shared_ptr by its part feature (the owner), by the
// processing sequences of the process factory and by the components it
// shares. The unit points back at its part feature, so the two form an
// ownership cycle that the feature breaks when it drops its units.
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

  // The position in the owning feature's unit list; -1 until inserted.
  int getIndex() const { return index_; }
  void setIndex(int index) { index_ = index; }

  // The unit's id, unique within the process.
  int getProcID() const { return procID_; }

  CamType camType() const { return camType_; }

  // The operation types the unit may run on; may be empty.
  boost::shared_ptr<Constraint> constraints() const { return constraints_; }
  void setConstraints(const boost::shared_ptr<Constraint>& constraints) {
    constraints_ = constraints;
  }

  // The feature the unit machines (its owner); empty until inserted.
  boost::shared_ptr<PartFeature> partFeature() const { return partFeature_; }
  void setPartFeature(const boost::shared_ptr<PartFeature>& feature) {
    partFeature_ = feature;
  }
  // Whether a part feature is set.
  bool hasFeature() const { return static_cast<bool>(partFeature_); }

  // The operation the unit is assigned to; empty until assigned.
  boost::shared_ptr<VelkData::Operation> operation() const {
    return operation_;
  }
  // Stores the operation.
  void setOperation(const boost::shared_ptr<VelkData::Operation>& operation) {
    operation_ = operation;
  }

  // Units are equal when they machine equal features at the same index. A
  // unit without part feature equals no unit, not even itself.
  bool operator==(const ProcessingUnit& other) const;

 private:
  std::string label_;
  std::string imageName_;
  int index_;
  boost::shared_ptr<VelkData::Operation> operation_;
  boost::shared_ptr<PartFeature> partFeature_;
  boost::shared_ptr<Constraint> constraints_;
  CamType camType_;
  std::string associatedFeatureType_;
  int procID_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PROCESSINGUNIT_H
