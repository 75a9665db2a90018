#ifndef VELKDATA_PROCESSPLAN_PROCESSUNITCONVERT_H
#define VELKDATA_PROCESSPLAN_PROCESSUNITCONVERT_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "external/VELKO_PROCESSUNIT.h"

namespace TamberData {

class ProcessingUnit;

// Turns processing units into the plain records that the feature records
// carry to the simulation. Stateless; nobody holds it.
class ProcessUnitConvert {
 public:
  // The record of `unit`: its id and cam type; a copy of its label on the C
  // heap, which the caller frees (`VelkUtils::freeProcessUnitLabel` or
  // free); the id of the stage of its operation, -1 when the unit has no
  // operation or the operation no stage (stage 0 is a real stage); the id
  // of the unit whose cam it shares (`getSharedCamProcID`) when it has a
  // cam, else -1; and the operation kind of its image name
  // (`operationKind`). An empty `unit` gives a record with id -1, kind -1,
  // no label, stage -1, no cam and no shared cam.
  // Throws `NoFormulaResultException` when the operation's stage cannot be
  // refreshed (see `Operation::stage`), and std::bad_alloc when the heap is
  // exhausted; no label is left behind in either case.
  static VelkUtils::VELKO_PROCESSUNIT convertProcessUnit(
      const boost::shared_ptr<ProcessingUnit>& unit);

  // The operation kind code of a processing picture name: a leading
  // "filling_cam_" or else "cam_" is dropped, and the rest maps to 0
  // pierce, 1 trimming, 2 redraw, 3 draw, 4 forming, 5 flanging,
  // 6 extruding, 7 flanging up; -1 for any other name.
  static int operationKind(const std::string& imageName);
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PROCESSUNITCONVERT_H
