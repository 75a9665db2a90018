#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <boost/pointer_cast.hpp>
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "external/DrawingStage.h"
#include "external/Stage.h"

namespace {

using VelkUtils::DrawingStage;
using VelkUtils::Stage;

void fill(Stage& stage) {
  stage.setLabel("OP20");
  stage.setDescription("second draw");
  stage.setTypeString("Draw");
  stage.setStageType("forming");
  stage.setStageID(20);
  stage.setToolLength(1200.0);
  stage.setToolWidth(800.0);
  stage.setToolHeight(600.0);
  stage.setTippingVector({0.0, 0.0, 1.0});
  stage.setAllowedOperationTypes({"Draw", "Redraw"});
}

void expectFilled(const Stage& stage) {
  EXPECT_EQ("OP20", stage.Label());
  EXPECT_EQ("second draw", stage.description());
  EXPECT_EQ("Draw", stage.typeString());
  EXPECT_EQ(Stage::kFormingStage, stage.getStageType());
  EXPECT_EQ(20, stage.getStageID());
  EXPECT_EQ(1200.0, stage.toolLength());
  EXPECT_EQ(800.0, stage.toolWidth());
  EXPECT_EQ(600.0, stage.toolHeight());
  EXPECT_EQ(std::vector<double>({0.0, 0.0, 1.0}), stage.getTippingVector());
  EXPECT_EQ(std::vector<std::string>({"Draw", "Redraw"}),
            stage.AllowedOperationTypes());
}

TEST(StageTest, CloneCopiesFieldsAndStaysIndependent) {
  Stage source;
  fill(source);
  boost::shared_ptr<Stage> copy = source.clone();
  ASSERT_TRUE(copy);
  ASSERT_NE(&source, copy.get());
  expectFilled(*copy);

  copy->setLabel("OP30");
  copy->setStageID(0);
  copy->setTippingVector({1.0, 0.0, 0.0});
  copy->setStageType("trimming");
  copy->AddAllowedOperationType("Trim");
  expectFilled(source);
}

TEST(StageTest, StageTypeNamesMapBothWays) {
  const struct {
    const char* name;
    int type;
  } cases[] = {
      {"undefined", 0}, {"blanking", 1}, {"forming", 2},  {"Forming", 2},
      {"trimming", 3},  {"flanging", 4}, {"PIERCING", 5}, {"draw", 0},
      {"", 0},          {"forming ", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Stage stage;
    stage.setStageType("flanging");
    stage.setStageType(c.name);
    EXPECT_EQ(c.type, stage.getStageType());
  }
  for (int type = Stage::kUndefinedStage; type <= Stage::kPiercingStage;
       ++type) {
    Stage stage;
    stage.setStageType(Stage::stageTypeName(type));
    EXPECT_EQ(type, stage.getStageType());
  }
  EXPECT_EQ("undefined", Stage::stageTypeName(6));
  EXPECT_EQ("undefined", Stage::stageTypeName(-1));
}

TEST(StageTest, CostPropertyListHoldsNoEmptyPointers) {
  Stage stage;
  stage.AddCostProperty(boost::shared_ptr<VelkData::CostProperty>());
  EXPECT_EQ(0, stage.CostPropertyCount());
  EXPECT_FALSE(stage.CostPropertyAt(0));
  EXPECT_FALSE(stage.CostPropertyAt(-1));
}

TEST(DrawingStageTest, CloneIsDrawingStage) {
  DrawingStage source("OP10");
  fill(source);
  const boost::shared_ptr<Stage> copy = source.clone();
  const boost::shared_ptr<DrawingStage> drawing =
      boost::dynamic_pointer_cast<DrawingStage>(copy);
  ASSERT_TRUE(drawing);
  EXPECT_NE(&source, drawing.get());
  expectFilled(*drawing);
  EXPECT_FALSE(drawing->drawingTypeDriver());

  const boost::shared_ptr<Stage> plain = Stage().clone();
  EXPECT_FALSE(boost::dynamic_pointer_cast<DrawingStage>(plain));
}

}  // namespace

namespace VelkUtils {
namespace {

TEST(StageTest, CloneOwnsClonesOfTheCostProperties) {
  Stage source("S1");
  auto width = boost::make_shared<VelkData::CostDriverDouble>("CD_ST_07");
  width->setValue(1200);
  source.AddCostProperty(width);
  boost::shared_ptr<Stage> copy = source.clone();
  ASSERT_EQ(1, copy->CostPropertyCount());
  auto copied = boost::dynamic_pointer_cast<VelkData::CostDriverDouble>(
      copy->CostPropertyAt(0));
  ASSERT_TRUE(copied);
  EXPECT_NE(width, copied);
  EXPECT_EQ("CD_ST_07", copied->id());
  copied->setValue(900);
  EXPECT_EQ(1200.0f, width->doubleValue());
  EXPECT_EQ(900.0f, copied->doubleValue());
}

TEST(StageTest, DrawingStageCloneKeepsItsDriverAmongItsProperties) {
  DrawingStage source("D1");
  auto type = boost::make_shared<VelkData::CostDriverEnum>("CD_ST_DT");
  type->setValues({1, 2}, {"single action", "double action"});
  type->setValue(2.0f);
  source.AddCostProperty(type);
  source.setDrawingTypeDriver(type);
  EXPECT_EQ("double action", source.DrawingTypeString());
  EXPECT_EQ(2.0, source.DrawingTypeValue());

  auto copy = boost::dynamic_pointer_cast<DrawingStage>(source.clone());
  ASSERT_TRUE(copy);
  EXPECT_NE(type, copy->drawingTypeDriver());
  EXPECT_EQ(copy->CostPropertyAt(0), copy->drawingTypeDriver());
  copy->drawingTypeDriver()->setValue(1.0f);
  EXPECT_EQ("single action", copy->DrawingTypeString());
  EXPECT_EQ("double action", source.DrawingTypeString());

  DrawingStage bare("D2");
  EXPECT_EQ("", bare.DrawingTypeString());
  EXPECT_EQ(0.0, bare.DrawingTypeValue());
}

}  // namespace
}  // namespace VelkUtils
