#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/CostTableItem.h"

namespace VelkData {
namespace {

TEST(CostTableItemTest, FormatsNumbersWithSixSignificantDigits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {1.0 / 3.0, "0.333333"}, {2.5, "2.5"},         {1234567.0, "1.23457e+06"},
      {100.0, "100"},          {0.0, "0"},           {-0.125, "-0.125"},
      {0.00001, "1e-05"},      {999999.4, "999999"}, {2.0 / 3.0, "0.666667"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CostTableItem item(c.value, false, 255, 255, 255);
    EXPECT_EQ(c.text, item.getStringData());
  }
}

TEST(CostTableItemTest, FormatsIntegersInFull) {
  EXPECT_EQ("1234567", CostTableItem(1234567, false, 0, 0, 0).getStringData());
  EXPECT_EQ("-7", CostTableItem(-7, false, 0, 0, 0).getStringData());
  EXPECT_EQ("0", CostTableItem(0, false, 0, 0, 0).getStringData());
}

TEST(CostTableItemTest, EveryConstructorStartsWithNeutralLayoutAndRoles) {
  struct Case {
    const char* name;
    CostTableItem item;
    const char* text;
    bool bold;
    BackgroundColor color;
  } cases[] = {
      {"default", CostTableItem(), "", false, {255, 255, 255}},
      {"text", CostTableItem("Steel"), "Steel", false, {255, 255, 255}},
      {"text bold", CostTableItem("Sum", true), "Sum", true, {255, 255, 255}},
      {"text colour",
       CostTableItem("Sum", true, 10, 20, 30),
       "Sum",
       true,
       {10, 20, 30}},
      {"int", CostTableItem(12, false, 1, 2, 3), "12", false, {1, 2, 3}},
      {"double", CostTableItem(0.5, true, 4, 5, 6), "0.5", true, {4, 5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CostTableItem& item = c.item;
    EXPECT_EQ(c.text, item.getStringData());
    EXPECT_EQ(c.bold, item.getBoldFace());
    EXPECT_EQ(c.color, item.getBackgroundColor());
    EXPECT_EQ("", item.getStringKey());
    EXPECT_EQ("left", item.getHorizontalAlignment());
    EXPECT_EQ("center", item.getVerticalAlignment());
    EXPECT_FALSE(item.isNumber());
    EXPECT_FALSE(item.isSum());
    EXPECT_FALSE(item.isEditable());
    EXPECT_FALSE(item.isOperationLabel());
    EXPECT_FALSE(item.isManufacturingStepLabel());
    EXPECT_FALSE(item.isMaterialLabel());
    EXPECT_FALSE(item.isComponentLabel());
    EXPECT_TRUE(item.getSumRange().empty());
  }
}

TEST(CostTableItemTest, EachRoleFlagSetterSetsOnlyItsFlag) {
  using Setter = void (CostTableItem::*)(bool);
  using Getter = bool (CostTableItem::*)() const;
  struct Flag {
    const char* name;
    Setter set;
    Getter get;
  } flags[] = {
      {"number", &CostTableItem::setIsNumber, &CostTableItem::isNumber},
      {"sum", &CostTableItem::setIsSum, &CostTableItem::isSum},
      {"editable", &CostTableItem::setIsEditable, &CostTableItem::isEditable},
      {"operation", &CostTableItem::setIsOperationLabel,
       &CostTableItem::isOperationLabel},
      {"step", &CostTableItem::setIsManufacturingStepLabel,
       &CostTableItem::isManufacturingStepLabel},
      {"material", &CostTableItem::setIsMaterialLabel,
       &CostTableItem::isMaterialLabel},
      {"component", &CostTableItem::setIsComponentLabel,
       &CostTableItem::isComponentLabel},
  };
  for (const Flag& set : flags) {
    SCOPED_TRACE(set.name);
    CostTableItem item("x");
    (item.*set.set)(true);
    for (const Flag& read : flags) {
      EXPECT_EQ(&read == &set, (item.*read.get)()) << read.name;
    }
    (item.*set.set)(false);
    EXPECT_FALSE((item.*set.get)());
  }
}

TEST(CostTableItemTest, DoubleDataReadsLeadingNumber) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"2.5", 2.5}, {"-1e3", -1000.0}, {"12 EUR", 12.0},
               {"abc", 0.0}, {"", 0.0},         {"1.23457e+06", 1234570.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_DOUBLE_EQ(c.value, CostTableItem(c.text).getDoubleData());
  }
}

TEST(CostTableItemTest, SumRangesKeepOrderAndCopiesAreIndependent) {
  CostTableItem item("sum");
  item.addSumRange(0, 3, "vertical", 1);
  item.addSumRange(2, 4, "horizontal", 0);

  std::vector<SumRange> list = item.getSumRange();
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ((SumRange{0, 3, "vertical", 1}), list[0]);
  EXPECT_EQ((SumRange{2, 4, "horizontal", 0}), list[1]);

  list[0].line = 9;
  CostTableItem copy = item;
  copy.addSumRange(5, 6, "vertical", 2);
  EXPECT_EQ(1, item.getSumRange()[0].line);
  EXPECT_EQ(2u, item.getSumRange().size());
  EXPECT_EQ(3u, copy.getSumRange().size());
}

}  // namespace
}  // namespace VelkData
