#include <gtest/gtest.h>

#include "processplan/ParameterDefinition.h"

namespace {

using TamberData::ParameterDefinition;

TEST(ParameterDefinitionTest, AcceptsByKind) {
  const ParameterDefinition range("LENGTH", 5.0, 10.0);
  const ParameterDefinition exact("TYPE", 8.0);
  ParameterDefinition other("TYPE", 8.0);
  other.setKind(7);
  struct Case {
    const ParameterDefinition* definition;
    double value;
    bool accepted;
  } cases[] = {{&range, 5.0, true},   {&range, 9.999, true},
               {&range, 10.0, false}, {&range, 4.999, false},
               {&exact, 8.0, true},   {&exact, 8.000001, false},
               {&other, 8.0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.definition->name() + " " + std::to_string(c.value));
    EXPECT_EQ(c.accepted, c.definition->accepts(c.value));
  }
}

}  // namespace
