#include <gtest/gtest.h>

#include <vector>

#include "FeatureForest.h"
#include "UnitSupport.h"
#include "processplan/IteratorPartGeometry.h"
#include "processplan/PartGeometry.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessingUnit.h"

namespace {

using TamberData::IteratorPartGeometry;

TEST(IteratorPartGeometryTest, VisitsOnlyCurvesAndPatches) {
  IteratorPartGeometry it(velktest::makeSampleTree());
  EXPECT_EQ("b", it.currentItem()->label());
  EXPECT_EQ("b d e f", velktest::visited(it));
  EXPECT_EQ("b d e f", velktest::visited(it));
}

TEST(IteratorPartGeometryTest, GroupsWithoutGeometryGiveNothing) {
  boost::shared_ptr<TamberData::PartFeatureGroup> outer =
      velktest::makeGroup("outer");
  outer->addChild(velktest::makeGroup("inner"));
  IteratorPartGeometry it(outer);
  EXPECT_TRUE(it.isDone());
  EXPECT_FALSE(it.currentItem());
  EXPECT_EQ("", velktest::visited(it));
}

class IteratorPartGeometryDatabaseTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // Units point back at their features.
    for (const boost::shared_ptr<TamberData::PartFeature>& f : assigned_) {
      f->clearProcessingUnits();
    }
  }

  // Gives `feature` a unit on operation `index` of `database_`.
  void assign(const boost::shared_ptr<TamberData::PartFeature>& feature,
              int index) {
    boost::shared_ptr<TamberData::ProcessingUnit> unit =
        velktest::makeUnit("unit");
    unit->setOperation(database_.OperationAt(index));
    feature->addProcessingUnit(unit, feature);
    assigned_.push_back(feature);
  }

  TamberData::ProcessDatabase database_;
  std::vector<boost::shared_ptr<TamberData::PartFeature>> assigned_;
};

TEST_F(IteratorPartGeometryDatabaseTest, OperationPicksTheRootsWithUnitsOnIt) {
  database_.AddOperation(
      boost::make_shared<VelkData::Operation>("OP10", "DRAW"));
  database_.AddOperation(
      boost::make_shared<VelkData::Operation>("OP20", "TRIM"));
  boost::shared_ptr<TamberData::PartFeatureGroup> tree =
      velktest::makeSampleTree();
  boost::shared_ptr<TamberData::PartFeature> x = velktest::makeCurve("x");
  boost::shared_ptr<TamberData::PartFeatureGroup> g = velktest::makeGroup("g");
  g->addChild(velktest::makeCurve("y"));
  database_.addTopLevelPartFeature(x);
  database_.addTopLevelPartFeature(tree);
  database_.addTopLevelPartFeature(g);
  database_.addTopLevelPartFeature(velktest::makePatch("z"));
  assign(tree, 0);
  assign(x, 1);
  assign(x, 0);
  // Units below the top level do not make their root count.
  assign(g->childAt(0), 1);

  IteratorPartGeometry all(database_);
  EXPECT_EQ("x b d e f y z", velktest::visited(all));
  const std::pair<int, const char*> cases[] = {
      {0, "x b d e f"}, {1, "x"}, {2, ""}, {-1, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    IteratorPartGeometry it(database_, c.first);
    EXPECT_EQ(c.second, velktest::visited(it));
  }
}

}  // namespace
