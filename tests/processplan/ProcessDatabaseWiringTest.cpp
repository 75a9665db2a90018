#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/Operation.h"
#include "external/Stage.h"
#include "formula/FormulaContainer.h"
#include "processplan/ProcessDatabase.h"

// Operations made from a reference operation used to keep their components
// reading the reference's drivers until the host bound the base assembly
// again: a die shoe of a 2300 mm die came out 1500 mm long.
namespace TamberData {
namespace {

typedef boost::shared_ptr<VelkData::Operation> OperationPtr;

boost::shared_ptr<VelkData::FormulaContainer> formula(const std::string& t) {
  auto c = boost::make_shared<VelkData::FormulaContainer>();
  c->addFormula(t);
  return c;
}

boost::shared_ptr<VelkData::CostDriverDouble> driver(const std::string& id,
                                                     const std::string& t) {
  auto d = boost::make_shared<VelkData::CostDriverDouble>(id);
  d->getFormulaContainer()->addFormula(t);
  return d;
}

// A reference operation of `type` whose die length is `length` and whose
// base assembly holds one die shoe as long as the die and one guide pin
// per 500 mm of it.
OperationPtr reference(const std::string& type, const std::string& length) {
  OperationPtr op = boost::make_shared<VelkData::Operation>(type, type);
  op->AddCostDriver(driver("DIE_LEN", length));
  auto shoe = boost::make_shared<Component>("Lower die shoe", "CT_300_01");
  shoe->addParameter(driver("SHOE_L", "DIE_LEN"), Component::kRoundUp,
                     formula("0"), formula("10000"));
  auto assembly = boost::make_shared<VelkData::BaseAssembly>("BA", type);
  assembly->AddComponent(shoe, formula("1"), 0);
  assembly->AddComponent(boost::make_shared<Component>("Guide pin", "CT_410"),
                         formula("DIE_LEN/500"), 0);
  op->setBaseAssembly(assembly, op);
  return op;
}

float shoeLength(const VelkData::Operation& op) {
  return op.baseAssembly()->ComponentAt(0)->parameterAt(0)->doubleValue();
}

TEST(ProcessDatabaseWiringTest, CreatedOperationComponentsReadItsOwnDrivers) {
  ProcessDatabase plan;
  plan.SetReferenceOperation("TRIM", reference("TRIM", "1500"));
  const OperationPtr created = plan.CreateOperation("TRIM");
  created->CostDriverAt(0)->setValue(2300.0f);

  EXPECT_FLOAT_EQ(2300.0f, shoeLength(*created));
  EXPECT_EQ(4, created->baseAssembly()->AmountAt(1));
  EXPECT_EQ(created, created->baseAssembly()->ComponentAt(0)->operation());
  // The reference keeps its own value.
  EXPECT_FLOAT_EQ(1500.0f, shoeLength(*plan.ReferenceOperation("TRIM")));
}

TEST(ProcessDatabaseWiringTest,
     TypeChangedOperationComponentsReadItsOwnDrivers) {
  ProcessDatabase plan;
  plan.SetReferenceOperation("TRIM", reference("TRIM", "1500"));
  plan.SetReferenceOperation("FLANGE", reference("FLANGE", "1800"));
  plan.AddOperation(plan.CreateOperation("TRIM"));
  std::string message;
  ASSERT_TRUE(plan.ChangeOperationTypeAt(0, "FLANGE", message));
  const OperationPtr changed = plan.OperationAt(0);
  changed->CostDriverAt(0)->setValue(2300.0f);

  EXPECT_FLOAT_EQ(2300.0f, shoeLength(*changed));
  EXPECT_FLOAT_EQ(1800.0f, shoeLength(*plan.ReferenceOperation("FLANGE")));
}

}  // namespace
}  // namespace TamberData
