#include "persistence/CheckedIArchive.h"

#include <boost/archive/impl/archive_serializer_map.ipp>
#include <boost/archive/impl/basic_binary_iarchive.ipp>
#include <boost/archive/impl/basic_binary_iprimitive.ipp>
#include <boost/serialization/extended_type_info.hpp>
#include <boost/serialization/void_cast.hpp>
#include <cstdint>
#include <cstring>

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

namespace VelkData {

using boost::archive::archive_exception;
using boost::archive::detail::basic_iserializer;
using boost::archive::detail::basic_pointer_iserializer;
using boost::serialization::extended_type_info;

namespace {

const std::size_t NoObject = static_cast<std::size_t>(-1);

[[noreturn]] void Refuse(archive_exception::exception_code code,
                         const char* detail = nullptr) {
  throw archive_exception(code, detail);
}

// Counts how deep objects are nested while one is being read.
class NestingLevel {
 public:
  explicit NestingLevel(unsigned int& level) : m_level(level) { ++m_level; }
  ~NestingLevel() { --m_level; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

 private:
  unsigned int& m_level;
};

}  // namespace

const unsigned int CheckedIArchive::kMaxNesting;
const int CheckedIArchive::kFirstNarrowVersion;
const int CheckedIArchive::kLastNarrowVersion;
const std::size_t CheckedIArchive::kUnseekableLimit;

CheckedIArchive::CheckedIArchive(std::istream& is, unsigned int flags)
    : Base(is, flags) {
  MeasureInput();
  ReadHeader(flags);
}

CheckedIArchive::CheckedIArchive(std::streambuf& buffer, unsigned int flags)
    : Base(buffer, flags) {
  MeasureInput();
  ReadHeader(flags);
}

CheckedIArchive::~CheckedIArchive() = default;

void CheckedIArchive::MeasureInput() {
  const std::ios_base::openmode in = std::ios_base::in;
  const std::streampos here = m_sb.pubseekoff(0, std::ios_base::cur, in);
  if (here != std::streampos(std::streamoff(-1))) {
    const std::streampos end = m_sb.pubseekoff(0, std::ios_base::end, in);
    if (end != std::streampos(std::streamoff(-1)) && end >= here &&
        m_sb.pubseekpos(here, in) == here) {
      m_seekable = true;
      m_end = end;
      m_inputSize = static_cast<std::size_t>(std::streamoff(end - here));
      return;
    }
  }
  m_inputSize = kUnseekableLimit;
}

void CheckedIArchive::ReadHeader(unsigned int flags) {
  if ((flags & boost::archive::no_header) != 0) return;
  // Boost's own header reader turns the end of the input met at the version
  // byte into an assertion failure; this one reads the same header and
  // throws instead.
  ReadSignature();
  typedef std::streambuf::traits_type Traits;
  const Traits::int_type version = m_sb.sbumpc();
  if (Traits::eq_int_type(version, Traits::eof()))
    Refuse(archive_exception::input_stream_error);
  // Which byte follows the version depends on the version, as Boost wrote
  // it over the years.
  if (version >= 8 || version == 6) {
    m_sb.sbumpc();
  } else if (version == 7 && m_sb.sgetc() == 0) {
    m_sb.sbumpc();
  }
  const boost::serialization::library_version_type libraryVersion(
      static_cast<unsigned int>(version));
  set_library_version(libraryVersion);
  if (boost::archive::BOOST_ARCHIVE_VERSION() < libraryVersion)
    Refuse(archive_exception::unsupported_version);
  if (m_narrow) {
    // The 32-bit releases wrote archive library versions 3 to 5 only; the
    // layouts of other versions at that width were never seen here.
    if (version < kFirstNarrowVersion || version > kLastNarrowVersion)
      Refuse(archive_exception::unsupported_version);
    CheckNarrowTypeSizes();
  } else {
    boost::archive::basic_binary_iprimitive<
        CheckedIArchive, std::istream::char_type,
        std::istream::traits_type>::init();
  }
}

void CheckedIArchive::ReadSignature() {
  // The signature's length comes first, in 4 bytes in the 32-bit layout and
  // in 8 in ours. Its value is known, so the 4 bytes after it tell the two
  // apart: the zero upper half of our length, or the signature's first
  // letters. Any other first value is read as our layout, as before.
  const char* expected = boost::archive::BOOST_ARCHIVE_SIGNATURE();
  const std::uint32_t expectedLength =
      static_cast<std::uint32_t>(std::strlen(expected));
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  load_binary(&low, sizeof low);
  load_binary(&high, sizeof high);
  std::string signature;
  if (low == expectedLength && high != 0) {
    m_narrow = true;
    signature.assign(reinterpret_cast<const char*>(&high), sizeof high);
    std::string rest(expectedLength - sizeof high, '\0');
    load_binary(&rest[0], rest.size());
    signature += rest;
  } else {
    const std::uint64_t length =
        (static_cast<std::uint64_t>(high) << 32) | low;
    if (length > RemainingBytes()) Refuse(archive_exception::input_stream_error);
    signature.resize(static_cast<std::size_t>(length));
    if (length > 0) load_binary(&signature[0], signature.size());
  }
  if (signature != expected) Refuse(archive_exception::invalid_signature);
}

void CheckedIArchive::CheckNarrowTypeSizes() {
  // The same checks and texts as Boost's for our own layout, with the sizes
  // of the 32-bit programs that wrote these archives.
  static const struct {
    unsigned char size;
    const char* what;
  } kSizes[] = {{4, "size of int"},
                {4, "size of long"},
                {4, "size of float"},
                {8, "size of double"}};
  for (const auto& expected : kSizes) {
    unsigned char size = 0;
    Base::load(size);
    if (size != expected.size)
      Refuse(archive_exception::incompatible_native_format, expected.what);
  }
  std::int32_t one = 0;
  Base::load(one);
  if (one != 1)
    Refuse(archive_exception::incompatible_native_format, "endian setting");
}

std::size_t CheckedIArchive::ReadLength() {
  if (m_narrow) {
    std::uint32_t length = 0;
    Base::load(length);
    return length;
  }
  std::size_t length = 0;
  Base::load(length);
  return length;
}

std::size_t CheckedIArchive::RemainingBytes() {
  if (!m_seekable) return kUnseekableLimit;
  const std::streamoff here =
      m_sb.pubseekoff(0, std::ios_base::cur, std::ios_base::in);
  if (here < 0 || here >= m_end) return 0;
  return static_cast<std::size_t>(m_end - here);
}

void CheckedIArchive::CheckCount(std::size_t count,
                                 std::size_t bytesPerElement) {
  if (bytesPerElement == 0 || count == 0) return;
  if (count > RemainingBytes() / bytesPerElement)
    Refuse(archive_exception::input_stream_error);
}

void CheckedIArchive::load(bool& t) {
  // A byte other than 0 or 1 must not become a bool: reading it back would
  // be undefined.
  unsigned char byte = 0;
  Base::load(byte);
  if (byte > 1) Refuse(archive_exception::input_stream_error);
  t = byte != 0;
}

void CheckedIArchive::load(std::string& s) {
  const std::size_t length = ReadLength();
  CheckCount(length, 1);
  s.resize(length);
  if (length > 0) load_binary(&s[0], length);
}

void CheckedIArchive::load(long& t) {
  if (!m_narrow) {
    Base::load(t);
    return;
  }
  std::int32_t narrow = 0;
  Base::load(narrow);
  t = narrow;
}

void CheckedIArchive::load(unsigned long& t) {
  t = ReadLength();
}

void CheckedIArchive::load_override(
    boost::serialization::collection_size_type& t) {
  Base::load_override(t);
  const std::size_t count = t;
  // Every element of a collection takes at least one byte of its own, so
  // the counts of one archive together cannot exceed its size; this bounds
  // nested collections that each claim the rest of the input.
  CheckCount(count, 1);
  if (count > m_inputSize - m_claimedElements)
    Refuse(archive_exception::input_stream_error);
  m_claimedElements += count;
}

int CheckedIArchive::RegisterClass(const basic_iserializer& bis) {
  // Every object read asks for its class; comparing type information is
  // slow enough to show, so the serializer's address is tried first, in a
  // small table of the recent ones, then in the map of all of them.
  RecentSerializer& recent = m_recentSerializers[RecentSlot(&bis)];
  if (recent.serializer == &bis) return recent.classId;
  int id = -1;
  const auto known = m_classesBySerializer.find(&bis);
  if (known != m_classesBySerializer.end()) {
    id = known->second;
  } else {
    const auto found = m_classIds.find(&bis.get_eti());
    if (found != m_classIds.end()) {
      id = found->second;
    } else {
      id = static_cast<int>(m_classes.size());
      m_classes.push_back(KnownClass{&bis});
      m_classIds.emplace(&bis.get_eti(), id);
    }
    m_classesBySerializer.emplace(&bis, id);
  }
  recent = RecentSerializer{&bis, id};
  return id;
}

std::size_t CheckedIArchive::RecentSlot(const basic_iserializer* bis) {
  // Serializers are singletons a few dozen bytes apart.
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(bis);
  return ((address >> 4) ^ (address >> 10)) % kRecentSerializers;
}

bool CheckedIArchive::IsKnownClass(const extended_type_info& eti) const {
  return m_classIds.find(&eti) != m_classIds.end();
}

void CheckedIArchive::EnterNesting() {
  if (m_nesting >= kMaxNesting) Refuse(archive_exception::input_stream_error);
}

void CheckedIArchive::register_basic_serializer(const basic_iserializer& bis) {
  RegisterClass(bis);
  Base::register_basic_serializer(bis);
}

void CheckedIArchive::load_object(void* t, const basic_iserializer& bis) {
  if (!m_pointerReads.empty()) {
    // The first object read directly inside a pointer read is the object
    // the pointer read has just constructed.
    PointerRead& read = m_pointerReads.back();
    if (read.created == nullptr && read.objectSerializer == &bis &&
        m_nesting == read.nesting)
      read.created = t;
  }
  EnterNesting();
  NestingLevel level(m_nesting);
  m_objectClass = RegisterClass(bis);
  m_objectThroughPointer = false;
  Base::load_object(t, bis);
}

const basic_pointer_iserializer* CheckedIArchive::load_pointer(
    void*& t, const basic_pointer_iserializer* bpis,
    const basic_pointer_iserializer* (*finder)(
        const extended_type_info& type)) {
  EnterNesting();
  NestingLevel level(m_nesting);
  m_pointerReads.push_back(PointerRead{bpis, m_pointerType, finder, m_nesting,
                                       nullptr, NoObject, nullptr, false});
  m_pointerType = nullptr;
  m_lastPointerObject = NoObject;
  const basic_pointer_iserializer* loaded = nullptr;
  try {
    loaded = Base::load_pointer(t, bpis, finder);
    const PointerRead& read = m_pointerReads.back();
    // Boost converts the pointer to the declared type after this returns
    // and throws when it cannot, which would leave a new object unowned;
    // convert it here first, where the object can still be destroyed.
    if (t != nullptr && loaded != bpis && read.declaredType != nullptr &&
        boost::serialization::void_upcast(loaded->get_eti(),
                                          *read.declaredType,
                                          t) == nullptr)
      Refuse(archive_exception::unregistered_class);
  } catch (...) {
    const PointerRead failed = m_pointerReads.back();
    m_pointerReads.pop_back();
    if (failed.objectId != NoObject && !failed.backReference)
      m_objects[failed.objectId].inProgress = false;
    if (failed.created != nullptr) {
      AbandonCreatedObject(failed);
      t = nullptr;
    }
    throw;
  }
  const PointerRead done = m_pointerReads.back();
  m_pointerReads.pop_back();
  if (done.objectId != NoObject) {
    ReadObject& object = m_objects[done.objectId];
    // Only a back-reference actually handed out may own an object still
    // being read; one refused above never reached a shared pointer.
    if (!done.backReference)
      object.inProgress = false;
    else if (object.inProgress)
      object.referencedInProgress = true;
  }
  m_lastPointerObject = done.objectId;
  return loaded;
}

boost::shared_ptr<const void>* CheckedIArchive::OwnerOfLastPointer() {
  if (m_lastPointerObject == NoObject) return nullptr;
  return &m_objects[m_lastPointerObject].owner;
}

void CheckedIArchive::AbandonCreatedObject(const PointerRead& read) {
  if (read.objectId != NoObject) {
    ReadObject& object = m_objects[read.objectId];
    // A back-reference handed out while the object was being read may
    // already own it (a shared pointer reset from it); destroying it here
    // would free it twice, so it is left to that owner.
    if (object.referencedInProgress) return;
    object.throughPointer = false;
  }
  read.objectSerializer->destroy(read.created);
}

void CheckedIArchive::load_override(boost::archive::class_id_type& t) {
  Base::load_override(t);
  // Boost reads class ids only for pointers.
  if (m_pointerReads.empty()) return;
  PointerRead& read = m_pointerReads.back();
  const int id = t;
  if (id == -1) return;  // a null pointer
  const int known = static_cast<int>(m_classes.size());
  if (id < 0 || id > known)
    Refuse(archive_exception::unregistered_class, "class id out of range");
  if (id < known) {
    const basic_iserializer* bis = m_classes[id].serializer;
    if (bis->get_bpis_ptr() == nullptr)
      Refuse(archive_exception::unregistered_class,
             "class not readable through a pointer");
    read.objectSerializer = bis;
  } else if (read.declared != nullptr &&
             !read.declared->get_basic_serializer().is_polymorphic()) {
    // A new class that is not polymorphic is the declared one, which Boost
    // must be able to register under exactly this id.
    const basic_iserializer& bis = read.declared->get_basic_serializer();
    if (IsKnownClass(bis.get_eti()))
      Refuse(archive_exception::unregistered_class,
             "class already known under another id");
    RegisterClass(bis);
    read.objectSerializer = &bis;
  }
  // Otherwise the class name follows and is checked when it is read.
  m_objectClass = id;
  m_objectThroughPointer = true;
}

void CheckedIArchive::load_override(boost::archive::class_name_type& t) {
  Base::load_override(t);
  if (m_pointerReads.empty()) return;
  PointerRead& read = m_pointerReads.back();
  const char* key = t;
  const extended_type_info* eti =
      key[0] != '\0' ? extended_type_info::find(key) : nullptr;
  const basic_pointer_iserializer* found =
      eti != nullptr && read.finder != nullptr ? read.finder(*eti) : nullptr;
  if (found == nullptr) Refuse(archive_exception::unregistered_class);
  const basic_iserializer& bis = found->get_basic_serializer();
  if (IsKnownClass(bis.get_eti()))
    Refuse(archive_exception::unregistered_class,
           "class already known under another id");
  RegisterClass(bis);
  read.objectSerializer = &bis;
}

void CheckedIArchive::load_override(boost::archive::object_id_type& t) {
  Base::load_override(t);
  const std::size_t id = t;
  if (id < m_objects.size()) {
    // Only a pointer may refer back to an object already read, and only to
    // one of its own class that was itself created for a pointer: anything
    // else would hand a shared pointer a member or an object of another
    // type.
    const ReadObject& object = m_objects[id];
    if (!m_objectThroughPointer || !object.throughPointer ||
        object.classId != m_objectClass)
      Refuse(archive_exception::pointer_conflict);
    if (!m_pointerReads.empty()) {
      m_pointerReads.back().objectId = id;
      m_pointerReads.back().backReference = true;
    }
    return;
  }
  if (id != m_objects.size()) Refuse(archive_exception::pointer_conflict);
  m_objects.push_back(ReadObject{m_objectClass, m_objectThroughPointer,
                                 m_objectThroughPointer, false, nullptr});
  if (m_objectThroughPointer && !m_pointerReads.empty())
    m_pointerReads.back().objectId = id;
}

}  // namespace VelkData
