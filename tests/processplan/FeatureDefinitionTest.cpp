#include <gtest/gtest.h>

#include <memory>

#include "processplan/FeatureDefinition.h"
#include "processplan/ParameterDefinition.h"

namespace {

using TamberData::FeatureDefinition;
using TamberData::ParameterDefinition;

TEST(FeatureDefinitionTest, CopiesOwnTheirParameters) {
  std::unique_ptr<FeatureDefinition> original(new FeatureDefinition("Opening"));
  original->addParameter(ParameterDefinition("LENGTH", 1.0, 2.0));
  original->addParameter(ParameterDefinition("SURFACE", 3.0));

  FeatureDefinition copy(*original);
  FeatureDefinition assigned;
  assigned = *original;
  EXPECT_NE(original->parameterAt(0), copy.parameterAt(0));
  original.reset();

  for (const FeatureDefinition* definition : {&copy, &assigned}) {
    ASSERT_EQ(2, definition->parameterCount());
    EXPECT_EQ("Opening", definition->type());
    EXPECT_EQ("LENGTH", definition->parameterAt(0)->name());
    EXPECT_EQ(2.0, definition->parameterAt(0)->max());
    EXPECT_EQ(3.0, definition->parameterAt(1)->value());
  }
  const FeatureDefinition& same = assigned;
  assigned = same;
  EXPECT_EQ(2, assigned.parameterCount());
}

}  // namespace
