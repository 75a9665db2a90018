// Instantiates the archive code of the utilities library's records for the
// library's writer and reader.

#include "persistence/ExternalRecordsArchive.ipp"

namespace VelkUtils {

#define VELKDATA_ARCHIVE_INSTANTIATE_FREE(Record)                     \
  template void serialize<boost::archive::binary_oarchive>(           \
      boost::archive::binary_oarchive&, Record&, const unsigned int); \
  template void serialize<VelkData::CheckedIArchive>(                 \
      VelkData::CheckedIArchive&, Record&, const unsigned int);

VELKDATA_ARCHIVE_INSTANTIATE_FREE(Stage)
VELKDATA_ARCHIVE_INSTANTIATE_FREE(DrawingStage)
VELKDATA_ARCHIVE_INSTANTIATE_FREE(LINEFEATURE)
VELKDATA_ARCHIVE_INSTANTIATE_FREE(PATCHFEATURE)

}  // namespace VelkUtils
