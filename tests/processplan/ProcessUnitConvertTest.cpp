#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>

#include "UnitSupport.h"
#include "costdata/Component.h"
#include "external/VELKO_PROCESSUNIT.h"
#include "processplan/ProcessUnitConvert.h"
#include "processplan/ProcessingUnit.h"
#include "support/TestUtil.h"

namespace TamberData {
namespace {

using velktest::makeAmount;
using velktest::makeComponent;
using velktest::makeOperation;
using velktest::makeUnit;

// Converts `unit` and frees the label again, keeping its text.
VelkUtils::VELKO_PROCESSUNIT convert(
    const boost::shared_ptr<ProcessingUnit>& unit, std::string* label) {
  VelkUtils::VELKO_PROCESSUNIT record =
      ProcessUnitConvert::convertProcessUnit(unit);
  if (record.label) *label = record.label;
  VelkUtils::freeProcessUnitLabel(record);
  return record;
}

TEST(ProcessUnitConvertTest, ImageNameGivesTheOperationKind) {
  struct Case {
    const char* imageName;
    int kind;
  } const cases[] = {
      {"pierce_g", 0},
      {"trimming_g", 1},
      {"trimming_in_segments_1_g", 1},
      {"trimming_in_segments_g", 1},
      {"redraw_g", 2},
      {"draw_g", 3},
      {"forming_g", 4},
      {"flanging_g", 5},
      {"extruding_g", 6},
      {"flanging_up_g", 7},
      {"filling_cam_draw_g", 3},
      {"cam_forming_g", 4},
      {"cam_flanging_up_g", 7},
      // Only one prefix is dropped, and only at the start.
      {"cam_filling_cam_draw_g", -1},
      {"filling_cam_cam_draw_g", -1},
      {"xcam_draw_g", -1},
      {"filling_draw_g", -1},
      {"embossing_g", -1},
      {"pierce", -1},
      {"Pierce_g", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.imageName);
    EXPECT_EQ(c.kind, ProcessUnitConvert::operationKind(c.imageName));
    std::string label;
    EXPECT_EQ(
        c.kind,
        convert(makeUnit("Unit", ProcessingUnit::kNoCam, c.imageName), &label)
            .operationKind);
  }
}

TEST(ProcessUnitConvertTest, RecordCarriesIdCamStageAndALabelCopy) {
  boost::shared_ptr<ProcessingUnit> unit =
      makeUnit("Pierce \xFC", ProcessingUnit::kFillerCam, "filling_cam_draw_g");
  unit->setOperation(makeOperation({0, 0, 1}, 7));

  VelkUtils::VELKO_PROCESSUNIT record =
      ProcessUnitConvert::convertProcessUnit(unit);
  ASSERT_NE(nullptr, record.label);
  EXPECT_NE(unit->label().c_str(), record.label);
  EXPECT_EQ("Pierce \xFC", std::string(record.label));
  EXPECT_EQ(unit->getProcID(), record.procId);
  EXPECT_EQ(2, record.camType);
  EXPECT_EQ(3, record.operationKind);
  EXPECT_EQ(7, record.stageId);
  EXPECT_EQ(-1, record.sharedCamProcId);
  VelkUtils::freeProcessUnitLabel(record);
}

TEST(ProcessUnitConvertTest, StageIsMinusOneWithoutOperationOrStage) {
  boost::shared_ptr<ProcessingUnit> unit = makeUnit("Pierce");
  std::string label;
  EXPECT_EQ(-1, convert(unit, &label).stageId);
  EXPECT_EQ("Pierce", label);
  unit->setOperation(boost::make_shared<VelkData::Operation>("OP10", "DRAW"));
  EXPECT_EQ(-1, convert(unit, &label).stageId);
  unit->setOperation(makeOperation({0, 0, 1}, 0));
  EXPECT_EQ(0, convert(unit, &label).stageId);
}

TEST(ProcessUnitConvertTest, SharedCamIsReportedOnlyForCamUnits) {
  boost::shared_ptr<ProcessingUnit> partner = makeUnit("Partner");
  partner->setIndex(2);
  std::string label;
  for (ProcessingUnit::CamType camType :
       {ProcessingUnit::kNoCam, ProcessingUnit::kCam,
        ProcessingUnit::kFillerCam}) {
    SCOPED_TRACE(camType);
    boost::shared_ptr<ProcessingUnit> unit =
        makeUnit("Slide", camType, "cam_trimming_g");
    unit->addSourceComponent(makeComponent("Cam", "CT_000_00"), makeAmount("1"),
                             true);
    unit->componentAt(0)->addRelatedProcessingUnit(partner);
    EXPECT_EQ(camType == ProcessingUnit::kNoCam ? -1 : partner->getProcID(),
              convert(unit, &label).sharedCamProcId);
    velktest::unrelateComponents(*unit);
  }
}

TEST(ProcessUnitConvertTest, EmptyUnitGivesANeutralRecord) {
  VelkUtils::VELKO_PROCESSUNIT record = ProcessUnitConvert::convertProcessUnit(
      boost::shared_ptr<ProcessingUnit>());
  EXPECT_EQ(-1, record.procId);
  EXPECT_EQ(-1, record.operationKind);
  EXPECT_EQ(nullptr, record.label);
  EXPECT_EQ(-1, record.stageId);
  EXPECT_EQ(0, record.camType);
  EXPECT_EQ(-1, record.sharedCamProcId);
}

}  // namespace
}  // namespace TamberData
