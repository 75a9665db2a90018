#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "external/LINEFEATURE.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"
#include "processplan/ProcessingUnit.h"
#include "processplan/ValueNotFoundException.h"
#include "support/TestUtil.h"

namespace {

using TamberData::FeatureTypeIDs;
using TamberData::PartGeometryPatch;

VelkUtils::PATCHFEATURE record(int fid) {
  VelkUtils::PATCHFEATURE patch;
  patch.setName("patch " + std::to_string(fid));
  patch.setFid(fid);
  patch.type = 2;
  patch.circumference = 62.8;
  patch.trimCircumference = 70.0;
  patch.area = 314.0;
  return patch;
}

TEST(PartGeometryPatchTest, ValueAnswersThePatchParameters) {
  PartGeometryPatch patch("PlungingRound", boost::shared_ptr<FeatureTypeIDs>(),
                          record(3));
  const std::pair<const char*, double> cases[] = {
      {"CIRCUMFERENCE", 62.8}, {"LENGTH", 62.8}, {"TRIMCIRCUMFERENCE", 70.0},
      {"SURFACE", 314.0},      {"TYPE", 1.0},    {"WIDTH", 0.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, patch.value(c.first));
  }
  EXPECT_THROW_MSG(patch.value("MAXDIAMETER"),
                   TamberData::ValueNotFoundException, "MAXDIAMETER");
  patch.setLength(10.0);
  EXPECT_EQ(10.0, patch.patchFeature().circumference);
  EXPECT_EQ(70.0, patch.trimCircumference());
}

TEST(PartGeometryPatchTest, IsAPatchWithTheRecordsIdentity) {
  VelkUtils::PATCHFEATURE stored = record(3);
  stored.setTipGroup(1);
  PartGeometryPatch patch(boost::shared_ptr<FeatureTypeIDs>(), stored);
  EXPECT_TRUE(patch.isPatchFeature());
  EXPECT_FALSE(patch.isGroup());
  EXPECT_EQ(3, patch.getFID());
  EXPECT_EQ(1, patch.getPartSide());
  EXPECT_EQ("patch 3", patch.label());
  EXPECT_EQ(2, patch.patchFeature().type);
  patch.setType("Reform");
  EXPECT_EQ(4, patch.patchFeature().type);
}

TEST(PartGeometryPatchTest, EqualsOnlyPatchesWithEqualRecords) {
  boost::shared_ptr<PartGeometryPatch> patch =
      boost::make_shared<PartGeometryPatch>(boost::shared_ptr<FeatureTypeIDs>(),
                                            record(3));
  EXPECT_TRUE(patch->equals(boost::make_shared<PartGeometryPatch>(
      boost::shared_ptr<FeatureTypeIDs>(), record(3))));
  EXPECT_FALSE(patch->equals(boost::make_shared<PartGeometryPatch>(
      boost::shared_ptr<FeatureTypeIDs>(), record(4))));
  EXPECT_FALSE(patch->equals(boost::make_shared<TamberData::PartGeometryCurve>(
      boost::shared_ptr<FeatureTypeIDs>(), VelkUtils::LINEFEATURE())));
}

TEST(PartGeometryPatchTest, ExportGoesToThePatchList) {
  boost::shared_ptr<PartGeometryPatch> patch =
      boost::make_shared<PartGeometryPatch>(boost::shared_ptr<FeatureTypeIDs>(),
                                            record(3));
  boost::shared_ptr<TamberData::ProcessingUnit> unit =
      boost::make_shared<TamberData::ProcessingUnit>(
          "draw", "PlungingRound", boost::shared_ptr<TamberData::Constraint>(),
          TamberData::ProcessingUnit::kNoCam, "filling_cam_draw_g");
  patch->addProcessingUnit(unit, patch);
  patch->addChild(boost::make_shared<PartGeometryPatch>(
      boost::shared_ptr<FeatureTypeIDs>(), record(8)));

  std::vector<VelkUtils::LINEFEATURE> lines;
  std::vector<VelkUtils::PATCHFEATURE> patches;
  patch->getFeature(lines, patches);
  EXPECT_TRUE(lines.empty());
  ASSERT_EQ(1u, patches.size());
  ASSERT_EQ(1u, patches[0].getProcessingUnitVector().size());
  EXPECT_EQ(3, patches[0].getProcessingUnitVector()[0].operationKind);
  EXPECT_EQ((std::vector<int>{8}), patches[0].includedFeatureIDS());
  patch->clearProcessingUnits();
}

}  // namespace
