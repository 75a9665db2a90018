// Instantiates the archive code of the formula container and the cost
// properties for the library's writer and reader.

#include "persistence/CostPropertyArchive.ipp"

namespace VelkData {

VELKDATA_ARCHIVE_INSTANTIATE(FormulaContainer)
VELKDATA_ARCHIVE_INSTANTIATE(CostProperty)
VELKDATA_ARCHIVE_INSTANTIATE(CostDriver)
VELKDATA_ARCHIVE_INSTANTIATE(CostPropertyString)
VELKDATA_ARCHIVE_INSTANTIATE(CostDriverBool)
VELKDATA_ARCHIVE_INSTANTIATE(CostDriverInt)
VELKDATA_ARCHIVE_INSTANTIATE(CostDriverDouble)
VELKDATA_ARCHIVE_INSTANTIATE(CostDriverIntRange)
VELKDATA_ARCHIVE_INSTANTIATE(CostDriverEnum)

}  // namespace VelkData
