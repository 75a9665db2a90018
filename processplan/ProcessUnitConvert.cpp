#include "processplan/ProcessUnitConvert.h"

#include <cstddef>

#include "costdata/Operation.h"
#include "external/Stage.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {

namespace {

struct KindEntry {
  const char* coreName;
  int kind;
};

const KindEntry kKinds[] = {
    {"pierce_g", 0},
    {"trimming_g", 1},
    {"trimming_in_segments_1_g", 1},
    {"trimming_in_segments_g", 1},
    {"redraw_g", 2},
    {"draw_g", 3},
    {"forming_g", 4},
    {"flanging_g", 5},
    {"extruding_g", 6},
    {"flanging_up_g", 7},
};

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

int ProcessUnitConvert::operationKind(const std::string& imageName) {
  static const std::string kFillingCam = "filling_cam_";
  static const std::string kCam = "cam_";
  std::string core = imageName;
  if (startsWith(core, kFillingCam)) {
    core.erase(0, kFillingCam.size());
  } else if (startsWith(core, kCam)) {
    core.erase(0, kCam.size());
  }
  for (const KindEntry& entry : kKinds) {
    if (core == entry.coreName) return entry.kind;
  }
  return -1;
}

VelkUtils::VELKO_PROCESSUNIT ProcessUnitConvert::convertProcessUnit(
    const boost::shared_ptr<ProcessingUnit>& unit) {
  VelkUtils::VELKO_PROCESSUNIT record;
  record.stageId = -1;
  if (!unit) return record;

  // Everything that may throw comes before the label is allocated, so a
  // failure leaves nothing to free.
  const boost::shared_ptr<VelkData::Operation> operation = unit->operation();
  if (operation) {
    const boost::shared_ptr<VelkUtils::Stage> stage = operation->stage();
    if (stage) record.stageId = stage->getStageID();
  }
  record.procId = unit->getProcID();
  record.camType = unit->camType();
  record.sharedCamProcId = unit->camType() > ProcessingUnit::kNoCam
                               ? unit->getSharedCamProcID()
                               : -1;
  record.operationKind = operationKind(unit->imageName());
  record.label = VelkUtils::makeProcessUnitLabel(unit->label());
  return record;
}

}  // namespace TamberData
