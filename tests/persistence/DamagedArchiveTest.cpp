#include <gtest/gtest.h>

#include <boost/archive/archive_exception.hpp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "persistence/CheckedIArchive.h"
#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

// Damaged copies of a real database archive, replayed through the buffer
// entry point: each must be refused with false and the reader's messages,
// never read, thrown through or crashed on.
namespace {

using VelkData::CheckedIArchive;
using VelkData::CostDatabase;

// A buffer over an archive that notes where each field starts and how many
// bytes it takes: Boost reads every primitive, and every text's body, in one
// piece.
class TracingBuffer : public std::streambuf {
 public:
  struct Read {
    std::size_t at;
    std::size_t size;
  };

  explicit TracingBuffer(std::string bytes) : bytes_(std::move(bytes)) {
    setg(&bytes_[0], &bytes_[0], &bytes_[0] + bytes_.size());
  }
  const std::vector<Read>& reads() const { return reads_; }

 protected:
  std::streamsize xsgetn(char* s, std::streamsize n) override {
    reads_.push_back(Read{static_cast<std::size_t>(gptr() - eback()),
                          static_cast<std::size_t>(n)});
    return std::streambuf::xsgetn(s, n);
  }
  pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                   std::ios_base::openmode) override {
    const off_type base = direction == std::ios_base::beg   ? 0
                          : direction == std::ios_base::cur ? gptr() - eback()
                                                            : egptr() - eback();
    const off_type target = base + offset;
    if (target < 0 || target > egptr() - eback()) return pos_type(-1);
    setg(eback(), eback() + target, egptr());
    return pos_type(target);
  }
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
    return seekoff(off_type(position), std::ios_base::beg, which);
  }

 private:
  std::string bytes_;
  std::vector<Read> reads_;
};

template <class T>
T ValueAt(const std::string& bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof(value));
  return value;
}

template <class T>
std::string Patched(std::string bytes, std::size_t at, T value) {
  std::memcpy(&bytes[at], &value, sizeof(value));
  return bytes;
}

// A database of a few records and no process plan, small enough to be
// truncated at every length: a price unit shared by two materials (a
// back-reference), a surcharge with a formula, and a cost driver read
// through its base class's export key.
std::string SmallArchive() {
  using namespace VelkData;
  boost::shared_ptr<CostDatabase> db(new CostDatabase);
  VelkData::CostDatabaseTestPeer::setId(*db, "2024-05-17T08:30:00");
  db->SetCurrency("EUR");
  boost::shared_ptr<PriceUnit> kilogram(new PriceUnit("PU_KG"));
  kilogram->setIsWeightUnit(true);
  db->AddPriceUnit(kilogram);
  for (const char* id : {"TM_STEEL", "TM_CAST"}) {
    boost::shared_ptr<ToolMaterial> material(new ToolMaterial(id));
    material->SetPriceUnit(kilogram);
    db->addToolMaterial(material);
  }
  boost::shared_ptr<FormulaContainer> factor(new FormulaContainer);
  factor->addFormula("0.05");
  db->AddTotalCostSurcharge(
      boost::shared_ptr<Surcharge>(new Surcharge("SU_TOTAL", factor)));
  db->AddCostProperty(
      boost::shared_ptr<CostProperty>(new CostDriverDouble("CD_AREA")));
  return velktest::archiveBytes(*db);
}

class DamagedArchiveTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sound_ = new std::string(SmallArchive());
    TracingBuffer buffer(*sound_);
    CheckedIArchive archive(buffer);
    CostDatabase db;
    archive >> db;
    reads_ = new std::vector<TracingBuffer::Read>(buffer.reads());
  }
  static void TearDownTestSuite() {
    delete sound_;
    delete reads_;
    sound_ = nullptr;
    reads_ = nullptr;
  }

  // Reads `bytes` through the buffer entry point and expects it refused,
  // with the reader's first message.
  static void ExpectRefused(std::string bytes) {
    velktest::DebugCapture capture;
    CostDatabase db;
    char* data = bytes.empty() ? &empty_ : &bytes[0];
    EXPECT_FALSE(
        CostDatabase::FromCharArray(data, static_cast<int>(bytes.size()), db));
    ASSERT_EQ(2u, capture.lines().size());
    EXPECT_EQ("Error while reading CostDataBase! \n", capture.lines()[0]);
  }

  // Where the fields of `size` bytes start; with `previous`, only those
  // read right after a field of that size.
  static std::vector<std::size_t> FieldsOf(std::size_t size,
                                           std::size_t previous = 0) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < reads_->size(); ++i) {
      if ((*reads_)[i].size != size) continue;
      if (previous != 0 && (i == 0 || (*reads_)[i - 1].size != previous))
        continue;
      at.push_back((*reads_)[i].at);
    }
    return at;
  }

  static std::string* sound_;
  static std::vector<TracingBuffer::Read>* reads_;
  static char empty_;
};

std::string* DamagedArchiveTest::sound_ = nullptr;
std::vector<TracingBuffer::Read>* DamagedArchiveTest::reads_ = nullptr;
char DamagedArchiveTest::empty_ = 0;

TEST_F(DamagedArchiveTest, SoundArchiveIsRead) {
  CostDatabase db;
  std::string bytes = *sound_;
  EXPECT_TRUE(CostDatabase::FromCharArray(
      &bytes[0], static_cast<int>(bytes.size()), db));
  ASSERT_EQ(2, db.toolMaterialCount());
  EXPECT_EQ(db.toolMaterialAt(1)->priceUnit(), db.PriceUnitAt(0));
  EXPECT_GT(reads_->size(), 50u);
}

TEST_F(DamagedArchiveTest, TruncatedAtEveryLengthIsRefused) {
  for (std::size_t length = 0; length < sound_->size(); ++length) {
    SCOPED_TRACE(length);
    ExpectRefused(sound_->substr(0, length));
  }
}

// Collection counts and text lengths are the eight-byte fields whose value
// is a small positive number: no double of the sample is a denormal.
TEST_F(DamagedArchiveTest, CountsAndLengthsSetToExtremeValuesAreRefused) {
  int fields = 0;
  for (std::size_t at : FieldsOf(8)) {
    const std::uint64_t value = ValueAt<std::uint64_t>(*sound_, at);
    if (value == 0 || value > sound_->size()) continue;
    ++fields;
    for (std::uint64_t extreme : std::vector<std::uint64_t>{
             sound_->size(), 1ull << 31, 1ull << 32, 1ull << 62, ~0ull}) {
      SCOPED_TRACE(testing::Message() << at << " = " << extreme);
      ExpectRefused(Patched(*sound_, at, extreme));
    }
  }
  EXPECT_GE(fields, 10);
}

// Class ids are the only two-byte fields.
TEST_F(DamagedArchiveTest, ClassIdsSetToExtremeValuesAreRefused) {
  int fields = 0;
  for (std::size_t at : FieldsOf(2)) {
    ++fields;
    for (std::int16_t extreme : {std::int16_t(-32768), std::int16_t(-2),
                                 std::int16_t(1000), std::int16_t(32767)}) {
      SCOPED_TRACE(testing::Message() << at << " = " << extreme);
      ExpectRefused(Patched(*sound_, at, extreme));
    }
  }
  EXPECT_GE(fields, 5);
}

// An object id right after a class id is a pointer to an object of a class
// already met: a new object or a back-reference. Every object takes at least
// one four-byte field, so no id reaches their count.
TEST_F(DamagedArchiveTest, ObjectIdsBeyondObjectsReadAreRefused) {
  const std::vector<std::size_t> ids = FieldsOf(4, 2);
  const std::uint32_t beyond = static_cast<std::uint32_t>(FieldsOf(4).size());
  for (std::size_t at : ids) {
    for (std::uint32_t extreme : {beyond, beyond + 1000, 0x7FFFFFFFu, ~0u}) {
      SCOPED_TRACE(testing::Message() << at << " = " << extreme);
      ExpectRefused(Patched(*sound_, at, extreme));
    }
  }
  EXPECT_GE(ids.size(), 3u);
}

TEST_F(DamagedArchiveTest, DamagedFileIsRefusedWithItsPath) {
  const std::string path =
      testing::TempDir() + "velkdata_damaged_archive.bin";
  {
    std::ofstream file(path, std::ios::binary);
    file << sound_->substr(0, sound_->size() / 2);
  }
  velktest::DebugCapture capture;
  CostDatabase db;
  EXPECT_FALSE(CostDatabase::FromFile(QString::fromStdString(path), db));
  ASSERT_EQ(1u, capture.lines().size());
  EXPECT_EQ("Exception when deserializing cost database from file\n" + path +
                ":\ninput stream error",
            capture.lines()[0]);
  std::remove(path.c_str());
}

}  // namespace
