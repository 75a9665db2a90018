#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/Operation.h"
#include "processplan/Constraint.h"

namespace TamberData {
namespace {

using Types = std::vector<std::string>;

TEST(ConstraintTest, FreshConstraintForbidsNothingAndIsEarly) {
  Constraint constraint;
  boost::shared_ptr<VelkData::Operation> draw(
      new VelkData::Operation("OP 10", "DRAW"));
  EXPECT_TRUE(constraint.Early());
  EXPECT_FALSE(constraint.operationTypeIsForbidden("DRAW"));
  EXPECT_FALSE(constraint.operationTypeIsForbidden(""));
  EXPECT_FALSE(constraint.operationIsForbidden(draw));
  EXPECT_FALSE(constraint.operationIsUnpopular(draw));
  EXPECT_TRUE(constraint.forbiddenOperationTypes().empty());
  EXPECT_TRUE(constraint.unpopularOperationTypes().empty());
}

TEST(ConstraintTest, AddingATypeTwiceKeepsOneEntry) {
  Constraint constraint;
  constraint.AddForbiddenOperationType("TRIM");
  constraint.AddForbiddenOperationType("DRAW");
  constraint.AddForbiddenOperationType("TRIM");
  EXPECT_EQ((Types{"TRIM", "DRAW"}), constraint.forbiddenOperationTypes());
  constraint.RemoveForbiddenOperationType("TRIM");
  EXPECT_EQ((Types{"DRAW"}), constraint.forbiddenOperationTypes());
  EXPECT_FALSE(constraint.operationTypeIsForbidden("TRIM"));

  constraint.AddUnpopularOperationType("FLANGE");
  constraint.AddUnpopularOperationType("FLANGE");
  constraint.AddUnpopularOperationType("PIERCE");
  EXPECT_EQ((Types{"FLANGE", "PIERCE"}), constraint.unpopularOperationTypes());
}

TEST(ConstraintTest, RemovingATypeKeepsTheOthersInOrder) {
  Constraint constraint;
  for (const char* type : {"A", "B", "C", "D"}) {
    constraint.AddForbiddenOperationType(type);
  }
  constraint.RemoveForbiddenOperationType("B");
  constraint.RemoveForbiddenOperationType("unknown");
  EXPECT_EQ((Types{"A", "C", "D"}), constraint.forbiddenOperationTypes());
}

TEST(ConstraintTest, ForbiddenAndUnpopularAreSeparateAndCaseSensitive) {
  Constraint constraint;
  constraint.AddForbiddenOperationType("TRIM");
  constraint.AddUnpopularOperationType("FLANGE");
  struct Case {
    const char* type;
    bool forbidden;
    bool unpopular;
  } cases[] = {
      {"TRIM", true, false},   {"trim", false, false}, {"TRIM ", false, false},
      {"FLANGE", false, true}, {"DRAW", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    boost::shared_ptr<VelkData::Operation> operation(
        new VelkData::Operation("OP", c.type));
    EXPECT_EQ(c.forbidden, constraint.operationTypeIsForbidden(c.type));
    EXPECT_EQ(c.forbidden,
              constraint.operationIsForbidden(std::string(c.type)));
    EXPECT_EQ(c.forbidden, constraint.operationIsForbidden(operation));
    EXPECT_EQ(c.unpopular, constraint.operationIsUnpopular(operation));
  }
}

TEST(ConstraintTest, EmptyOperationIsNeitherForbiddenNorUnpopular) {
  Constraint constraint;
  constraint.AddForbiddenOperationType("");
  constraint.AddUnpopularOperationType("");
  boost::shared_ptr<VelkData::Operation> none;
  EXPECT_FALSE(constraint.operationIsForbidden(none));
  EXPECT_FALSE(constraint.operationIsUnpopular(none));
}

TEST(ConstraintTest, CloneIsIndependentOfItsSource) {
  Constraint constraint;
  constraint.AddForbiddenOperationType("TRIM");
  constraint.AddUnpopularOperationType("FLANGE");
  constraint.SetEarly(false);

  boost::shared_ptr<Constraint> copy = constraint.clone();
  ASSERT_TRUE(copy);
  EXPECT_EQ((Types{"TRIM"}), copy->forbiddenOperationTypes());
  EXPECT_EQ((Types{"FLANGE"}), copy->unpopularOperationTypes());
  EXPECT_FALSE(copy->Early());

  constraint.RemoveForbiddenOperationType("TRIM");
  constraint.AddForbiddenOperationType("DRAW");
  constraint.AddUnpopularOperationType("PIERCE");
  constraint.SetEarly(true);
  EXPECT_EQ((Types{"TRIM"}), copy->forbiddenOperationTypes());
  EXPECT_EQ((Types{"FLANGE"}), copy->unpopularOperationTypes());
  EXPECT_FALSE(copy->Early());

  copy->AddForbiddenOperationType("BEND");
  EXPECT_FALSE(constraint.operationTypeIsForbidden("BEND"));
}

TEST(ConstraintTest, MetaObjectNamesTheClass) {
  EXPECT_STREQ("TamberData::Constraint",
               Constraint::staticMetaObject.className());
  Constraint constraint;
  EXPECT_STREQ("TamberData::Constraint", constraint.metaObject()->className());
}

}  // namespace
}  // namespace TamberData
