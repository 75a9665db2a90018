#include "persistence/CheckedIArchive.h"

#include <boost/archive/impl/archive_serializer_map.ipp>
#include <boost/archive/impl/basic_binary_iarchive.ipp>
#include <boost/archive/impl/basic_binary_iprimitive.ipp>

// The archive templates are compiled once, here, for our reader.
namespace boost {
namespace archive {
template class detail::archive_serializer_map<VelkData::CheckedIArchive>;
template class basic_binary_iprimitive<VelkData::CheckedIArchive,
                                       std::istream::char_type,
                                       std::istream::traits_type>;
template class basic_binary_iarchive<VelkData::CheckedIArchive>;
template class binary_iarchive_impl<VelkData::CheckedIArchive,
                                    std::istream::char_type,
                                    std::istream::traits_type>;
}  // namespace archive
}  // namespace boost
