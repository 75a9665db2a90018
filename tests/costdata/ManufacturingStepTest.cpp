#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>

#include "costdata/CostDriverDouble.h"
#include "costdata/ManufacturingStep.h"

namespace VelkData {
namespace {

boost::shared_ptr<CostDriverDouble> makeFactor(const std::string& id,
                                               float value) {
  boost::shared_ptr<CostDriverDouble> factor(new CostDriverDouble(id));
  factor->setValue(value);
  return factor;
}

TEST(ManufacturingStepTest, OperationFactorIsZeroWithoutEntry) {
  ManufacturingStep step("MILL");
  EXPECT_EQ(0.0f, step.OperationFactor("DRAW"));
  EXPECT_FALSE(step.GetOperationFactor("DRAW"));

  step.SetOperationFactor("TRIM", makeFactor("F_TRIM", 1.5f));
  EXPECT_EQ(0.0f, step.OperationFactor("DRAW"));
  EXPECT_EQ(0.0f, step.OperationFactor("trim"));
  EXPECT_EQ(0.0f, step.OperationFactor(""));

  step.SetOperationFactor("FLANGE", boost::shared_ptr<CostDriver>());
  EXPECT_EQ(0.0f, step.OperationFactor("FLANGE"));
}

TEST(ManufacturingStepTest, OperationFactorReadsTheDriverValueEachTime) {
  ManufacturingStep step("MILL");
  boost::shared_ptr<CostDriverDouble> factor = makeFactor("F_TRIM", 1.5f);
  step.SetOperationFactor("TRIM", factor);
  EXPECT_EQ(1.5f, step.OperationFactor("TRIM"));
  factor->setValue(2.25f);
  EXPECT_EQ(2.25f, step.OperationFactor("TRIM"));
}

TEST(ManufacturingStepTest, SetOperationFactorReplacesEntry) {
  ManufacturingStep step("MILL");
  step.SetOperationFactor("TRIM", makeFactor("F1", 1.5f));
  boost::shared_ptr<CostDriverDouble> second = makeFactor("F2", 3.0f);
  step.SetOperationFactor("TRIM", second);
  EXPECT_EQ(second.get(), step.GetOperationFactor("TRIM").get());
  EXPECT_EQ(3.0f, step.OperationFactor("TRIM"));
}

TEST(ManufacturingStepTest, CloneSharesFactorDriversButNotTheMap) {
  ManufacturingStep step("MILL");
  step.setLabel("Milling");
  step.SetCostPerHour(85.0f);
  boost::shared_ptr<CostDriverDouble> trim = makeFactor("F_TRIM", 1.5f);
  boost::shared_ptr<CostDriverDouble> draw = makeFactor("F_DRAW", 2.0f);
  step.SetOperationFactor("TRIM", trim);
  step.SetOperationFactor("DRAW", draw);

  boost::shared_ptr<ManufacturingStep> copy = step.clone();
  ASSERT_TRUE(copy);
  EXPECT_EQ("MILL", copy->id());
  EXPECT_EQ("Milling", copy->label());
  EXPECT_EQ(85.0f, copy->CostPerHour());
  EXPECT_EQ(trim.get(), copy->GetOperationFactor("TRIM").get());
  EXPECT_EQ(draw.get(), copy->GetOperationFactor("DRAW").get());

  trim->setValue(4.0f);
  EXPECT_EQ(4.0f, copy->OperationFactor("TRIM"));

  copy->SetOperationFactor("DRAW", makeFactor("F_OTHER", 7.0f));
  copy->SetOperationFactor("PIERCE", makeFactor("F_PIERCE", 1.0f));
  EXPECT_EQ(draw.get(), step.GetOperationFactor("DRAW").get());
  EXPECT_FALSE(step.GetOperationFactor("PIERCE"));
}

TEST(ManufacturingStepTest, NewStepCostsOnePerHour) {
  EXPECT_EQ(1.0f, ManufacturingStep("MILL").CostPerHour());
  EXPECT_EQ(1.0f, ManufacturingStep().CostPerHour());
}

TEST(ManufacturingStepTest, EqualityComparesIdentifiersOnly) {
  ManufacturingStep a("MILL");
  ManufacturingStep b("MILL");
  b.setLabel("other");
  b.SetCostPerHour(99.0f);
  b.SetOperationFactor("TRIM", makeFactor("F", 1.0f));
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_FALSE(a == ManufacturingStep("GRIND"));
}

TEST(ManufacturingStepTest, MetaObjectNamesTheClass) {
  EXPECT_STREQ("VelkData::ManufacturingStep",
               ManufacturingStep::staticMetaObject.className());
  ManufacturingStep step("MILL");
  EXPECT_STREQ("VelkData::ManufacturingStep", step.metaObject()->className());
  EXPECT_TRUE(step.inherits("VelkData::ManufacturingStep"));
}

}  // namespace
}  // namespace VelkData
