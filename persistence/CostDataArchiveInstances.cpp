// Instantiates the archive code of the cost master data for the library's
// writer and reader.

#include "persistence/CostDataArchive.ipp"

namespace VelkData {

VELKDATA_ARCHIVE_INSTANTIATE(ToolMaterial)
VELKDATA_ARCHIVE_INSTANTIATE(PriceUnit)
VELKDATA_ARCHIVE_INSTANTIATE(ManufacturingStep)
VELKDATA_ARCHIVE_INSTANTIATE(Surcharge)
VELKDATA_ARCHIVE_INSTANTIATE(Press)
VELKDATA_ARCHIVE_INSTANTIATE(ComponentCostFactory)
VELKDATA_ARCHIVE_INSTANTIATE(ComponentCostsValueSlot)
VELKDATA_ARCHIVE_INSTANTIATE(ComponentCostValueRange)
VELKDATA_ARCHIVE_INSTANTIATE(ComponentCost)
VELKDATA_ARCHIVE_INSTANTIATE(BaseAssembly)
VELKDATA_ARCHIVE_INSTANTIATE(Operation)
VELKDATA_ARCHIVE_INSTANTIATE(componentShareRelationship)
VELKDATA_ARCHIVE_INSTANTIATE(CostDatabase)

template void serialize<boost::archive::binary_oarchive>(
    boost::archive::binary_oarchive&, Operation::Triplet&, const unsigned int);
template void serialize<CheckedIArchive>(CheckedIArchive&, Operation::Triplet&,
                                         const unsigned int);

}  // namespace VelkData

namespace TamberData {

VELKDATA_ARCHIVE_INSTANTIATE(Component)

}  // namespace TamberData
