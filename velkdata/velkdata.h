#ifndef VELKDATA_VELKDATA_H
#define VELKDATA_VELKDATA_H

// Everything a host needs: include this one header and link
// VelkData::velkdata.

#include "formula/Action.h"
#include "formula/Formula.h"
#include "formula/FormulaParser.h"
#include "formula/FormulaProgram.h"
#include "formula/ParserException.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "formula/Token.h"
#include "formula/ValueNotFoundException.h"

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostFactory.h"
#include "costdata/ComponentCostValueRange.h"
#include "costdata/ComponentCostsValueSlot.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriver.h"
#include "costdata/CostDriverBool.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostDriverInt.h"
#include "costdata/CostDriverIntRange.h"
#include "costdata/CostProperty.h"
#include "costdata/CostPropertyString.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "costdata/PriceUnit.h"
#include "costdata/Surcharge.h"
#include "costdata/ToolMaterial.h"

#include "processplan/Constraint.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessingUnit.h"
#include "processplan/ValueNotFoundException.h"

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
