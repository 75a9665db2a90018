#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cmath>
#include <string>
#include <vector>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostPropertyString.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "external/DrawingStage.h"
#include "external/Stage.h"
#include "formula/FormulaContainer.h"
#include "processplan/Constraint.h"
#include "processplan/ProcessingUnit.h"
#include "support/TestUtil.h"

namespace VelkData {
namespace {

using DriverPtr = boost::shared_ptr<CostDriverDouble>;
using ContainerPtr = boost::shared_ptr<FormulaContainer>;

// A driver computed from `formula`, or one with no formula when it is
// empty.
DriverPtr Driver(const std::string& id, const std::string& formula) {
  DriverPtr driver = boost::make_shared<CostDriverDouble>(id);
  driver->formulas()->addFormula(formula);
  return driver;
}

DriverPtr Value(const std::string& id, float value) {
  DriverPtr driver = boost::make_shared<CostDriverDouble>(id);
  driver->setValue(value);
  return driver;
}

ContainerPtr Container(const std::string& formula) {
  ContainerPtr container = boost::make_shared<FormulaContainer>();
  container->addFormula(formula);
  return container;
}

// An enumeration driver with the given numbers, the entry numbered `value`
// current.
boost::shared_ptr<CostDriverEnum> Enum(const std::string& id,
                                       const std::vector<float>& numbers,
                                       float value) {
  boost::shared_ptr<CostDriverEnum> driver =
      boost::make_shared<CostDriverEnum>(id);
  std::vector<std::string> texts;
  for (float number : numbers) texts.push_back(std::to_string(number));
  driver->setValues(numbers, texts);
  driver->setValue(value);
  return driver;
}

// The ids of the dependencies of `container`, in list order, separated by
// blanks.
std::string Dependencies(const ContainerPtr& container) {
  std::string ids;
  for (int i = 0; i < container->dependencyCount(); ++i) {
    if (i) ids += " ";
    ids += container->dependencyAt(i)->id();
  }
  return ids;
}

class OperationTest : public ::testing::Test {
 protected:
  Operation op_{"Draw 10", "DRAW"};
};

TEST_F(OperationTest, ShortIdIsDependencyOfFormulaNamingLongerId) {
  DriverPtr cd10 = Value("CD_10", 4.0f);
  DriverPtr reader = Driver("CD_X", "CD_10*2");
  op_.AddCostDriver(cd10);
  op_.AddCostDriver(reader);
  op_.AddCostDriver(Value("CD_1", 1.0f));
  op_.AddCostDriver(Value("CD_2", 1.0f));

  // "CD_1" occurs inside "CD_10"; "CD_2" occurs nowhere.
  EXPECT_EQ("CD_10 CD_1", Dependencies(reader->formulas()));
  EXPECT_FLOAT_EQ(8.0f, reader->doubleValue());
  EXPECT_EQ("", Dependencies(cd10->formulas()));
}

TEST_F(OperationTest, NewDriverRecordsExistingDriversItNames) {
  op_.AddCostDriver(Value("CD_1", 1.0f));
  op_.AddCostDriver(Value("CD_2", 2.0f));
  op_.AddCostDriver(Value("CD_10", 10.0f));
  DriverPtr reader = Driver("CD_SUM", "CD_10+CD_2");
  op_.AddCostDriver(reader);

  EXPECT_EQ("CD_1 CD_2 CD_10", Dependencies(reader->formulas()));
  EXPECT_FLOAT_EQ(12.0f, reader->doubleValue());
  ASSERT_EQ(4, op_.CostDriverCount());
  EXPECT_EQ(reader, op_.CostDriverAt(3));
}

TEST_F(OperationTest, CostDriverAtAnswersEmptyOutsideRange) {
  op_.AddCostDriver(Value("CD_1", 1.0f));
  op_.AddCostDriver(boost::shared_ptr<CostDriver>());
  EXPECT_EQ(1, op_.CostDriverCount());
  EXPECT_FALSE(op_.CostDriverAt(-1));
  EXPECT_FALSE(op_.CostDriverAt(1));
  EXPECT_TRUE(op_.CostDriverAt(0));
}

TEST_F(OperationTest, DimensionFormulasRecordDriversBeforeAndAfterThem) {
  op_.AddCostDriver(Value("CD_A", 100.0f));
  ContainerPtr min = Container("CD_A*0.5");
  ContainerPtr max = Container("CD_A*2+CD_B");
  DriverPtr length = Value("CD_LEN", 300.0f);
  op_.SetLength(length, min, max);
  op_.AddCostDriver(Value("CD_B", 7.0f));

  EXPECT_EQ("CD_A", Dependencies(min));
  EXPECT_EQ("CD_A CD_B", Dependencies(max));
  EXPECT_FLOAT_EQ(50.0f, op_.LengthMinimum());
  EXPECT_FLOAT_EQ(207.0f, op_.LengthMaximum());
  EXPECT_EQ(length, op_.LengthValue());
  ASSERT_EQ(3, op_.CostDriverCount());
  EXPECT_EQ(length, op_.CostDriverAt(1));
}

TEST_F(OperationTest, DimensionFormulasMayNameTheirOwnValue) {
  ContainerPtr max = Container("CD_WID+10");
  op_.SetWidth(Value("CD_WID", 40.0f), Container("CD_WID-10"), max);
  EXPECT_EQ("CD_WID", Dependencies(max));
  EXPECT_FLOAT_EQ(30.0f, op_.WidthMinimum());
  EXPECT_FLOAT_EQ(50.0f, op_.WidthMaximum());
}

TEST_F(OperationTest, UnevaluableLimitLogsOperationLabelAndYieldsZero) {
  const std::string failure =
      "NoFormulaResultException when setting parameters for formula "
      "nope+1: Variable nope in formula nope+1 is undefined.\n";
  op_.SetLength(Value("CD_L", 1.0f), Container("nope+1"), Container("nope+1"));
  op_.SetWidth(Value("CD_W", 1.0f), Container("nope+1"), Container("nope+1"));
  op_.SetHeight(Value("CD_H", 1.0f), Container("nope+1"), Container("nope+1"));

  struct Case {
    float (Operation::*limit)() const;
    const char* name;
  };
  const Case cases[] = {
      {&Operation::LengthMaximum, "length maximum"},
      {&Operation::LengthMinimum, "length minimum"},
      {&Operation::WidthMaximum, "width maximum"},
      {&Operation::WidthMinimum, "width minimum"},
      {&Operation::HeightMaximum, "height maximum"},
      {&Operation::HeightMinimum, "height minimum"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    velktest::DebugCapture debug;
    EXPECT_EQ(0.0f, (op_.*c.limit)());
    ASSERT_EQ(1u, debug.lines().size());
    EXPECT_EQ(std::string("Could not evaluate ") + c.name +
                  " for operation Draw 10: " + failure + "\n",
              debug.lines()[0]);
  }
}

TEST_F(OperationTest, LimitsWithoutDimensionAreZero) {
  velktest::DebugCapture debug;
  EXPECT_EQ(0.0f, op_.HeightMaximum());
  EXPECT_EQ(0.0f, op_.WidthMinimum());
  EXPECT_TRUE(debug.lines().empty());
}

TEST_F(OperationTest, ToolTypeCutoffIsExactly106) {
  struct Case {
    float value;
    bool cutoff;
    int toolType;
  };
  const Case cases[] = {{106.0f, true, 106}, {105.9f, false, 105}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Operation op("Trim 20", "TRIM");
    op.AddCostDriver(Enum("CD_OP_50", {105.9f, 106.0f}, c.value));
    EXPECT_EQ(c.cutoff, op.isCutoff());
    EXPECT_EQ(c.toolType, op.getToolType());
  }
}

TEST_F(OperationTest,
       CutoffLooksAtEveryToolTypeDriverButToolTypeReadsTheFirst) {
  op_.AddCostDriver(Enum("CD_OP_50", {105.0f, 106.0f}, 105.0f));
  op_.AddCostDriver(Enum("CD_OP_50", {105.0f, 106.0f}, 106.0f));
  EXPECT_TRUE(op_.isCutoff());
  EXPECT_EQ(105, op_.getToolType());
}

TEST_F(OperationTest, SetToolTypeChangesTheEnumerationDriver) {
  boost::shared_ptr<CostDriverEnum> toolType =
      Enum("CD_OP_50", {100.0f, 106.0f}, 100.0f);
  op_.AddCostDriver(toolType);
  EXPECT_EQ(toolType, op_.getToolType_p());
  op_.setToolType(106);
  EXPECT_TRUE(op_.isCutoff());
  EXPECT_EQ(106, op_.getToolType());
}

TEST_F(OperationTest, ToolTypeIsMinusOneWithoutEnumerationDriver) {
  EXPECT_EQ(-1, op_.getToolType());
  EXPECT_FALSE(op_.getToolType_p());
  op_.setToolType(106);
  EXPECT_FALSE(op_.isCutoff());

  // A real-valued "CD_OP_50" is not a tool type, whatever its value.
  op_.AddCostDriver(Value("CD_OP_50", 106.0f));
  EXPECT_EQ(-1, op_.getToolType());
  EXPECT_FALSE(op_.getToolType_p());
  EXPECT_FALSE(op_.isCutoff());
}

TEST_F(OperationTest, DiesetTypeIsReadOnlyForFlexiblePress) {
  op_.AddCostDriver(Enum("CD_OP_70", {1.0f, 2.0f}, 2.0f));
  EXPECT_EQ(-1, op_.getDiesetType());

  boost::shared_ptr<Press> flexible(new Press("Transfer", 3));
  flexible->addCostProperty(Value("CD_PR_02", 10.0f));
  op_.setPress(flexible);
  EXPECT_EQ(2, op_.getDiesetType());

  Operation withoutDriver("Draw 20", "DRAW");
  withoutDriver.setPress(flexible);
  EXPECT_EQ(-1, withoutDriver.getDiesetType());

  op_.setPress(boost::shared_ptr<Press>());
  EXPECT_EQ(-1, op_.getDiesetType());
}

TEST_F(OperationTest, DirAngle2DirVectorConvertsExactlyTwoAngles) {
  const double pi = std::acos(-1.0);
  struct Case {
    std::vector<double> angles;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {{pi / 2, 0.0}, {1.0, 0.0, 0.0}},      {{0.0, 0.0}, {0.0, 0.0, 1.0}},
      {{pi / 2, pi / 2}, {0.0, 1.0, 0.0}},   {{pi, 0.0}, {0.0, 0.0, -1.0}},
      {{pi / 2}, {0.0, 0.0, 0.0}},           {{}, {0.0, 0.0, 0.0}},
      {{pi / 2, 0.0, 0.0}, {0.0, 0.0, 0.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.angles));
    std::vector<double> vector = Operation::DirAngle2DirVector(c.angles);
    ASSERT_EQ(3u, vector.size());
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(c.expected[i], vector[i], 1e-12);
  }
  EXPECT_EQ(std::vector<double>({0.0, 0.0, 0.0}),
            Operation::DirVector2DirAngle({1.0, 0.0, 0.0}));
}

TEST_F(OperationTest, TippingVectorWithoutStageIsPressDirection) {
  op_.setTippingVector({1.0, 0.0, 0.0});
  EXPECT_EQ(std::vector<double>({0.0, 0.0, 1.0}), op_.tippingVector());

  boost::shared_ptr<VelkUtils::Stage> stage(new VelkUtils::Stage("OP10"));
  op_.SetStage(stage);
  op_.setTippingVector({0.0, 1.0, 0.0});
  EXPECT_EQ(std::vector<double>({0.0, 1.0, 0.0}), stage->getTippingVector());
  EXPECT_EQ(std::vector<double>({0.0, 1.0, 0.0}), op_.tippingVector());
}

TEST_F(OperationTest, LabelIsWrittenThroughToStage) {
  boost::shared_ptr<VelkUtils::Stage> stage(new VelkUtils::Stage("OP10"));
  op_.SetStage(stage);
  op_.SetLabel("Draw 11");
  EXPECT_EQ("Draw 11", stage->Label());
  op_.SetStageLabel("OP11");
  EXPECT_EQ("OP11", stage->Label());
  EXPECT_EQ("Draw 11", op_.label());
}

TEST_F(OperationTest, SetStageWiresStageDriversAndFillsTheStage) {
  DriverPtr reader = Driver("CD_X", "CD_ST_06+1");
  op_.AddCostDriver(reader);
  ContainerPtr max = Container("CD_ST_06");
  op_.SetLength(Value("CD_L", 300.0f), Container("1"), max);
  op_.SetWidth(Value("CD_W", 200.0f), Container("1"), Container("2"));
  op_.SetHeight(Value("CD_H", 100.0f), Container("1"), Container("2"));
  boost::shared_ptr<CostPropertyString> comment(
      new CostPropertyString("COMMENT"));
  comment->setValue("with cam");
  op_.setCommentProperty(comment);

  boost::shared_ptr<VelkUtils::Stage> stage(new VelkUtils::Stage("OP10"));
  stage->AddCostProperty(Value("CD_ST_06", 2500.0f));
  stage->AddCostProperty(boost::make_shared<CostPropertyString>("CD_ST_06"));
  op_.SetStage(stage);

  EXPECT_EQ("CD_ST_06", Dependencies(reader->formulas()));
  EXPECT_FLOAT_EQ(2501.0f, reader->doubleValue());
  EXPECT_FLOAT_EQ(2500.0f, op_.LengthMaximum());
  EXPECT_EQ(300.0, stage->toolLength());
  EXPECT_EQ(200.0, stage->toolWidth());
  EXPECT_EQ(100.0, stage->toolHeight());
  EXPECT_EQ("with cam", stage->description());
}

TEST_F(OperationTest, StageIsRefreshedWhenRead) {
  DriverPtr length = Value("CD_L", 300.0f);
  op_.SetLength(length, Container("1"), Container("2"));
  boost::shared_ptr<VelkUtils::Stage> stage(new VelkUtils::Stage("OP10"));
  op_.SetStage(stage);
  boost::shared_ptr<CostPropertyString> comment(
      new CostPropertyString("COMMENT"));
  comment->setValue("late comment");
  op_.setCommentProperty(comment);
  length->setValue(320.0f);
  op_.setType("REDRAW");

  EXPECT_EQ(stage, op_.stage());
  EXPECT_EQ("REDRAW", stage->typeString());
  EXPECT_EQ(320.0, stage->toolLength());
  EXPECT_EQ("late comment", stage->description());
}

TEST_F(OperationTest, DimensionValueIsWrittenToPresentStage) {
  boost::shared_ptr<VelkUtils::Stage> stage(new VelkUtils::Stage("OP10"));
  op_.SetStage(stage);
  op_.SetHeight(Value("CD_H", 80.0f), Container("1"), Container("2"));
  op_.SetWidth(Value("CD_W", 90.0f), Container("1"), Container("2"));
  EXPECT_EQ(80.0, stage->toolHeight());
  EXPECT_EQ(90.0, stage->toolWidth());
  EXPECT_EQ(0.0, stage->toolLength());
}

TEST_F(OperationTest, StageOfOperationWithoutStageIsEmpty) {
  EXPECT_FALSE(op_.stage());
}

TEST_F(OperationTest, CheckTypeOfEmptyListIsTrueEvenForEmptyOperation) {
  op_.SetShouldBeEmtpy(true);
  EXPECT_TRUE(op_.checkType({}));
  EXPECT_TRUE(op_.checkType({boost::shared_ptr<TamberData::ProcessingUnit>()}));
}

TEST_F(OperationTest, CheckTypeRejectsUnitWhoseConstraintForbidsTheType) {
  boost::shared_ptr<TamberData::Constraint> noDraw(
      new TamberData::Constraint());
  noDraw->AddForbiddenOperationType("DRAW");
  boost::shared_ptr<TamberData::Constraint> noTrim(
      new TamberData::Constraint());
  noTrim->AddForbiddenOperationType("TRIM");
  using TamberData::ProcessingUnit;
  boost::shared_ptr<ProcessingUnit> drawForbidden(new ProcessingUnit(
      "Pierce", "HOLE", noDraw, ProcessingUnit::kNoCam, "pierce_g"));
  boost::shared_ptr<ProcessingUnit> trimForbidden(new ProcessingUnit(
      "Pierce", "HOLE", noTrim, ProcessingUnit::kNoCam, "pierce_g"));
  boost::shared_ptr<ProcessingUnit> unconstrained(new ProcessingUnit(
      "Pierce", "HOLE", boost::shared_ptr<TamberData::Constraint>(),
      ProcessingUnit::kNoCam, "pierce_g"));

  EXPECT_TRUE(op_.checkType({trimForbidden, unconstrained}));
  EXPECT_FALSE(op_.checkType({trimForbidden, drawForbidden}));
  op_.SetShouldBeEmtpy(true);
  EXPECT_FALSE(op_.checkType({unconstrained}));
}

class OperationAssemblyTest : public ::testing::Test {
 protected:
  // An assembly with one component whose amount formula names "CD_OP_02".
  static boost::shared_ptr<BaseAssembly> Assembly(const std::string& label) {
    boost::shared_ptr<BaseAssembly> assembly(new BaseAssembly(label, "DRAW"));
    boost::shared_ptr<TamberData::Component> shoe(
        new TamberData::Component("Die shoe " + label, "CT_300_00"));
    assembly->AddComponent(shoe, Container("CD_OP_02*2"), 0);
    return assembly;
  }
  // A drawing stage whose drawing type has the numbers 1 to 3 for "single",
  // "double" and "triple" plus 7 for `extra`, the entry `value` current.
  static boost::shared_ptr<VelkUtils::DrawingStage> DrawingStage(
      float value, const std::string& extra) {
    boost::shared_ptr<CostDriverEnum> type(new CostDriverEnum("CD_ST_DT"));
    type->setValues({1.0f, 2.0f, 3.0f, 7.0f},
                    {"single", "double", "triple", extra});
    type->setValue(value);
    boost::shared_ptr<VelkUtils::DrawingStage> stage(
        new VelkUtils::DrawingStage("OP10"));
    stage->setDrawingTypeDriver(type);
    return stage;
  }

  void SetUp() override {
    op_ = boost::make_shared<Operation>("Draw 10", "DRAW");
    opDriver_ = Value("CD_OP_02", 3.0f);
    op_->AddCostDriver(opDriver_);
    assemblies_ = {Assembly("BA single"), Assembly("BA double"),
                   Assembly("BA triple")};
  }

  // A bound assembly's components point back at the operation; dropping
  // the assembly breaks that cycle.
  void TearDown() override { op_->setBaseAssembly(nullptr); }

  boost::shared_ptr<Operation> op_;
  DriverPtr opDriver_;
  std::vector<boost::shared_ptr<BaseAssembly>> assemblies_;
};

TEST_F(OperationAssemblyTest, DrawingTypeNumberChoosesAndBindsAssembly) {
  op_->SetStage(DrawingStage(2.0f, "none"), assemblies_, op_);

  ASSERT_EQ(assemblies_[1], op_->baseAssembly());
  EXPECT_EQ("CD_OP_02", Dependencies(assemblies_[1]->AmountFormulaAt(0)));
  EXPECT_EQ(6, assemblies_[1]->AmountAt(0));
  EXPECT_EQ(op_, assemblies_[1]->ComponentAt(0)->operation());
  EXPECT_FALSE(assemblies_[0]->ComponentAt(0)->operation());
}

TEST_F(OperationAssemblyTest, AssemblyNamingTheDrawingTypeIsKept) {
  boost::shared_ptr<BaseAssembly> current = Assembly("BA double deep");
  op_->setBaseAssembly(current);
  op_->SetStage(DrawingStage(2.0f, "none"), assemblies_, op_);
  EXPECT_EQ(current, op_->baseAssembly());
}

TEST_F(OperationAssemblyTest, NumberOutsideListFallsBackToDrawingTypeText) {
  op_->SetStage(DrawingStage(7.0f, "triple"), assemblies_, op_);
  EXPECT_EQ(assemblies_[2], op_->baseAssembly());

  Operation other("Draw 20", "DRAW");
  other.setBaseAssembly(assemblies_[0]);
  other.SetStage(DrawingStage(7.0f, "quadruple"), assemblies_,
                 boost::shared_ptr<Operation>());
  EXPECT_EQ(assemblies_[0], other.baseAssembly());
}

TEST_F(OperationAssemblyTest, PlainStageLeavesAssemblyAlone) {
  op_->SetStage(boost::make_shared<VelkUtils::Stage>("OP10"), assemblies_, op_);
  EXPECT_FALSE(op_->baseAssembly());
}

TEST_F(OperationAssemblyTest, CloneSharesStageAndPressOwnsTheRest) {
  DriverPtr reader = Driver("CD_X", "CD_OP_02+CD_LEN");
  op_->AddCostDriver(reader);
  ContainerPtr max = Container("CD_OP_02*100");
  op_->SetLength(Value("CD_LEN", 300.0f), Container("CD_OP_02"), max);
  op_->SetWidth(Value("CD_WID", 200.0f), Container("1"), Container("2"));
  op_->SetHeight(Value("CD_HEI", 100.0f), Container("1"), Container("2"));
  boost::shared_ptr<CostPropertyString> comment(
      new CostPropertyString("COMMENT"));
  comment->setValue("original");
  op_->setCommentProperty(comment);
  boost::shared_ptr<VelkUtils::Stage> stage(new VelkUtils::Stage("OP10"));
  op_->SetStage(stage);
  op_->setBaseAssembly(assemblies_[0], op_);
  op_->SetShouldBeEmtpy(true);

  boost::shared_ptr<Operation> copy = op_->clone();

  EXPECT_EQ(stage, copy->stage());
  EXPECT_EQ(op_->press(), copy->press());
  EXPECT_TRUE(copy->ShouldBeEmpty());
  EXPECT_EQ("DRAW", copy->type());

  // Same drivers in the same order, each its own object; the dimension
  // values come last, added once.
  std::string ids;
  for (int i = 0; i < copy->CostDriverCount(); ++i) {
    ids += copy->CostDriverAt(i)->id() + " ";
    for (int j = 0; j < op_->CostDriverCount(); ++j) {
      EXPECT_NE(op_->CostDriverAt(j), copy->CostDriverAt(i));
    }
  }
  EXPECT_EQ("CD_OP_02 CD_X CD_LEN CD_WID CD_HEI ", ids);
  EXPECT_NE(op_->LengthValue(), copy->LengthValue());

  // The copy's formulas read the copy's drivers.
  copy->CostDriverAt(0)->setValue(5.0f);
  EXPECT_FLOAT_EQ(305.0f, copy->CostDriverAt(1)->doubleValue());
  EXPECT_FLOAT_EQ(303.0f, reader->doubleValue());
  EXPECT_FLOAT_EQ(500.0f, copy->LengthMaximum());
  EXPECT_FLOAT_EQ(5.0f, copy->LengthMinimum());
  max->setFormulaAt(0, "1");
  EXPECT_FLOAT_EQ(500.0f, copy->LengthMaximum());

  ASSERT_TRUE(copy->baseAssembly());
  EXPECT_NE(assemblies_[0], copy->baseAssembly());
  EXPECT_EQ("BA single", copy->baseAssembly()->label());
  // The storing form only: the clone's components are not bound to it.
  EXPECT_NE(copy, copy->baseAssembly()->ComponentAt(0)->operation());

  ASSERT_TRUE(copy->getCommentProperty());
  EXPECT_NE(comment, copy->getCommentProperty());
  comment->setValue("changed");
  EXPECT_EQ("original", copy->getCommentProperty()->stringValue());
}

TEST_F(OperationAssemblyTest, CloneKeepsWidthOfOperationWithoutLength) {
  op_->SetWidth(Value("CD_WID", 200.0f), Container("1"), Container("CD_WID"));
  boost::shared_ptr<Operation> copy = op_->clone();
  ASSERT_TRUE(copy->WidthValue());
  EXPECT_FLOAT_EQ(200.0f, copy->WidthMaximum());
  EXPECT_EQ(2, copy->CostDriverCount());
}

}  // namespace
}  // namespace VelkData
