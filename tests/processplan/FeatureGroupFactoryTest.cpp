#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "external/XoloClient.h"
#include "processplan/FeatureGroupFactory.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/ProcessingSequence.h"

namespace {

using TamberData::FeatureGroupFactory;
using TamberData::FeatureTypeIDs;
using TamberData::ParameterMapping;
using TamberData::PartFeature;
using TamberData::PartFeatureGroup;
using TamberData::ProcessingSequence;
using Types = std::vector<std::string>;

boost::shared_ptr<PartFeature> feature(const std::string& type) {
  return boost::make_shared<PartFeature>(type,
                                         boost::shared_ptr<FeatureTypeIDs>(),
                                         boost::shared_ptr<ParameterMapping>());
}

class FeatureGroupFactoryTest : public ::testing::Test {
 protected:
  FeatureGroupFactoryTest() {
    factory_.addFeatureGroupDefinition("HoleRow", 31, {"HoleRound"},
                                       {"HoleRound", "HoleLong"}, {"Flange"});
    factory_.addFeatureGroupDefinition("Slots", 32, {""}, {"HoleLong"}, {});
    factory_.addFeatureGroupDefinition("Never", 33, {}, {}, {});
  }

  // The group types `factory_` offers for features of `types`.
  Types possible(const Types& types) const {
    std::vector<boost::shared_ptr<PartFeature>> features;
    for (const std::string& type : types) features.push_back(feature(type));
    return factory_.possibleTypes(features);
  }

  FeatureGroupFactory factory_;
};

TEST_F(FeatureGroupFactoryTest, GroupNeedsRequiredAndTriggerButNoExcludedType) {
  struct Case {
    Types features;
    Types groups;
  } cases[] = {
      {{"HoleRound", "HoleRound"}, {"HoleRow"}},
      {{"HoleRound", "Flange"}, {}},
      {{"HoleLong", "HoleLong"}, {"Slots"}},
      {{"HoleRound", "HoleLong"}, {"HoleRow", "Slots"}},
      {{"holeround"}, {}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.features));
    EXPECT_EQ(c.groups, possible(c.features));
  }
  EXPECT_EQ((Types{"HoleRow", "Slots", "Never"}), factory_.allTypes());
}

TEST_F(FeatureGroupFactoryTest, GroupsAreMatchedByTheirChildren) {
  boost::shared_ptr<PartFeatureGroup> row =
      factory_.copyReferenceGroup("HoleRow", nullptr);
  row->addChild(feature("HoleRound"));
  row->addChild(feature("HoleLong"));
  EXPECT_EQ((Types{"HoleRow", "Slots"}), factory_.possibleTypes(row));
  EXPECT_TRUE(factory_.mayContain(row, row->getChildren()));
  EXPECT_FALSE(factory_.mayContain(
      row, {feature("HoleLong"), boost::shared_ptr<PartFeature>()}));
  EXPECT_FALSE(factory_.mayContain(boost::shared_ptr<PartFeature>(),
                                   row->getChildren()));
  EXPECT_TRUE(factory_.possibleTypes(boost::shared_ptr<PartFeature>()).empty());
}

TEST_F(FeatureGroupFactoryTest, CopiesAreNewGroupsWithTheSession) {
  EXPECT_FALSE(factory_.copyDefaultGroup(nullptr));
  factory_.setDefaultGroup("FeatureGroup", "group", 1);
  VelkCOM::XoloClient session;

  boost::shared_ptr<PartFeatureGroup> fallback =
      factory_.copyDefaultGroup(&session);
  ASSERT_TRUE(fallback);
  EXPECT_NE(factory_.defaultGroup(), fallback);
  EXPECT_EQ("group", fallback->label());
  EXPECT_EQ(1, fallback->typeID());
  EXPECT_EQ(&session, fallback->qorSession());

  boost::shared_ptr<PartFeatureGroup> slotGroup =
      factory_.copyReferenceGroup("Slots", &session);
  ASSERT_TRUE(slotGroup);
  EXPECT_EQ("Slots", slotGroup->type());
  EXPECT_EQ(32, slotGroup->typeID());
  EXPECT_NE(factory_.referenceGroupAt(1), slotGroup);
  EXPECT_EQ(&session, slotGroup->qorSession());
  EXPECT_EQ("HoleRow", factory_.copyReferenceGroupById(31, nullptr)->type());
  EXPECT_EQ("Never", factory_.copyReferenceGroupById(33, nullptr)->type());
  EXPECT_FALSE(factory_.copyReferenceGroup("Unknown", &session));
  EXPECT_FALSE(factory_.copyReferenceGroupById(1, &session));
  EXPECT_FALSE(factory_.referenceGroupAt(3));
}

TEST_F(FeatureGroupFactoryTest, AllGroupsShareOneIdMap) {
  factory_.setDefaultGroup("FeatureGroup", "group", 1);
  factory_.addFeatureGroupDefinition("Late", 40, {}, {"Flange"}, {});
  EXPECT_EQ(factory_.typeIDs(), factory_.defaultGroup()->typeIDs());
  for (int i = 0; i < factory_.referenceGroupCount(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(factory_.typeIDs(), factory_.referenceGroupAt(i)->typeIDs());
  }
  EXPECT_EQ(40, factory_.typeIDs()->at("Late"));
}

TEST_F(FeatureGroupFactoryTest, DefaultSequenceFollowsTheGroupType) {
  boost::shared_ptr<ProcessingSequence> sequence =
      boost::make_shared<ProcessingSequence>("pierce row");
  factory_.setDefaultProcessingSequence("Slots", sequence);
  factory_.setDefaultProcessingSequence("Unknown", sequence);
  EXPECT_EQ(sequence, factory_.defaultProcessingSequence(
                          factory_.copyReferenceGroup("Slots", nullptr)));
  EXPECT_FALSE(factory_.defaultProcessingSequence(
      factory_.copyReferenceGroup("HoleRow", nullptr)));
  EXPECT_FALSE(factory_.defaultProcessingSequence(feature("Unknown")));
  EXPECT_FALSE(
      factory_.defaultProcessingSequence(boost::shared_ptr<PartFeature>()));
}

TEST_F(FeatureGroupFactoryTest, CopyHasItsOwnGroupsAndIds) {
  boost::shared_ptr<ProcessingSequence> sequence =
      boost::make_shared<ProcessingSequence>("pierce row");
  factory_.setDefaultGroup("FeatureGroup", "group", 1);
  factory_.setDefaultProcessingSequence("HoleRow", sequence);
  FeatureGroupFactory copy(factory_);
  factory_.addFeatureGroupDefinition("Late", 40, {}, {"Flange"}, {});
  factory_.setDefaultGroup("Other", "other", 2);

  EXPECT_EQ((Types{"HoleRow", "Slots", "Never"}), copy.allTypes());
  EXPECT_EQ("group", copy.defaultGroup()->label());
  EXPECT_NE(factory_.referenceGroupAt(0), copy.referenceGroupAt(0));
  EXPECT_NE(factory_.typeIDs(), copy.typeIDs());
  EXPECT_EQ(copy.typeIDs(), copy.referenceGroupAt(0)->typeIDs());
  EXPECT_EQ(0u, copy.typeIDs()->count("Late"));
  EXPECT_EQ((Types{"Slots"}),
            copy.possibleTypes(std::vector<boost::shared_ptr<PartFeature>>{
                feature("HoleLong")}));
  EXPECT_EQ(sequence, copy.defaultProcessingSequence(copy.referenceGroupAt(0)));

  copy = FeatureGroupFactory();
  EXPECT_TRUE(copy.allTypes().empty());
  EXPECT_EQ(4, factory_.referenceGroupCount());
}

}  // namespace
