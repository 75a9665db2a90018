#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <boost/archive/archive_exception.hpp>
#include <boost/weak_ptr.hpp>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using namespace TamberData;
using boost::shared_ptr;

using velktest::readFile;

namespace {

// A driver class the archive has no export key for: writing it fails in
// the middle of the archive.
class UnregisteredDriver : public CostDriverDouble {
 public:
  explicit UnregisteredDriver(const std::string& id) : CostDriverDouble(id) {}
};

class DatabaseFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/velkdata_files_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(name));
    dir_ = name;
    path_ = dir_ + "/costs.vdb";
  }
  void TearDown() override {
    for (const std::string& entry : entries()) {
      std::remove((dir_ + "/" + entry).c_str());
    }
    rmdir(dir_.c_str());
  }

  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(dir_.c_str())) {
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(dir);
    }
    return names;
  }

  void writeSample() {
    velktest::StdoutCapture quiet;
    sample_ = velktest::makeSampleDatabase();
    sample_->ToFile(*sample_, path_.c_str());
  }

  std::string dir_;
  std::string path_;
  shared_ptr<CostDatabase> sample_;
};

TEST_F(DatabaseFilesTest, FileRoundTripKeepsSharedObjectsShared) {
  writeSample();
  EXPECT_EQ(std::vector<std::string>{"costs.vdb"}, entries());
  EXPECT_EQ(velktest::archiveBytes(*sample_), readFile(path_));
  CostDatabase loaded;
  velktest::DebugCapture log;
  ASSERT_TRUE(CostDatabase::FromFile(QString::fromStdString(path_), loaded));
  EXPECT_EQ("", log.joined());
  EXPECT_EQ("2024-05-17T08:30:00", loaded.id());
  EXPECT_EQ(loaded.PriceUnitAt(0).get(),
            loaded.toolMaterialAt(1)->priceUnit().get());
  EXPECT_EQ(velktest::archiveBytes(*sample_), velktest::archiveBytes(loaded));
}

TEST_F(DatabaseFilesTest, ToFileWritesTheArgumentNotItself) {
  CostDatabase caller;
  shared_ptr<CostDatabase> sample = velktest::makeSampleDatabase();
  caller.ToFile(*sample, path_.c_str());
  EXPECT_EQ(velktest::archiveBytes(*sample), readFile(path_));
}

// The buffer collects an archive in blocks of growing size; a text larger
// than several of them is split across their borders.
TEST_F(DatabaseFilesTest, BufferHoldsTheFileBytesOfAnArchiveOfManyBlocks) {
  shared_ptr<CostDatabase> db = velktest::makeSampleDatabase();
  std::string currency(300 * 1000 + 7, '\0');
  for (std::size_t i = 0; i < currency.size(); ++i)
    currency[i] = static_cast<char>('A' + i % 53);
  db->SetCurrency(currency);
  {
    velktest::StdoutCapture quiet;
    db->ToFile(*db, path_.c_str());
  }
  const std::string bytes = velktest::archiveBytes(*db);
  EXPECT_GT(bytes.size(), currency.size());
  EXPECT_TRUE(bytes == readFile(path_));
  EXPECT_EQ(currency, velktest::readArchive(bytes)->Currency());
}

// A regular file is read whole before it is parsed; a pipe, which cannot
// tell its size, is parsed as its bytes come.
TEST_F(DatabaseFilesTest, FromFileReadsAPipeAsItComes) {
  writeSample();
  const std::string bytes = readFile(path_);
  const std::string pipe = dir_ + "/pipe.vdb";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  const pid_t writer = fork();
  ASSERT_NE(-1, writer);
  if (writer == 0) {
    std::ofstream(pipe, std::ios::binary) << bytes;
    _exit(0);
  }
  CostDatabase loaded;
  velktest::DebugCapture log;
  EXPECT_TRUE(CostDatabase::FromFile(QString::fromStdString(pipe), loaded));
  int status = -1;
  ASSERT_EQ(writer, waitpid(writer, &status, 0));
  EXPECT_EQ("", log.joined());
  EXPECT_EQ(bytes, velktest::archiveBytes(loaded));
}

TEST_F(DatabaseFilesTest, FromFileOfTruncatedFileReturnsFalse) {
  writeSample();
  const std::string bytes = readFile(path_);
  std::ofstream(path_, std::ios::binary | std::ios::trunc)
      << bytes.substr(0, bytes.size() - 1);
  CostDatabase db;
  velktest::DebugCapture log;
  EXPECT_FALSE(CostDatabase::FromFile(QString::fromStdString(path_), db));
  EXPECT_EQ("Exception when deserializing cost database from file\n" + path_ +
                ":\ninput stream error",
            log.joined());
}

TEST_F(DatabaseFilesTest, FromFileOfMissingPathLogsPathAndReason) {
  CostDatabase db;
  velktest::DebugCapture log;
  const std::string missing = dir_ + "/missing.vdb";
  EXPECT_FALSE(CostDatabase::FromFile(QString::fromStdString(missing), db));
  EXPECT_EQ("Exception when deserializing cost database from file\n" + missing +
                ":\ninput stream error",
            log.joined());
}

TEST_F(DatabaseFilesTest, FromFileOfDamagedFileReturnsFalse) {
  std::ofstream(path_, std::ios::binary)
      << std::string("\x16\0\0\0\0\0\0\0serialization::archivX", 30);
  CostDatabase db;
  velktest::DebugCapture log;
  EXPECT_FALSE(CostDatabase::FromFile(QString::fromStdString(path_), db));
  EXPECT_EQ("Exception when deserializing cost database from file\n" + path_ +
                ":\ninvalid signature",
            log.joined());
}

TEST_F(DatabaseFilesTest, FailedWriteOfAClassLeavesEarlierFileIntact) {
  writeSample();
  const std::string before = readFile(path_);
  sample_->AddCostProperty(
      shared_ptr<CostProperty>(new UnregisteredDriver("CD_ODD")));
  EXPECT_THROW_MSG(sample_->ToFile(*sample_, path_.c_str()),
                   boost::archive::archive_exception,
                   "unregistered class - derived class not registered or "
                   "exported");
  EXPECT_EQ(before, readFile(path_));
  EXPECT_EQ(std::vector<std::string>{"costs.vdb"}, entries());
}

TEST_F(DatabaseFilesTest, FullDiskLeavesEarlierFileIntact) {
  writeSample();
  const std::string before = readFile(path_);
  ASSERT_GT(before.size(), 4096u);
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    // A file-size limit below the archive's size: the write fails with
    // EFBIG instead of the signal ending the process.
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {2048, 2048};
    setrlimit(RLIMIT_FSIZE, &limit);
    int status = 3;
    try {
      sample_->ToFile(*sample_, path_.c_str());
      status = 1;
    } catch (const boost::archive::archive_exception& e) {
      status = std::string(e.what()).find("output stream error") == 0 ? 0 : 2;
    } catch (...) {
      status = 4;
    }
    _exit(status);
  }
  int status = -1;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
  EXPECT_EQ(before, readFile(path_));
  EXPECT_EQ(std::vector<std::string>{"costs.vdb"}, entries());
}

TEST_F(DatabaseFilesTest, ToFileIntoMissingFolderThrows) {
  CostDatabase db;
  const std::string path = dir_ + "/no/such/folder.vdb";
  EXPECT_THROW_MSG(db.ToFile(db, path.c_str()),
                   boost::archive::archive_exception,
                   "output stream error-" + path);
  EXPECT_THROW_MSG(db.ToFile(db, nullptr), boost::archive::archive_exception,
                   "output stream error-no path");
  EXPECT_TRUE(entries().empty());
}

TEST_F(DatabaseFilesTest, ToFileOverAFolderLeavesTheFolder) {
  const std::string folder = dir_ + "/folder";
  ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
  CostDatabase db;
  EXPECT_THROW_MSG(db.ToFile(db, folder.c_str()),
                   boost::archive::archive_exception,
                   "output stream error-" + folder);
  EXPECT_EQ(std::vector<std::string>{"folder"}, entries());
  rmdir(folder.c_str());
}

TEST_F(DatabaseFilesTest, ReplacingAFileKeepsItsPermissions) {
  writeSample();
  ASSERT_EQ(0, chmod(path_.c_str(), 0640));
  sample_->ToFile(*sample_, path_.c_str());
  struct stat info;
  ASSERT_EQ(0, stat(path_.c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 07777);
}

TEST(DatabaseBufferTest, ToCharArrayReportsTheSize) {
  shared_ptr<CostDatabase> db = velktest::makeSampleDatabase();
  velktest::StdoutCapture out;
  CostDatabase::SerializedDB* serialized = CostDatabase::ToCharArray(*db);
  const std::string text = out.text();
  ASSERT_NE(nullptr, serialized);
  ASSERT_NE(nullptr, serialized->data);
  EXPECT_EQ(
      "ToCharArray ... ARRAY SIZE is" + std::to_string(serialized->size) + "\n",
      text);
  EXPECT_EQ(velktest::archiveBytes(*db),
            std::string(serialized->data, serialized->size));
  CostDatabase::ReleaseSerializedDB(serialized);
  CostDatabase::ReleaseSerializedDB(nullptr);
}

TEST(DatabaseBufferTest, FromCharArrayRejectsBytesThatAreNoArchive) {
  char bytes[] = "\x16\0\0\0\0\0\0\0serialization::archivX";
  CostDatabase db;
  velktest::DebugCapture log;
  EXPECT_FALSE(CostDatabase::FromCharArray(bytes, sizeof bytes - 1, db));
  EXPECT_EQ((std::vector<std::string>{"Error while reading CostDataBase! \n",
                                      "invalid signature"}),
            log.lines());
}

TEST(DatabaseBufferTest, FromCharArrayRejectsNullDataAndNegativeSize) {
  CostDatabase db;
  {
    velktest::DebugCapture log;
    EXPECT_FALSE(CostDatabase::FromCharArray(nullptr, 100, db));
    EXPECT_EQ((std::vector<std::string>{"Error while reading CostDataBase! \n",
                                        "input stream error-no data"}),
              log.lines());
  }
  {
    const std::string bytes = velktest::archiveBytes(db);
    std::string copy = bytes;
    velktest::DebugCapture log;
    EXPECT_FALSE(CostDatabase::FromCharArray(&copy[0], -1, db));
    EXPECT_EQ((std::vector<std::string>{"Error while reading CostDataBase! \n",
                                        "input stream error-negative size"}),
              log.lines());
  }
}

TEST(DatabaseBufferTest, FromCharArrayReadsOnlyTheGivenBytes) {
  CostDatabase db;
  db.SetCurrency("CHF");
  std::string bytes = velktest::archiveBytes(db);
  CostDatabase target;
  velktest::DebugCapture log;
  EXPECT_FALSE(CostDatabase::FromCharArray(
      &bytes[0], static_cast<int>(bytes.size()) - 1, target));
  EXPECT_EQ("Error while reading CostDataBase! \n|input stream error",
            log.joined());
  EXPECT_TRUE(CostDatabase::FromCharArray(
      &bytes[0], static_cast<int>(bytes.size()), target));
  EXPECT_EQ("CHF", target.Currency());
}

}  // namespace

namespace {

TEST(TemporaryPointersTest, ParkedObjectsAreReleasedAndNeverArchived) {
  shared_ptr<CostDatabase> db = velktest::makeSampleDatabase();
  const std::string bytes = velktest::archiveBytes(*db);
  boost::weak_ptr<Press> press;
  boost::weak_ptr<Component> component;
  {
    shared_ptr<Press> parkedPress(new Press("Parked", 1));
    shared_ptr<Component> parkedComponent(new Component("Parked", "CT_X"));
    press = parkedPress;
    component = parkedComponent;
    db->addTemporaryPtr(parkedPress);
    db->ProcessDB()->addTemporaryPtr(parkedComponent);
  }
  EXPECT_EQ(bytes, velktest::archiveBytes(*db));
  EXPECT_FALSE(press.expired());
  EXPECT_FALSE(component.expired());
  db->ClearTemporaryPtrs();
  EXPECT_TRUE(press.expired());
  EXPECT_FALSE(component.expired());
  db->ProcessDB()->ClearTemporaryPtrs();
  EXPECT_TRUE(component.expired());
  EXPECT_EQ(0, db->ProcessDB()->temporaryPtrCount());
}

}  // namespace
