#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>

#include "UnitSupport.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessingUnit.h"
#include "processplan/ValueNotFoundException.h"
#include "support/TestUtil.h"

namespace {

using TamberData::FeatureTypeIDs;
using TamberData::ParameterMapping;
using TamberData::PartFeature;
using TamberData::ProcessingUnit;

boost::shared_ptr<PartFeature> feature(const std::string& type) {
  return boost::make_shared<PartFeature>(type,
                                         boost::shared_ptr<FeatureTypeIDs>(),
                                         boost::shared_ptr<ParameterMapping>());
}

// The types of the children of `parent`, as "a b c".
std::string childTypes(const PartFeature& parent) {
  std::string text;
  for (const boost::shared_ptr<PartFeature>& child : parent.getChildren()) {
    text += (text.empty() ? "" : " ") + child->type();
  }
  return text;
}

class PartFeatureTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // Units point back at their feature.
    owner_->clearProcessingUnits();
  }

  boost::shared_ptr<ProcessingUnit> unit(const std::string& label) {
    return boost::make_shared<ProcessingUnit>(
        label, "HoleRound", boost::shared_ptr<TamberData::Constraint>(),
        ProcessingUnit::kNoCam, "pierce_g");
  }

  // The units as "label:index ...", checking that each points at the owner.
  std::string units() const {
    std::string text;
    for (const boost::shared_ptr<ProcessingUnit>& u :
         owner_->getProcessingUnits()) {
      EXPECT_EQ(owner_, u->partFeature()) << u->label();
      text += (text.empty() ? "" : " ") + u->label() + ":" +
              std::to_string(u->getIndex());
    }
    return text;
  }

  boost::shared_ptr<PartFeature> owner_ = feature("owner");
};

// A feature with measures of its own, as the geometry classes have them.
class Patch : public PartFeature {
 public:
  double length() const override { return 40.0; }
  double area() const override { return 250.0; }
};

TEST_F(PartFeatureTest, ValueAnswersTheCommonParameters) {
  boost::shared_ptr<FeatureTypeIDs> ids = boost::make_shared<FeatureTypeIDs>();
  (*ids)["HOLE"] = 7;
  Patch patch;
  patch.setTypeIDs(ids);
  patch.setType("HOLE");
  const std::pair<const char*, double> cases[] = {
      {"LENGTH", 40.0}, {"SURFACE", 250.0}, {"TYPE", 7.0}, {"WIDTH", 0.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, patch.value(c.first));
  }
  EXPECT_THROW_MSG(patch.value("CIRCUMFERENCE"),
                   TamberData::ValueNotFoundException, "CIRCUMFERENCE");
  EXPECT_THROW_MSG(patch.value("length"), TamberData::ValueNotFoundException,
                   "length");
}

TEST_F(PartFeatureTest, TypeWithoutIdIsOne) {
  PartFeature feature;
  feature.setType("HOLE");
  EXPECT_EQ(1, feature.typeID());
  boost::shared_ptr<FeatureTypeIDs> ids = boost::make_shared<FeatureTypeIDs>();
  (*ids)["SLOT"] = 3;
  feature.setTypeIDs(ids);
  EXPECT_EQ(1, feature.typeID());
  feature.setType("SLOT");
  EXPECT_EQ(3, feature.typeID());
}

TEST_F(PartFeatureTest, MappingPairsSystemAndUserNames) {
  PartFeature feature;
  EXPECT_EQ(-1, feature.userDefinedParametersCount());
  EXPECT_EQ("", feature.userDefinedParameterAt(0));
  feature.addParameterMapping("LENGTH", "L");
  feature.addParameterMapping("SURFACE", "A");
  ASSERT_EQ(2, feature.userDefinedParametersCount());
  EXPECT_EQ("A", feature.userDefinedParameterAt(1));
  EXPECT_EQ("SURFACE", feature.systemDefinedParameterAt(1));
  EXPECT_EQ("", feature.systemDefinedParameterAt(2));
  EXPECT_EQ("", feature.userDefinedParameterAt(-1));
}

TEST_F(PartFeatureTest, MappingIsSharedBetweenFeaturesOfAType) {
  boost::shared_ptr<ParameterMapping> mapping =
      boost::make_shared<ParameterMapping>();
  PartFeature first("HOLE", boost::shared_ptr<FeatureTypeIDs>(), mapping);
  PartFeature second;
  second.setParameterMapping(mapping);
  first.addParameterMapping("LENGTH", "L");
  EXPECT_EQ(1, second.userDefinedParametersCount());
  EXPECT_EQ("HOLE", first.type());
}

TEST_F(PartFeatureTest, MissingMappingIsRepaired) {
  PartFeature built("HOLE", boost::shared_ptr<FeatureTypeIDs>(),
                    boost::shared_ptr<ParameterMapping>());
  EXPECT_EQ(0, built.userDefinedParametersCount());

  PartFeature feature;
  velktest::DebugCapture debug;
  feature.setParameterMapping(boost::shared_ptr<ParameterMapping>());
  EXPECT_EQ(0, feature.userDefinedParametersCount());
  EXPECT_EQ(
      "error while call to PartFeature::setParameterMapping -> "
      "m_parameterMapping.get()==NULL",
      debug.joined());
}

TEST_F(PartFeatureTest, CarriesItsClassName) {
  Patch patch;
  PartFeature plain;
  EXPECT_STREQ("TamberData::PartFeature", plain.metaObject()->className());
  EXPECT_TRUE(patch.inherits("TamberData::PartFeature"));
}

TEST_F(PartFeatureTest,
       ChildInsertionSkipsEqualChildrenAndAppendsBeyondTheEnd) {
  boost::shared_ptr<PartFeature> parent = feature("parent");
  boost::shared_ptr<PartFeature> a = feature("a");
  boost::shared_ptr<PartFeature> b = feature("b");
  parent->addChild(a);
  parent->addChild(b);
  parent->insertChildAt(0, b);
  EXPECT_EQ("a b", childTypes(*parent));
  parent->insertChildAt(10, feature("c"));
  EXPECT_EQ("a b c", childTypes(*parent));
  parent->insertChildAt(1, feature("d"));
  EXPECT_EQ("a d b c", childTypes(*parent));
  parent->insertChildAt(-1, feature("e"));
  parent->addChild(boost::shared_ptr<PartFeature>());
  EXPECT_EQ("a d b c", childTypes(*parent));
  EXPECT_EQ(b, parent->childAt(2));
  EXPECT_FALSE(parent->childAt(4));
  EXPECT_FALSE(parent->childAt(-1));

  parent->removeChild(b);
  parent->removeChild(feature("a"));
  EXPECT_EQ("a d c", childTypes(*parent));
  parent->removeAllChilds();
  EXPECT_EQ(0, parent->childrenCount());
}

TEST_F(PartFeatureTest, FeatureNeverBecomesItsOwnDescendant) {
  boost::shared_ptr<PartFeature> top = feature("top");
  boost::shared_ptr<PartFeature> middle = feature("middle");
  boost::shared_ptr<PartFeature> bottom = feature("bottom");
  top->addChild(middle);
  middle->addChild(bottom);
  bottom->addChild(top);
  bottom->addChild(bottom);
  middle->addChild(top);
  EXPECT_EQ(0, bottom->childrenCount());
  EXPECT_EQ("bottom", childTypes(*middle));
}

TEST_F(PartFeatureTest, UnitInsertionRenumbersEveryUnitBehindIt) {
  owner_->addProcessingUnit(unit("a"), owner_);
  owner_->addProcessingUnit(unit("b"), owner_);
  owner_->addProcessingUnit(unit("c"), owner_);
  EXPECT_EQ("a:0 b:1 c:2", units());
  owner_->insertProcessingUnitAt(0, unit("d"), owner_);
  EXPECT_EQ("d:0 a:1 b:2 c:3", units());
  owner_->insertProcessingUnitAt(2, unit("e"), owner_);
  EXPECT_EQ("d:0 a:1 e:2 b:3 c:4", units());
}

TEST_F(PartFeatureTest, UnitRemovalAndReplacementKeepIndexesAtPositions) {
  owner_->addProcessingUnit(unit("a"), owner_);
  owner_->addProcessingUnit(unit("b"), owner_);
  owner_->addProcessingUnit(unit("c"), owner_);
  owner_->removeProcessingUnitAt(0);
  EXPECT_EQ("b:0 c:1", units());
  boost::shared_ptr<ProcessingUnit> replacement = unit("r");
  owner_->setProcessingUnitAt(1, replacement, owner_);
  EXPECT_EQ("b:0 r:1", units());
  EXPECT_EQ(replacement, owner_->processingUnitAt(1));
}

TEST_F(PartFeatureTest, UnitIndexesOutsideTheListChangeNothing) {
  owner_->addProcessingUnit(unit("a"), owner_);
  boost::shared_ptr<ProcessingUnit> stray = unit("stray");
  owner_->insertProcessingUnitAt(2, stray, owner_);
  owner_->insertProcessingUnitAt(-1, stray, owner_);
  owner_->setProcessingUnitAt(1, stray, owner_);
  owner_->addProcessingUnit(boost::shared_ptr<ProcessingUnit>(), owner_);
  owner_->removeProcessingUnitAt(1);
  owner_->removeProcessingUnitAt(-1);
  EXPECT_EQ("a:0", units());
  EXPECT_FALSE(stray->hasFeature());
  EXPECT_EQ(-1, stray->getIndex());
  EXPECT_FALSE(owner_->processingUnitAt(1));
  EXPECT_FALSE(owner_->processingUnitAt(-1));
}

TEST_F(PartFeatureTest, ClearingUnitsDropsTheirComponentRelations) {
  boost::shared_ptr<ProcessingUnit> pierce = velktest::makeUnit("pierce");
  pierce->addSourceComponent(velktest::makeComponent("Punch", "CT_100_00"),
                             velktest::makeAmount("2"), true);
  owner_->addProcessingUnit(pierce, owner_);
  ASSERT_EQ(2, pierce->componentCount());
  boost::shared_ptr<ProcessingUnit> neighbour = velktest::makeUnit("trim");
  pierce->componentAt(0)->addRelatedProcessingUnit(pierce);
  pierce->componentAt(0)->addRelatedProcessingUnit(neighbour);
  pierce->componentAt(1)->addRelatedProcessingUnit(pierce);

  owner_->clearProcessingUnits();
  EXPECT_EQ(0, owner_->processingUnitCount());
  ASSERT_EQ(1, pierce->componentAt(0)->relatedProcessingUnitCount());
  EXPECT_EQ(neighbour, pierce->componentAt(0)->relatedProcessingUnitAt(0));
  EXPECT_EQ(0, pierce->componentAt(1)->relatedProcessingUnitCount());
  velktest::unrelateComponents(*pierce);
}

}  // namespace
