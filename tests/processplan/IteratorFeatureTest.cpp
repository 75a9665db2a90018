#include <gtest/gtest.h>

#include <vector>

#include "FeatureForest.h"
#include "processplan/IteratorFeature.h"
#include "processplan/ProcessDatabase.h"

namespace {

using TamberData::IteratorFeature;
using TamberData::PartFeature;

TEST(IteratorFeatureTest, VisitsEachFeatureBeforeItsChildren) {
  IteratorFeature it(velktest::makeSampleTree());
  EXPECT_EQ("a", it.currentItem()->label());
  EXPECT_EQ("a b c d e f", velktest::visited(it));
  // `first` restarts the walk.
  EXPECT_EQ("a b c d e f", velktest::visited(it));
}

TEST(IteratorFeatureTest, WalksTheRootsInOrder) {
  boost::shared_ptr<PartFeature> deep = velktest::makeGroup("x");
  boost::shared_ptr<PartFeature> middle = velktest::makeGroup("y");
  middle->addChild(velktest::makeCurve("z"));
  deep->addChild(middle);
  IteratorFeature it(std::vector<boost::shared_ptr<PartFeature>>{
      velktest::makeSampleTree(), boost::shared_ptr<PartFeature>(), deep,
      velktest::makeCurve("w")});
  EXPECT_EQ("a b c d e f x y z w", velktest::visited(it));
}

TEST(IteratorFeatureTest, FinishedWalkStaysFinished) {
  IteratorFeature single(velktest::makeCurve("only"));
  EXPECT_EQ("only", velktest::visited(single));
  EXPECT_TRUE(single.isDone());
  single.next();
  EXPECT_TRUE(single.isDone());
  EXPECT_FALSE(single.currentItem());

  IteratorFeature none{boost::shared_ptr<PartFeature>()};
  EXPECT_TRUE(none.isDone());
  EXPECT_FALSE(none.currentItem());
  EXPECT_EQ("", velktest::visited(none));
}

TEST(IteratorFeatureTest, ChildrenAreReadAsTheWalkReachesThem) {
  boost::shared_ptr<PartFeature> tree = velktest::makeSampleTree();
  IteratorFeature it(tree);
  it.next();
  EXPECT_EQ("b", it.currentItem()->label());
  tree->removeChild(tree->childAt(1));
  it.next();
  EXPECT_EQ("f", it.currentItem()->label());
  it.next();
  EXPECT_TRUE(it.isDone());
}

TEST(IteratorFeatureTest, DatabaseGivesItsTopLevelFeaturesAsRoots) {
  TamberData::ProcessDatabase database;
  database.addTopLevelPartFeature(velktest::makeCurve("x"));
  database.addTopLevelPartFeature(velktest::makeSampleTree());
  IteratorFeature it(database);
  EXPECT_EQ("x a b c d e f", velktest::visited(it));

  IteratorFeature empty{TamberData::ProcessDatabase()};
  EXPECT_TRUE(empty.isDone());
}

}  // namespace
