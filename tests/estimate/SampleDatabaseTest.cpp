#include <gtest/gtest.h>

#include <string>

#include "velkdata/velkdata.h"

namespace {

using VelkData::buildSampleDatabase;

std::string lineTypes(const TamberData::ProcessDatabase& plan) {
  std::string types;
  for (int i = 0; i < plan.OperationCount(); ++i) {
    if (i) types += " ";
    types += plan.OperationAt(i)->label() + ":" + plan.OperationTypeAt(i);
  }
  return types;
}

TEST(SampleDatabaseTest, PressLineDrawsTrimsFlangesAndPierces) {
  const boost::shared_ptr<VelkData::CostDatabase> db = buildSampleDatabase();
  const boost::shared_ptr<TamberData::ProcessDatabase> plan = db->ProcessDB();
  ASSERT_TRUE(plan);
  EXPECT_EQ("OP10:DRAW OP20:TRIM OP30:FLANGE OP40:PIERCE", lineTypes(*plan));
  EXPECT_EQ("EUR", db->Currency());
}

TEST(SampleDatabaseTest, OperationDriversReadThePartDimensions) {
  const boost::shared_ptr<VelkData::CostDatabase> db = buildSampleDatabase();
  const boost::shared_ptr<TamberData::ProcessDatabase> plan = db->ProcessDB();
  // Die length: part length plus the draw die's margin of 600 mm, and the
  // value reaches the stage the simulation reads.
  EXPECT_FLOAT_EQ(1800.0f, plan->OperationAt(0)->LengthValue()->doubleValue());
  EXPECT_DOUBLE_EQ(1800.0, plan->OperationAt(0)->stage()->toolLength());
  EXPECT_FLOAT_EQ(1600.0f, plan->OperationAt(1)->LengthValue()->doubleValue());

  // A changed part dimension travels to every operation's die.
  boost::shared_ptr<VelkData::CostDriver> length =
      boost::dynamic_pointer_cast<VelkData::CostDriver>(
          db->CostPropertyByID("PART_LENGTH"));
  ASSERT_TRUE(length);
  length->setValue(1500.0f);
  EXPECT_FLOAT_EQ(2100.0f, plan->OperationAt(0)->LengthValue()->doubleValue());
  EXPECT_FLOAT_EQ(1900.0f, plan->OperationAt(3)->LengthValue()->doubleValue());
}

TEST(SampleDatabaseTest, FlangeAndPierceShareOneDieSet) {
  const boost::shared_ptr<VelkData::CostDatabase> db = buildSampleDatabase();
  const boost::shared_ptr<TamberData::ProcessDatabase> plan = db->ProcessDB();
  const auto flange = plan->OperationAt(2)->baseAssembly();
  const auto pierce = plan->OperationAt(3)->baseAssembly();
  EXPECT_EQ(flange->getLowerDieSet(), pierce->getLowerDieSet());
  EXPECT_EQ(flange->getUpperDieSet(), pierce->getUpperDieSet());
  EXPECT_TRUE(pierce->getLowerDieSet()->isOPShared());
  EXPECT_NE(plan->OperationAt(1)->baseAssembly()->getLowerDieSet(),
            flange->getLowerDieSet());
  EXPECT_EQ((std::vector<int>{0, 1, 2, 2}), plan->getDiesetConfig(false));
}

TEST(SampleDatabaseTest,
     ProcessingUnitsInstantiateComponentsInTheirOperations) {
  const boost::shared_ptr<VelkData::CostDatabase> db = buildSampleDatabase();
  const boost::shared_ptr<TamberData::ProcessDatabase> plan = db->ProcessDB();
  // 4000 mm of trim line in steels of at most 500 mm.
  const auto trimUnits = plan->getProcUnitsFromOP(plan->OperationAt(1));
  ASSERT_EQ(1u, trimUnits.size());
  EXPECT_EQ(8, trimUnits[0]->componentCount());
  // One punch per hole, its diameter read from the hole's circumference.
  const auto pierceUnits = plan->getProcUnitsFromOP(plan->OperationAt(3));
  ASSERT_EQ(6u, pierceUnits.size());
  const auto punch = pierceUnits[5]->componentAt(0);
  ASSERT_TRUE(punch);
  EXPECT_NEAR(20.0, punch->parameterAt(0)->doubleValue(), 1e-4);
  EXPECT_EQ(plan->OperationAt(3), punch->operation());
}

TEST(SampleDatabaseTest, ScalesToLongerPressLines) {
  const boost::shared_ptr<VelkData::CostDatabase> db = buildSampleDatabase(10);
  const boost::shared_ptr<TamberData::ProcessDatabase> plan = db->ProcessDB();
  ASSERT_EQ(10, plan->OperationCount());
  EXPECT_EQ("PIERCE", plan->OperationTypeAt(7));
  EXPECT_EQ("DRAW", plan->OperationTypeAt(8));
  EXPECT_EQ(plan->OperationAt(6)->baseAssembly()->getLowerDieSet(),
            plan->OperationAt(7)->baseAssembly()->getLowerDieSet());
  EXPECT_EQ(10, db->PressAt(0)->stageCount());
  // Too short a line still gets the four operations of one part.
  EXPECT_EQ(4, buildSampleDatabase(1)->ProcessDB()->OperationCount());
}

}  // namespace
