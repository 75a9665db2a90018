#include <gtest/gtest.h>

#include <QString>
#include <limits>

#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using namespace TamberData;
using boost::shared_ptr;

namespace {

// The archives were made by tests/persistence/legacy/LegacyArchiveWriter,
// which writes the layouts of earlier class versions without any library
// code.
class OldVersionTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const std::string path = velktest::dataPath(
        "legacy/component-v" + std::to_string(GetParam()) + ".vdb");
    bytes_ = velktest::readFile(path);
    ASSERT_FALSE(bytes_.empty()) << path;
    db_ = velktest::readArchive(bytes_);
  }

  shared_ptr<Component> component(int i) {
    return db_->BaseAssemblyAt(0)->ComponentAt(i);
  }

  std::string bytes_;
  shared_ptr<CostDatabase> db_;
};

TEST_P(OldVersionTest, DatabaseFieldsAreRead) {
  EXPECT_EQ("2011-03-04T05:06:07", db_->id());
  EXPECT_EQ("DEM", db_->Currency());
  EXPECT_FLOAT_EQ(0.5f, db_->ProcessCostSurcharge());
  EXPECT_DOUBLE_EQ(1e-6,
                   db_->UnitConversions()[QString::fromUtf8("mm\xC2\xB2")]);
  EXPECT_EQ("Release 2", db_->informationAt("Origin"));
  EXPECT_EQ("OT_10", db_->GetOpTypKey("Draw"));
  EXPECT_FALSE(db_->ProcessDB());
}

TEST_P(OldVersionTest, DatabaseBeforeVersionThreeHasNoRelationships) {
  EXPECT_EQ(0, db_->SharingRelationshipCount());
}

TEST_P(OldVersionTest, SurchargeBeforeVersionOneKeepsUserFactorOne) {
  ASSERT_EQ(1, db_->TotalCostSurchargeCount());
  shared_ptr<Surcharge> surcharge = db_->TotalCostSurchargeAt(0);
  EXPECT_EQ("SU_OLD", surcharge->id());
  EXPECT_EQ("0.1", surcharge->getFormulaString());
  EXPECT_DOUBLE_EQ(1.0, surcharge->userfactor());
}

TEST_P(OldVersionTest, PropertyBeforeVersionOneKeepsDefaultRange) {
  ASSERT_EQ(1, db_->CostPropertyCount());
  shared_ptr<CostDriverDouble> driver =
      boost::dynamic_pointer_cast<CostDriverDouble>(db_->CostPropertyAt(0));
  ASSERT_TRUE(driver);
  EXPECT_EQ("Old driver", driver->label());
  EXPECT_EQ(CostProperty::kLevelAdvanced, driver->level());
  EXPECT_EQ("2.5", driver->stringValue());
  EXPECT_EQ("mm", driver->measureUnit());
  EXPECT_DOUBLE_EQ(std::numeric_limits<double>::min(), driver->getMinValue());
  EXPECT_DOUBLE_EQ(std::numeric_limits<double>::max(), driver->getMaxValue());
}

TEST_P(OldVersionTest, AssemblyBeforeVersionOneMergesNothing) {
  shared_ptr<BaseAssembly> assembly = db_->BaseAssemblyAt(0);
  ASSERT_EQ(2, assembly->ComponentCount());
  EXPECT_EQ(0, assembly->mergeBehaviorAt(0));
  EXPECT_EQ(0, assembly->mergeBehaviorAt(1));
  EXPECT_EQ(2, assembly->AmountAt(0));
}

TEST_P(OldVersionTest, OperationBeforeVersionThreeHasNoComment) {
  shared_ptr<Operation> operation = component(0)->operation();
  ASSERT_TRUE(operation);
  EXPECT_EQ("OP10", operation->label());
  EXPECT_EQ("Draw", operation->type());
  EXPECT_TRUE(operation->ShouldBeEmpty());
  EXPECT_FALSE(operation->getCommentProperty());
}

TEST_P(OldVersionTest, SingleOperationBecomesTheComponentsOwn) {
  EXPECT_EQ(1u, component(0)->operations().size());
  EXPECT_FALSE(component(0)->isReferenceComponent());
  // The second component had no operation: it is a reference component.
  EXPECT_EQ(1u, component(1)->operations().size());
  EXPECT_TRUE(component(1)->isReferenceComponent());
}

TEST_P(OldVersionTest, ComponentKeyStateAndMatchFollowTheVersion) {
  if (GetParam() == 0) {
    // The key comes from the catalogue label, Windows-1252 bytes included.
    EXPECT_EQ("CT_000_00", component(0)->getComponentKey());
    EXPECT_EQ("CT_000_01", component(1)->getComponentKey());
  } else {
    EXPECT_EQ("CT_900_00", component(0)->getComponentKey());
    EXPECT_EQ("CT_900_01", component(1)->getComponentKey());
  }
  if (GetParam() < 2) {
    EXPECT_EQ(0, component(0)->state());
    EXPECT_FALSE(component(0)->noDBMatch());
  } else {
    EXPECT_EQ(2, component(0)->state());
    EXPECT_TRUE(component(0)->Deactivated());
    EXPECT_TRUE(component(0)->noDBMatch());
  }
}

TEST_P(OldVersionTest, ConvertedDatabaseIsSavedInTheCurrentVersion) {
  const std::string current = velktest::archiveBytes(*db_);
  EXPECT_NE(bytes_, current);
  shared_ptr<CostDatabase> again = velktest::readArchive(current);
  EXPECT_EQ(current, velktest::archiveBytes(*again));
  EXPECT_EQ(0, again->BaseAssemblyAt(0)->mergeBehaviorAt(1));
  EXPECT_EQ(db_->BaseAssemblyAt(0)->ComponentAt(0)->getComponentKey(),
            again->BaseAssemblyAt(0)->ComponentAt(0)->getComponentKey());
}

INSTANTIATE_TEST_SUITE_P(ComponentVersions, OldVersionTest,
                         ::testing::Values(0, 1, 2));

}  // namespace
