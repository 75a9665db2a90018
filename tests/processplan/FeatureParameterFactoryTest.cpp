#include <gtest/gtest.h>

#include "processplan/FeatureParameterFactory.h"
#include "processplan/PartFeature.h"

namespace {

using TamberData::FeatureParameterFactory;
using TamberData::ParameterMapping;
using TamberData::PartFeature;

TEST(FeatureParameterFactoryTest, FeaturesOfATypeShareItsList) {
  FeatureParameterFactory factory;
  EXPECT_FALSE(factory.parameterMapping("HoleRound"));
  factory.addParameterMapping("HoleRound", "MAXDIAMETER", "D");

  PartFeature feature;
  feature.setParameterMapping(factory.parameterMapping("HoleRound"));
  factory.addParameterMapping("HoleRound", "LENGTH", "U");
  factory.addParameterMapping("HoleLong", "LENGTH", "L");

  ASSERT_EQ(2, feature.userDefinedParametersCount());
  EXPECT_EQ("D", feature.userDefinedParameterAt(0));
  EXPECT_EQ("LENGTH", feature.systemDefinedParameterAt(1));
  EXPECT_EQ(1u, factory.parameterMapping("HoleLong")->size());
}

TEST(FeatureParameterFactoryTest, CopyHasListsOfItsOwn) {
  FeatureParameterFactory factory;
  factory.addParameterMapping("HoleRound", "MAXDIAMETER", "D");
  FeatureParameterFactory copy(factory);
  factory.addParameterMapping("HoleRound", "LENGTH", "U");
  ASSERT_TRUE(copy.parameterMapping("HoleRound"));
  EXPECT_EQ((ParameterMapping{{"MAXDIAMETER", "D"}}),
            *copy.parameterMapping("HoleRound"));
  copy = factory;
  EXPECT_EQ(2u, copy.parameterMapping("HoleRound")->size());
  EXPECT_NE(copy.parameterMapping("HoleRound"),
            factory.parameterMapping("HoleRound"));
}

}  // namespace
