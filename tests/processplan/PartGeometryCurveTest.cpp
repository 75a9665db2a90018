#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cstring>
#include <string>
#include <vector>

#include "costdata/Operation.h"
#include "external/PATCHFEATURE.h"
#include "external/Stage.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"
#include "processplan/ProcessingUnit.h"
#include "processplan/ValueNotFoundException.h"
#include "support/TestUtil.h"

namespace {

using TamberData::FeatureTypeIDs;
using TamberData::PartFeature;
using TamberData::PartGeometryCurve;
using TamberData::ProcessingUnit;

VelkUtils::LINEFEATURE record(int fid, double length, double area) {
  VelkUtils::LINEFEATURE line;
  line.setName("curve " + std::to_string(fid));
  line.setFid(fid);
  line.type = 8;
  line.length = length;
  line.area = area;
  return line;
}

class PartGeometryCurveTest : public ::testing::Test {
 protected:
  PartGeometryCurveTest() : ids_(boost::make_shared<FeatureTypeIDs>()) {
    (*ids_)["HoleRound"] = 8;
  }

  void TearDown() override {
    // Units point back at their feature.
    for (const boost::shared_ptr<PartGeometryCurve>& curve : made_) {
      curve->clearProcessingUnits();
    }
  }

  boost::shared_ptr<PartGeometryCurve> curve(int fid, double length = 10.0,
                                             double area = 5.0) {
    made_.push_back(boost::make_shared<PartGeometryCurve>(
        "HoleRound", ids_, record(fid, length, area)));
    return made_.back();
  }

  boost::shared_ptr<ProcessingUnit> unit(const std::string& label,
                                         const std::string& image) {
    return boost::make_shared<ProcessingUnit>(
        label, "HoleRound", boost::shared_ptr<TamberData::Constraint>(),
        ProcessingUnit::kNoCam, image);
  }

  // An operation running on a stage with simulation id `stageId`.
  boost::shared_ptr<VelkData::Operation> operationOnStage(int stageId) {
    boost::shared_ptr<VelkUtils::Stage> stage =
        boost::make_shared<VelkUtils::Stage>("OP" + std::to_string(stageId));
    stage->setStageID(stageId);
    boost::shared_ptr<VelkData::Operation> operation =
        boost::make_shared<VelkData::Operation>("OP", "Pierce");
    operation->SetStage(stage);
    return operation;
  }

  boost::shared_ptr<FeatureTypeIDs> ids_;
  std::vector<boost::shared_ptr<PartGeometryCurve>> made_;
};

TEST_F(PartGeometryCurveTest, LengthIsAlsoTheCircumference) {
  boost::shared_ptr<PartGeometryCurve> c = curve(1, 31.4, 78.5);
  const std::pair<const char*, double> cases[] = {{"LENGTH", 31.4},
                                                  {"CIRCUMFERENCE", 31.4},
                                                  {"SURFACE", 78.5},
                                                  {"TYPE", 8.0},
                                                  {"WIDTH", 0.0}};
  for (const auto& c2 : cases) {
    SCOPED_TRACE(c2.first);
    EXPECT_EQ(c2.second, c->value(c2.first));
  }
  EXPECT_THROW_MSG(c->value("MAXDIAMETER"), TamberData::ValueNotFoundException,
                   "MAXDIAMETER");
  EXPECT_THROW_MSG(c->value("TRIMCIRCUMFERENCE"),
                   TamberData::ValueNotFoundException, "TRIMCIRCUMFERENCE");
  c->setLength(12.0);
  c->setArea(3.0);
  EXPECT_EQ(12.0, c->curveFeature().length);
  EXPECT_EQ(3.0, c->value("SURFACE"));
}

TEST_F(PartGeometryCurveTest, TypeAndRecogniserCodeStayInStep) {
  VelkUtils::LINEFEATURE line = record(1, 1.0, 1.0);
  line.type = 13;
  PartGeometryCurve undetermined(ids_, line);
  EXPECT_EQ("Undetermined", undetermined.type());
  EXPECT_EQ(13, undetermined.curveFeature().type);

  undetermined.setType("HoleRect");
  EXPECT_EQ(9, undetermined.curveFeature().type);
  undetermined.setType("Slot");
  EXPECT_EQ(-1, undetermined.curveFeature().type);
  EXPECT_EQ("Slot", undetermined.type());

  PartGeometryCurve typed("OuterBoundary", ids_, line);
  EXPECT_EQ(12, typed.curveFeature().type);
}

TEST_F(PartGeometryCurveTest, ForwardsToTheRecord) {
  VelkUtils::LINEFEATURE line = record(42, 1.0, 1.0);
  line.setTipGroup(2);
  line.setProcessingDirection({0.0, 1.0, 0.0});
  line.cutableFromZ = true;
  PartGeometryCurve c(ids_, line);
  EXPECT_EQ("curve 42", c.label());
  c.SetLabel("renamed");
  EXPECT_EQ("renamed", c.curveFeature().name());
  EXPECT_EQ(42, c.getFID());
  EXPECT_EQ(2, c.getPartSide());
  EXPECT_EQ((std::deque<double>{0.0, 1.0, 0.0}), c.processingDirection());
  c.setBoundBox({0, 0, 0, 1, 2, 3});
  EXPECT_EQ((std::vector<double>{0, 0, 0, 1, 2, 3}),
            c.curveFeature().getBBox());
  EXPECT_TRUE(c.cutableFromZ());
  EXPECT_FALSE(c.isPatchFeature());
  EXPECT_FALSE(c.isGroup());
  EXPECT_EQ(-1.0, c.maxDiameter());
}

TEST_F(PartGeometryCurveTest, EqualsComparesRecords) {
  boost::shared_ptr<PartGeometryCurve> c = curve(1);
  EXPECT_TRUE(c->equals(c));
  EXPECT_TRUE(c->equals(curve(1)));
  EXPECT_FALSE(c->equals(curve(2)));
  EXPECT_FALSE(c->equals(curve(1, 11.0)));
  EXPECT_FALSE(c->equals(boost::shared_ptr<PartFeature>()));
  EXPECT_FALSE(c->equals(boost::make_shared<TamberData::PartGeometryPatch>(
      ids_, VelkUtils::PATCHFEATURE())));
  EXPECT_FALSE(c->equals(boost::make_shared<TamberData::PartFeatureGroup>()));
  EXPECT_FALSE(c->equals(VelkUtils::PATCHFEATURE()));
}

TEST_F(PartGeometryCurveTest, ExportCarriesConvertedUnitsAndChildFids) {
  boost::shared_ptr<PartGeometryCurve> c = curve(1);
  boost::shared_ptr<ProcessingUnit> pierce = unit("pierce", "pierce_g");
  boost::shared_ptr<ProcessingUnit> trim = unit("trim", "cam_trimming_g");
  c->addProcessingUnit(pierce, c);
  c->addProcessingUnit(trim, c);
  c->addChild(curve(12));
  c->addChild(curve(11));

  const VelkUtils::LINEFEATURE exported = c->getFeature();
  ASSERT_EQ(2u, exported.getProcessingUnitVector().size());
  const VelkUtils::VELKO_PROCESSUNIT& first =
      exported.getProcessingUnitVector()[0];
  const VelkUtils::VELKO_PROCESSUNIT& second =
      exported.getProcessingUnitVector()[1];
  EXPECT_EQ(pierce->getProcID(), first.procId);
  EXPECT_STREQ("pierce", first.label);
  EXPECT_EQ(0, first.operationKind);
  EXPECT_EQ(trim->getProcID(), second.procId);
  EXPECT_EQ(1, second.operationKind);
  EXPECT_EQ((std::vector<int>{12, 11}), exported.includedFeatureIDS());
  EXPECT_EQ("curve 1", exported.name());
  // The embedded record itself stays as the simulation gave it.
  EXPECT_TRUE(c->curveFeature().getProcessingUnitVector().empty());

  std::vector<VelkUtils::LINEFEATURE> lines;
  std::vector<VelkUtils::PATCHFEATURE> patches;
  c->getFeature(lines, patches);
  ASSERT_EQ(1u, lines.size());
  EXPECT_TRUE(patches.empty());
  EXPECT_EQ(exported, lines[0]);
}

TEST_F(PartGeometryCurveTest, SyncNeedsEveryStoredUnitOnItsStage) {
  boost::shared_ptr<PartGeometryCurve> c = curve(1);
  EXPECT_TRUE(c->checkXoloSync());

  boost::shared_ptr<ProcessingUnit> onStage = unit("pierce", "pierce_g");
  onStage->setOperation(operationOnStage(4));
  boost::shared_ptr<ProcessingUnit> unassigned = unit("trim", "trimming_g");
  c->addProcessingUnit(onStage, c);
  c->addProcessingUnit(unassigned, c);

  struct Case {
    const char* name;
    int procId;
    int stageId;
    bool inSync;
  } cases[] = {{"same unit, same stage", onStage->getProcID(), 4, true},
               {"other stage", onStage->getProcID(), 5, false},
               {"unknown unit", onStage->getProcID() + 1000, 4, false},
               {"unit without operation", unassigned->getProcID(), 0, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    VelkUtils::VELKO_PROCESSUNIT stored;
    stored.procId = k.procId;
    stored.stageId = k.stageId;
    VelkUtils::LINEFEATURE line = c->curveFeature();
    line.setProcessingUnits({stored});
    c->SetCurveFeature(line);
    EXPECT_EQ(k.inSync, c->checkXoloSync());
  }
}

}  // namespace
