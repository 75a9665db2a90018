#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include "costdata/PriceUnit.h"
#include "costdata/ToolMaterial.h"

namespace VelkData {
namespace {

boost::shared_ptr<PriceUnit> makeUnit(const std::string& id, bool weight) {
  boost::shared_ptr<PriceUnit> unit(new PriceUnit(id));
  unit->setIsWeightUnit(weight);
  return unit;
}

TEST(ToolMaterialTest, CostPerVolumeUnitWeighsOnlyWeightPricedMaterials) {
  struct Case {
    const char* name;
    boost::shared_ptr<PriceUnit> unit;
    float cost;
    float density;
    float expected;
  } cases[] = {
      {"weight unit", makeUnit("EUR_KG", true), 2.5f, 7.85f, 19.625f},
      {"volume unit", makeUnit("EUR_DM3", false), 2.5f, 7.85f, 2.5f},
      {"no unit", boost::shared_ptr<PriceUnit>(), 2.5f, 7.85f, 2.5f},
      {"weight unit, zero cost", makeUnit("EUR_KG", true), 0.0f, 7.85f, 0.0f},
      {"weight unit, density 1", makeUnit("EUR_KG", true), 3.25f, 1.0f, 3.25f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolMaterial material("GG25");
    material.SetPriceUnit(c.unit);
    material.SetCostPerUnit(c.cost);
    material.SetDensity(c.density);
    EXPECT_EQ(c.expected, material.CostPerVolumeUnit());
  }
}

TEST(ToolMaterialTest, NewMaterialHasUnitDensityAndNoCost) {
  ToolMaterial material("GG25");
  EXPECT_EQ(1.0f, material.Density());
  EXPECT_EQ(0.0f, material.CostPerUnit());
  EXPECT_FALSE(material.priceUnit());
  EXPECT_EQ(0.0f, material.CostPerVolumeUnit());
}

TEST(ToolMaterialTest, CloneCopiesValuesAndSharesPriceUnit) {
  boost::shared_ptr<PriceUnit> unit = makeUnit("EUR_KG", true);
  ToolMaterial material("GG25");
  material.setLabel("Cast iron");
  material.SetDensity(7.2f);
  material.SetCostPerUnit(1.5f);
  material.SetPriceUnit(unit);

  boost::shared_ptr<ToolMaterial> copy = material.clone();
  ASSERT_TRUE(copy);
  EXPECT_EQ("GG25", copy->id());
  EXPECT_EQ("Cast iron", copy->label());
  EXPECT_EQ(7.2f, copy->Density());
  EXPECT_EQ(1.5f, copy->CostPerUnit());
  EXPECT_EQ(unit.get(), copy->priceUnit().get());

  // The unit is shared: a change to it reaches both materials.
  unit->setIsWeightUnit(false);
  EXPECT_EQ(1.5f, copy->CostPerVolumeUnit());

  // The rest is the clone's own.
  copy->SetCostPerUnit(9.0f);
  copy->setLabel("changed");
  EXPECT_EQ(1.5f, material.CostPerUnit());
  EXPECT_EQ("Cast iron", material.label());
}

TEST(ToolMaterialTest, EqualityComparesIdentifiersOnly) {
  ToolMaterial a("GG25");
  ToolMaterial b("GG25");
  b.setLabel("other");
  b.SetDensity(2.0f);
  b.SetCostPerUnit(4.0f);
  b.SetPriceUnit(makeUnit("EUR_KG", true));
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_FALSE(a == ToolMaterial("1.2379"));
}

}  // namespace
}  // namespace VelkData
