// Registers the export keys of the archive classes when the library loads:
// the cost model's classes first, then the process plan's, then the
// utilities library's, each for the writer and the reader.

#include "costdata/CostDriver.h"
#include "costdata/CostDriverBool.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostDriverInt.h"
#include "costdata/CostDriverIntRange.h"
#include "costdata/CostProperty.h"
#include "costdata/CostPropertyString.h"
#include "external/DrawingStage.h"
#include "formula/FormulaContainer.h"
#include "persistence/ArchiveTraits.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/PartGeometry.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"
#include "sharing/componentShareRelationship.h"

BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::FormulaContainer)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::CostProperty)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::CostDriver)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::CostDriverBool)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::CostDriverDouble)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::CostDriverEnum)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::CostDriverInt)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::CostDriverIntRange)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::CostPropertyString)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkData::componentShareRelationship)
BOOST_CLASS_EXPORT_IMPLEMENT(TamberData::PartFeatureGroup)
BOOST_CLASS_EXPORT_IMPLEMENT(TamberData::PartGeometry)
BOOST_CLASS_EXPORT_IMPLEMENT(TamberData::PartGeometryCurve)
BOOST_CLASS_EXPORT_IMPLEMENT(TamberData::PartGeometryPatch)
BOOST_CLASS_EXPORT_IMPLEMENT(VelkUtils::DrawingStage)
