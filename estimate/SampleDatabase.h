#ifndef VELKDATA_ESTIMATE_SAMPLEDATABASE_H
#define VELKDATA_ESTIMATE_SAMPLEDATABASE_H

#include <boost/shared_ptr.hpp>

namespace VelkData {

class CostDatabase;

// A complete cost database built through the public interface, for the
// command-line tool, tests and benchmarks: what a host gets after loading
// the master data and planning one part.
//
// The part is a deep-drawn sheet-metal pan of 1200 x 800 mm, 150 mm deep
// (the cost properties "PART_LENGTH", "PART_WIDTH", "PART_DEPTH"), with
// four round holes of 12 mm and two of 20 mm. The database holds:
//   - the tool materials "TM_GG25" (cast iron), "TM_1.2379" (tool steel)
//     and "TM_ST52" (structural steel), all quoted in the one weight price
//     unit "PU_KG";
//   - the manufacturing steps "MS_CNC", "MS_HEAT", "MS_ASSY" and
//     "MS_TRYOUT" with hourly rates; "MS_TRYOUT" carries a factor for the
//     operation type "DRAW";
//   - a surcharge of every kind: per material, per step, per operation
//     type ("DRAW", "TRIM"), on the total cost, and the database's general
//     material and process surcharges;
//   - a transfer press with one stage per operation and a pitch;
//   - one catalogue base assembly per operation type (die shoes, guide
//     pins, gas springs, and the draw punch for "DRAW"), with amount
//     formulas over the operation's drivers, and the component cost
//     catalogue with one value slot per component;
//   - the process plan: reference operations of the types "DRAW", "TRIM",
//     "FLANGE" and "PIERCE", whose drivers ("DIE_LEN", "DIE_WID",
//     "DIE_HGT", "DRAW_DEPTH", "CUT_LEN", "FLANGE_LEN") read the part's
//     dimensions; a press line made from them; part features (the outer
//     boundary, the flange, the holes) whose processing units instantiate
//     trim steels, flange steels and pierce punches in the operations.
//
// The press line has `operations` operations labelled "OP10", "OP20", ...
// whose types cycle through DRAW, TRIM, FLANGE, PIERCE. In every cycle the
// FLANGE and the PIERCE operation share one die set: their base assemblies
// hold the very same lower and upper die shoe objects. Each TRIM, FLANGE
// and PIERCE operation gets part features of its own, so the plan grows
// with the line. Fewer than 4 operations count as 4.
boost::shared_ptr<CostDatabase> buildSampleDatabase(int operations = 4);

}  // namespace VelkData

#endif  // VELKDATA_ESTIMATE_SAMPLEDATABASE_H
