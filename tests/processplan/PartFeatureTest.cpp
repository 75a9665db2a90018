#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>

#include "processplan/PartFeature.h"
#include "processplan/ValueNotFoundException.h"
#include "support/TestUtil.h"

namespace {

using TamberData::FeatureTypeIDs;
using TamberData::ParameterMapping;
using TamberData::PartFeature;

// A feature with measures of its own, as the geometry classes have them.
class Patch : public PartFeature {
 public:
  double length() const override { return 40.0; }
  double area() const override { return 250.0; }
};

TEST(PartFeatureTest, ValueAnswersTheCommonParameters) {
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

TEST(PartFeatureTest, TypeWithoutIdIsOne) {
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

TEST(PartFeatureTest, MappingPairsSystemAndUserNames) {
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

TEST(PartFeatureTest, MappingIsSharedBetweenFeaturesOfAType) {
  boost::shared_ptr<ParameterMapping> mapping =
      boost::make_shared<ParameterMapping>();
  PartFeature first("HOLE", boost::shared_ptr<FeatureTypeIDs>(), mapping);
  PartFeature second;
  second.setParameterMapping(mapping);
  first.addParameterMapping("LENGTH", "L");
  EXPECT_EQ(1, second.userDefinedParametersCount());
  EXPECT_EQ("HOLE", first.type());
}

TEST(PartFeatureTest, MissingMappingIsRepaired) {
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

TEST(PartFeatureTest, CarriesItsClassName) {
  Patch patch;
  PartFeature plain;
  EXPECT_STREQ("TamberData::PartFeature", plain.metaObject()->className());
  EXPECT_TRUE(patch.inherits("TamberData::PartFeature"));
}

}  // namespace
