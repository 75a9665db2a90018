#ifndef VELKDATA_PROCESSPLAN_PARTGEOMETRY_H
#define VELKDATA_PROCESSPLAN_PARTGEOMETRY_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "processplan/PartFeature.h"
#include "velkdata/TrUtf8.h"

namespace TamberData {

// A recognised piece of part geometry: the common base of curves
// (`PartGeometryCurve`) and surfaces (`PartGeometryPatch`), each of which
// embeds the simulation's record of it. Held by shared pointer like every
// feature. A plain `PartGeometry` has no record: it keeps its label empty
// and equals no record.
class PartGeometry : public PartFeature {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  PartGeometry();
  PartGeometry(const std::string& type,
               const boost::shared_ptr<FeatureTypeIDs>& typeIDs);
  ~PartGeometry() override;

  // Renames the geometry in its record; ignored without a record.
  virtual void SetLabel(const std::string& label);
  // Geometry has no diameter of its own: always -1.0.
  virtual double maxDiameter() const;
  // Whether the embedded record equals `record`; false for geometry that
  // embeds the other kind of record or none.
  virtual bool equals(const VelkUtils::LINEFEATURE& record) const;
  virtual bool equals(const VelkUtils::PATCHFEATURE& record) const;
  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // The feature-level comparison stays visible next to the record ones.
  using PartFeature::equals;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PARTGEOMETRY_H
