#ifndef VELKDATA_TESTS_PERSISTENCE_NARROW_NARROWOARCHIVE_H
#define VELKDATA_TESTS_PERSISTENCE_NARROW_NARROWOARCHIVE_H

// A writer of the archives that the earlier 32-bit releases stored, for
// tests only: Boost's binary output archive with texts, long and size_t of
// 4 bytes and the layout that Boost's reader expects of archive library
// version 3, 4 or 5 (a one-byte class version, 4-byte collection counts,
// item versions only from version 4 on, vectors of numbers with an item
// version in versions 4 and 5). Everything else is Boost's.

#include <boost/archive/basic_archive.hpp>
#include <boost/archive/binary_oarchive_impl.hpp>
#include <boost/archive/detail/register_archive.hpp>
#include <boost/serialization/collection_size_type.hpp>
#include <boost/serialization/item_version_type.hpp>
#include <boost/serialization/library_version_type.hpp>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

namespace velktest {

class NarrowOArchive
    : public boost::archive::binary_oarchive_impl<
          NarrowOArchive, std::ostream::char_type, std::ostream::traits_type> {
  typedef boost::archive::binary_oarchive_impl<
      NarrowOArchive, std::ostream::char_type, std::ostream::traits_type>
      Base;
  friend class boost::archive::detail::interface_oarchive<NarrowOArchive>;
  friend class boost::archive::detail::common_oarchive<NarrowOArchive>;
  friend class boost::archive::basic_binary_oarchive<NarrowOArchive>;
  friend class boost::archive::basic_binary_oprimitive<
      NarrowOArchive, std::ostream::char_type, std::ostream::traits_type>;
  friend class boost::archive::save_access;

 public:
  // Writes the header of `libraryVersion` (3, 4 or 5) at once.
  NarrowOArchive(std::ostream& os, unsigned int libraryVersion)
      : Base(os, 0), m_libraryVersion(libraryVersion) {
    save(std::string(boost::archive::BOOST_ARCHIVE_SIGNATURE()));
    const unsigned char version = static_cast<unsigned char>(libraryVersion);
    save_binary(&version, 1);
    const unsigned char sizes[] = {4, 4, 4, 8};
    save_binary(sizes, sizeof sizes);
    const std::int32_t one = 1;
    save_binary(&one, sizeof one);
  }

  // Boost's collection code asks the archive which layout it writes.
  boost::serialization::library_version_type get_library_version() const {
    return boost::serialization::library_version_type(m_libraryVersion);
  }

 protected:
  using Base::save;
  void save(const std::string& s) {
    const std::uint32_t length = static_cast<std::uint32_t>(s.size());
    save_binary(&length, sizeof length);
    if (length > 0) save_binary(s.data(), length);
  }
  void save(const long& t) {
    const std::int32_t narrow = static_cast<std::int32_t>(t);
    save_binary(&narrow, sizeof narrow);
  }
  void save(const unsigned long& t) {
    const std::uint32_t narrow = static_cast<std::uint32_t>(t);
    save_binary(&narrow, sizeof narrow);
  }

  template <class T>
  void save_override(T& t) {
    Base::save_override(t);
  }
  void save_override(const boost::archive::version_type& t) {
    const unsigned char version = static_cast<unsigned char>(t);
    save_binary(&version, 1);
  }
  void save_override(const boost::serialization::collection_size_type& t) {
    const std::uint32_t count = static_cast<std::uint32_t>(t);
    save_binary(&count, sizeof count);
  }
  void save_override(const boost::serialization::item_version_type& t) {
    if (m_libraryVersion < 4) return;
    const std::uint32_t version = static_cast<std::uint32_t>(t);
    save_binary(&version, sizeof version);
  }

 private:
  unsigned int m_libraryVersion;
};

}  // namespace velktest

// No array optimization: vectors of numbers go through Boost's collection
// form, which writes the item version where versions 4 and 5 have one.
BOOST_SERIALIZATION_REGISTER_ARCHIVE(velktest::NarrowOArchive)

#endif  // VELKDATA_TESTS_PERSISTENCE_NARROW_NARROWOARCHIVE_H
