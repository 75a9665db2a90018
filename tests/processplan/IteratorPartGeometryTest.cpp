#include <gtest/gtest.h>

#include "FeatureForest.h"
#include "processplan/IteratorPartGeometry.h"
#include "processplan/PartGeometry.h"

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

}  // namespace
