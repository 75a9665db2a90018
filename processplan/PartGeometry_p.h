#ifndef VELKDATA_PROCESSPLAN_PARTGEOMETRY_P_H
#define VELKDATA_PROCESSPLAN_PARTGEOMETRY_P_H

// Shared by the curve and the patch, whose records differ in type only.

#include <boost/shared_ptr.hpp>
#include <vector>

#include "costdata/Operation.h"
#include "external/Stage.h"
#include "external/VELKO_PROCESSUNIT.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessUnitConvert.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {
namespace internal {

// Frees the labels of converted unit records however the export ends: the
// feature records copy the labels they are given, so the conversions stay
// ours to free.
class ConvertedUnits {
 public:
  ConvertedUnits() = default;
  ConvertedUnits(const ConvertedUnits&) = delete;
  ConvertedUnits& operator=(const ConvertedUnits&) = delete;
  ~ConvertedUnits() {
    for (VelkUtils::VELKO_PROCESSUNIT& unit : units_) {
      VelkUtils::freeProcessUnitLabel(unit);
    }
  }
  std::vector<VelkUtils::VELKO_PROCESSUNIT>& units() { return units_; }

 private:
  std::vector<VelkUtils::VELKO_PROCESSUNIT> units_;
};

// A copy of `record` carrying the conversions of the feature's units in
// order and the fids of its children in order.
template <class Record>
Record exportRecord(const Record& record, const PartFeature& feature) {
  Record result(record);
  ConvertedUnits converted;
  for (const boost::shared_ptr<ProcessingUnit>& unit :
       feature.getProcessingUnits()) {
    converted.units().push_back(ProcessUnitConvert::convertProcessUnit(unit));
  }
  result.setProcessingUnits(converted.units());
  std::vector<int> fids;
  for (const boost::shared_ptr<PartFeature>& child : feature.getChildren()) {
    fids.push_back(child->getFID());
  }
  result.setIncludedFeatureIDS(fids);
  return result;
}

// Whether `unit` is the unit the simulation recorded as `stored`: same id,
// and its operation runs on the recorded stage. A unit without an operation
// or stage cannot be told apart and matches no record.
inline bool unitMatchesRecord(const ProcessingUnit& unit,
                              const VelkUtils::VELKO_PROCESSUNIT& stored) {
  if (unit.getProcID() != stored.procId) return false;
  boost::shared_ptr<VelkData::Operation> operation = unit.operation();
  if (!operation) return false;
  boost::shared_ptr<VelkUtils::Stage> stage = operation->stage();
  return stage && stage->getStageID() == stored.stageId;
}

// Whether every unit record carried by `record` has a matching unit in the
// feature's own list.
template <class Record>
bool recordInSync(const Record& record, const PartFeature& feature) {
  const std::vector<boost::shared_ptr<ProcessingUnit>> units =
      feature.getProcessingUnits();
  for (const VelkUtils::VELKO_PROCESSUNIT& stored :
       record.getProcessingUnitVector()) {
    bool found = false;
    for (const boost::shared_ptr<ProcessingUnit>& unit : units) {
      if (unit && unitMatchesRecord(*unit, stored)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

}  // namespace internal
}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PARTGEOMETRY_P_H
