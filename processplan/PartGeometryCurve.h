#ifndef VELKDATA_PROCESSPLAN_PARTGEOMETRYCURVE_H
#define VELKDATA_PROCESSPLAN_PARTGEOMETRYCURVE_H

#include <boost/shared_ptr.hpp>
#include <deque>
#include <string>
#include <vector>

#include "external/LINEFEATURE.h"
#include "processplan/PartGeometry.h"
#include "velkdata/TrUtf8.h"

namespace TamberData {

// A recognised curve of the part (a hole, an opening, a boundary, a trim
// curve segment). It embeds the simulation's `LINEFEATURE` record: label,
// fid, bounding box, part side (the record's tip group), processing
// direction and the measures are those of the record, and a type change
// writes the type's simulation id into the record's recogniser code.
// Held by shared pointer like every feature.
class PartGeometryCurve : public PartGeometry {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  // A curve of type "Undetermined" with an empty record, for the archive.
  PartGeometryCurve();
  // A curve of type "Undetermined" embedding a copy of `record`, whose
  // recogniser code is kept for the classification.
  PartGeometryCurve(const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
                    const VelkUtils::LINEFEATURE& record);
  // A curve of type `type` embedding a copy of `record`; the record's
  // recogniser code becomes the simulation id of `type` (see `setType`).
  PartGeometryCurve(const std::string& type,
                    const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
                    const VelkUtils::LINEFEATURE& record);
  ~PartGeometryCurve() override;

  // The record's name.
  std::string label() const override;
  void SetLabel(const std::string& label) override;

  // Stores `type` and writes `FeatureType::getXoloFeatureID` (`type`), -1
  // for a name outside the table, into the record's recogniser code.
  void setType(const std::string& type) override;

  // The curve's length, also its circumference, and the area it encloses.
  double length() const override;
  double area() const override;
  void setLength(double length) override;
  void setArea(double area) override;

  // Whether the curve can be cut from the Z direction.
  bool cutableFromZ() const { return record_.cutableFromZ; }

  // True when `other` is geometry embedding a record equal to this curve's
  // record; false for a patch, a group or an empty pointer.
  bool equals(const boost::shared_ptr<PartFeature>& other) const override;
  // Whether the embedded record equals `record` (every field).
  bool equals(const VelkUtils::LINEFEATURE& record) const override;
  using PartGeometry::equals;

  // "CIRCUMFERENCE" and "LENGTH" give the length; other names as
  // `PartFeature::value`. Throws `ValueNotFoundException` for unknown names.
  double value(const std::string& name) const override;

  // The record's processing direction.
  std::deque<double> processingDirection() const override;

  // The embedded record as it is.
  const VelkUtils::LINEFEATURE& curveFeature() const { return record_; }
  // Replaces the embedded record by a copy of `record`; the type stays.
  void SetCurveFeature(const VelkUtils::LINEFEATURE& record);
  // A copy of the record prepared for the simulation: its processing units
  // are the conversions of the curve's units in order
  // (`ProcessUnitConvert::convertProcessUnit`) and its included feature ids
  // the fids of the children in order.
  VelkUtils::LINEFEATURE getFeature() const;
  // Appends `getFeature` () to `lines`.
  void getFeature(std::vector<VelkUtils::LINEFEATURE>& lines,
                  std::vector<VelkUtils::PATCHFEATURE>& patches) const override;

  bool isPatchFeature() const override;
  bool isGroup() const override;
  std::vector<double> getBoundBox() const override;
  void setBoundBox(const std::vector<double>& box) override;
  // The record's tip group.
  int getPartSide() const override;
  // The record's fid.
  int getFID() const override;
  // True when every unit record in the embedded record has a unit in the
  // curve's list with the same id whose operation runs on the recorded
  // stage; true when the record carries no units. Throws
  // `NoFormulaResultException` when the stage of a unit's operation cannot
  // be refreshed.
  bool checkXoloSync() const override;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  VelkUtils::LINEFEATURE record_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PARTGEOMETRYCURVE_H
