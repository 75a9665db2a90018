#ifndef VELKDATA_EXTERNAL_PATCHFEATURE_H
#define VELKDATA_EXTERNAL_PATCHFEATURE_H

#include <deque>
#include <string>
#include <vector>

#include "external/ProcessUnitList.h"
#include "external/VELKO_PROCESSUNIT.h"

namespace VelkUtils {

// The simulation's record of one recognised surface (a plunging, a flange,
// a flat): its name and simulation id, the recogniser code, the measures,
// the trim curves it is bounded by, the bounding box, the processing
// direction, the part side and, when exported, the processing units that
// machine it and the ids of the features it includes.
//
// A plain value type: a patch feature of the model embeds one by value and
// hands out copies. Copies own their own unit labels (see ProcessUnitList).
class PATCHFEATURE {
 public:
  // An unnamed record with fid -1, recogniser code -1 (unknown), part side
  // 0, all measures 0.0 and every list empty.
  PATCHFEATURE();

  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }

  // The simulation's id of the surface; -1 when it has none.
  int getFid() const { return fid_; }
  void setFid(int fid) { fid_ = fid; }

  // The recogniser code, the same value as the public field `type`.
  int getType() const { return type; }
  void setType(int code) { type = code; }

  // The bounding box, normally six values (minimum x, y, z, then maximum
  // x, y, z); empty when unknown.
  const std::vector<double>& getBBox() const { return bbox_; }
  void setBBox(const std::vector<double>& bbox) { bbox_ = bbox; }

  // The direction in which the surface is machined, normally three
  // components; empty when unknown.
  const std::deque<double>& processingDirection() const {
    return processingDirection_;
  }
  void setProcessingDirection(const std::deque<double>& direction) {
    processingDirection_ = direction;
  }

  // The simulation ids of the trim curves that bound the surface.
  const std::vector<int>& includedTrimCurves() const {
    return includedTrimCurves_;
  }
  void setIncludedTrimCurves(const std::vector<int>& ids) {
    includedTrimCurves_ = ids;
  }

  // The simulation ids of the features this one includes.
  const std::vector<int>& includedFeatureIDS() const {
    return includedFeatureIds_;
  }
  void setIncludedFeatureIDS(const std::vector<int>& ids) {
    includedFeatureIds_ = ids;
  }

  // The processing units of the surface. Their labels belong to this record
  // and stay valid until its units are replaced or it is destroyed.
  const std::vector<VELKO_PROCESSUNIT>& getProcessingUnitVector() const {
    return processingUnits_.units();
  }
  // Replaces the units by copies of `units`; the caller keeps its own
  // records and frees their labels itself.
  void setProcessingUnits(const std::vector<VELKO_PROCESSUNIT>& units) {
    processingUnits_.assign(units);
  }

  // The side of the part the surface lies on (the tip group).
  int getTipGroup() const { return tipGroup_; }
  void setTipGroup(int tipGroup) { tipGroup_ = tipGroup; }

  // The recogniser code (the simulation's feature id of the surface's
  // kind).
  int type;
  // The length of the trim curves around the surface.
  double trimCircumference;
  // The circumference of the surface, also its length.
  double circumference;
  double area;

 private:
  std::string name_;
  int fid_;
  std::vector<double> bbox_;
  std::deque<double> processingDirection_;
  std::vector<int> includedTrimCurves_;
  std::vector<int> includedFeatureIds_;
  ProcessUnitList processingUnits_;
  int tipGroup_;
};

// Equal when every field is equal: name, fid, recogniser code, the three
// measures, bounding box, processing direction, trim curves, included ids,
// processing units (see VELKO_PROCESSUNIT) and part side. Numbers are
// compared exactly.
bool operator==(const PATCHFEATURE& a, const PATCHFEATURE& b);
bool operator!=(const PATCHFEATURE& a, const PATCHFEATURE& b);

}  // namespace VelkUtils

#endif  // VELKDATA_EXTERNAL_PATCHFEATURE_H
