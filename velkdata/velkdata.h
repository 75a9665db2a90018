#ifndef VELKDATA_VELKDATA_H
#define VELKDATA_VELKDATA_H

// Everything a host needs: include this one header and link
// VelkData::velkdata.

#include "formula/Action.h"
#include "formula/Formula.h"
#include "formula/FormulaParser.h"
#include "formula/FormulaProgram.h"
#include "formula/ParserException.h"
#include "formula/Token.h"

#include "external/DrawingStage.h"
#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "external/ProcessUnitList.h"
#include "external/Stage.h"
#include "external/VELKO_PROCESSUNIT.h"
#include "external/XoloClient.h"
#include "external/XoloExceptions.h"

#include "report/CostTable.h"
#include "report/CostTableItem.h"

#endif  // VELKDATA_VELKDATA_H
