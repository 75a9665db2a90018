#include <gtest/gtest.h>

#include "FeatureForest.h"
#include "processplan/IteratorFeatureGroup.h"
#include "processplan/ProcessDatabase.h"

namespace {

using TamberData::IteratorFeatureGroup;

TEST(IteratorFeatureGroupTest, VisitsOnlyGroups) {
  IteratorFeatureGroup it(velktest::makeSampleTree());
  EXPECT_EQ("a", it.currentItem()->label());
  EXPECT_EQ("a c", velktest::visited(it));
  EXPECT_EQ("a c", velktest::visited(it));
}

TEST(IteratorFeatureGroupTest, GroupBelowGeometryIsFound) {
  boost::shared_ptr<TamberData::PartGeometryCurve> curve =
      velktest::makeCurve("outer");
  curve->addChild(velktest::makeGroup("inner"));
  IteratorFeatureGroup it(curve);
  EXPECT_EQ("inner", velktest::visited(it));

  IteratorFeatureGroup none(velktest::makeCurve("alone"));
  EXPECT_TRUE(none.isDone());
  EXPECT_FALSE(none.currentItem());
  none.next();
  EXPECT_TRUE(none.isDone());
}

TEST(IteratorFeatureGroupTest, DatabaseGroupsComeInDatabaseOrder) {
  TamberData::ProcessDatabase database;
  database.addTopLevelPartFeature(velktest::makeCurve("x"));
  database.addTopLevelPartFeature(velktest::makeSampleTree());
  database.addTopLevelPartFeature(velktest::makeGroup("g"));
  IteratorFeatureGroup it(database);
  EXPECT_EQ("a c g", velktest::visited(it));
}

}  // namespace
