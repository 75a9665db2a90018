#ifndef VELKDATA_EXTERNAL_LINEFEATURE_H
#define VELKDATA_EXTERNAL_LINEFEATURE_H

#include <deque>
#include <string>
#include <vector>

#include "external/ProcessUnitList.h"
#include "external/VELKO_PROCESSUNIT.h"

namespace VelkUtils {

// The simulation's record of one recognised curve (a hole, an opening, a
// boundary, a trim curve segment): its name and simulation id, the
// recogniser code, the measures, the bounding box, the processing
// direction, the part side and, when exported, the processing units that
// machine it and the ids of the features it includes.
//
// A plain value type: a curve feature of the model embeds one by value and
// hands out copies. Copies own their own unit labels (see ProcessUnitList).
class LINEFEATURE {
 public:
  // An unnamed record with fid -1, recogniser code -1 (unknown), part side
  // 0, all measures 0.0, not cutable from Z and every list empty.
  LINEFEATURE();

  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }

  // The simulation's id of the curve; -1 when it has none.
  int getFid() const { return fid_; }
  void setFid(int fid) { fid_ = fid; }

  // The recogniser code, the same value as the public field `type`.
  int getType() const { return type; }
  void setType(int code) { type = code; }

  // The bounding box, normally six values (minimum x, y, z, then maximum
  // x, y, z); empty when unknown.
  const std::vector<double>& getBBox() const { return bbox_; }
  void setBBox(const std::vector<double>& bbox) { bbox_ = bbox; }

  // The direction in which the curve is machined, normally three
  // components; empty when unknown.
  const std::deque<double>& processingDirection() const {
    return processingDirection_;
  }
  void setProcessingDirection(const std::deque<double>& direction) {
    processingDirection_ = direction;
  }

  // The simulation ids of the features this one includes.
  const std::vector<int>& includedFeatureIDS() const {
    return includedFeatureIds_;
  }
  void setIncludedFeatureIDS(const std::vector<int>& ids) {
    includedFeatureIds_ = ids;
  }

  // The processing units of the curve. Their labels belong to this record
  // and stay valid until its units are replaced or it is destroyed.
  const std::vector<VELKO_PROCESSUNIT>& getProcessingUnitVector() const {
    return processingUnits_.units();
  }
  // Replaces the units by copies of `units`; the caller keeps its own
  // records and frees their labels itself.
  void setProcessingUnits(const std::vector<VELKO_PROCESSUNIT>& units) {
    processingUnits_.assign(units);
  }

  // The side of the part the curve lies on (the tip group).
  int getTipGroup() const { return tipGroup_; }
  void setTipGroup(int tipGroup) { tipGroup_ = tipGroup; }

  // The recogniser code (the simulation's feature id of the curve's kind).
  int type;
  double area;
  // The length of the curve, also its circumference.
  double length;
  // Whether the curve can be cut from the Z direction.
  bool cutableFromZ;

 private:
  std::string name_;
  int fid_;
  std::vector<double> bbox_;
  std::deque<double> processingDirection_;
  std::vector<int> includedFeatureIds_;
  ProcessUnitList processingUnits_;
  int tipGroup_;
};

// Equal when every field is equal: name, fid, recogniser code, area,
// length, the cutable flag, bounding box, processing direction, included
// ids, processing units (see VELKO_PROCESSUNIT) and part side. Numbers are
// compared exactly.
bool operator==(const LINEFEATURE& a, const LINEFEATURE& b);
bool operator!=(const LINEFEATURE& a, const LINEFEATURE& b);

}  // namespace VelkUtils

#endif  // VELKDATA_EXTERNAL_LINEFEATURE_H
