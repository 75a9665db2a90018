#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include "costdata/PriceUnit.h"

namespace VelkData {
namespace {

TEST(PriceUnitTest, CloneIsNewUnitWithAllFields) {
  PriceUnit unit("EUR_KG");
  unit.setLabel("EUR/kg");
  unit.setAmountLabel("kg");
  unit.setIsWeightUnit(true);

  boost::shared_ptr<PriceUnit> copy = unit.clone();
  ASSERT_TRUE(copy);
  EXPECT_NE(&unit, copy.get());
  EXPECT_EQ("EUR_KG", copy->id());
  EXPECT_EQ("EUR/kg", copy->label());
  EXPECT_EQ("kg", copy->amountLabel());
  EXPECT_TRUE(copy->isWeightUnit());

  copy->setIsWeightUnit(false);
  copy->setLabel("changed");
  EXPECT_TRUE(unit.isWeightUnit());
  EXPECT_EQ("EUR/kg", unit.label());
}

TEST(PriceUnitTest, EqualityComparesIdentifiersOnly) {
  PriceUnit a("EUR_KG");
  PriceUnit b("EUR_KG");
  b.setLabel("other");
  b.setAmountLabel("t");
  b.setIsWeightUnit(true);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_FALSE(a == PriceUnit("EUR_T"));
  EXPECT_TRUE(a != PriceUnit("EUR_T"));
}

}  // namespace
}  // namespace VelkData
