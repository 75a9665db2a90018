#ifndef VELKDATA_PROCESSPLAN_PROCESSDATABASE_H
#define VELKDATA_PROCESSPLAN_PROCESSDATABASE_H

#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>

#include "processplan/ProcessingUnit.h"

namespace boost {
namespace serialization {
class access;
}  // namespace serialization
}  // namespace boost

namespace VelkData {
class Operation;
class Press;
}  // namespace VelkData

namespace TamberData {

class FeatureGroupFactory;
class FeatureParameterFactory;
class FeatureTypeFactory;
class PartFeature;
class ProcessFactoryFeature;

// The process plan of one part: the press line of operations, the
// reference operation of each operation type and the default operations,
// the top-level part features with their processing units, the reference
// processing units per feature type and cam type, the presses and blanking
// presses, and the four factories. The cost database holds it through
// boost::shared_ptr; it is archived with it.
//
// Copy construction and assignment copy the lists and share every pointee.
//
// Nothing here crashes on bad input: an index outside its list makes a
// reader answer its neutral value (an empty pointer, "" or -1) and a writer
// do nothing, and empty pointers handed to the `Add`/`add` members are not
// stored. The press line may still hold empty places, made by
// `ReplaceOperationAt` (beyond its end, or with an empty operation); members
// that walk the line skip them.
class ProcessDatabase {
 public:
  // An empty plan whose id is the current local date and time in ISO 8601
  // form, such as "2024-05-17T08:30:00".
  ProcessDatabase();
  virtual ~ProcessDatabase();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // The id given at construction (or read from the archive).
  const std::string& id() const { return id_; }

  // --- The press line ---------------------------------------------------

  int OperationCount() const;
  // The operation at `index`; an empty pointer outside [0, OperationCount())
  // and for an empty place.
  boost::shared_ptr<VelkData::Operation> OperationAt(int index) const;
  // A copy of the line, empty places included.
  std::vector<boost::shared_ptr<VelkData::Operation>> Operations() const;
  // The type of the operation at `index`; "" outside the line and for an
  // empty place.
  std::string OperationTypeAt(int index) const;
  // The number of places `OperationTypeAt` answers for, that is the number
  // of operations of the line (a type used twice counts twice), not the
  // number of distinct types.
  int OperationTypeCount() const;

  // Appends `operation` and returns its index (OperationCount() - 1); -1 for
  // an empty pointer, which is not stored.
  int AddOperation(const boost::shared_ptr<VelkData::Operation>& operation);
  // Inserts `operation` before the one at `index`; `index` ==
  // OperationCount() appends. Ignored for an empty pointer or an `index`
  // outside [0, OperationCount()].
  void InsertOperationAt(
      int index, const boost::shared_ptr<VelkData::Operation>& operation);
  // Removes the first operation equal to `operation` (same label) and
  // returns its former index; -1 when there is none or `operation` is empty.
  // Components it shares with other operations are left in place; use
  // `RemoveOperationAt` to unshare them first.
  int RemoveOperation(const boost::shared_ptr<VelkData::Operation>& operation);
  // Unshares the components of the operation at `index` (see
  // `UnshareBaseAssemCompsInOperation`), then removes it. Ignored outside
  // the line.
  void RemoveOperationAt(int index);
  // Stores `operation` at `index`. An `index` at or beyond the end first
  // grows the line to index + 1 places, the new ones empty. With
  // `copyValues`, each cost driver of the operation that was at `index`
  // hands its value to the driver with the same id of `operation`, kind by
  // kind: double, int (ranges included), enumeration (by its text, when the
  // new driver knows the text) and bool (true or false, in the new driver's
  // numbers). Drivers without a namesake of the same kind, and drivers whose
  // value cannot be computed, are left alone. Processing units that point
  // at the replaced operation keep pointing at it. An empty `operation` is
  // stored like any other: it empties that place (growing the line first
  // when needed) and nothing is handed over. Ignored for a negative
  // `index`.
  void ReplaceOperationAt(
      int index, const boost::shared_ptr<VelkData::Operation>& operation,
      bool copyValues);
  // Replaces the operation at `index` by a new operation of type `newType`
  // (`CreateOperation`) that takes over its stage, label and press, and
  // returns true. Unless the reference operation of `newType` should be
  // empty, the stage must allow `newType` (an operation without stage has
  // nothing that forbids it); if it does not, `message` is set to
  //   Operation <label>' is of type '<newType>' which is not allowed for
  //   stage '<stage label>' of the current press '<current press label>'
  // (one line; the stage then carries the operation's label, as it always
  // does once an operation takes it over) and the call returns false with
  // the line unchanged. It also returns false with the line unchanged, and
  // a message, when there is no operation at `index` ("No operation at index
  // <index>") or `newType` has no reference operation ("Operation type
  // '<newType>' has no reference operation"). `message` is left alone on
  // success.
  // Throws `NoFormulaResultException` when a value written to the stage
  // cannot be computed, and the compile errors of a formula of the
  // reference operation that no longer compiles.
  bool ChangeOperationTypeAt(int index, const std::string& newType,
                             std::string& message);

  // The number of operations whose press is `press` (the same object); 0
  // for an empty pointer.
  int OperationCount(const boost::shared_ptr<VelkData::Press>& press) const;
  // The index of the first / last operation whose press is `press`; -1 when
  // none is, or for an empty pointer.
  int FirstOperationOn(const boost::shared_ptr<VelkData::Press>& press) const;
  int LastOperationOn(const boost::shared_ptr<VelkData::Press>& press) const;

  // The first operation whose stage is a forming stage (stage type 2); an
  // empty pointer when there is none.
  // Throws `NoFormulaResultException` when refreshing a stage fails.
  boost::shared_ptr<VelkData::Operation> getFirstFormStage() const;
  // Every processing unit assigned to `operation` (the same object), over
  // all features depth first, each feature's units in order; empty for an
  // empty pointer.
  std::vector<boost::shared_ptr<ProcessingUnit>> getProcUnitsFromOP(
      const boost::shared_ptr<VelkData::Operation>& operation) const;
  // The processing units of the first group (depth first) that has
  // `feature` (the same object) as a direct child; empty when `feature` is
  // in no group or empty.
  std::vector<boost::shared_ptr<ProcessingUnit>> findParentProcUnits(
      const boost::shared_ptr<PartFeature>& feature) const;

  // Undoes die-set sharing for the operation at `index`: every component of
  // a base assembly of the line that is used in more than one operation, the
  // one at `index` among them, leaves that base assembly, and its child
  // components (the ones it stood for) are activated again. Ignored outside
  // the line and for an empty place.
  void UnshareBaseAssemCompsInOperation(int index);
  // One die-set group number per place of the line, looking at the upper
  // (`upper`) or lower die sets of the base assemblies. Place 0 has 0; each
  // further place keeps the number when its die set is the one that set the
  // current group (the same object, or one used in as many operations whose
  // first operation has the same label) and otherwise starts a new group.
  // A place without die set always starts a new group but does not end the
  // previous die set's claim: 0, 1, 1 for die sets A, none, A.
  std::vector<int> getDiesetConfig(bool upper) const;

  // --- Reference and default operations ---------------------------------

  // Sets the type of `operation` to `type` and makes it the reference for
  // that type, replacing an earlier one. Ignored for an empty pointer.
  void SetReferenceOperation(
      const std::string& type,
      const boost::shared_ptr<VelkData::Operation>& operation);
  // The reference for `type`; an empty pointer when there is none.
  boost::shared_ptr<VelkData::Operation> ReferenceOperation(
      const std::string& type) const;
  // A clone of the reference for `type` (shares its stage and press) whose
  // base assembly is bound to the clone, so that its components and amount
  // formulas read the new operation's drivers; an empty pointer when there
  // is none.
  // Throws the compile errors of a formula text that no longer compiles.
  boost::shared_ptr<VelkData::Operation> CreateOperation(
      const std::string& type) const;

  // Appends `operation`; an empty pointer is ignored.
  void AddDefaultOperation(
      const boost::shared_ptr<VelkData::Operation>& operation);
  // The default operation at `index`; an empty pointer outside the list.
  boost::shared_ptr<VelkData::Operation> DefaultOperationAt(int index) const;
  int DefaultOperationCount() const;

  // --- Top-level part features ------------------------------------------

  // Appends `feature` and returns its index; -1 for an empty pointer, which
  // is not stored.
  int addTopLevelPartFeature(const boost::shared_ptr<PartFeature>& feature);
  // Inserts `feature` before the one at `index`; `index` ==
  // topLevelPartFeatureCount() appends. Ignored for an empty pointer or an
  // `index` outside [0, topLevelPartFeatureCount()].
  void insertTopLevelPartFeatureAt(
      int index, const boost::shared_ptr<PartFeature>& feature);
  // Ignored outside the list.
  void removeTopLevelPartFeatureAt(int index);
  int topLevelPartFeatureCount() const;
  // The feature at `index`; an empty pointer outside the list.
  boost::shared_ptr<PartFeature> topLevelPartFeatureAt(int index) const;
  // Removes the first top-level feature whose label equals the label of
  // `feature` and returns true. Without such a feature it returns false,
  // unless `mustExist` is set: then it throws `ValueNotFoundException` with
  // the message "No top-level part feature with label <label>". An empty
  // `feature` removes nothing and returns false.
  bool removeTopLevelPartFeature(const boost::shared_ptr<PartFeature>& feature,
                                 bool mustExist);

  // The feature with fid `fid` among all features (depth first; of several
  // with that fid, the last one met), as a list of one; an empty list when
  // no feature has it.
  std::vector<boost::shared_ptr<PartFeature>> getPartFeatures(int fid) const;
  // The features of `fids` in the order requested, found as above; fids
  // without a feature are skipped, so the result may be shorter.
  std::vector<boost::shared_ptr<PartFeature>> getPartFeatures(
      const std::vector<int>& fids) const;

  bool FeaturesHaveBeenDetected() const { return featuresHaveBeenDetected_; }
  void SetFeaturesHaveBeenDetected(bool detected) {
    featuresHaveBeenDetected_ = detected;
  }

  // --- Reference processing units ---------------------------------------

  // Appends the three units to the lists of `featureType` for no cam (0),
  // cam (1) and filler cam (2). An empty unit is skipped; the others are
  // still appended.
  void addReferenceProcessingUnit(
      const std::string& featureType,
      const boost::shared_ptr<ProcessingUnit>& unitNoCam,
      const boost::shared_ptr<ProcessingUnit>& unitCam,
      const boost::shared_ptr<ProcessingUnit>& unitFillerCam);
  // Appends to `out` the units of `featureType` for `camType` (0 no cam,
  // 1 cam, 2 filler cam; `ProcessingUnit::CamType` values convert); nothing
  // for an unknown type or cam type.
  void referenceProcessingUnits(
      std::vector<boost::shared_ptr<ProcessingUnit>>& out,
      const std::string& featureType, int camType) const;
  // Appends to `out` the units of `featureType` for cam types 0, 1, 2 in
  // that order.
  void referenceProcessingUnits(
      std::vector<boost::shared_ptr<ProcessingUnit>>& out,
      const std::string& featureType) const;
  // Appends to `out` every list: feature types in ascending name order,
  // each with cam types 0, 1, 2.
  void referenceProcessingUnits(
      std::vector<boost::shared_ptr<ProcessingUnit>>& out) const;

  // --- Presses ----------------------------------------------------------

  // Each an empty pointer until set.
  boost::shared_ptr<VelkData::Press> DefaultPress() const {
    return defaultPress_;
  }
  void SetDefaultPress(const boost::shared_ptr<VelkData::Press>& press) {
    defaultPress_ = press;
  }
  boost::shared_ptr<VelkData::Press> CurrentPress() const {
    return currentPress_;
  }
  void SetCurrentPress(const boost::shared_ptr<VelkData::Press>& press) {
    currentPress_ = press;
  }
  boost::shared_ptr<VelkData::Press> DefaultBlankingPress() const {
    return defaultBlankingPress_;
  }
  void SetDefaultBlankingPress(
      const boost::shared_ptr<VelkData::Press>& press) {
    defaultBlankingPress_ = press;
  }
  boost::shared_ptr<VelkData::Press> CurrentBlankingPress() const {
    return currentBlankingPress_;
  }
  void SetCurrentBlankingPress(
      const boost::shared_ptr<VelkData::Press>& press) {
    currentBlankingPress_ = press;
  }

  // Appends `press`; an empty pointer is ignored.
  void AddBlankingPress(const boost::shared_ptr<VelkData::Press>& press);
  int BlankingPressCount() const;
  // The blanking press at `index`; an empty pointer outside the list.
  boost::shared_ptr<VelkData::Press> BlankingPressAt(int index) const;
  // A copy of the list.
  std::vector<boost::shared_ptr<VelkData::Press>> BlankingPresses() const {
    return blankingPresses_;
  }
  // Ignored outside the list. The default and current blanking press stay
  // as they are even when they were the removed one.
  void RemoveBlankingPressAt(int index);

  // --- Factories --------------------------------------------------------

  // Each an empty pointer until set.
  boost::shared_ptr<ProcessFactoryFeature> processFactoryFeature() const {
    return processFactoryFeature_;
  }
  void setProcessFactoryFeature(
      const boost::shared_ptr<ProcessFactoryFeature>& factory) {
    processFactoryFeature_ = factory;
  }
  boost::shared_ptr<FeatureTypeFactory> featureTypeFactory() const {
    return featureTypeFactory_;
  }
  void setFeatureTypeFactory(
      const boost::shared_ptr<FeatureTypeFactory>& factory) {
    featureTypeFactory_ = factory;
  }
  boost::shared_ptr<FeatureGroupFactory> featureGroupFactory() const {
    return featureGroupFactory_;
  }
  void setFeatureGroupFactory(
      const boost::shared_ptr<FeatureGroupFactory>& factory) {
    featureGroupFactory_ = factory;
  }
  boost::shared_ptr<FeatureParameterFactory> featureParameterFactory() const {
    return featureParameterFactory_;
  }
  void setFeatureParameterFactory(
      const boost::shared_ptr<FeatureParameterFactory>& factory) {
    featureParameterFactory_ = factory;
  }

  // --- Temporary objects ------------------------------------------------

  // Keeps `object` alive until `ClearTemporaryPtrs`. Calculations park here
  // objects of any class that must outlive a call but are no part of the
  // plan; they are not archived. An empty pointer is ignored.
  void addTemporaryPtr(const boost::shared_ptr<void>& object);
  int temporaryPtrCount() const;
  // Releases every object parked with `addTemporaryPtr`.
  void ClearTemporaryPtrs() { temporaryPtrs_.clear(); }

 private:
  typedef std::map<ProcessingUnit::CamType,
                   std::vector<boost::shared_ptr<ProcessingUnit>>>
      UnitsByCamType;

  friend class boost::serialization::access;
  // Lets the tests give sample plans a fixed identifier, so that their
  // archives are the same bytes on every run.
  friend class ProcessDatabaseTestPeer;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // Whether `index` names a place of the line.
  bool inLine(int index) const;

  std::string id_;
  std::vector<boost::shared_ptr<VelkData::Operation>> operations_;
  std::vector<boost::shared_ptr<VelkData::Operation>> defaultOperations_;
  std::map<std::string, boost::shared_ptr<VelkData::Operation>>
      referenceOperations_;
  std::vector<boost::shared_ptr<PartFeature>> topLevelPartFeatures_;
  std::map<std::string, UnitsByCamType> referenceProcessingUnits_;
  boost::shared_ptr<VelkData::Press> defaultPress_;
  boost::shared_ptr<VelkData::Press> currentPress_;
  boost::shared_ptr<VelkData::Press> defaultBlankingPress_;
  boost::shared_ptr<VelkData::Press> currentBlankingPress_;
  std::vector<boost::shared_ptr<VelkData::Press>> blankingPresses_;
  boost::shared_ptr<ProcessFactoryFeature> processFactoryFeature_;
  boost::shared_ptr<FeatureTypeFactory> featureTypeFactory_;
  boost::shared_ptr<FeatureGroupFactory> featureGroupFactory_;
  boost::shared_ptr<FeatureParameterFactory> featureParameterFactory_;
  bool featuresHaveBeenDetected_;
  std::vector<boost::shared_ptr<void>> temporaryPtrs_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PROCESSDATABASE_H
