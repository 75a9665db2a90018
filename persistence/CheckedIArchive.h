#ifndef VELKDATA_PERSISTENCE_CHECKEDIARCHIVE_H
#define VELKDATA_PERSISTENCE_CHECKEDIARCHIVE_H

#include <boost/archive/binary_iarchive_impl.hpp>
#include <boost/archive/detail/register_archive.hpp>
#include <istream>

namespace VelkData {

// The reader of every cost database archive: Boost's binary input archive,
// derived so that damaged or hostile bytes can be refused with an
// archive_exception before they reach an allocation or a table index.
class CheckedIArchive
    : public boost::archive::binary_iarchive_impl<
          CheckedIArchive, std::istream::char_type, std::istream::traits_type> {
  typedef boost::archive::binary_iarchive_impl<
      CheckedIArchive, std::istream::char_type, std::istream::traits_type>
      Base;

 public:
  explicit CheckedIArchive(std::istream& is, unsigned int flags = 0)
      : Base(is, flags) {
    init(flags);
  }
  explicit CheckedIArchive(std::streambuf& buffer, unsigned int flags = 0)
      : Base(buffer, flags) {
    init(flags);
  }
};

}  // namespace VelkData

BOOST_SERIALIZATION_REGISTER_ARCHIVE(VelkData::CheckedIArchive)
BOOST_SERIALIZATION_USE_ARRAY_OPTIMIZATION(VelkData::CheckedIArchive)

#endif  // VELKDATA_PERSISTENCE_CHECKEDIARCHIVE_H
