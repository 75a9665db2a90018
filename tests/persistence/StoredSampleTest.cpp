#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <fstream>
#include <string>
#include <typeinfo>
#include <utility>

#include "persistence/SampleDatabase.h"
#include "persistence/narrow/NarrowSampleWriter.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using namespace TamberData;
using boost::dynamic_pointer_cast;
using boost::shared_ptr;
using velktest::ClassVersions;

// The library's sample database as archives stored by earlier 32-bit
// releases hold it. The archives under tests/data/stored were written by
// persistence/narrow/NarrowSampleWriter; the tests read those fixed bytes.
namespace {

using velktest::dataPath;
using velktest::readFile;

std::string storedPath(const std::string& name) {
  return dataPath("stored/" + name);
}

struct StoredSample {
  const char* name;
  unsigned int libraryVersion;
  ClassVersions versions;
};

const StoredSample kStoredSamples[] = {
    {"sample-v3.vdb", 3, ClassVersions::kCurrent},
    {"sample-v4.vdb", 4, ClassVersions::kCurrent},
    {"sample-v5.vdb", 5, ClassVersions::kCurrent},
    {"sample-v3-old-classes.vdb", 3, ClassVersions::kOld},
    {"sample-v5-old-classes.vdb", 5, ClassVersions::kOld},
};

// The archive fuzzer starts from some of them.
const char* const kFuzzSeeds[] = {"sample-v5.vdb", "sample-v3-old-classes.vdb"};

TEST(StoredSampleWriterTest, WriterStillGivesTheCheckedInArchives) {
  for (const StoredSample& sample : kStoredSamples) {
    SCOPED_TRACE(sample.name);
    const std::string written =
        velktest::narrowArchiveBytes(*velktest::makeSampleDatabase(),
                                     sample.libraryVersion, sample.versions);
    const std::string stored = readFile(storedPath(sample.name));
    if (written != stored) {
      // Beside the test binary, to be inspected and checked in after a
      // deliberate change of the sample.
      std::ofstream(std::string(sample.name) + ".actual", std::ios::binary)
          << written;
      ADD_FAILURE() << "differs from the bytes written now (" << stored.size()
                    << " against " << written.size() << " bytes)";
    }
  }
  for (const char* seed : kFuzzSeeds) {
    EXPECT_EQ(readFile(storedPath(seed)),
              readFile(dataPath("../../fuzz/corpus-archive/") + seed))
        << seed;
  }
}

TEST(StoredSampleWriterTest, LayoutsDifferOnlyWhereTheyShould) {
  shared_ptr<CostDatabase> sample = velktest::makeSampleDatabase();
  const std::string v3 =
      velktest::narrowArchiveBytes(*sample, 3, ClassVersions::kCurrent);
  const std::string v5 =
      velktest::narrowArchiveBytes(*sample, 5, ClassVersions::kCurrent);
  const std::string old =
      velktest::narrowArchiveBytes(*sample, 3, ClassVersions::kOld);
  // The signature's 32-bit length, then the library version.
  EXPECT_EQ(std::string("\x16\0\0\0", 4), v3.substr(0, 4));
  EXPECT_EQ('\x03', v3[4 + 22]);
  EXPECT_EQ('\x05', v5[4 + 22]);
  // Version 5 adds item versions to collections.
  EXPECT_GT(v5.size(), v3.size());
  // The root's preamble: untracked, then its class version.
  EXPECT_EQ(std::string("\0\x03", 2), v3.substr(4 + 22 + 1 + 8, 2));
  EXPECT_EQ(std::string("\0\x02", 2), old.substr(4 + 22 + 1 + 8, 2));
  // Texts only today's classes write are missing from the old layout.
  EXPECT_NE(std::string::npos, v3.find("first draw"));
  EXPECT_EQ(std::string::npos, old.find("first draw"));
  EXPECT_NE(std::string::npos, v3.find("REL_100_00"));
  EXPECT_EQ(std::string::npos, old.find("REL_100_00"));
  EXPECT_EQ(std::string::npos, old.find("Bushing"));
  // Writing does not change the database.
  EXPECT_EQ(readFile(dataPath("sample.vdb")), velktest::archiveBytes(*sample));
}

// Today's class versions in the 32-bit layout of library versions 3 to 5.
class StoredSampleTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    bytes_ = readFile(storedPath(GetParam()));
    ASSERT_FALSE(bytes_.empty()) << GetParam();
    db_ = velktest::readArchive(bytes_);
    ASSERT_TRUE(db_->ProcessDB());
  }

  ProcessDatabase& plan() { return *db_->ProcessDB(); }

  std::string bytes_;
  shared_ptr<CostDatabase> db_;
};

// Saved again, the database gives the golden archive of the sample, byte
// for byte: every value, list order, shared object and Latin-1 text of the
// sample came through, or the bytes would differ.
TEST_P(StoredSampleTest, SavingGivesTheGoldenSampleBytes) {
  EXPECT_EQ(readFile(dataPath("sample.vdb")), velktest::archiveBytes(*db_));
}

TEST_P(StoredSampleTest, SharedObjectsStayShared) {
  shared_ptr<Component> pin = db_->BaseAssemblyAt(0)->ComponentAt(0);
  EXPECT_EQ(db_->PriceUnitAt(0), db_->toolMaterialAt(1)->priceUnit());
  EXPECT_EQ(pin, db_->GetSharingRelationship(0)->inputComponents[0]);
  EXPECT_EQ(pin, db_->componentCostFactory()
                     ->ComponentCostsValueSlotAt(0)
                     ->componentCost()
                     .component());
  EXPECT_EQ(plan().OperationAt(0), pin->operation());
  EXPECT_EQ(plan().OperationAt(0), plan().DefaultOperationAt(0));
  EXPECT_EQ(plan().DefaultPress(), db_->PressAt(0));
  EXPECT_EQ(plan().OperationAt(0)->stage(), db_->PressAt(0)->stageAt(0));
  shared_ptr<PartFeature> curve = plan().topLevelPartFeatureAt(0)->childAt(0);
  EXPECT_EQ(curve, pin->partFeature());
  EXPECT_EQ(curve->processingUnitAt(0), pin->relatedProcessingUnitAt(0));
}

TEST_P(StoredSampleTest, TextsAreLatinOneAndCountersRestored) {
  EXPECT_DOUBLE_EQ(1e-6,
                   db_->UnitConversions().at(QString::fromUtf8("mm\xC2\xB2")));
  EXPECT_EQ(QStringList() << QString::fromUtf8("mm\xC2\xB2") << "Stahl",
            db_->componentCostFactory()
                ->ComponentCostsValueSlotAt(0)
                ->ComponentCostValueRangeAt(2)
                ->stringValues());
  EXPECT_EQ(42, ProcessingUnit::procUnitCount);
  EXPECT_EQ(7, ProcessFactoryFeature::getPostNumber("Post"));
}

INSTANTIATE_TEST_SUITE_P(LibraryVersions, StoredSampleTest,
                         ::testing::Values(std::string("sample-v3.vdb"),
                                           std::string("sample-v4.vdb"),
                                           std::string("sample-v5.vdb")));

TEST(StoredSampleFileTest, FromFileReadsTheStoredSample) {
  CostDatabase db;
  velktest::DebugCapture log;
  ASSERT_TRUE(CostDatabase::FromFile(
      QString::fromStdString(storedPath("sample-v4.vdb")), db))
      << log.joined();
  EXPECT_EQ(readFile(dataPath("sample.vdb")), velktest::archiveBytes(db));
}

// CostDatabase 2, Operation 2 and Component 2, as the earlier releases
// wrote them.
class OldClassSampleTest
    : public ::testing::TestWithParam<std::pair<std::string, unsigned int>> {
 protected:
  void SetUp() override {
    bytes_ = readFile(storedPath(GetParam().first));
    ASSERT_FALSE(bytes_.empty());
    db_ = velktest::readArchive(bytes_);
    ASSERT_TRUE(db_->ProcessDB());
  }

  ProcessDatabase& plan() { return *db_->ProcessDB(); }
  shared_ptr<Component> component(int i) {
    return db_->BaseAssemblyAt(0)->ComponentAt(i);
  }

  std::string bytes_;
  shared_ptr<CostDatabase> db_;
};

// The archive was written from the sample; written again from what was
// read, it gives the same bytes. So every value, list order and shared
// object that the old layout holds matches the sample.
TEST_P(OldClassSampleTest, WrittenAgainInTheOldLayoutGivesTheSameBytes) {
  EXPECT_EQ(bytes_, velktest::narrowArchiveBytes(*db_, GetParam().second,
                                                 ClassVersions::kOld));
}

TEST_P(OldClassSampleTest, DatabaseBeforeVersionThreeHasNoRelationships) {
  EXPECT_EQ(0, db_->SharingRelationshipCount());
}

TEST_P(OldClassSampleTest, OperationsBeforeVersionThreeHaveNoComment) {
  ASSERT_EQ(2, plan().OperationCount());
  EXPECT_FALSE(plan().OperationAt(0)->getCommentProperty());
  EXPECT_FALSE(plan().ReferenceOperation("Draw")->getCommentProperty());
  // The rest of the operation is the sample's.
  EXPECT_EQ("OP10", plan().OperationAt(0)->label());
  EXPECT_TRUE(plan().OperationAt(0)->ShouldBeEmpty());
  EXPECT_FLOAT_EQ(2000.0f, plan().OperationAt(0)->LengthMaximum());
  EXPECT_EQ(typeid(VelkUtils::DrawingStage),
            typeid(*plan().OperationAt(0)->stage()));
}

TEST_P(OldClassSampleTest, OldComponentsGetTheirOneOperationAndNoChildren) {
  shared_ptr<Component> pin = component(0);
  shared_ptr<Component> cam = component(1);
  // The single operation of the old layout is the plan's own object.
  ASSERT_EQ(1u, pin->operations().size());
  ASSERT_EQ(plan().OperationAt(0), pin->operation());
  EXPECT_EQ(db_->BaseAssemblyAt(0), pin->operation()->baseAssembly());
  // The cam had no operation: its one entry stays empty.
  ASSERT_EQ(1u, cam->operations().size());
  EXPECT_FALSE(cam->operation());
  // The bushing was the pin's child and the relationship's shared
  // component; neither is in the old layout.
  EXPECT_TRUE(pin->getChildComps().empty());
  // Keys, state and the missing match are in version 2.
  EXPECT_EQ("CT_100_01", pin->getComponentKey());
  EXPECT_EQ("CT_000_01", cam->getComponentKey());
  EXPECT_TRUE(cam->frozen());
  EXPECT_TRUE(cam->noDBMatch());
  EXPECT_FALSE(pin->noDBMatch());
  ASSERT_EQ(2, pin->parameterCount());
  EXPECT_EQ(Component::kRoundToNearestStep, pin->roundingRuleAt(1));
  EXPECT_DOUBLE_EQ(80.0, pin->standardMaxAt(0));
}

TEST_P(OldClassSampleTest, ListsSharingAndTextsMatchTheSample) {
  ASSERT_EQ(7, db_->CostPropertyCount());
  EXPECT_EQ(typeid(CostDriverBool), typeid(*db_->CostPropertyAt(0)));
  EXPECT_EQ(typeid(CostDriverIntRange), typeid(*db_->CostPropertyAt(2)));
  EXPECT_EQ("CD_AREA", db_->CostPropertyAt(6)->id());
  EXPECT_EQ(db_->CostPropertyAt(5),
            db_->CostPropertyAt(6)->getFormulaContainer()->dependencyAt(0));
  EXPECT_EQ(db_->PriceUnitAt(0), db_->toolMaterialAt(1)->priceUnit());
  EXPECT_EQ(component(0), db_->componentCostFactory()
                              ->ComponentCostsValueSlotAt(0)
                              ->componentCost()
                              .component());
  EXPECT_EQ(component(0)->partFeature(),
            plan().topLevelPartFeatureAt(0)->childAt(0));
  EXPECT_EQ(QStringList() << QString::fromUtf8("mm\xC2\xB2") << "Stahl",
            db_->componentCostFactory()
                ->ComponentCostsValueSlotAt(0)
                ->ComponentCostValueRangeAt(2)
                ->stringValues());
  EXPECT_DOUBLE_EQ(1e-6,
                   db_->UnitConversions().at(QString::fromUtf8("mm\xC2\xB2")));
}

TEST_P(OldClassSampleTest, SavingWritesTodaysVersionsThatReadBack) {
  const std::string saved = velktest::archiveBytes(*db_);
  shared_ptr<CostDatabase> again = velktest::readArchive(saved);
  EXPECT_EQ(saved, velktest::archiveBytes(*again));
  EXPECT_EQ(0, again->SharingRelationshipCount());
  EXPECT_EQ(again->ProcessDB()->OperationAt(0),
            again->BaseAssemblyAt(0)->ComponentAt(0)->operation());
}

INSTANTIATE_TEST_SUITE_P(
    LibraryVersions, OldClassSampleTest,
    ::testing::Values(
        std::make_pair(std::string("sample-v3-old-classes.vdb"), 3u),
        std::make_pair(std::string("sample-v5-old-classes.vdb"), 5u)));

}  // namespace
