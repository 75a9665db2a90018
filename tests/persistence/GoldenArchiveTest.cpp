#include <gtest/gtest.h>

#include <QString>
#include <fstream>

#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using boost::shared_ptr;

namespace {

// On a mismatch the bytes written now go beside the test binary, so that a
// deliberate change of the format can be inspected and checked in.
void expectGolden(const std::string& name, const std::string& bytes) {
  const std::string golden = velktest::readFile(velktest::dataPath(name));
  if (golden != bytes) {
    std::ofstream(name + ".actual", std::ios::binary) << bytes;
    ADD_FAILURE() << name << " differs from the bytes written now ("
                  << bytes.size() << " against " << golden.size()
                  << " bytes); see " << name << ".actual";
  }
}

shared_ptr<CostDatabase> emptySample() {
  shared_ptr<CostDatabase> db(new CostDatabase);
  CostDatabaseTestPeer::setId(*db, "2024-01-02T03:04:05");
  return db;
}

TEST(GoldenArchiveTest, SavingTheSamplesGivesTheGoldenBytes) {
  expectGolden("sample.vdb",
               velktest::archiveBytes(*velktest::makeSampleDatabase()));
  expectGolden("empty.vdb", velktest::archiveBytes(*emptySample()));
}

TEST(GoldenArchiveTest, GoldenSampleLoads) {
  TamberData::ProcessingUnit::procUnitCount = 0;
  CostDatabase db;
  velktest::DebugCapture log;
  ASSERT_TRUE(CostDatabase::FromFile(
      QString::fromStdString(velktest::dataPath("sample.vdb")), db))
      << log.joined();
  EXPECT_EQ("2024-05-17T08:30:00", db.id());
  EXPECT_EQ("EUR", db.Currency());
  EXPECT_DOUBLE_EQ(1e-6, db.UnitConversions()[QString::fromUtf8("mm\xC2\xB2")]);
  ASSERT_EQ(2, db.toolMaterialCount());
  EXPECT_EQ("Cast iron", db.toolMaterialAt(1)->label());
  EXPECT_EQ(db.PriceUnitAt(0).get(), db.toolMaterialAt(1)->priceUnit().get());
  EXPECT_FLOAT_EQ(85.0f, db.ManufacturingStepAt(0)->CostPerHour());
  EXPECT_EQ("1500", db.CostPropertyAt(5)->stringValue());
  EXPECT_EQ("medium", db.CostPropertyAt(3)->stringValue());
  EXPECT_EQ(2, db.BaseAssemblyAt(0)->ComponentCount());
  EXPECT_EQ("Bushing", db.GetSharingRelationship(0)->sharedComponent->label());
  ASSERT_TRUE(db.ProcessDB());
  EXPECT_EQ("OP20", db.ProcessDB()->OperationAt(1)->label());
  EXPECT_FLOAT_EQ(2000.0f, db.ProcessDB()->OperationAt(0)->LengthMaximum());
  EXPECT_EQ(42, TamberData::ProcessingUnit::procUnitCount);
}

TEST(GoldenArchiveTest, GoldenEmptyDatabaseLoads) {
  CostDatabase db;
  db.SetCurrency("USD");
  velktest::DebugCapture log;
  ASSERT_TRUE(CostDatabase::FromFile(
      QString::fromStdString(velktest::dataPath("empty.vdb")), db))
      << log.joined();
  EXPECT_EQ("2024-01-02T03:04:05", db.id());
  EXPECT_EQ("", db.Currency());
  EXPECT_EQ(0, db.CostPropertyCount());
  EXPECT_FALSE(db.ProcessDB());
}

}  // namespace
