// Boost's archive templates instantiated for NarrowOArchive, once for every
// program that writes through it.

#include "NarrowOArchive.h"

#include <boost/archive/impl/archive_serializer_map.ipp>
#include <boost/archive/impl/basic_binary_oarchive.ipp>
#include <boost/archive/impl/basic_binary_oprimitive.ipp>

namespace boost {
namespace archive {
template class detail::archive_serializer_map<velktest::NarrowOArchive>;
template class basic_binary_oprimitive<velktest::NarrowOArchive,
                                       std::ostream::char_type,
                                       std::ostream::traits_type>;
template class basic_binary_oarchive<velktest::NarrowOArchive>;
template class binary_oarchive_impl<velktest::NarrowOArchive,
                                    std::ostream::char_type,
                                    std::ostream::traits_type>;
}  // namespace archive
}  // namespace boost
