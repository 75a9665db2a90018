#ifndef VELKDATA_PERSISTENCE_CHECKEDIARCHIVE_H
#define VELKDATA_PERSISTENCE_CHECKEDIARCHIVE_H

#include <array>
#include <boost/archive/archive_exception.hpp>
#include <boost/archive/basic_archive.hpp>
#include <boost/archive/binary_iarchive_impl.hpp>
#include <boost/archive/detail/basic_iserializer.hpp>
#include <boost/archive/detail/basic_pointer_iserializer.hpp>
#include <boost/archive/detail/register_archive.hpp>
#include <boost/serialization/collection_size_type.hpp>
#include <boost/serialization/item_version_type.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/singleton.hpp>
#include <boost/serialization/type_info_implementation.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/type_traits/remove_const.hpp>
#include <cstddef>
#include <istream>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace VelkData {

// The reader of every cost database archive: Boost's binary input archive,
// with the same format and the same results on a sound archive, that refuses
// damaged or hostile bytes with a boost::archive::archive_exception before
// they reach an allocation, a table index or a type cast.
//
// What it guarantees, whatever the bytes:
// - A collection count, a text length or a count of array elements never
//   exceeds the bytes that remain in the stream, and all collection counts
//   of one archive together never exceed the archive's size ("input stream
//   error"). Allocations therefore stay within a small multiple of the
//   input's size.
// - A bool is the byte 0 or 1 ("input stream error").
// - Objects nest at most kMaxNesting deep ("input stream error"), so a chain
//   of pointers cannot exhaust the stack.
// - A class id names a class already read or the next new one; a new class
//   must not be one already known under another id; a pointer's class must
//   be loadable through a pointer and convertible to the pointer's type
//   ("unregistered class").
// - An object id is a back-reference to an object already read, of the same
//   class and itself read through a pointer, or the next new id ("pointer
//   conflict").
// - An object created for a pointer whose reading fails is destroyed again,
//   unless a back-reference to it was already handed out while it was being
//   read (then another owner may hold it, and it is left alone).
//
// Shared pointers read from it share one owner per object read, as with
// Boost's own reader; the owners are held until the archive is destroyed.
//
// Two layouts are read, told apart by the signature's length at the start
// of the header: the one this library writes (lengths, long and size_t of 8
// bytes, any archive library version up to the installed one) and the one
// that earlier 32-bit releases wrote (lengths, long and size_t of 4 bytes,
// archive library versions 3 to 5). Everything else is the same in both:
// little-endian, int, enum and float of 4 bytes, double 8, bool 1. A header
// of the 32-bit layout must state 4-byte int and long ("incompatible native
// format"); an archive library version outside 3 to 5 in that layout is
// "unsupported version".
//
// The size of the input is taken from the stream buffer by seeking. On a
// buffer that cannot seek, the counts are held to kUnseekableLimit bytes.
// Read the archive from the position the stream is at when the archive is
// constructed; the header is read by the constructor unless the flags say
// no_header.
class CheckedIArchive
    : public boost::archive::binary_iarchive_impl<
          CheckedIArchive, std::istream::char_type, std::istream::traits_type> {
  typedef boost::archive::binary_iarchive_impl<
      CheckedIArchive, std::istream::char_type, std::istream::traits_type>
      Base;
  friend class boost::archive::detail::interface_iarchive<CheckedIArchive>;
  friend class boost::archive::detail::common_iarchive<CheckedIArchive>;
  friend class boost::archive::basic_binary_iarchive<CheckedIArchive>;
  friend class boost::archive::basic_binary_iprimitive<
      CheckedIArchive, std::istream::char_type, std::istream::traits_type>;
  friend class boost::archive::load_access;

 public:
  // Deepest nesting of objects and pointers inside one another.
  static const unsigned int kMaxNesting = 1000;
  // Size assumed for a stream buffer that cannot tell its size.
  static const std::size_t kUnseekableLimit = std::size_t(64) << 20;
  // The archive library versions read in the 32-bit layout.
  static const int kFirstNarrowVersion = 3;
  static const int kLastNarrowVersion = 5;

  explicit CheckedIArchive(std::istream& is, unsigned int flags = 0);
  explicit CheckedIArchive(std::streambuf& buffer, unsigned int flags = 0);
  ~CheckedIArchive();

  // Bytes of the stream not read yet; kUnseekableLimit on a buffer that
  // cannot seek.
  std::size_t RemainingBytes();

  // Whether the header announced the 32-bit layout of earlier releases.
  bool IsNarrowLayout() const { return m_narrow; }

  // Arrays of primitives, as in vectors of numbers.
  template <class ValueType>
  void load_array(boost::serialization::array_wrapper<ValueType>& a,
                  unsigned int version) {
    CheckCount(a.count(), sizeof(ValueType));
    Base::load_array(a, version);
  }

  // Reads a shared pointer: a pointer read, then the object's one owner,
  // found by its object id, or made for it on its first read. Objects of a
  // class the archive does not track are new on every read and get owners of
  // their own. Reached through the `load` below, which Boost's shared
  // pointer serialization finds for this archive.
  template <class T>
  void LoadSharedPointer(boost::shared_ptr<T>& t) {
    T* read = nullptr;
    *this >> boost::serialization::make_nvp("px", read);
    if (read == nullptr) {
      t.reset();
      return;
    }
    boost::shared_ptr<const void>* owner = OwnerOfLastPointer();
    if (owner != nullptr && *owner) {
      t = boost::shared_ptr<T>(*owner, read);
      return;
    }
    t.reset(read);
    if (owner != nullptr) *owner = t;
  }

  // The archive layer's own entry points, checked before and after Boost
  // does its work. They are public because Boost's serializers call them.
  void load_object(void* t,
                   const boost::archive::detail::basic_iserializer& bis);
  const boost::archive::detail::basic_pointer_iserializer* load_pointer(
      void*& t,
      const boost::archive::detail::basic_pointer_iserializer* bpis,
      const boost::archive::detail::basic_pointer_iserializer* (*finder)(
          const boost::serialization::extended_type_info& type));
  void register_basic_serializer(
      const boost::archive::detail::basic_iserializer& bis);

 protected:
  using Base::load;
  void load(bool& t);
  void load(std::string& s);
  // A long or size_t read by Boost's code, at the width of the layout. The
  // model itself archives neither (here std::int64_t is a long too, which
  // the 32-bit releases wrote as 8 bytes).
  void load(long& t);
  void load(unsigned long& t);

  template <class T>
  void load_override(T& t) {
    Base::load_override(t);
  }
  // Every pointer read names the type it is read as, so that the class found
  // in the archive can be checked against it.
  template <class T>
  void load_override(T*& t) {
    m_pointerType = &boost::serialization::singleton<
        typename boost::serialization::type_info_implementation<
            typename boost::remove_const<T>::type>::type>::get_const_instance();
    Base::load_override(t);
  }
  void load_override(boost::archive::class_id_type& t);
  void load_override(boost::archive::class_name_type& t);
  void load_override(boost::archive::object_id_type& t);
  void load_override(boost::serialization::collection_size_type& t);

 private:
  // Boost's clean-up after a failed read deletes every object created for a
  // pointer, including those already owned by shared pointers or destroyed
  // by this reader: never to be called.
  void delete_created_pointers() = delete;

  struct KnownClass {
    const boost::archive::detail::basic_iserializer* serializer;
  };
  struct RecentSerializer {
    const boost::archive::detail::basic_iserializer* serializer;
    int classId;
  };
  static const std::size_t kRecentSerializers = 64;
  struct ReadObject {
    int classId;
    bool throughPointer;
    bool inProgress;
    bool referencedInProgress;
    // The owner of the object once a shared pointer has read it.
    boost::shared_ptr<const void> owner;
  };
  struct PointerRead {
    const boost::archive::detail::basic_pointer_iserializer* declared;
    const boost::serialization::extended_type_info* declaredType;
    const boost::archive::detail::basic_pointer_iserializer* (*finder)(
        const boost::serialization::extended_type_info& type);
    unsigned int nesting;
    const boost::archive::detail::basic_iserializer* objectSerializer;
    std::size_t objectId;
    void* created;
    // objectId names an object read earlier, not one made by this read.
    bool backReference;
  };
  struct EtiLess {
    bool operator()(const boost::serialization::extended_type_info* a,
                    const boost::serialization::extended_type_info* b) const {
      return *a < *b;
    }
  };

  void MeasureInput();
  void ReadHeader(unsigned int flags);
  void ReadSignature();
  void CheckNarrowTypeSizes();
  std::size_t ReadLength();
  void CheckCount(std::size_t count, std::size_t bytesPerElement);
  int RegisterClass(const boost::archive::detail::basic_iserializer& bis);
  static std::size_t RecentSlot(
      const boost::archive::detail::basic_iserializer* bis);
  bool IsKnownClass(const boost::serialization::extended_type_info& eti) const;
  void EnterNesting();
  void AbandonCreatedObject(const PointerRead& read);
  // The owner slot of the object the last completed pointer read gave; null
  // for a null pointer or an untracked object.
  boost::shared_ptr<const void>* OwnerOfLastPointer();

  std::streamoff m_end = 0;
  bool m_seekable = false;
  bool m_narrow = false;
  std::size_t m_inputSize = 0;
  std::size_t m_claimedElements = 0;
  unsigned int m_nesting = 0;
  std::vector<KnownClass> m_classes;
  std::map<const boost::serialization::extended_type_info*, int, EtiLess>
      m_classIds;
  std::unordered_map<const boost::archive::detail::basic_iserializer*, int>
      m_classesBySerializer;
  std::array<RecentSerializer, kRecentSerializers> m_recentSerializers{};
  std::vector<ReadObject> m_objects;
  std::vector<PointerRead> m_pointerReads;
  const boost::serialization::extended_type_info* m_pointerType = nullptr;
  // What the next object id read belongs to: the class of the object and
  // whether it is read through a pointer.
  int m_objectClass = -1;
  bool m_objectThroughPointer = false;
  // The object id of the last completed pointer read, or -1.
  std::size_t m_lastPointerObject = static_cast<std::size_t>(-1);
};

// Boost's shared pointer serialization keeps its owners in a map keyed by
// each object's most derived address, found through type information
// lookups on every read. The reader already knows each object's id, so
// this archive looks owners up by id instead, at constant cost.
template <class T>
void load(CheckedIArchive& archive, boost::shared_ptr<T>& t,
          const unsigned int) {
  archive.LoadSharedPointer(t);
}

}  // namespace VelkData

BOOST_SERIALIZATION_REGISTER_ARCHIVE(VelkData::CheckedIArchive)
BOOST_SERIALIZATION_USE_ARRAY_OPTIMIZATION(VelkData::CheckedIArchive)

#endif  // VELKDATA_PERSISTENCE_CHECKEDIARCHIVE_H
