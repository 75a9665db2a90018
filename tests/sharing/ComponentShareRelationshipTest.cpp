#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "costdata/CostDatabase.h"
#include "sharing/componentShareRelationship.h"
#include "sharing/SharingSupport.h"

namespace VelkData {
namespace {

using velktest::ComponentList;
using velktest::ComponentPtr;
using velktest::sevenParameters;

typedef boost::shared_ptr<componentShareRelationship> RelationshipPtr;

// Each row of a table as "0 1 2", rows joined by " | ".
std::string table(const std::vector<std::vector<int>>& rows) {
  std::string out;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (r) out += " | ";
    for (std::size_t i = 0; i < rows[r].size(); ++i) {
      if (i) out += " ";
      out += std::to_string(rows[r][i]);
    }
  }
  return out;
}

std::string row(const std::vector<int>& entries) {
  return table(std::vector<std::vector<int>>(1, entries));
}

TEST(ComponentShareRelationshipTest, KindOneAppendsTheLowerDieSetAsResult) {
  ComponentPtr a = sevenParameters("CT_300_00");
  ComponentPtr b = sevenParameters("CT_120_00");
  componentShareRelationship r(1, {b, a});

  EXPECT_EQ("REL_300_00", r.getLabel());
  ASSERT_EQ(3u, r.inputComponents.size());
  EXPECT_EQ(b, r.inputComponents[0]);
  EXPECT_EQ(a, r.inputComponents[1]);
  EXPECT_EQ(a, r.inputComponents[2]);
  EXPECT_EQ(a, r.sharedComponent);
  EXPECT_EQ("0 1 2 3 4 5 6 | 0 1 2 3 4 5 6 | 0 1 2 3 4 5 6",
            table(r.mergeTable));
  EXPECT_EQ("2 2 1 4 2 2 2", row(r.mergeModes));
}

TEST(ComponentShareRelationshipTest, KindTwoLooksForTheUpperDieSet) {
  ComponentPtr lower = sevenParameters("CT_300_00");
  ComponentPtr upper = sevenParameters("CT_301_07");
  ComponentPtr second = sevenParameters("CT_301_00");
  componentShareRelationship r(2, {lower, upper, second});

  EXPECT_EQ("REL_301_00", r.getLabel());
  ASSERT_EQ(4u, r.inputComponents.size());
  EXPECT_EQ(upper, r.inputComponents.back());
  EXPECT_EQ(upper, r.sharedComponent);
  EXPECT_EQ(4u, r.mergeTable.size());
}

TEST(ComponentShareRelationshipTest, WithoutDieSetTheListIsKeptAsGiven) {
  ComponentPtr a = sevenParameters("CT_120_00");
  ComponentPtr b = sevenParameters("CT_30");
  componentShareRelationship r(1, {a, b});

  EXPECT_EQ("REL_300_00", r.getLabel());
  EXPECT_EQ((ComponentList{a, b}), r.inputComponents);
  EXPECT_FALSE(r.sharedComponent);
  EXPECT_EQ("0 1 2 3 4 5 6 | 0 1 2 3 4 5 6", table(r.mergeTable));
  EXPECT_EQ("2 2 1 4 2 2 2", row(r.mergeModes));
}

TEST(ComponentShareRelationshipTest, OtherKindsLeaveTheRelationshipAlone) {
  componentShareRelationship r(3, {sevenParameters("CT_300_00")});
  EXPECT_EQ("", r.getLabel());
  EXPECT_TRUE(r.inputComponents.empty());
  EXPECT_TRUE(r.mergeTable.empty());
  EXPECT_FALSE(r.sharedComponent);
  EXPECT_TRUE(r.mergeModes.empty());

  componentShareRelationship empty;
  empty.initFakeRelationship(0, {sevenParameters("CT_300_00")});
  EXPECT_EQ("-1", table(empty.mergeTable));
  EXPECT_TRUE(empty.inputComponents.empty());
}

TEST(ComponentShareRelationshipTest, EmptyListKeepsTheDefaultTables) {
  componentShareRelationship r;
  r.initFakeRelationship(2, ComponentList());
  EXPECT_EQ("REL_301_00", r.getLabel());
  EXPECT_EQ("-1", table(r.mergeTable));
  EXPECT_TRUE(r.mergeModes.empty());
}

// The tables used to be filled at entries 0 to 6 whatever their length,
// writing past the end of rows made for fewer parameters.
TEST(ComponentShareRelationshipTest, FewerThanSevenParametersFillOnlyTheirRows) {
  ComponentPtr a = velktest::component("CT_300_00", {"1", "2", "3"});
  componentShareRelationship r(1, {a});
  EXPECT_EQ("0 1 2 | 0 1 2", table(r.mergeTable));
  EXPECT_EQ("2 2 1", row(r.mergeModes));

  ComponentPtr none = velktest::component("CT_300_00", {});
  componentShareRelationship r2(1, {none});
  EXPECT_EQ(" | ", table(r2.mergeTable));
  EXPECT_TRUE(r2.mergeModes.empty());
}

TEST(ComponentShareRelationshipTest, MoreThanSevenParametersKeepZeroBeyond) {
  ComponentPtr a = velktest::component(
      "CT_301_00", {"1", "2", "3", "4", "5", "6", "7", "8", "9"});
  componentShareRelationship r(2, {a});
  EXPECT_EQ("0 1 2 3 4 5 6 0 0 | 0 1 2 3 4 5 6 0 0", table(r.mergeTable));
  EXPECT_EQ("2 2 1 4 2 2 2 0 0", row(r.mergeModes));
}

TEST(ComponentShareRelationshipTest, InputMatchGoesByComponentKey) {
  ComponentPtr a = sevenParameters("CT_300_00");
  ComponentPtr b = sevenParameters("CT_120_00");
  componentShareRelationship r(1, {a, b});

  EXPECT_TRUE(r.inputMatch(ComponentList()));
  EXPECT_TRUE(r.inputMatch({sevenParameters("CT_120_00")}));
  EXPECT_TRUE(r.inputMatch({b, a}));
  EXPECT_FALSE(r.inputMatch({sevenParameters("CT_301_00")}));
  EXPECT_FALSE(r.inputMatch({a, sevenParameters("CT_301_00")}));
  EXPECT_FALSE(r.inputMatch({a, ComponentPtr()}));
}

// The inputs of a built-in relationship repeat the die set. A key that
// several inputs carry must not count for a wanted component that has no
// partner.
TEST(ComponentShareRelationshipTest, InputMatchWithRepeatedKeys) {
  ComponentPtr dieSet = sevenParameters("CT_300_00");
  componentShareRelationship r(1, {dieSet, sevenParameters("CT_120_00")});
  ASSERT_EQ(3u, r.inputComponents.size());

  EXPECT_FALSE(r.inputMatch({dieSet, sevenParameters("CT_999_00")}));
  EXPECT_FALSE(r.inputMatch({sevenParameters("CT_999_00"), dieSet}));
  EXPECT_TRUE(r.inputMatch({dieSet, dieSet, dieSet}));
  EXPECT_TRUE(r.inputMatch({sevenParameters("CT_300_00"),
                            sevenParameters("CT_300_00"),
                            sevenParameters("CT_120_00")}));
}

TEST(ComponentShareRelationshipTest, EqualityIsByLabelOnly) {
  componentShareRelationship a(1, {sevenParameters("CT_300_00")});
  componentShareRelationship b(1, {sevenParameters("CT_300_01"),
                                   sevenParameters("CT_120_00")});
  componentShareRelationship c(2, {sevenParameters("CT_301_00")});
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
}

TEST(ComponentShareRelationshipTest, CloneSharesComponentsAndCopiesTables) {
  RelationshipPtr r(new componentShareRelationship(
      1, {sevenParameters("CT_300_00"), sevenParameters("CT_120_00")}));
  RelationshipPtr copy = r->clone();

  EXPECT_TRUE(*copy == *r);
  EXPECT_EQ(r->inputComponents, copy->inputComponents);
  EXPECT_EQ(r->sharedComponent, copy->sharedComponent);
  EXPECT_EQ(table(r->mergeTable), table(copy->mergeTable));
  copy->mergeModes[0] = 5;
  copy->mergeTable[0][0] = 9;
  EXPECT_EQ(2, r->mergeModes[0]);
  EXPECT_EQ(0, r->mergeTable[0][0]);
}

TEST(ComponentShareRelationshipTest, DatabaseAnswersMatchingRelationsInOrder) {
  CostDatabase db;
  ComponentPtr lower = sevenParameters("CT_300_00");
  ComponentPtr upper = sevenParameters("CT_301_00");
  RelationshipPtr lowerRel(new componentShareRelationship(1, {lower}));
  RelationshipPtr upperRel(new componentShareRelationship(2, {upper}));
  RelationshipPtr both(new componentShareRelationship(2, {lower, upper}));
  db.AddSharingRelationship(lowerRel);
  db.AddSharingRelationship(upperRel);
  db.AddSharingRelationship(both);
  db.AddSharingRelationship(RelationshipPtr());

  EXPECT_EQ(3, db.SharingRelationshipCount());
  EXPECT_EQ(upperRel, db.GetSharingRelationship(1));
  EXPECT_FALSE(db.GetSharingRelationship(3));
  EXPECT_FALSE(db.GetSharingRelationship(-1));

  std::vector<RelationshipPtr> matching =
      db.GetMatchingSharingRelationships({sevenParameters("CT_301_00")});
  ASSERT_EQ(2u, matching.size());
  EXPECT_EQ(upperRel, matching[0]);
  EXPECT_EQ(both, matching[1]);
  EXPECT_EQ(3u, db.GetMatchingSharingRelationships(ComponentList()).size());
}

}  // namespace
}  // namespace VelkData
