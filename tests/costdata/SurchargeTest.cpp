#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/CostDriverDouble.h"
#include "costdata/Operation.h"
#include "costdata/Surcharge.h"
#include "formula/FormulaContainer.h"
#include "support/TestUtil.h"

namespace VelkData {
namespace {

class SurchargeTest : public ::testing::Test {
 protected:
  SurchargeTest() : container_(new FormulaContainer()) {}

  boost::shared_ptr<CostDriverDouble> driver(const std::string& id,
                                             float value) {
    boost::shared_ptr<CostDriverDouble> d(new CostDriverDouble(id));
    d->setValue(value);
    return d;
  }

  boost::shared_ptr<FormulaContainer> container_;
};

TEST_F(SurchargeTest, SetFormulaStringAddsFormulaToEmptyContainer) {
  Surcharge surcharge("S1", container_);
  surcharge.setFormulaString("2*3");
  EXPECT_EQ(1, container_->formulaCount());
  EXPECT_EQ("2*3", surcharge.getFormulaString());
  EXPECT_DOUBLE_EQ(6.0, surcharge.doubleValue());
}

TEST_F(SurchargeTest, SetFormulaStringReplacesOnlyTheFirstFormula) {
  container_->addFormula("1");
  container_->addFormula("7");
  Surcharge surcharge("S1", container_);
  surcharge.setFormulaString("2+2");
  ASSERT_EQ(2, container_->formulaCount());
  EXPECT_EQ("2+2", container_->formulaAt(0));
  EXPECT_EQ("7", container_->formulaAt(1));
  EXPECT_EQ("2+2", surcharge.getFormulaString());
  EXPECT_DOUBLE_EQ(4.0, surcharge.doubleValue());
}

TEST_F(SurchargeTest, FurtherFormulasStillStandInAfterReplacingTheFirst) {
  container_->addFormula("1");
  container_->addFormula("7");
  Surcharge surcharge("S1", container_);
  surcharge.setFormulaString("unbound+1");
  velktest::DebugCapture debug;
  EXPECT_DOUBLE_EQ(7.0, surcharge.doubleValue());
  EXPECT_TRUE(debug.lines().empty()) << debug.joined();
}

TEST_F(SurchargeTest, EmptyOrBrokenFormulaTextLeavesFormulaUnchanged) {
  Surcharge surcharge("S1", container_);
  surcharge.setFormulaString("3");
  surcharge.setFormulaString("");
  EXPECT_EQ("3", surcharge.getFormulaString());
  EXPECT_ANY_THROW(surcharge.setFormulaString("2*"));
  EXPECT_EQ("3", surcharge.getFormulaString());
  EXPECT_DOUBLE_EQ(3.0, surcharge.doubleValue());
}

TEST_F(SurchargeTest, GetFormulaStringIsEmptyWithoutFormula) {
  EXPECT_EQ("", Surcharge("S1", container_).getFormulaString());
}

TEST_F(SurchargeTest, UnboundVariableYieldsUserfactorAndOneDebugLine) {
  Surcharge surcharge("S1", container_);
  surcharge.setFormulaString("x+1");
  {
    velktest::DebugCapture debug;
    EXPECT_DOUBLE_EQ(1.0, surcharge.doubleValue());
    ASSERT_EQ(1u, debug.lines().size());
    EXPECT_EQ(
        "Could not evaluate formula x+1 for surcharge S1: "
        "NoFormulaResultException when setting parameters for formula x+1: "
        "Variable x in formula x+1 is undefined.\n\n",
        debug.lines()[0]);
  }
  surcharge.setUserfactor(1.15);
  velktest::DebugCapture debug;
  EXPECT_DOUBLE_EQ(static_cast<double>(1.15f), surcharge.doubleValue());
  EXPECT_EQ(1u, debug.lines().size());
}

TEST_F(SurchargeTest, CloneSharesTheContainer) {
  Surcharge surcharge("S1", container_);
  surcharge.setLabel("Handling");
  surcharge.setUserfactor(2.0);
  surcharge.setFormulaString("5");

  boost::shared_ptr<Surcharge> copy = surcharge.clone();
  ASSERT_TRUE(copy);
  EXPECT_EQ("S1", copy->id());
  EXPECT_EQ("Handling", copy->label());
  EXPECT_DOUBLE_EQ(2.0, copy->userfactor());

  copy->setFormulaString("8");
  EXPECT_DOUBLE_EQ(8.0, surcharge.doubleValue());
  EXPECT_DOUBLE_EQ(8.0, copy->doubleValue());
  surcharge.setFormulaString("9");
  EXPECT_DOUBLE_EQ(9.0, copy->doubleValue());

  copy->setLabel("changed");
  copy->setUserfactor(3.0);
  EXPECT_EQ("Handling", surcharge.label());
  EXPECT_DOUBLE_EQ(2.0, surcharge.userfactor());
}

TEST_F(SurchargeTest, SetOperationBindsTheOperationDrivers) {
  boost::shared_ptr<Operation> operation(new Operation("OP 20", "TRIM"));
  boost::shared_ptr<CostDriverDouble> length = driver("CD_LEN", 3.0f);
  boost::shared_ptr<CostDriverDouble> width = driver("CD_WID", 4.0f);
  operation->AddCostDriver(length);
  operation->AddCostDriver(width);

  container_->addDependency(driver("CD_STALE", 1.0f));
  Surcharge surcharge("S1", container_);
  surcharge.setFormulaString("CD_LEN*CD_WID");
  surcharge.setOperation(operation);

  ASSERT_EQ(2, container_->dependencyCount());
  EXPECT_EQ("CD_LEN", container_->dependencyAt(0)->id());
  EXPECT_EQ("CD_WID", container_->dependencyAt(1)->id());
  EXPECT_DOUBLE_EQ(12.0, surcharge.doubleValue());

  length->setValue(5.0f);
  EXPECT_DOUBLE_EQ(20.0, surcharge.doubleValue());
}

TEST_F(SurchargeTest, SetOperationWithoutOperationOnlyUnbinds) {
  container_->addDependency(driver("CD_LEN", 3.0f));
  Surcharge surcharge("S1", container_);
  surcharge.setOperation(boost::shared_ptr<Operation>());
  EXPECT_EQ(0, container_->dependencyCount());
}

TEST_F(SurchargeTest, DetailedRecentFormulaStringShowsValuesAfterPrinting) {
  container_->addDependency(driver("CD_LEN", 3.0f));
  Surcharge surcharge("S1", container_);
  surcharge.setFormulaString("CD_LEN*2");
  velktest::StdoutCapture out;
  EXPECT_EQ("(CD_LEN = 3)*2 = 6", surcharge.detailedRecentFormulaString());
  EXPECT_NE(std::string::npos, out.text().find("FormulaContainer Information"));
}

TEST_F(SurchargeTest, WithoutContainerAnswersNeutralValues) {
  Surcharge surcharge;
  surcharge.setUserfactor(1.5);
  velktest::DebugCapture debug;
  EXPECT_EQ("", surcharge.getFormulaString());
  EXPECT_EQ("", surcharge.detailedRecentFormulaString());
  EXPECT_DOUBLE_EQ(1.5, surcharge.doubleValue());
  EXPECT_TRUE(debug.lines().empty()) << debug.joined();
  EXPECT_EQ("", surcharge.clone()->getFormulaString());
}

TEST_F(SurchargeTest, WithoutContainerSettersMakeOne) {
  boost::shared_ptr<Operation> operation(new Operation("OP 20", "TRIM"));
  operation->AddCostDriver(driver("CD_LEN", 3.0f));
  Surcharge surcharge;
  surcharge.setOperation(operation);
  surcharge.setFormulaString("CD_LEN+1");
  EXPECT_EQ("CD_LEN+1", surcharge.getFormulaString());
  EXPECT_DOUBLE_EQ(4.0, surcharge.doubleValue());
}

TEST_F(SurchargeTest, EqualityComparesIdentifiersOnly) {
  Surcharge a("S1", container_);
  Surcharge b("S1", boost::shared_ptr<FormulaContainer>());
  b.setLabel("other");
  b.setUserfactor(5.0);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_FALSE(a == Surcharge("S2", container_));
}

}  // namespace
}  // namespace VelkData
