#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;

namespace {

std::string storedFile(const std::string& name) {
  return velktest::readFile(velktest::dataPath("stored/" + name));
}

// Little-endian bytes of the 32-bit layout, spelled out by hand.
class Layout {
 public:
  Layout& u8(unsigned int value) {
    bytes_ += static_cast<char>(value);
    return *this;
  }
  Layout& u16(std::uint16_t value) { return raw(&value, sizeof value); }
  Layout& u32(std::uint32_t value) { return raw(&value, sizeof value); }
  Layout& f32(float value) { return raw(&value, sizeof value); }
  Layout& text(const std::string& value) {
    u32(static_cast<std::uint32_t>(value.size()));
    bytes_ += value;
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  Layout& raw(const void* value, std::size_t size) {
    bytes_.append(static_cast<const char*>(value), size);
    return *this;
  }
  std::string bytes_;
};

// An empty database with class version 2 in the layout of archive library
// version `library`, written from the layout's rules alone:
// - the header: the signature with a 32-bit length, one version byte, the
//   sizes of int, long, float and double (4, 4, 4, 8) and the int 1;
// - a class's preamble, the first time the class occurs: tracking as one
//   byte, the class version as one byte;
// - a collection: its preamble, a 32-bit count and, from library version 4
//   on, a 32-bit item version (1 for shared pointers, 0 for pairs);
// - a shared pointer: the wrapper's preamble (untracked, version 1), then
//   the 16-bit class id, -1 for an empty pointer.
std::string emptyDatabaseLayout(unsigned int library) {
  Layout l;
  l.text("serialization::archive").u8(library);
  l.u8(4).u8(4).u8(4).u8(8).u32(1);
  l.u8(0).u8(2);  // the root database: untracked, version 2
  l.text("1998-01-02T03:04:05").f32(0.0f).f32(0.0f).text("DM");
  auto collection = [&](std::uint32_t itemVersion) {
    l.u8(0).u8(0).u32(0);
    if (library >= 4) l.u32(itemVersion);
  };
  auto emptyPointer = [&]() { l.u8(0).u8(1).u16(0xFFFF); };
  const std::uint32_t kPair = 0, kPointer = 1;
  collection(kPair);     // unit conversions
  collection(kPair);     // information
  collection(kPointer);  // tool materials
  collection(kPointer);  // price units
  emptyPointer();        // component cost factory
  collection(kPair);     // material surcharges
  collection(kPointer);  // base assemblies
  collection(kPointer);  // manufacturing steps
  collection(kPair);     // operation type surcharges
  collection(kPointer);  // total cost surcharges
  collection(kPair);     // manufacturing step surcharges
  collection(kPointer);  // cost properties
  collection(kPair);     // operation type keys
  emptyPointer();        // process database
  collection(kPointer);  // presses
  return l.bytes();
}

// The log of a failed FromCharArray, or "read" when it succeeded.
std::string readError(std::string bytes) {
  CostDatabase db;
  velktest::DebugCapture log;
  if (CostDatabase::FromCharArray(bytes.empty() ? nullptr : &bytes[0],
                                  static_cast<int>(bytes.size()), db))
    return "read";
  return log.joined();
}

std::string refusal(const std::string& what) {
  return "Error while reading CostDataBase! \n|" + what;
}

template <class T>
std::string patched(std::string bytes, std::size_t at, T value) {
  std::memcpy(&bytes[at], &value, sizeof value);
  return bytes;
}

const std::size_t kVersionByte = 4 + 22;
const std::size_t kLongSize = kVersionByte + 2;
const std::size_t kEndianWord = kVersionByte + 5;

TEST(StoredLayoutTest, EmptyDatabasesMatchTheLayoutByteForByte) {
  for (unsigned int library : {3u, 4u, 5u}) {
    SCOPED_TRACE(library);
    const std::string expected = emptyDatabaseLayout(library);
    EXPECT_EQ(expected, storedFile("stored-empty-v" +
                                   std::to_string(library) + ".vdb"));
    std::string bytes = expected;
    CostDatabase db;
    velktest::DebugCapture log;
    ASSERT_TRUE(CostDatabase::FromCharArray(
        &bytes[0], static_cast<int>(bytes.size()), db))
        << log.joined();
    EXPECT_EQ("1998-01-02T03:04:05", db.id());
    EXPECT_EQ("DM", db.Currency());
    EXPECT_EQ(0, db.toolMaterialCount());
    EXPECT_FALSE(db.ProcessDB());
  }
}

TEST(StoredLayoutTest, HeaderOutsideTheStoredReleasesIsRefused) {
  const std::string layout = emptyDatabaseLayout(3);
  for (unsigned char version : {0, 2, 6, 7, 17}) {
    SCOPED_TRACE(static_cast<int>(version));
    EXPECT_EQ(refusal("unsupported version"),
              readError(patched(layout, kVersionByte, version)));
  }
  EXPECT_EQ(refusal("incompatible native format - size of long"),
            readError(patched<unsigned char>(layout, kLongSize, 8)));
  EXPECT_EQ(refusal("incompatible native format - size of int"),
            readError(patched<unsigned char>(layout, kLongSize - 1, 8)));
  EXPECT_EQ(refusal("incompatible native format - endian setting"),
            readError(patched<std::uint32_t>(layout, kEndianWord, 0x1000000)));
  EXPECT_EQ(refusal("invalid signature"),
            readError(patched<char>(layout, 4 + 21, 'X')));
  // Our own layout still demands an 8-byte long: the length of the
  // signature, the signature, the version and its zero byte, then int.
  EXPECT_EQ(refusal("incompatible native format - size of long"),
            readError(patched<unsigned char>(storedFile("stored-current.vdb"),
                                             8 + 22 + 2 + 1, 4)));
}

TEST(StoredLayoutTest, SignatureLengthStillDecidesForOurLayout) {
  // A first word other than the signature's length is read as today's
  // layout, so damage there is reported as before.
  const std::string layout = emptyDatabaseLayout(3);
  EXPECT_EQ(refusal("input stream error"),
            readError(patched<std::uint32_t>(layout, 0, 23)));
  EXPECT_EQ(refusal("input stream error"), readError(layout.substr(0, 6)));
}

TEST(DamagedStoredArchiveTest, TruncatedAtEveryLengthIsRefused) {
  // Every length of one archive; the other library versions' layouts differ
  // only in their item versions, so every seventh length of one of them.
  for (const auto& run : {std::make_pair("stored-v3.vdb", 1),
                          std::make_pair("stored-v5.vdb", 7)}) {
    const std::string bytes = storedFile(run.first);
    ASSERT_FALSE(bytes.empty());
    for (std::size_t length = 0; length < bytes.size(); length += run.second) {
      const std::string error = readError(bytes.substr(0, length));
      ASSERT_NE("read", error) << run.first << " cut at " << length;
    }
    EXPECT_EQ("read", readError(bytes));
  }
}

TEST(DamagedStoredArchiveTest, TruncatedSampleDatabasesAreRefused) {
  // The library's sample, with its process plan, in today's class versions
  // and in the old ones. A read takes milliseconds here, so the cuts step
  // by a prime, which lands them on every kind of field.
  for (const char* name : {"sample-v4.vdb", "sample-v3-old-classes.vdb"}) {
    const std::string bytes = storedFile(name);
    ASSERT_FALSE(bytes.empty());
    for (std::size_t length = 0; length < bytes.size(); length += 31) {
      const std::string error = readError(bytes.substr(0, length));
      ASSERT_NE("read", error) << name << " cut at " << length;
    }
    EXPECT_EQ("read", readError(bytes));
  }
}

TEST(DamagedStoredArchiveTest, ExtremeTextLengthsAndCountsAreRefused) {
  const std::string bytes = storedFile("stored-v3.vdb");
  const std::size_t text = bytes.find("Tool steel");
  ASSERT_NE(std::string::npos, text);
  // The unit conversions' count follows the currency and the map's class
  // preamble.
  const std::size_t count = bytes.find("DEM") + 3 + 2;
  std::uint32_t stored = 0;
  std::memcpy(&stored, &bytes[count], sizeof stored);
  ASSERT_EQ(2u, stored);
  for (std::uint32_t bad : {std::uint32_t(bytes.size()), 0x7FFFFFFFu,
                            0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(refusal("input stream error"),
              readError(patched(bytes, text - 4, bad)));
    EXPECT_EQ(refusal("input stream error"),
              readError(patched(bytes, count, bad)));
  }
}

TEST(DamagedStoredArchiveTest, ExtremeWordAtAnyOffsetNeverCrashes) {
  // Most offsets hold a length, count, id or version somewhere; whatever is
  // hit, the reader answers without crashing, hanging or leaking (the
  // sanitizer build checks the last two).
  for (const auto& run : {std::make_pair("stored-v4.vdb", 1),
                          std::make_pair("sample-v5.vdb", 53)}) {
    const std::string bytes = storedFile(run.first);
    ASSERT_FALSE(bytes.empty());
    int refused = 0;
    int tried = 0;
    for (std::size_t at = 0; at + 4 <= bytes.size();
         at += run.second, ++tried) {
      if (readError(patched(bytes, at, 0xFFFFFFFFu)) != "read") ++refused;
    }
    // Only a hit inside the value bytes of a number or a text reads
    // through.
    EXPECT_GT(refused, tried / 2) << run.first;
  }
}

}  // namespace
