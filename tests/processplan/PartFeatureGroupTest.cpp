#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "UnitSupport.h"
#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "external/XoloClient.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"
#include "processplan/ProcessingUnit.h"
#include "support/TestUtil.h"

namespace {

using TamberData::FeatureTypeIDs;
using TamberData::ParameterMapping;
using TamberData::PartFeature;
using TamberData::PartFeatureGroup;
using TamberData::PartGeometryCurve;
using TamberData::PartGeometryPatch;
using TamberData::ProcessingUnit;
using Direction = std::deque<double>;

// Answers group measures from the fids it is asked about and records each
// request as "fid fid ...".
class GroupSession : public VelkCOM::XoloClient {
 public:
  void GetGroupParameter(const std::vector<int>& fids, double& circumference,
                         double& area, double& maxDiameter) const override {
    std::string request;
    for (int fid : fids) {
      request += (request.empty() ? "" : " ") + std::to_string(fid);
    }
    requests.push_back(request);
    circumference = 100.0 + fids.size();
    area = 200.0 + fids.size();
    maxDiameter = 300.0 + fids.size();
  }

  mutable std::vector<std::string> requests;
};

class PartFeatureGroupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = VelkCOM::XoloClient::getInstance();
    VelkCOM::XoloClient::setInstance(&session_);
  }
  void TearDown() override { VelkCOM::XoloClient::setInstance(saved_); }

  static boost::shared_ptr<PartGeometryCurve> curve(
      int fid, const Direction& direction = Direction{0, 0, 1}) {
    VelkUtils::LINEFEATURE line;
    line.setFid(fid);
    line.setName("c" + std::to_string(fid));
    line.setProcessingDirection(direction);
    return boost::make_shared<PartGeometryCurve>(
        boost::shared_ptr<FeatureTypeIDs>(), line);
  }

  static boost::shared_ptr<PartGeometryPatch> patch(int fid) {
    VelkUtils::PATCHFEATURE record;
    record.setFid(fid);
    return boost::make_shared<PartGeometryPatch>(
        boost::shared_ptr<FeatureTypeIDs>(), record);
  }

  static boost::shared_ptr<PartFeatureGroup> group(
      const std::string& label = "row") {
    return boost::make_shared<PartFeatureGroup>(
        "HoleRow", boost::shared_ptr<FeatureTypeIDs>(),
        boost::shared_ptr<ParameterMapping>(), label);
  }

  // A group measured by the installed session.
  boost::shared_ptr<PartFeatureGroup> sessionGroup() {
    boost::shared_ptr<PartFeatureGroup> g = group();
    g->setQorSession(VelkCOM::XoloClient::getInstance());
    return g;
  }

  static std::string measures(const PartFeatureGroup& g) {
    return std::to_string(static_cast<int>(g.circumference())) + " " +
           std::to_string(static_cast<int>(g.area())) + " " +
           std::to_string(static_cast<int>(g.maxDiameter()));
  }

  GroupSession session_;
  VelkCOM::XoloClient* saved_ = nullptr;
};

TEST_F(PartFeatureGroupTest, MeasuresComeFromTheSessionCurvesFirst) {
  boost::shared_ptr<PartFeatureGroup> g = sessionGroup();
  boost::shared_ptr<PartFeatureGroup> inner = group("inner");
  inner->addChild(curve(5));
  g->addChild(patch(3));
  g->addChild(curve(1));
  g->addChild(inner);
  EXPECT_EQ("1 5 3", session_.requests.back());
  EXPECT_EQ("103 203 303", measures(*g));
  EXPECT_EQ(103.0, g->value("CIRCUMFERENCE"));
  EXPECT_EQ(103.0, g->value("LENGTH"));
  EXPECT_EQ(203.0, g->value("SURFACE"));
  EXPECT_EQ(303.0, g->value("MAXDIAMETER"));
}

TEST_F(PartFeatureGroupTest, UserDefinedMeasuresSurviveAnUpdate) {
  boost::shared_ptr<PartFeatureGroup> g = sessionGroup();
  g->setCircumference(7.0);
  g->setUserDefinedCircumferenceFlag(true);
  g->setMaxDiameter(9.0);
  g->setUserDefinedMaxDiameterFlag(true);
  g->addChild(curve(1));
  EXPECT_EQ("7 201 9", measures(*g));
  g->removeAllChilds();
  g->updateParameters();
  EXPECT_EQ("7 0 9", measures(*g));
}

TEST_F(PartFeatureGroupTest, WithoutSessionRecordsLeaveTheMeasures) {
  boost::shared_ptr<PartFeatureGroup> g = group();
  g->setCircumference(7.0);
  g->setArea(8.0);
  g->setMaxDiameter(9.0);
  g->addChild(curve(1));
  EXPECT_EQ("7 8 9", measures(*g));
  EXPECT_TRUE(session_.requests.empty());
}

TEST_F(PartFeatureGroupTest, WithoutGeometryTheMeasuresAreZero) {
  boost::shared_ptr<PartFeatureGroup> g = sessionGroup();
  g->setCircumference(7.0);
  g->setArea(8.0);
  g->addChild(group("empty"));
  EXPECT_EQ("0 0 0", measures(*g));
  EXPECT_TRUE(session_.requests.empty());
}

TEST_F(PartFeatureGroupTest, AddChildrenAsksTheSessionOnce) {
  boost::shared_ptr<PartFeatureGroup> g = sessionGroup();
  g->addChildren({curve(1), curve(2), curve(1)});
  EXPECT_EQ(2, g->childrenCount());
  ASSERT_EQ(1u, session_.requests.size());
  EXPECT_EQ("1 2", session_.requests[0]);
  g->insertChildAt(0, curve(4), false);
  EXPECT_EQ(1u, session_.requests.size());
  g->removeChild(g->childAt(0), true);
  EXPECT_EQ("1 2", session_.requests.back());
  EXPECT_EQ(2u, session_.requests.size());
}

TEST_F(PartFeatureGroupTest, DirectionDeviatesMostFromThePress) {
  struct Case {
    const char* name;
    std::vector<Direction> children;
    Direction expected;
  } cases[] = {
      {"no children", {}, {0, 0, 1}},
      {"all along the press", {{0, 0, 1}, {0, 0, 2}}, {0, 0, 1}},
      {"one sideways", {{0, 0, 1}, {0, 1, 0}}, {0, 1, 0}},
      {"first of equals", {{0, 1, 0}, {1, 0, 0}}, {0, 1, 0}},
      {"against the press", {{1, 0, 0}, {0, 0, -1}}, {0, 0, -1}},
      {"unknown direction", {{}, {1, 1}}, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boost::shared_ptr<PartFeatureGroup> g = group();
    int fid = 0;
    for (const Direction& d : c.children) g->addChild(curve(++fid, d));
    EXPECT_EQ(c.expected, g->processingDirection());
  }
}

TEST_F(PartFeatureGroupTest, AngleNeedsTwoThreeComponentVectors) {
  const double halfPi = std::acos(0.0);
  EXPECT_DOUBLE_EQ(halfPi, PartFeatureGroup::radianAngel({1, 0, 0}, {0, 2, 0}));
  EXPECT_DOUBLE_EQ(2 * halfPi,
                   PartFeatureGroup::radianAngel({0, 0, 3}, {0, 0, -1}));
  EXPECT_EQ(0.0, PartFeatureGroup::radianAngel({1, 0}, {0, 1}));
  EXPECT_EQ(0.0, PartFeatureGroup::radianAngel({1, 0, 0, 0}, {0, 1, 0}));
  EXPECT_EQ(0.0, PartFeatureGroup::radianAngel({0, 0, 0}, {0, 1, 0}));
  EXPECT_EQ(5.0, PartFeatureGroup::vectorLength({3, 4, 0}));
}

TEST_F(PartFeatureGroupTest, GroupsWithEqualChildrenInAnyOrderAreEqual) {
  boost::shared_ptr<PartFeatureGroup> a = group();
  boost::shared_ptr<PartFeatureGroup> b = group("other label");
  EXPECT_TRUE(a->equals(b));
  a->addChildren({curve(1), curve(2)});
  b->addChildren({curve(2), curve(1)});
  EXPECT_TRUE(a->equals(b));
  b->addChild(curve(3));
  EXPECT_FALSE(a->equals(b));
  EXPECT_FALSE(b->equals(a));
  a->addChild(curve(4));
  EXPECT_FALSE(a->equals(b));
  EXPECT_FALSE(a->equals(curve(1)));
  EXPECT_FALSE(a->equals(boost::shared_ptr<PartFeature>()));
}

TEST_F(PartFeatureGroupTest, JoiningChildLosesItsUnits) {
  boost::shared_ptr<PartFeatureGroup> g = group();
  boost::shared_ptr<PartGeometryCurve> member = curve(1);
  boost::shared_ptr<PartGeometryCurve> twin = curve(1);
  for (const boost::shared_ptr<PartGeometryCurve>& c : {member, twin}) {
    c->addProcessingUnit(
        boost::make_shared<ProcessingUnit>(
            "pierce", "HoleRound", boost::shared_ptr<TamberData::Constraint>(),
            ProcessingUnit::kNoCam, "pierce_g"),
        c);
  }
  g->addChild(member);
  EXPECT_EQ(0, member->processingUnitCount());
  // An equal feature does not join, so it keeps its units.
  g->addChild(twin);
  EXPECT_EQ(1, g->childrenCount());
  EXPECT_EQ(1, twin->processingUnitCount());
  twin->clearProcessingUnits();
}

TEST_F(PartFeatureGroupTest, UnitsRecountTheirComponentsForTheMembers) {
  boost::shared_ptr<PartFeatureGroup> g = group();
  boost::shared_ptr<ProcessingUnit> pierce = velktest::makeUnit("pierce");
  // One punch per member of the group.
  pierce->addSourceComponent(velktest::makeComponent("Punch", "CT_100_00"),
                             velktest::makeAmount("1"), false);
  velktest::StdoutCapture out;
  g->addProcessingUnit(pierce, g);
  boost::shared_ptr<PartGeometryCurve> first = curve(1);
  boost::shared_ptr<PartGeometryCurve> second = curve(2);
  g->addChild(first);
  g->addChild(second);
  g->addChild(curve(2));
  ASSERT_EQ(2, pierce->componentCount());
  for (int i = 0; i < pierce->componentCount(); ++i) {
    EXPECT_EQ(g, pierce->componentAt(i)->partFeature()) << i;
  }

  pierce->componentAt(1)->setPartFeature(second);
  g->removeChild(second, false);
  ASSERT_EQ(1, pierce->componentCount());
  EXPECT_EQ(g, pierce->componentAt(0)->partFeature());
  g->removeChild(first, false);
  EXPECT_EQ(1, pierce->componentCount());
  // One recount per member that joined, none for the one turned away.
  const std::string line =
      "ProcessingUnit[row]::updateComponentAmounts()  "
      "unitBelongsToGroup=true\n";
  EXPECT_EQ(line + line, out.text());
  g->clearProcessingUnits();
}

TEST_F(PartFeatureGroupTest, RemovingAFormerMemberStillCleansUp) {
  boost::shared_ptr<PartFeatureGroup> g = sessionGroup();
  boost::shared_ptr<ProcessingUnit> pierce = velktest::makeUnit("pierce");
  pierce->addSourceComponent(velktest::makeComponent("Punch", "CT_100_00"),
                             velktest::makeAmount("1"), false);
  velktest::StdoutCapture out;
  g->addProcessingUnit(pierce, g);
  boost::shared_ptr<PartGeometryCurve> first = curve(1);
  boost::shared_ptr<PartGeometryCurve> second = curve(2);
  g->addChildren({first, second});
  ASSERT_EQ(2, pierce->componentCount());
  pierce->componentAt(0)->setPartFeature(first);
  pierce->componentAt(1)->setPartFeature(second);
  const std::size_t asked = session_.requests.size();

  g->removeAllChilds();
  EXPECT_EQ(0, g->childrenCount());
  g->removeChild(second, true);
  // The measures are refreshed for a group now without geometry.
  EXPECT_EQ("0 0 0", measures(*g));
  EXPECT_EQ(asked, session_.requests.size());
  ASSERT_EQ(1, pierce->componentCount());
  EXPECT_EQ(first, pierce->componentAt(0)->partFeature());

  g->removeChild(boost::shared_ptr<PartFeature>(), true);
  EXPECT_EQ(1, pierce->componentCount());
  out.text();
  g->clearProcessingUnits();
}

TEST_F(PartFeatureGroupTest, CloneSharesChildrenButNotUnitsOrSession) {
  boost::shared_ptr<FeatureTypeIDs> ids = boost::make_shared<FeatureTypeIDs>();
  (*ids)["HoleRow"] = 31;
  boost::shared_ptr<ParameterMapping> mapping =
      boost::make_shared<ParameterMapping>();
  boost::shared_ptr<PartFeatureGroup> original =
      boost::make_shared<PartFeatureGroup>("HoleRow", ids, mapping, "row 1");
  original->setQorSession(&session_);
  original->addChildren({curve(1), curve(2)});
  original->setMaxDiameter(4.5);
  original->setUserDefinedMaxDiameterFlag(true);
  original->addProcessingUnit(
      boost::make_shared<ProcessingUnit>(
          "pierce", "HoleRow", boost::shared_ptr<TamberData::Constraint>(),
          ProcessingUnit::kNoCam, "pierce_g"),
      original);

  boost::shared_ptr<PartFeatureGroup> copy = original->clone();
  EXPECT_EQ("row 1", copy->label());
  EXPECT_EQ(31, copy->typeID());
  EXPECT_EQ(mapping, copy->parameterMapping());
  ASSERT_EQ(2, copy->childrenCount());
  EXPECT_EQ(original->childAt(0), copy->childAt(0));
  EXPECT_EQ(original->childAt(1), copy->childAt(1));
  EXPECT_EQ(0, copy->processingUnitCount());
  EXPECT_EQ(nullptr, copy->qorSession());
  EXPECT_TRUE(copy->isUserDefinedMaxDiameter());
  EXPECT_EQ(4.5, copy->maxDiameter());
  original->clearProcessingUnits();
}

}  // namespace
