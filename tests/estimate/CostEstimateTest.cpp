#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cmath>
#include <string>

#include "velkdata/velkdata.h"
#include "SampleFixture.h"

namespace {

using VelkData::CostEstimate;

// The sample's costs worked out by hand from its inputs: part 1200 x 800 x
// 150 mm, the catalogue's amount formulas, rates and surcharges.
namespace hand {

const double kCastIron = 2.1 * 7.2;          // per dm3: price per kg x density
const double kToolSteel = 7.5 * 7.7 * 1.08;  // with the alloy surcharge
const double kSteel = 1.3 * 7.85;

double cnc(double hours) { return hours * 95.0 * 1.05; }  // cutter wear
double heat(double hours) { return hours * 60.0; }
double assembly(double hours) { return hours * 70.0; }

struct Cost {
  double material = 0.0;
  double process = 0.0;
  Cost& operator+=(const Cost& other) {
    material += other.material;
    process += other.process;
    return *this;
  }
};

Cost times(int n, Cost c) {
  c.material *= n;
  c.process *= n;
  return c;
}

Cost lowerShoe(double l, double w, double h) {
  return {l * w * h * 0.55 / 1e6 * kCastIron, cnc(l * w / 80000) + assembly(4)};
}
Cost upperShoe(double l, double w, double h) {
  return {l * w * h * 0.5 / 1e6 * kCastIron, cnc(l * w / 90000) + assembly(4)};
}
Cost guidePins(int n) {
  return times(n, {0.5 * kSteel, cnc(0.5) + assembly(0.25)});
}
Cost gasSprings(int n) { return times(n, {0.0, assembly(0.75)}); }

double subtotal(const Cost& c, double typeSurcharge) {
  return (c.material * 1.05 + c.process * 1.10) * (1.0 + typeSurcharge);
}

// Die 1800 x 1400 x 700; shoe heights 0.4 and 0.35 of it, rounded up to
// 10 mm; punch 1300 x 900 x 350; 14 h try-out at factor 1.5.
double draw() {
  Cost c = lowerShoe(1800, 1400, 280);
  c += upperShoe(1800, 1400, 250);
  c += guidePins(4);
  c += gasSprings(6);
  c += Cost{1300.0 * 900 * 350 * 0.35 / 1e6 * kCastIron,
            cnc(1300.0 * 900 / 40000) + 14 * 120 * 1.5 + assembly(6)};
  return subtotal(c, 0.15);
}

// Die 1600 x 1200 x 550; 4000 mm of trim line in 8 steels of 500 mm.
double trim() {
  Cost c = lowerShoe(1600, 1200, 220);
  c += upperShoe(1600, 1200, 200);
  c += guidePins(4);
  c += gasSprings(4);
  c += times(8, {500 * 0.012 * kToolSteel, cnc(5) + heat(1.5)});
  return subtotal(c, 0.04);
}

// Die 1600 x 1200 x 600, whose die set the piercing die shares.
double flange() {
  Cost c = lowerShoe(1600, 1200, 240);
  c += upperShoe(1600, 1200, 210);
  c += guidePins(4);
  c += gasSprings(4);
  c += times(4, {600 * 0.01 * kToolSteel, cnc(5) + heat(1.2)});
  return subtotal(c, 0.0);
}

Cost punch(double d) {
  return {(0.05 + d * d / 2000) * kToolSteel, cnc(0.6 + d / 40) + heat(0.25)};
}

double pierce() {
  Cost c = guidePins(4);
  c += gasSprings(4);
  c += times(4, punch(12));
  c += times(2, punch(20));
  return subtotal(c, 0.0);
}

}  // namespace hand

// Relative comparison: the model keeps rates and values in float.
void expectMoney(double expected, double actual) {
  EXPECT_NEAR(expected, actual, std::fabs(expected) * 1e-5);
}

class CostEstimateTest : public SampleFixture {
 protected:
  boost::shared_ptr<VelkData::Surcharge> surcharge(const std::string& id,
                                                   const std::string& label,
                                                   const std::string& text) {
    auto s = boost::make_shared<VelkData::Surcharge>(
        id, boost::make_shared<VelkData::FormulaContainer>());
    s->setLabel(label);
    s->setFormulaString(text);
    return s;
  }

  static std::string issueLines(const CostEstimate& estimate) {
    std::string lines;
    for (const CostEstimate::Issue& issue : estimate.issues()) {
      lines += issue.text() + "\n";
    }
    return lines;
  }

};

TEST_F(CostEstimateTest, SampleSubtotalsAndTotalMatchHandWorkedCosts) {
  const CostEstimate estimate(*db_);
  EXPECT_EQ("", issueLines(estimate));
  EXPECT_TRUE(estimate.complete());
  EXPECT_EQ("EUR", estimate.currency());
  ASSERT_EQ(4u, estimate.operations().size());
  expectMoney(hand::draw(), estimate.operations()[0].subtotal);
  expectMoney(hand::trim(), estimate.operations()[1].subtotal);
  expectMoney(hand::flange(), estimate.operations()[2].subtotal);
  expectMoney(hand::pierce(), estimate.operations()[3].subtotal);
  const double operations =
      hand::draw() + hand::trim() + hand::flange() + hand::pierce();
  expectMoney(operations, estimate.operationsTotal());
  expectMoney(operations * (1.0 + 0.12 + 0.03), estimate.total());
}

TEST_F(CostEstimateTest, SharedDieSetIsCostedOnceInItsFirstOperation) {
  const CostEstimate estimate(*db_);
  const CostEstimate::OperationEstimate& pierce = estimate.operations()[3];
  int shared = 0;
  for (const CostEstimate::ComponentEstimate& c : pierce.components) {
    if (c.note == "shared with OP30") {
      ++shared;
      EXPECT_EQ(0.0, c.cost());
    }
  }
  EXPECT_EQ(2, shared);
}

TEST_F(CostEstimateTest, ComponentLinesShowAmountsAndItemsInDatabaseOrder) {
  const CostEstimate estimate(*db_);
  const CostEstimate::ComponentEstimate& pins =
      estimate.operations()[0].components[2];
  EXPECT_EQ("Guide pin", pins.label);
  EXPECT_EQ("BA_DRAW", pins.source);
  EXPECT_EQ(4, pins.amount);
  ASSERT_EQ(2u, pins.steps.size());
  EXPECT_EQ("MS_CNC", pins.steps[0].id);
  EXPECT_EQ("MS_ASSY", pins.steps[1].id);
  EXPECT_DOUBLE_EQ(2.0, pins.steps[0].quantity);
  EXPECT_NEAR(0.05, pins.steps[0].surcharge, 1e-9);
  ASSERT_EQ(1u, pins.materials.size());
  EXPECT_EQ("TM_ST52", pins.materials[0].id);
  EXPECT_DOUBLE_EQ(2.0, pins.materials[0].quantity);

  const CostEstimate::ComponentEstimate& punch =
      estimate.operations()[0].components[4];
  EXPECT_EQ("Draw punch", punch.label);
  ASSERT_EQ(3u, punch.steps.size());
  EXPECT_EQ("MS_TRYOUT", punch.steps[2].id);
  EXPECT_NEAR(1.5, punch.steps[2].factor, 1e-6);
  expectMoney(14 * 120 * 1.5, punch.steps[2].cost);
}

TEST_F(CostEstimateTest, FailingAmountFormulaIsReportedWithItsPlace) {
  plan_->OperationAt(1)->baseAssembly()->AmountFormulaAt(2)->setFormulaAt(
      0, "NO_SUCH_DRIVER*2");
  const CostEstimate estimate(*db_);
  EXPECT_FALSE(estimate.complete());
  ASSERT_EQ(1u, estimate.issues().size());
  EXPECT_EQ(
      "OP20 / Guide pin / amount: NoFormulaResultException when setting "
      "parameters for formula NO_SUCH_DRIVER*2: Variable NO_SUCH_DRIVER in "
      "formula NO_SUCH_DRIVER*2 is undefined. in formula "
      "\"NO_SUCH_DRIVER*2\"",
      estimate.issues()[0].text());
  EXPECT_TRUE(estimate.operations()[0].complete);
  EXPECT_FALSE(estimate.operations()[1].complete);
  EXPECT_FALSE(estimate.operations()[1].components[2].complete);
  // The other operations are still costed in full.
  expectMoney(hand::draw(), estimate.operations()[0].subtotal);
}

TEST_F(CostEstimateTest, FailingOperationDriverReachesEveryFormulaThatReadsIt) {
  driver(0, "DRAW_DEPTH")->getFormulaContainer()->setFormulaAt(0, "1/0");
  const CostEstimate estimate(*db_);
  EXPECT_FALSE(estimate.complete());
  EXPECT_FALSE(estimate.operations()[0].complete);
  EXPECT_TRUE(estimate.operations()[1].complete);
  const std::string lines = issueLines(estimate);
  // The punch height reads the drawing depth, and so does the draw
  // surcharge; neither falls back to a number.
  EXPECT_NE(std::string::npos, lines.find("OP10 / Draw punch / PUNCH_H: "))
      << lines;
  EXPECT_NE(std::string::npos, lines.find("OP10 / surcharge S_DRAW_DEPTH: "))
      << lines;
  EXPECT_NE(std::string::npos,
            lines.find("in formula \"min(0.2,DRAW_DEPTH/1000)\""))
      << lines;
}

TEST_F(CostEstimateTest, FailingUnitAmountIsReportedAsMissingComponents) {
  const auto units = plan_->getProcUnitsFromOP(plan_->OperationAt(1));
  ASSERT_EQ(1u, units.size());
  units[0]->amountFormulaAt(0)->setFormulaAt(0, "ceil(NO_SUCH/500)");
  const CostEstimate estimate(*db_);
  ASSERT_EQ(1u, estimate.issues().size());
  EXPECT_EQ(0u, estimate.issues()[0].text().find(
                    "OP20 / Trim steel / amount in Trim steel unit: "))
      << estimate.issues()[0].text();
  EXPECT_FALSE(estimate.operations()[1].complete);
}

TEST_F(CostEstimateTest, SurchargeFormulaFailureUsesNoUserFactor) {
  db_->AddTotalCostSurcharge(surcharge("S_BROKEN", "Broken", "UNKNOWN+1"));
  const CostEstimate estimate(*db_);
  ASSERT_EQ(1u, estimate.issues().size());
  EXPECT_EQ(
      "surcharge S_BROKEN: NoFormulaResultException when setting parameters "
      "for formula UNKNOWN+1: Variable UNKNOWN in formula UNKNOWN+1 is "
      "undefined. in formula \"UNKNOWN+1\"",
      estimate.issues()[0].text());
  ASSERT_EQ(3u, estimate.totalSurcharges().size());
  EXPECT_FALSE(estimate.totalSurcharges()[2].complete);
  expectMoney(estimate.operationsTotal() * 1.15, estimate.total());
}

TEST_F(CostEstimateTest, MissingCatalogueEntryIsReported) {
  db_->SetComponentCostFactory(
      boost::make_shared<VelkData::ComponentCostFactory>());
  const CostEstimate estimate(*db_);
  EXPECT_FALSE(estimate.complete());
  EXPECT_EQ("OP10 / Lower die shoe: no catalogue entry (Database mismatch)",
            estimate.issues()[0].text());
  EXPECT_EQ(0.0, estimate.total());
}

TEST_F(CostEstimateTest, MaterialSurchargeAppliesToItsMaterialOnly) {
  const CostEstimate before(*db_);
  db_->SetMaterialSurcharge(db_->toolMaterialByID("TM_1.2379"),
                            surcharge("S_ALLOY", "Alloy", "0.18"));
  const CostEstimate after(*db_);
  // The draw die holds no tool steel.
  EXPECT_DOUBLE_EQ(before.operations()[0].subtotal,
                   after.operations()[0].subtotal);
  // Eight trim steels of 6 dm3: 0.10 more of their unsurcharged price.
  expectMoney(before.operations()[1].materialCost + 8 * 6 * 7.5 * 7.7 * 0.10,
              after.operations()[1].materialCost);
  expectMoney(before.operations()[1].processCost,
              after.operations()[1].processCost);
}

TEST_F(CostEstimateTest, StepSurchargeAndFactorApplyToTheirStepOnly) {
  const CostEstimate before(*db_);
  db_->SetManufacturingStepSurcharge(db_->ManufacturingStepByID("MS_CNC"),
                                     surcharge("S_CNC", "Cutter", "0.25"));
  const CostEstimate after(*db_);
  const auto& pinsBefore = before.operations()[1].components[2];
  const auto& pinsAfter = after.operations()[1].components[2];
  expectMoney(pinsBefore.steps[0].cost / 1.05 * 1.25, pinsAfter.steps[0].cost);
  EXPECT_DOUBLE_EQ(pinsBefore.steps[1].cost, pinsAfter.steps[1].cost);
  EXPECT_DOUBLE_EQ(pinsBefore.materialCost, pinsAfter.materialCost);
  // The try-out factor is the DRAW type's: a trim die has none.
  for (const auto& step : after.operations()[1].components[0].steps) {
    EXPECT_EQ(1.0, step.factor) << step.id;
  }
}

TEST_F(CostEstimateTest, OperationTypeSurchargeAppliesToItsTypeOnly) {
  const CostEstimate before(*db_);
  db_->AddOperationTypeSurcharge(
      "TRIM", surcharge("S_SCRAP_CUTTER", "Scrap cutters", "0.14"));
  const CostEstimate after(*db_);
  expectMoney(before.operations()[1].subtotal / 1.04 * 1.14,
              after.operations()[1].subtotal);
  EXPECT_DOUBLE_EQ(before.operations()[0].subtotal,
                   after.operations()[0].subtotal);
  EXPECT_DOUBLE_EQ(before.operations()[2].subtotal,
                   after.operations()[2].subtotal);
}

TEST_F(CostEstimateTest, GeneralSurchargesApplyToMaterialAndProcessSums) {
  db_->SetMaterialCostSurcharge(0.0);
  db_->SetProcessCostSurcharge(0.5);
  const CostEstimate estimate(*db_);
  const CostEstimate::OperationEstimate& flange = estimate.operations()[2];
  EXPECT_EQ(0.0, flange.generalMaterialSurcharge);
  expectMoney(flange.processCost * 0.5, flange.generalProcessSurcharge);
  expectMoney(flange.materialCost + flange.processCost * 1.5, flange.subtotal);
}

TEST_F(CostEstimateTest, UnlabelledTotalSurchargesBothApply) {
  db_->AddTotalCostSurcharge(surcharge("S_A", "", "0.1"));
  db_->AddTotalCostSurcharge(surcharge("S_B", "", "0.2"));
  const CostEstimate estimate(*db_);
  ASSERT_EQ(4u, estimate.totalSurcharges().size());
  expectMoney(estimate.operationsTotal() * (1.0 + 0.15 + 0.3),
              estimate.total());
}

TEST_F(CostEstimateTest, EstimatingLeavesTheModelAsItWas) {
  const std::vector<std::string> types = db_->OperationTypes();
  const CostEstimate first(*db_);
  const CostEstimate second(*db_);
  EXPECT_EQ(first.total(), second.total());
  EXPECT_EQ(types, db_->OperationTypes());
  // The catalogue flags only the copies it is shown.
  db_->SetComponentCostFactory(
      boost::make_shared<VelkData::ComponentCostFactory>());
  const CostEstimate unmatched(*db_);
  EXPECT_FALSE(
      plan_->OperationAt(0)->baseAssembly()->ComponentAt(0)->noDBMatch());
}

TEST_F(CostEstimateTest, DatabaseWithoutPlanIsIncomplete) {
  VelkData::CostDatabase empty;
  const CostEstimate estimate(empty);
  EXPECT_FALSE(estimate.complete());
  EXPECT_EQ("the database has no process plan", estimate.issues()[0].text());
  EXPECT_EQ(0.0, estimate.total());
}

}  // namespace
