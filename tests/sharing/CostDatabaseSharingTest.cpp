#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/Operation.h"
#include "formula/FormulaContainer.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessingUnit.h"
#include "sharing/SharingSupport.h"
#include "sharing/componentShareRelationship.h"
#include "support/TestUtil.h"

namespace VelkData {
namespace {

using TamberData::Component;
using TamberData::PartFeature;
using TamberData::ProcessDatabase;
using TamberData::ProcessingUnit;
using velktest::ComponentList;
using velktest::ComponentPtr;
using velktest::DoublePtr;
using velktest::OperationPtr;

typedef boost::shared_ptr<BaseAssembly> AssemblyPtr;
typedef boost::shared_ptr<ProcessingUnit> UnitPtr;
typedef boost::shared_ptr<componentShareRelationship> RelationshipPtr;

class CostDatabaseSharingTest : public ::testing::Test {
 protected:
  CostDatabaseSharingTest() : plan_(new ProcessDatabase) {
    db_.SetProcessDB(plan_);
  }

  // Shared components point at their operations, which hold the base
  // assemblies that hold them; units and features point at each other.
  void TearDown() override {
    for (const OperationPtr& op : plan_->Operations()) {
      if (op) op->setBaseAssembly(AssemblyPtr());
    }
    for (const auto& feature : features_) feature->clearProcessingUnits();
  }

  // Appends an operation labelled `label` whose base assembly holds
  // `components` with the merge behaviours `behaviors` and amount "1".
  OperationPtr addOperation(const std::string& label,
                            const ComponentList& components,
                            const std::vector<int>& behaviors = {},
                            double pitch = -1) {
    OperationPtr op = velktest::operation(label, pitch);
    AssemblyPtr assembly(new BaseAssembly("BA " + label, "TRIM"));
    for (std::size_t i = 0; i < components.size(); ++i) {
      assembly->AddComponent(components[i], velktest::formula("1"),
                             i < behaviors.size() ? behaviors[i] : 0);
    }
    op->setBaseAssembly(assembly, op);
    plan_->AddOperation(op);
    return op;
  }

  static ComponentPtr dieSet(const std::string& key, int offset = 0) {
    return velktest::sevenParameters(key, offset);
  }

  // A unit on `op` held by a new top-level feature per call of `feature`.
  boost::shared_ptr<PartFeature> feature() {
    boost::shared_ptr<PartFeature> f(new PartFeature);
    plan_->addTopLevelPartFeature(f);
    features_.push_back(f);
    return f;
  }
  UnitPtr unit(const boost::shared_ptr<PartFeature>& owner,
               const std::string& label, const OperationPtr& op) {
    UnitPtr u(new ProcessingUnit(label, "HOLE",
                                 boost::shared_ptr<TamberData::Constraint>(),
                                 ProcessingUnit::kNoCam, "pierce_g"));
    u->setOperation(op);
    owner->addProcessingUnit(u, owner);
    return u;
  }

  static DoublePtr dieSetValue(const OperationPtr& op, float value) {
    DoublePtr d(new CostDriverDouble("CD_OP_70"));
    d->setValue(value);
    d->setIsVisible(false);
    op->AddCostDriver(d);
    return d;
  }

  // The keys and merge behaviours of an assembly, "CT_301_00:0 CT_301_00:2".
  static std::string entries(const BaseAssembly& a) {
    std::string out;
    for (int i = 0; i < a.ComponentCount(); ++i) {
      if (i) out += " ";
      out += a.ComponentAt(i)->getComponentKey() + ":" +
             std::to_string(a.mergeBehaviorAt(i));
    }
    return out;
  }

  static std::string labels(const std::vector<UnitPtr>& units) {
    std::string out;
    for (const UnitPtr& u : units) out += (out.empty() ? "" : " ") + u->label();
    return out;
  }

  CostDatabase db_;
  boost::shared_ptr<ProcessDatabase> plan_;
  std::vector<boost::shared_ptr<PartFeature>> features_;
};

// --- The per-operation index of processing units ------------------------

TEST_F(CostDatabaseSharingTest, IndexListsUnitsPerOperationInFeatureOrder) {
  OperationPtr op0 = addOperation("OP10", {});
  OperationPtr op1 = addOperation("OP20", {});
  OperationPtr outside = velktest::operation("OP99");
  boost::shared_ptr<PartFeature> f1 = feature();
  boost::shared_ptr<PartFeature> f2 = feature();
  unit(f1, "u1", op1);
  unit(f1, "u2", outside);
  unit(f2, "u3", op1);
  unit(f2, "u4", OperationPtr());
  unit(f2, "u5", op0);

  db_.updatePUDatabase();
  EXPECT_EQ("u5", labels(db_.getPUsForOP(0)));
  EXPECT_EQ("u1 u3", labels(db_.getPUsForOP(1)));
  EXPECT_EQ(1, db_.getNumberOfPUsForOP(0));
  EXPECT_EQ(2, db_.getNumberOfPUsForOP(1));
  EXPECT_TRUE(db_.getPUsForOP(2).empty());
  EXPECT_EQ(0, db_.getNumberOfPUsForOP(2));
  EXPECT_TRUE(db_.getPUsForOP(-1).empty());
  EXPECT_EQ(0, db_.getNumberOfPUsForOP(-1));
}

// An unassigned unit must not land on an empty place of the line.
TEST_F(CostDatabaseSharingTest, IndexKeepsUnassignedUnitsOffEmptyPlaces) {
  addOperation("OP10", {});
  plan_->ReplaceOperationAt(2, velktest::operation("OP30"), false);
  ASSERT_FALSE(plan_->OperationAt(1));
  unit(feature(), "loose", OperationPtr());
  db_.updatePUDatabase();
  EXPECT_EQ(0, db_.getNumberOfPUsForOP(1));
  EXPECT_EQ(0, db_.getNumberOfOccupiedOPs());
}

TEST_F(CostDatabaseSharingTest, OccupiedOperationsLeaveEntryZeroOut) {
  struct Case {
    std::vector<int> lengths;
    int occupied;
  };
  const Case cases[] = {
      {{2, 0, 3, 0}, 3}, {{5, 0, 0}, 0}, {{5}, 0},    {{}, 0},
      {{0, 1}, 2},       {{1, 1, 0, 0, 1}, 5},        {{0, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.lengths));
    CostDatabase db;
    boost::shared_ptr<ProcessDatabase> plan(new ProcessDatabase);
    db.SetProcessDB(plan);
    boost::shared_ptr<PartFeature> owner(new PartFeature);
    plan->addTopLevelPartFeature(owner);
    for (std::size_t i = 0; i < c.lengths.size(); ++i) {
      OperationPtr op = velktest::operation("OP" + std::to_string(i));
      plan->AddOperation(op);
      for (int n = 0; n < c.lengths[i]; ++n) unit(owner, "u", op);
    }
    db.updatePUDatabase();
    EXPECT_EQ(c.occupied, db.getNumberOfOccupiedOPs());
    owner->clearProcessingUnits();
  }
  // Before the first update there is no index at all.
  EXPECT_EQ(0, db_.getNumberOfOccupiedOPs());
}

// --- Replacing an operation ------------------------------------------

TEST_F(CostDatabaseSharingTest, ReplaceKeepsTheUnitsOnTheNewOperation) {
  OperationPtr op0 = addOperation("OP10", {});
  OperationPtr old = addOperation("OP20", {});
  DoublePtr oldValue(new CostDriverDouble("CD_OP_05"));
  oldValue->setValue(42.0f);
  old->AddCostDriver(oldValue);
  boost::shared_ptr<PartFeature> f = feature();
  UnitPtr a = unit(f, "a", old);
  UnitPtr b = unit(f, "b", op0);
  UnitPtr c = unit(feature(), "c", old);

  AssemblyPtr catalogueFlange(new BaseAssembly("Flange set", "FLANGE"));
  ComponentPtr steel = velktest::component("CT_005_01", {"1"});
  catalogueFlange->AddComponent(steel, velktest::formula("1"), 0);
  db_.AddBaseAssembly(AssemblyPtr(new BaseAssembly("Trim set", "TRIM")));
  db_.AddBaseAssembly(catalogueFlange);
  db_.AddBaseAssembly(AssemblyPtr(new BaseAssembly("Other flange", "FLANGE")));

  OperationPtr replacement(new Operation("OP20", "FLANGE"));
  DoublePtr newValue(new CostDriverDouble("CD_OP_05"));
  replacement->AddCostDriver(newValue);
  db_.replaceOPandUpdatePUs(1, replacement);

  EXPECT_EQ(replacement, plan_->OperationAt(1));
  EXPECT_EQ(2, plan_->OperationCount());
  EXPECT_EQ(replacement, a->operation());
  EXPECT_EQ(replacement, c->operation());
  EXPECT_EQ(op0, b->operation());
  EXPECT_FLOAT_EQ(42.0f, newValue->doubleValue());

  AssemblyPtr given = replacement->baseAssembly();
  ASSERT_TRUE(given);
  EXPECT_NE(catalogueFlange, given);
  EXPECT_EQ("Flange set", given->label());
  ASSERT_EQ(1, given->ComponentCount());
  EXPECT_NE(steel, given->ComponentAt(0));
  EXPECT_EQ(replacement, given->ComponentAt(0)->operation());
}

TEST_F(CostDatabaseSharingTest, ReplaceOutsideTheLineChangesNothing) {
  OperationPtr op0 = addOperation("OP10", {});
  UnitPtr u = unit(feature(), "u", op0);
  db_.replaceOPandUpdatePUs(1, velktest::operation("OP20"));
  db_.replaceOPandUpdatePUs(-1, velktest::operation("OP20"));
  db_.replaceOPandUpdatePUs(0, OperationPtr());
  EXPECT_EQ(1, plan_->OperationCount());
  EXPECT_EQ(op0, plan_->OperationAt(0));
  EXPECT_EQ(op0, u->operation());
}

TEST_F(CostDatabaseSharingTest, ReplaceWithoutFittingAssemblyKeepsTheNewOnes) {
  addOperation("OP10", {});
  OperationPtr replacement(new Operation("OP10", "DRAW"));
  AssemblyPtr own(new BaseAssembly("Own", "DRAW"));
  replacement->setBaseAssembly(own);
  db_.replaceOPandUpdatePUs(0, replacement);
  EXPECT_EQ(own, replacement->baseAssembly());
}

// --- Part orientation ---------------------------------------------------

TEST_F(CostDatabaseSharingTest, PartLiesAlongXWhenItsLengthIsBelowItsWidth) {
  struct Case {
    float along;
    float across;
    bool expected;
  };
  const Case cases[] = {{1.0f, 2.0f, true},
                        {2.0f, 2.0f, false},
                        {3.0f, 2.0f, false},
                        {NAN, 2.0f, false},
                        {1.0f, NAN, false}};
  for (const Case& c : cases) {
    CostDatabase db;
    DoublePtr along(new CostDriverDouble("CD_PA_35"));
    DoublePtr across(new CostDriverDouble("CD_PA_36"));
    along->setValue(c.along);
    across->setValue(c.across);
    db.AddCostProperty(along);
    db.AddCostProperty(across);
    EXPECT_EQ(c.expected, db.partHasXOrientation()) << c.along << " " << c.across;
  }
}

TEST_F(CostDatabaseSharingTest, PartOrientationWithoutItsDriversIsFalse) {
  EXPECT_FALSE(db_.partHasXOrientation());
  DoublePtr across(new CostDriverDouble("CD_PA_36"));
  across->setValue(5.0f);
  db_.AddCostProperty(across);
  EXPECT_FALSE(db_.partHasXOrientation());
  db_.AddCostProperty(velktest::driver("CD_PA_35", "unknown_name"));
  EXPECT_FALSE(db_.partHasXOrientation());
}

// --- Sharing die sets ---------------------------------------------------

class DieSetSharingTest : public CostDatabaseSharingTest {
 protected:
  // Three operations with lower and upper die sets; the database knows the
  // two built-in relationships over them.
  void SetUp() override {
    for (int i = 0; i < 3; ++i) {
      lower_.push_back(dieSet("CT_300_00", 10 * i));
      upper_.push_back(dieSet("CT_301_00", 10 * i));
      ops_.push_back(addOperation("OP" + std::to_string(i + 1) + "0",
                                  {lower_[i], upper_[i]}));
    }
    db_.AddSharingRelationship(
        RelationshipPtr(new componentShareRelationship(1, lower_)));
    db_.AddSharingRelationship(
        RelationshipPtr(new componentShareRelationship(2, upper_)));
  }

  std::string line() const {
    std::string out;
    for (const OperationPtr& op : ops_) {
      out += (out.empty() ? "" : " | ") + entries(*op->baseAssembly());
    }
    return out;
  }

  ComponentList lower_;
  ComponentList upper_;
  std::vector<OperationPtr> ops_;
};

TEST_F(DieSetSharingTest, EmptyOrReversedRangesChangeNothing) {
  const std::string before = line();
  db_.shareDieSets(1, 1);
  db_.shareDieSets(2, 0);
  db_.shareDieSets(1, 3);
  db_.shareDieSets(-1, 1);
  EXPECT_EQ(before, line());
}

TEST_F(DieSetSharingTest, BothHalvesBecomeOneComponentEach) {
  db_.shareDieSets(0, 2);
  EXPECT_EQ(
      "CT_300_00:0 CT_301_00:0 CT_301_00:2 CT_300_00:2 | "
      "CT_300_00:0 CT_301_00:0 CT_301_00:2 CT_300_00:2 | "
      "CT_300_00:0 CT_301_00:0 CT_301_00:2 CT_300_00:2",
      line());
  const BaseAssembly& first = *ops_[0]->baseAssembly();
  ComponentPtr sharedUpper = first.ComponentAt(2);
  ComponentPtr sharedLower = first.ComponentAt(3);
  for (const OperationPtr& op : ops_) {
    const BaseAssembly& a = *op->baseAssembly();
    EXPECT_EQ(sharedUpper, a.ComponentAt(2));
    EXPECT_EQ(sharedLower, a.ComponentAt(3));
    EXPECT_EQ(first.AmountFormulaAt(2), a.AmountFormulaAt(2));
    EXPECT_EQ(first.AmountFormulaAt(3), a.AmountFormulaAt(3));
  }
  EXPECT_NE(first.AmountFormulaAt(2), first.AmountFormulaAt(3));
  EXPECT_EQ("1", first.AmountFormulaAt(2)->formulaAt(0));
  EXPECT_EQ(1, first.AmountAt(3));
  // The built-in relationship: parameter 3 is the largest of the inputs.
  EXPECT_FLOAT_EQ(24.0f, sharedUpper->parameterAt(3)->doubleValue());
}

TEST_F(DieSetSharingTest, DieSetValueOfTheFirstOperationIsHandedOver) {
  DoublePtr first = dieSetValue(ops_[0], 120.0f);
  DoublePtr second = dieSetValue(ops_[1], 7.0f);
  second->setIsVisible(true);
  DoublePtr third = dieSetValue(ops_[2], 8.0f);
  db_.shareDieSets(0, 2);
  EXPECT_TRUE(first->isVisible());
  EXPECT_FLOAT_EQ(120.0f, first->doubleValue());
  EXPECT_FALSE(second->isVisible());
  EXPECT_FLOAT_EQ(120.0f, second->doubleValue());
  EXPECT_FALSE(third->isVisible());
  EXPECT_FLOAT_EQ(120.0f, third->doubleValue());
}

TEST_F(DieSetSharingTest, WithoutDieSetValueOnTheFirstTheOthersGetMinusOne) {
  DoublePtr second = dieSetValue(ops_[1], 7.0f);
  db_.shareDieSets(0, 1);
  EXPECT_FLOAT_EQ(-1.0f, second->doubleValue());
}

TEST_F(DieSetSharingTest, DieSetValueStaysOutsideTheRange) {
  DoublePtr second = dieSetValue(ops_[1], 120.0f);
  DoublePtr third = dieSetValue(ops_[2], 8.0f);
  third->setIsVisible(true);
  DoublePtr first = dieSetValue(ops_[0], 1.0f);
  db_.shareDieSets(1, 2);
  EXPECT_FLOAT_EQ(1.0f, first->doubleValue());
  EXPECT_FALSE(first->isVisible());
  EXPECT_TRUE(second->isVisible());
  EXPECT_FLOAT_EQ(120.0f, third->doubleValue());
  EXPECT_FALSE(third->isVisible());
}

TEST_F(DieSetSharingTest, MissingUpperDieSetChangesNothing) {
  upper_[1]->Deactivate();
  DoublePtr first = dieSetValue(ops_[0], 120.0f);
  DoublePtr second = dieSetValue(ops_[1], 7.0f);
  const std::string before = line();
  db_.shareDieSets(0, 2);
  EXPECT_EQ(before, line());
  EXPECT_FALSE(first->isVisible());
  EXPECT_FLOAT_EQ(7.0f, second->doubleValue());
}

TEST_F(DieSetSharingTest, UpperIsSharedWhileTheLowerPassStopsOnAMissingOne) {
  ops_[2]->baseAssembly()->RemoveComponent(lower_[2]);
  db_.shareDieSets(0, 2);
  EXPECT_EQ(
      "CT_300_00:0 CT_301_00:0 CT_301_00:2 | "
      "CT_300_00:0 CT_301_00:0 CT_301_00:2 | "
      "CT_301_00:0 CT_301_00:2",
      line());
}

// With no relationship for a half the first matching one used to be read
// all the same.
TEST_F(DieSetSharingTest, HalfWithoutRelationshipStaysUnshared) {
  CostDatabase db;
  db.SetProcessDB(plan_);
  db.AddSharingRelationship(
      RelationshipPtr(new componentShareRelationship(1, lower_)));
  velktest::DebugCapture debug;
  db.shareDieSets(0, 1);
  EXPECT_EQ(
      "No share relationship matches the components CT_301_00, CT_301_00; "
      "they stay unshared",
      debug.joined());
  EXPECT_EQ(
      "CT_300_00:0 CT_301_00:0 CT_300_00:2 | "
      "CT_300_00:0 CT_301_00:0 CT_300_00:2 | "
      "CT_300_00:0 CT_301_00:0",
      line());
}

TEST_F(DieSetSharingTest, NothingHappensWithoutProcessPlan) {
  CostDatabase bare;
  bare.shareDieSets(0, 2);
  bare.shareBaseassemblies(0, 2);
  bare.updatePUDatabase();
  bare.replaceOPandUpdatePUs(0, velktest::operation("X"));
  bare.collectDiesetCompsInFakeOperations();
  bare.removeDiesetFakeOperations();
  EXPECT_EQ(0, bare.getNumberOfOccupiedOPs());
  EXPECT_TRUE(bare.getPUsForOP(0).empty());
}

// --- Sharing base assemblies --------------------------------------------

class BaseAssemblySharingTest : public CostDatabaseSharingTest {
 protected:
  // OP10 stays out of the range; OP20 to OP40 carry guide pins (behaviour
  // 1, amount spanning "CD_OP_02"), upper die sets (2) and gas springs (0).
  void SetUp() override {
    addOperation("OP10", {velktest::component("CT_130_00", {"1"})}, {1});
    for (int i = 0; i < 3; ++i) {
      pins_.push_back(velktest::component("CT_130_00", {std::to_string(i)}));
      uppers_.push_back(dieSet("CT_301_00", i));
      springs_.push_back(velktest::component("CT_134_00", {"9"}));
      ops_.push_back(addOperation("OP" + std::to_string(i + 2) + "0",
                                  {pins_[i], uppers_[i], springs_[i]},
                                  {1, 2, 0}, 500));
      DoublePtr spanned(new CostDriverDouble("CD_OP_02"));
      spanned->setValue(3.0f);
      ops_[i]->AddCostDriver(spanned);
    }
    ops_[0]->baseAssembly()->AmountFormulaAt(0)->setFormulaAt(0, "2*CD_OP_02");
    db_.AddSharingRelationship(
        RelationshipPtr(new componentShareRelationship(2, uppers_)));
  }

  std::string line() const {
    std::string out;
    for (const OperationPtr& op : ops_) {
      out += (out.empty() ? "" : " | ") + entries(*op->baseAssembly());
    }
    return out;
  }

  ComponentList pins_;
  ComponentList uppers_;
  ComponentList springs_;
  std::vector<OperationPtr> ops_;
};

TEST_F(BaseAssemblySharingTest, GroupsBySeedBehaviour) {
  db_.shareBaseassemblies(1, 3);
  EXPECT_EQ(
      "CT_130_00:1 CT_301_00:2 CT_134_00:0 CT_130_00:1 CT_301_00:2 | "
      "CT_130_00:1 CT_301_00:2 CT_134_00:0 CT_130_00:1 CT_301_00:2 | "
      "CT_130_00:1 CT_301_00:2 CT_134_00:0 CT_130_00:1 CT_301_00:2",
      line());
  const BaseAssembly& head = *ops_[0]->baseAssembly();
  ComponentPtr pin = head.ComponentAt(3);
  EXPECT_EQ(ops_, pin->operations());
  EXPECT_FLOAT_EQ(0.0f, pin->parameterAt(0)->doubleValue());
  for (const OperationPtr& op : ops_) {
    EXPECT_EQ(pin, op->baseAssembly()->ComponentAt(3));
    EXPECT_EQ(head.AmountFormulaAt(3), op->baseAssembly()->AmountFormulaAt(3));
    EXPECT_EQ(head.ComponentAt(4), op->baseAssembly()->ComponentAt(4));
  }
  boost::shared_ptr<FormulaContainer> amount = head.AmountFormulaAt(3);
  EXPECT_NE(head.AmountFormulaAt(0), amount);
  EXPECT_EQ("2*(CD_OP_02+2*CD_PR_PI)", amount->formulaAt(0));
  EXPECT_EQ(2 * (3 + 2 * 500), head.AmountAt(3));
  // The seed keeps its own amount.
  EXPECT_EQ("2*CD_OP_02", head.AmountFormulaAt(0)->formulaAt(0));
  EXPECT_EQ("1", head.AmountFormulaAt(4)->formulaAt(0));
}

TEST_F(BaseAssemblySharingTest, PitchCountFollowsTheGroupAtHand) {
  // A second pin pair on OP20 and OP30 only: two groups of 3 and 2 pins.
  ComponentPtr extra20 = velktest::component("CT_130_00", {"5"});
  ComponentPtr extra30 = velktest::component("CT_130_00", {"6"});
  ops_[0]->baseAssembly()->AddComponent(extra20, velktest::formula("CD_OP_02"),
                                        1);
  ops_[1]->baseAssembly()->AddComponent(extra30, velktest::formula("1"), 1);
  db_.shareBaseassemblies(1, 3);

  const BaseAssembly& head = *ops_[0]->baseAssembly();
  ASSERT_EQ(7, head.ComponentCount());
  EXPECT_EQ("2*(CD_OP_02+2*CD_PR_PI)", head.AmountFormulaAt(4)->formulaAt(0));
  EXPECT_EQ("(CD_OP_02+1*CD_PR_PI)", head.AmountFormulaAt(6)->formulaAt(0));
  // Pairing by position: the second pin group is headed by the extra pin.
  EXPECT_FLOAT_EQ(5.0f, head.ComponentAt(6)->parameterAt(0)->doubleValue());
  EXPECT_EQ(ops_[2]->baseAssembly()->ComponentAt(5), head.ComponentAt(6));
}

TEST_F(BaseAssemblySharingTest, WithoutPitchTheAmountStaysPerStage) {
  CostDatabase db;
  boost::shared_ptr<ProcessDatabase> plan(new ProcessDatabase);
  db.SetProcessDB(plan);
  ComponentList pins;
  std::vector<OperationPtr> ops;
  for (int i = 0; i < 2; ++i) {
    pins.push_back(velktest::component("CT_130_00", {"1"}));
    OperationPtr op = velktest::operation("OP" + std::to_string(i));
    AssemblyPtr a(new BaseAssembly("BA", "TRIM"));
    a->AddComponent(pins[i], velktest::formula("CD_OP_02"), 1);
    op->setBaseAssembly(a);
    plan->AddOperation(op);
    ops.push_back(op);
  }
  velktest::DebugCapture debug;
  db.shareBaseassemblies(0, 1);
  EXPECT_EQ("CD_OP_02", ops[0]->baseAssembly()->AmountFormulaAt(1)->formulaAt(0));
  EXPECT_EQ(
      "Press of operation OP0 has no CD_PR_PI; the amount of CT_130_00 is left "
      "as it is",
      debug.joined());
  for (const OperationPtr& op : ops) op->setBaseAssembly(AssemblyPtr());
}

TEST_F(BaseAssemblySharingTest, GroupWithoutRelationshipStaysUnshared) {
  CostDatabase db;
  db.SetProcessDB(plan_);
  velktest::DebugCapture debug;
  db.shareBaseassemblies(1, 2);
  EXPECT_EQ(
      "No share relationship matches the components CT_301_00, CT_301_00; "
      "they stay unshared",
      debug.joined());
  EXPECT_EQ(
      "CT_130_00:1 CT_301_00:2 CT_134_00:0 CT_130_00:1 | "
      "CT_130_00:1 CT_301_00:2 CT_134_00:0 CT_130_00:1 | "
      "CT_130_00:1 CT_301_00:2 CT_134_00:0",
      line());
}

TEST_F(BaseAssemblySharingTest, DieSetValueIsHandedOverAcrossTheRange) {
  DoublePtr outside = dieSetValue(plan_->OperationAt(0), 1.0f);
  DoublePtr first = dieSetValue(ops_[0], 250.0f);
  DoublePtr last = dieSetValue(ops_[2], 3.0f);
  db_.shareBaseassemblies(1, 3);
  EXPECT_FLOAT_EQ(1.0f, outside->doubleValue());
  EXPECT_TRUE(first->isVisible());
  EXPECT_FLOAT_EQ(250.0f, last->doubleValue());
  EXPECT_FALSE(last->isVisible());
}

TEST_F(BaseAssemblySharingTest, EmptyRangesChangeNothing) {
  const std::string before = line();
  db_.shareBaseassemblies(2, 2);
  db_.shareBaseassemblies(3, 1);
  db_.shareBaseassemblies(1, 4);
  EXPECT_EQ(before, line());
}

// --- Auxiliary die-set operations ---------------------------------------

// The line as "label[key:behaviour:state ...]" with each component named by
// the order in which the walk first meets the object.
class LineSnapshot {
 public:
  explicit LineSnapshot(const ProcessDatabase& plan) {
    std::map<const Component*, int> names;
    for (const OperationPtr& op : plan.Operations()) {
      operations_.push_back(op);
      text_ += op->label() + "[";
      const AssemblyPtr a = op->baseAssembly();
      for (int i = 0; a && i < a->ComponentCount(); ++i) {
        const Component* c = a->ComponentAt(i).get();
        if (!names.count(c)) names[c] = static_cast<int>(names.size());
        text_ += (i ? " " : "") + std::to_string(names[c]) + "=" +
                 c->getComponentKey() + ":" +
                 std::to_string(a->mergeBehaviorAt(i)) + ":" +
                 std::to_string(c->state());
      }
      text_ += "] ";
    }
  }
  const std::string& text() const { return text_; }
  const std::vector<OperationPtr>& operations() const { return operations_; }

 private:
  std::string text_;
  std::vector<OperationPtr> operations_;
};

class DiesetOperationTest : public DieSetSharingTest {
 protected:
  void SetUp() override {
    DieSetSharingTest::SetUp();
    lower_.push_back(dieSet("CT_300_00", 30));
    upper_.push_back(dieSet("CT_301_00", 30));
    ops_.push_back(addOperation("OP40", {lower_[3], upper_[3]}));
    // OP10 and OP20 run in one die set, OP30 and OP40 in another.
    db_.shareDieSets(0, 1);
    db_.shareDieSets(2, 3);
    // A component held by two operations that do not share it.
    ComponentPtr unshared = velktest::component("CT_134_00", {"1"});
    ops_[0]->baseAssembly()->AddComponent(unshared, velktest::formula("4"), 0);
    ops_[1]->baseAssembly()->AddComponent(unshared, velktest::formula("4"), 0);
  }
};

TEST_F(DiesetOperationTest, OneAuxiliaryOperationPerSharedDieSet) {
  const LineSnapshot before(*plan_);
  ComponentPtr sharedUpper = ops_[0]->baseAssembly()->ComponentAt(2);
  ComponentPtr sharedLower = ops_[0]->baseAssembly()->ComponentAt(3);
  sharedUpper->Omit();

  db_.collectDiesetCompsInFakeOperations();

  ASSERT_EQ(6, plan_->OperationCount());
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    OperationPtr aux = plan_->OperationAt(4 + i);
    EXPECT_EQ("DIESET " + std::to_string(i + 1), aux->label());
    EXPECT_EQ("DIESET", aux->type());
    AssemblyPtr a = aux->baseAssembly();
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->isDieset());
    EXPECT_EQ(aux->label(), a->label());
    EXPECT_EQ("CT_301_00:2 CT_300_00:2", entries(*a));
  }
  AssemblyPtr first = plan_->OperationAt(4)->baseAssembly();
  EXPECT_NE(sharedUpper, first->ComponentAt(0));
  EXPECT_NE(ops_[0]->baseAssembly()->AmountFormulaAt(2),
            first->AmountFormulaAt(0));
  EXPECT_EQ(1, first->AmountAt(0));
  // The clones keep the states the sources had; the sources are frozen.
  EXPECT_EQ(1, first->ComponentAt(0)->state());
  EXPECT_EQ(0, first->ComponentAt(1)->state());
  EXPECT_EQ(5, sharedUpper->state());
  EXPECT_EQ(4, sharedLower->state());
  EXPECT_EQ(0, lower_[0]->state());
  EXPECT_NE(ops_[2]->baseAssembly()->ComponentAt(2),
            plan_->OperationAt(5)->baseAssembly()->ComponentAt(0));
  EXPECT_EQ(4, ops_[2]->baseAssembly()->ComponentAt(2)->state());
  std::vector<OperationPtr> regular = plan_->Operations();
  regular.resize(4);
  EXPECT_EQ(before.operations(), regular);
}

TEST_F(DiesetOperationTest, CollectThenRemoveRestoresTheLineExactly) {
  ops_[0]->baseAssembly()->ComponentAt(2)->Omit();
  ops_[2]->baseAssembly()->ComponentAt(3)->Deactivate();
  ops_[2]->baseAssembly()->ComponentAt(3)->Omit();
  const LineSnapshot before(*plan_);

  db_.collectDiesetCompsInFakeOperations();
  ASSERT_NE(before.text(), LineSnapshot(*plan_).text());
  db_.removeDiesetFakeOperations();

  const LineSnapshot after(*plan_);
  EXPECT_EQ(before.text(), after.text());
  EXPECT_EQ(before.operations(), after.operations());
}

TEST_F(DiesetOperationTest, CollectingTwiceAddsNothingMore) {
  db_.collectDiesetCompsInFakeOperations();
  const std::string once = LineSnapshot(*plan_).text();
  db_.collectDiesetCompsInFakeOperations();
  EXPECT_EQ(once, LineSnapshot(*plan_).text());
}

TEST_F(DiesetOperationTest, NothingSharedNothingCollected) {
  CostDatabase db;
  boost::shared_ptr<ProcessDatabase> plan(new ProcessDatabase);
  db.SetProcessDB(plan);
  plan->AddOperation(velktest::operation("OP10"));
  db.collectDiesetCompsInFakeOperations();
  EXPECT_EQ(1, plan->OperationCount());
}

TEST_F(DiesetOperationTest, RemoveWithoutAuxiliaryOperationsStillThaws) {
  ComponentPtr shared = ops_[0]->baseAssembly()->ComponentAt(2);
  shared->freeze();
  shared->Deactivate();
  ComponentPtr plainFrozen = lower_[0];
  plainFrozen->freeze();
  db_.removeDiesetFakeOperations();
  EXPECT_EQ(4, plan_->OperationCount());
  EXPECT_EQ(2, shared->state());
  EXPECT_EQ(4, plainFrozen->state());
}

TEST_F(DiesetOperationTest, RemoveDropsEverythingFromTheFirstAuxiliary) {
  db_.collectDiesetCompsInFakeOperations();
  // A regular operation appended behind the auxiliary ones goes with them.
  plan_->AddOperation(velktest::operation("OP50"));
  db_.removeDiesetFakeOperations();
  EXPECT_EQ(4, plan_->OperationCount());
  EXPECT_EQ("OP40", plan_->OperationAt(3)->label());
}

}  // namespace
}  // namespace VelkData
