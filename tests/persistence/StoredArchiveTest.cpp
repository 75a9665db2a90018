#include <gtest/gtest.h>

#include <unistd.h>

#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "persistence/CheckedIArchive.h"
#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using namespace TamberData;
using boost::shared_ptr;

namespace {

using velktest::readFile;

std::string dataPath(const std::string& name) {
  return velktest::dataPath("stored/" + name);
}

// The archives were made by tests/persistence/narrow/StoredArchiveWriter:
// the 32-bit layout of archive library versions 3, 4 and 5, and the same
// stand-in database in today's layout.
class StoredArchiveTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    bytes_ = readFile(dataPath(GetParam()));
    ASSERT_FALSE(bytes_.empty()) << GetParam();
    db_ = velktest::readArchive(bytes_);
  }

  shared_ptr<BaseAssembly> dieSet() { return db_->BaseAssemblyAt(0); }

  std::string bytes_;
  shared_ptr<CostDatabase> db_;
};

TEST_P(StoredArchiveTest, DatabaseFieldsAreRead) {
  EXPECT_EQ("1999-12-31T23:59:58", db_->id());
  EXPECT_EQ("DEM", db_->Currency());
  EXPECT_DOUBLE_EQ(0.125, db_->MaterialCostSurcharge());
  EXPECT_DOUBLE_EQ(0.25, db_->ProcessCostSurcharge());
  EXPECT_EQ("OT_10", db_->GetOpTypKey("Draw"));
  EXPECT_EQ("OT_20", db_->GetOpTypKey("Trim"));
  EXPECT_FALSE(db_->ProcessDB());
  EXPECT_EQ(0, db_->PressCount());
  EXPECT_EQ(0, db_->SharingRelationshipCount());
}

TEST_P(StoredArchiveTest, TextsAreLatin1InOrder) {
  const CostDatabase::UnitConversionMap units = db_->UnitConversions();
  ASSERT_EQ(2u, units.size());
  EXPECT_DOUBLE_EQ(1e-6, units.at(QString::fromUtf8("mm\xC2\xB2")));
  EXPECT_DOUBLE_EQ(1000.0, units.at(QString("t")));
  ASSERT_EQ(2, db_->informationCount());
  EXPECT_EQ("Origin", db_->informationLabelAt(0));
  EXPECT_EQ("32-bit release", db_->informationDataAt(0));
  EXPECT_EQ("Editor", db_->informationLabelAt(1));
  EXPECT_EQ("J\xFCrgen", db_->informationDataAt(1));
}

TEST_P(StoredArchiveTest, PriceUnitStaysOneObject) {
  ASSERT_EQ(2, db_->toolMaterialCount());
  ASSERT_EQ(2, db_->PriceUnitCount());
  shared_ptr<ToolMaterial> steel = db_->toolMaterialAt(0);
  shared_ptr<ToolMaterial> cast = db_->toolMaterialAt(1);
  EXPECT_EQ("TM_STEEL", steel->id());
  EXPECT_EQ("Cast iron", cast->label());
  EXPECT_FLOAT_EQ(7.85f, steel->Density());
  EXPECT_FLOAT_EQ(2.25f, cast->CostPerUnit());
  EXPECT_EQ(db_->PriceUnitAt(0), steel->priceUnit());
  EXPECT_EQ(db_->PriceUnitAt(0), cast->priceUnit());
  EXPECT_EQ("kg", steel->priceUnit()->amountLabel());
  EXPECT_TRUE(steel->priceUnit()->isWeightUnit());
  EXPECT_EQ("PU_PC", db_->PriceUnitAt(1)->id());
  EXPECT_FALSE(db_->PriceUnitAt(1)->isWeightUnit());
}

TEST_P(StoredArchiveTest, SurchargesKeepFactorsAndSharing) {
  shared_ptr<Surcharge> material = db_->MaterialSurcharge(db_->toolMaterialAt(0));
  ASSERT_TRUE(material);
  EXPECT_EQ("SU_MAT", material->id());
  EXPECT_EQ("0.05", material->getFormulaString());
  EXPECT_DOUBLE_EQ(1.5, material->userfactor());
  EXPECT_FALSE(db_->MaterialSurcharge(db_->toolMaterialAt(1)));
  ASSERT_EQ(1, db_->OperationTypeSurchargeCount("Draw"));
  shared_ptr<Surcharge> press = db_->OperationTypeSurchargeAt("Draw", 0);
  EXPECT_EQ("Press surcharge", press->label());
  EXPECT_EQ(press, db_->ManufacturingStepSurcharge(db_->ManufacturingStepAt(0)));
  ASSERT_EQ(1, db_->TotalCostSurchargeCount());
  EXPECT_EQ("SU_TOTAL", db_->TotalCostSurchargeAt(0)->id());
  EXPECT_DOUBLE_EQ(2.0, db_->TotalCostSurchargeAt(0)->userfactor());
}

TEST_P(StoredArchiveTest, DriversAreReadAsTheirOwnClassesAndShared) {
  ASSERT_EQ(2, db_->CostPropertyCount());
  shared_ptr<CostDriverDouble> thickness =
      boost::dynamic_pointer_cast<CostDriverDouble>(db_->CostPropertyAt(0));
  shared_ptr<CostDriverInt> count =
      boost::dynamic_pointer_cast<CostDriverInt>(db_->CostPropertyAt(1));
  ASSERT_TRUE(thickness);
  ASSERT_TRUE(count);
  EXPECT_EQ("CD_THICK", thickness->id());
  EXPECT_EQ("Sheet thickness help", thickness->longHelp());
  EXPECT_EQ("Stored", thickness->category());
  EXPECT_EQ("1.5", thickness->stringValue());
  EXPECT_EQ("mm", thickness->measureUnit());
  EXPECT_DOUBLE_EQ(0.5, thickness->getMinValue());
  EXPECT_DOUBLE_EQ(12.0, thickness->getMaxValue());
  EXPECT_EQ(CostProperty::kLevelStandard, thickness->level());
  EXPECT_EQ("3", count->stringValue());
  EXPECT_EQ(CostProperty::kLevelAdvanced, count->level());
  // The milling step's factor for drawing is the same driver object.
  shared_ptr<ManufacturingStep> milling = db_->ManufacturingStepAt(0);
  EXPECT_EQ("MS_MILL", milling->id());
  EXPECT_FLOAT_EQ(85.5f, milling->CostPerHour());
  EXPECT_FLOAT_EQ(3.0f, milling->OperationFactor("Draw"));
  count->setValue(7);
  EXPECT_FLOAT_EQ(7.0f, milling->OperationFactor("Draw"));
}

TEST_P(StoredArchiveTest, AssemblyComponentsAndOperationConnect) {
  ASSERT_EQ(1, db_->BaseAssemblyCount());
  EXPECT_EQ("Die set", dieSet()->label());
  ASSERT_EQ(2, dieSet()->ComponentCount());
  EXPECT_EQ(2, dieSet()->AmountAt(0));
  EXPECT_EQ(4, dieSet()->AmountAt(1));
  EXPECT_EQ(1, dieSet()->mergeBehaviorAt(0));
  EXPECT_EQ(0, dieSet()->mergeBehaviorAt(1));
  shared_ptr<Component> cam = dieSet()->ComponentAt(0);
  shared_ptr<Component> pin = dieSet()->ComponentAt(1);
  EXPECT_EQ("Cam slide", cam->label());
  EXPECT_EQ("F\xFChrungsstift", pin->label());
  EXPECT_EQ("CT_900_00", cam->getComponentKey());
  EXPECT_EQ("CT_100_01", pin->getComponentKey());
  EXPECT_EQ(2, cam->state());
  EXPECT_TRUE(cam->noDBMatch());
  EXPECT_EQ(0, pin->state());
  EXPECT_FALSE(pin->noDBMatch());
  ASSERT_EQ(1, cam->parameterCount());
  EXPECT_EQ("P_DIA", cam->parameterAt(0)->id());
  EXPECT_EQ(Component::kRoundUp, cam->roundingRuleAt(0));
  EXPECT_DOUBLE_EQ(10.0, cam->standardMinAt(0));
  EXPECT_DOUBLE_EQ(80.0, cam->standardMaxAt(0));
  // The single operation of the old component layout becomes the
  // component's operation, one object for both components.
  ASSERT_EQ(1u, cam->operations().size());
  shared_ptr<Operation> draw = cam->operation();
  ASSERT_TRUE(draw);
  EXPECT_EQ(draw, pin->operation());
  EXPECT_FALSE(draw->baseAssembly());
  EXPECT_EQ("OP10", draw->label());
  EXPECT_EQ("Draw", draw->type());
  EXPECT_FALSE(draw->ShouldBeEmpty());
  EXPECT_FALSE(draw->getCommentProperty());
  EXPECT_FLOAT_EQ(150.0f, draw->LengthMinimum());
  ASSERT_EQ(1, draw->CostDriverCount());
  EXPECT_EQ(db_->CostPropertyAt(0), draw->CostDriverAt(0));
}

TEST_P(StoredArchiveTest, CostFactorySlotSharesTheDatabasesObjects) {
  shared_ptr<ComponentCostFactory> factory = db_->componentCostFactory();
  ASSERT_TRUE(factory);
  ASSERT_EQ(1, factory->ComponentCostsValueSlotCount());
  const ComponentCostsValueSlot* slot = factory->ComponentCostsValueSlotAt(0);
  ASSERT_EQ(1, slot->ComponentCostValueRangeCount());
  const ComponentCostValueRange* range = slot->ComponentCostValueRangeAt(0);
  EXPECT_EQ(ComponentCostValueRange::kDoubleRange, range->type());
  EXPECT_EQ(QStringList({QString::fromUtf8("Gr\xC3\xB6\xC3\x9F" "e A"), "B"}),
            range->stringValues());
  EXPECT_EQ(std::vector<float>({10.0f, 20.5f, 80.0f}), range->Values());
  EXPECT_FLOAT_EQ(10.0f, range->DoubleMin());
  EXPECT_FLOAT_EQ(80.0f, range->DoubleMax());
  EXPECT_FLOAT_EQ(0.5f, range->DoubleAccuracy());
  const ComponentCost& cost = slot->componentCost();
  EXPECT_EQ("Cam slide 40", cost.label());
  // Written in full inside the slot, then referred back to by the lists.
  EXPECT_EQ(dieSet()->ComponentAt(0), slot->component());
  ASSERT_EQ(1u, cost.information().size());
  EXPECT_EQ("Catalogue 1998", cost.information()[0].second);
  ASSERT_EQ(1u, cost.stepAmounts().size());
  EXPECT_EQ(db_->ManufacturingStepAt(0), cost.stepAmounts().begin()->first);
  EXPECT_EQ("1.25",
            cost.stepAmounts().begin()->second->formulaAt(0));
  ASSERT_EQ(1u, cost.materialAmounts().size());
  EXPECT_EQ(db_->toolMaterialAt(0), cost.materialAmounts().begin()->first);
}

TEST_P(StoredArchiveTest, SavingWritesTodaysLayoutWithTheSameContent) {
  const std::string saved = velktest::archiveBytes(*db_);
  // Today's layout: the signature's length in 8 bytes.
  EXPECT_EQ(std::string("\x16\0\0\0\0\0\0\0", 8), saved.substr(0, 8));
  shared_ptr<CostDatabase> again = velktest::readArchive(saved);
  EXPECT_EQ(db_->id(), again->id());
  ASSERT_EQ(2, again->toolMaterialCount());
  EXPECT_EQ(again->PriceUnitAt(0), again->toolMaterialAt(1)->priceUnit());
  EXPECT_EQ("J\xFCrgen", again->informationDataAt(1));
  EXPECT_EQ(saved, velktest::archiveBytes(*again));
}

INSTANTIATE_TEST_SUITE_P(LibraryVersions, StoredArchiveTest,
                         ::testing::Values("stored-v3.vdb", "stored-v4.vdb",
                                           "stored-v5.vdb",
                                           "stored-current.vdb"));

TEST(StoredArchiveFileTest, FromFileReadsTheStoredLayout) {
  CostDatabase db;
  velktest::DebugCapture log;
  ASSERT_TRUE(CostDatabase::FromFile(
      QString::fromStdString(dataPath("stored-v3.vdb")), db))
      << log.joined();
  EXPECT_EQ("1999-12-31T23:59:58", db.id());
  EXPECT_EQ(db.PriceUnitAt(0), db.toolMaterialAt(0)->priceUnit());
}

TEST(StoredArchiveFileTest, OneStepUpgradeWritesTodaysLayoutBesideTheOld) {
  char folder[] = "/tmp/velkdata_stored_XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(folder));
  const std::string oldPath = std::string(folder) + "/old.vdb";
  const std::string newPath = std::string(folder) + "/new.vdb";
  const std::string stored = readFile(dataPath("stored-v5.vdb"));
  std::ofstream(oldPath, std::ios::binary) << stored;

  CostDatabase db;
  velktest::DebugCapture log;
  ASSERT_TRUE(CostDatabase::FromFile(QString::fromStdString(oldPath), db))
      << log.joined();
  db.ToFile(db, newPath.c_str());

  EXPECT_EQ(stored, readFile(oldPath));
  const std::string upgraded = readFile(newPath);
  EXPECT_EQ(velktest::archiveBytes(db), upgraded);
  CostDatabase again;
  ASSERT_TRUE(CostDatabase::FromFile(QString::fromStdString(newPath), again))
      << log.joined();
  EXPECT_EQ("1999-12-31T23:59:58", again.id());
  EXPECT_EQ(again.PriceUnitAt(0), again.toolMaterialAt(1)->priceUnit());
  EXPECT_EQ(again.CostPropertyAt(0),
            again.BaseAssemblyAt(0)->ComponentAt(0)->operation()->CostDriverAt(0));
  std::remove(oldPath.c_str());
  std::remove(newPath.c_str());
  rmdir(folder);
}

TEST(StoredArchiveFileTest, ReaderTellsTheLayoutFromTheHeader) {
  std::istringstream stored(readFile(dataPath("stored-v4.vdb")));
  CheckedIArchive narrow(stored);
  EXPECT_TRUE(narrow.IsNarrowLayout());
  EXPECT_EQ(4u, static_cast<unsigned int>(narrow.get_library_version()));
  std::istringstream ours(readFile(dataPath("stored-current.vdb")));
  CheckedIArchive wide(ours);
  EXPECT_FALSE(wide.IsNarrowLayout());
}

}  // namespace
