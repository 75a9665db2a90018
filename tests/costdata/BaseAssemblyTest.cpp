#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDriverDouble.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "support/TestUtil.h"

namespace VelkData {
namespace {

using TamberData::Component;

typedef boost::shared_ptr<Component> ComponentPtr;
typedef boost::shared_ptr<FormulaContainer> ContainerPtr;

class BaseAssemblyTest : public ::testing::Test {
 protected:
  BaseAssemblyTest() : assembly_("Die set 1", "DRAW") {}

  static ComponentPtr component(const std::string& key) {
    return ComponentPtr(new Component("Label " + key, key));
  }

  static ContainerPtr amount(const std::string& formula) {
    ContainerPtr c(new FormulaContainer());
    c->addFormula(formula);
    return c;
  }

  // Key and merge behaviour of every entry, e.g. "CT_300_00:1 CT_301_00:2".
  static std::string entries(const BaseAssembly& a) {
    std::string out;
    for (int i = 0; i < a.ComponentCount(); ++i) {
      if (i) out += " ";
      out += a.ComponentAt(i)->getComponentKey() + ":" +
             std::to_string(a.mergeBehaviorAt(i));
    }
    return out;
  }

  BaseAssembly assembly_;
};

TEST_F(BaseAssemblyTest, DieSetsAreTheFirstActiveComponentsWithTheirPrefix) {
  ComponentPtr inactive = component("CT_300_00");
  inactive->Deactivate();
  ComponentPtr lower = component("CT_300_01");
  ComponentPtr later = component("CT_300_02");
  assembly_.AddComponent(component("CT_30"), amount("1"), 0);
  assembly_.AddComponent(inactive, amount("1"), 0);
  assembly_.AddComponent(component("CT_310_00"), amount("1"), 0);
  assembly_.AddComponent(lower, amount("1"), 0);
  assembly_.AddComponent(later, amount("1"), 0);

  EXPECT_EQ(lower, assembly_.getLowerDieSet());
  EXPECT_FALSE(assembly_.getUpperDieSet());

  ComponentPtr upper = component("CT_301_00");
  assembly_.AddComponent(upper, amount("1"), 0);
  EXPECT_EQ(upper, assembly_.getUpperDieSet());
}

TEST_F(BaseAssemblyTest, OnlyTheExactTypeDiesetIsADieSet) {
  EXPECT_TRUE(BaseAssembly("A", "DIESET").isDieset());
  EXPECT_FALSE(BaseAssembly("A", "Dieset").isDieset());
  EXPECT_FALSE(BaseAssembly("A", "DIESET ").isDieset());
  EXPECT_FALSE(BaseAssembly().isDieset());
}

TEST_F(BaseAssemblyTest, RemoveComponentGoesByObjectNotByEquality) {
  ComponentPtr first = component("CT_300_00");
  ComponentPtr second = component("CT_301_00");
  assembly_.AddComponent(first, amount("1"), 1);
  assembly_.AddComponent(second, amount("2"), 2);
  assembly_.AddComponent(first, amount("3"), 3);

  EXPECT_FALSE(assembly_.RemoveComponent(component("CT_300_00")));
  EXPECT_EQ("CT_300_00:1 CT_301_00:2 CT_300_00:3", entries(assembly_));

  EXPECT_TRUE(assembly_.RemoveComponent(first));
  EXPECT_EQ("CT_301_00:2 CT_300_00:3", entries(assembly_));
  EXPECT_EQ(2, assembly_.AmountAt(0));
  EXPECT_EQ(3, assembly_.AmountAt(1));
}

TEST_F(BaseAssemblyTest, RemoveComponentAtIgnoresIndicesOutsideTheList) {
  assembly_.AddComponent(component("CT_300_00"), amount("1"), 1);
  assembly_.AddComponent(component("CT_301_00"), amount("2"), 2);
  assembly_.RemoveComponentAt(2);
  assembly_.RemoveComponentAt(-1);
  EXPECT_EQ("CT_300_00:1 CT_301_00:2", entries(assembly_));
  assembly_.RemoveComponentAt(0);
  EXPECT_EQ("CT_301_00:2", entries(assembly_));
  EXPECT_EQ(2, assembly_.AmountAt(0));
}

TEST_F(BaseAssemblyTest, AmountIsTruncatedTowardZero) {
  assembly_.AddComponent(component("CT_134_00"), amount("2.9"), 0);
  assembly_.AddComponent(component("CT_134_00"), amount("-2.9"), 0);
  assembly_.AddComponent(component("CT_134_00"), amount("0.99"), 0);
  EXPECT_EQ(2, assembly_.AmountAt(0));
  EXPECT_EQ(-2, assembly_.AmountAt(1));
  EXPECT_EQ(0, assembly_.AmountAt(2));
}

TEST_F(BaseAssemblyTest, AmountFailuresReachTheCaller) {
  assembly_.AddComponent(component("CT_134_00"), amount("n+1"), 0);
  assembly_.AddComponent(component("CT_134_00"), ContainerPtr(), 0);
  assembly_.AddComponent(component("CT_134_00"), amount("1000000*1000000"), 0);
  EXPECT_THROW_MSG(assembly_.AmountAt(0), NoFormulaResultException,
                   "NoFormulaResultException when setting parameters for "
                   "formula n+1: Variable n in formula n+1 is undefined.\n");
  EXPECT_THROW_MSG(assembly_.AmountAt(1), NoFormulaResultException,
                   "No amount formula for component 1 of base assembly "
                   "Die set 1");
  EXPECT_THROW_MSG(
      assembly_.AmountAt(2), NoFormulaResultException,
      "Amount formula 1000000*1000000 of base assembly Die set 1 gives "
      "1e+12, which is no number of components");
  EXPECT_THROW_MSG(assembly_.AmountAt(3), NoFormulaResultException,
                   "No amount formula for component 3 of base assembly "
                   "Die set 1");
}

TEST_F(BaseAssemblyTest, IndexedLookupsOutsideTheListAreNeutral) {
  assembly_.AddComponent(component("CT_300_00"), amount("1"), 4);
  EXPECT_EQ(4, assembly_.mergeBehaviorAt(0));
  EXPECT_EQ(-1, assembly_.mergeBehaviorAt(-1));
  EXPECT_EQ(-1, assembly_.mergeBehaviorAt(assembly_.ComponentCount()));
  EXPECT_FALSE(assembly_.ComponentAt(1));
  EXPECT_FALSE(assembly_.ComponentAt(-1));
  EXPECT_FALSE(assembly_.AmountFormulaAt(1));
}

TEST_F(BaseAssemblyTest, AmountFormulasRecordTheDriversTheyName) {
  boost::shared_ptr<CostDriverDouble> cd1(new CostDriverDouble("CD_OP_1"));
  cd1->setValue(3);
  boost::shared_ptr<CostDriverDouble> cd10(new CostDriverDouble("CD_OP_10"));
  cd10->setValue(4);
  boost::shared_ptr<CostDriverDouble> cd2(new CostDriverDouble("CD_OP_2"));
  cd2->setValue(5);
  boost::shared_ptr<CostDriverDouble> unnamed(new CostDriverDouble(""));
  ContainerPtr perStroke = amount("CD_OP_10*2");
  // Every formula of a container counts, not only the first.
  ContainerPtr alternatives = amount("x");
  alternatives->addFormula("CD_OP_2");
  assembly_.AddComponent(component("CT_134_00"), perStroke, 0);
  assembly_.AddComponent(component("CT_134_00"), ContainerPtr(), 0);
  assembly_.AddComponent(component("CT_135_00"), alternatives, 0);

  assembly_.SetAmountDependencies({cd1, cd10, cd2, unnamed});

  ASSERT_EQ(2, perStroke->dependencyCount());
  EXPECT_EQ(cd1, perStroke->dependencyAt(0));
  EXPECT_EQ(cd10, perStroke->dependencyAt(1));
  ASSERT_EQ(1, alternatives->dependencyCount());
  EXPECT_EQ(cd2, alternatives->dependencyAt(0));
  EXPECT_EQ(8, assembly_.AmountAt(0));
  EXPECT_EQ(5, assembly_.AmountAt(2));
}

TEST_F(BaseAssemblyTest, CloneOwnsComponentsAndFormulas) {
  ComponentPtr lower = component("CT_300_00");
  ContainerPtr two = amount("2");
  assembly_.AddComponent(lower, two, 1);
  assembly_.AddComponent(component("CT_301_00"), amount("1"), 2);

  boost::shared_ptr<BaseAssembly> copy = assembly_.clone();

  EXPECT_EQ("Die set 1", copy->label());
  EXPECT_EQ("DRAW", copy->OperationType());
  EXPECT_EQ("CT_300_00:1 CT_301_00:2", entries(*copy));
  EXPECT_NE(lower, copy->ComponentAt(0));
  EXPECT_NE(two, copy->AmountFormulaAt(0));
  copy->AmountFormulaAt(0)->setFormulaAt(0, "7");
  EXPECT_EQ(7, copy->AmountAt(0));
  EXPECT_EQ(2, assembly_.AmountAt(0));
}

TEST_F(BaseAssemblyTest, CarriesMetaObjectInformation) {
  EXPECT_STREQ("VelkData::BaseAssembly",
               BaseAssembly::staticMetaObject.className());
}

}  // namespace
}  // namespace VelkData
