#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>
#include <cmath>
#include <string>
#include <vector>

#include "UnitSupport.h"
#include "costdata/Component.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/Operation.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "processplan/Constraint.h"
#include "processplan/PartFeature.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/ProcessingUnit.h"
#include "support/TestUtil.h"

namespace TamberData {
namespace {

using velktest::makeAmount;
using velktest::makeComponent;
using velktest::makeOperation;
using velktest::makeUnit;

boost::shared_ptr<ProcessingUnit> Unit() { return makeUnit("Pierce"); }

boost::shared_ptr<VelkData::CostDriverDouble> driver(const std::string& id,
                                                     float value) {
  boost::shared_ptr<VelkData::CostDriverDouble> result =
      boost::make_shared<VelkData::CostDriverDouble>(id);
  result->setValue(value);
  return result;
}

// The message with which `text` fails to evaluate.
std::string failureOf(const std::string& text) {
  try {
    makeAmount(text)->evalFormulaDouble();
  } catch (const VelkData::NoFormulaResultException& e) {
    return e.what();
  }
  ADD_FAILURE() << text << " evaluated";
  return std::string();
}

TEST(ProcessingUnitTest, EachUnitTakesTheNextProcessWideId) {
  const int next = ProcessingUnit::procUnitCount;
  boost::shared_ptr<ProcessingUnit> first = Unit();
  ProcessingUnit second;
  EXPECT_EQ(next, first->getProcID());
  EXPECT_EQ(next + 1, second.getProcID());
  EXPECT_EQ(next + 2, ProcessingUnit::procUnitCount);
  EXPECT_EQ(-1, second.getIndex());
}

TEST(ProcessingUnitTest, UnitsAreEqualForEqualFeatureAndIndex) {
  boost::shared_ptr<PartFeature> hole(new PartFeature());
  boost::shared_ptr<PartFeature> slot(new PartFeature());
  boost::shared_ptr<ProcessingUnit> a = Unit();
  boost::shared_ptr<ProcessingUnit> b = Unit();

  // Without a feature a unit equals nothing, not even itself.
  EXPECT_FALSE(*a == *a);
  b->setPartFeature(hole);
  EXPECT_FALSE(*a == *b);
  EXPECT_FALSE(*b == *a);

  a->setPartFeature(hole);
  EXPECT_TRUE(*a == *b);
  b->setIndex(1);
  EXPECT_FALSE(*a == *b);
  a->setIndex(1);
  EXPECT_TRUE(*a == *b);
  b->setPartFeature(slot);
  EXPECT_FALSE(*a == *b);
}

TEST(ProcessingUnitTest, CamLabelNamesEachCamType) {
  EXPECT_EQ("no cam", ProcessingUnit::CamLabel(0));
  EXPECT_EQ("cam", ProcessingUnit::CamLabel(1));
  EXPECT_EQ("filler cam", ProcessingUnit::CamLabel(2));
  EXPECT_EQ("undefined", ProcessingUnit::CamLabel(3));
  EXPECT_EQ("undefined", ProcessingUnit::CamLabel(-1));
  EXPECT_EQ("filler cam",
            makeUnit("Fill", ProcessingUnit::kFillerCam)->CamLabel());
}

TEST(ProcessingUnitTest, AmountIsTruncatedTowardZero) {
  struct Case {
    const char* formula;
    int amount;
  } const cases[] = {
      {"2.9", 2}, {"3", 3}, {"0.99", 0}, {"0", 0}, {"-1.5", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    boost::shared_ptr<ProcessingUnit> unit = Unit();
    boost::shared_ptr<Component> source = makeComponent("Punch", "CT_010_01");
    unit->addSourceComponent(source, makeAmount(c.formula), true);
    EXPECT_EQ(c.amount, unit->componentCount());
    EXPECT_EQ(c.amount, unit->sourceAmountAt(0));
    for (int i = 0; i < unit->componentCount(); ++i) {
      EXPECT_NE(source, unit->componentAt(i));
      EXPECT_EQ("CT_010_01", unit->componentAt(i)->getComponentKey());
    }
  }
}

TEST(ProcessingUnitTest, ComponentsFollowPartFeatureAndOperation) {
  boost::shared_ptr<PartFeature> hole = boost::make_shared<PartFeature>();
  boost::shared_ptr<VelkData::Operation> operation =
      makeOperation({0.0, 0.0, 1.0});
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  unit->setPartFeature(hole);
  unit->addSourceComponent(makeComponent("Punch", "CT_010_01"), makeAmount("2"),
                           true);
  unit->setOperation(operation);
  ASSERT_EQ(2, unit->componentCount());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(hole, unit->componentAt(i)->partFeature());
    EXPECT_EQ(operation, unit->componentAt(i)->operation());
  }

  // Unassigning detaches the components from the operation.
  velktest::DebugCapture debug;
  unit->setOperation(boost::shared_ptr<VelkData::Operation>());
  ASSERT_EQ(2, unit->componentCount());
  EXPECT_FALSE(unit->componentAt(0)->operation());
  EXPECT_FALSE(unit->componentAt(1)->operation());
}

TEST(ProcessingUnitTest, UnassignedUnitReportsEachComponentWithoutOperation) {
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  unit->setPartFeature(boost::make_shared<PartFeature>());
  unit->addSourceComponent(makeComponent("Punch", "CT_010_01"), makeAmount("2"),
                           true);
  ASSERT_EQ(2, unit->componentCount());

  velktest::DebugCapture debug;
  unit->updateComponentAmounts();
  // Each of the two clones reports once as it is made, then once more as the
  // unit hands it its (empty) operation.
  const std::string missing =
      "Operation == NULL when calling setOperation for Type Punch";
  EXPECT_EQ(std::vector<std::string>(4, missing), debug.lines());
}

TEST(ProcessingUnitTest, AmountsReadTheDriversOfTheAssignedOperation) {
  boost::shared_ptr<VelkData::Operation> four = makeOperation({0, 0, 1});
  four->AddCostDriver(driver("CD_HOLES", 4.0f));
  boost::shared_ptr<VelkData::Operation> six = makeOperation({0, 0, 1});
  six->AddCostDriver(driver("CD_HOLES", 6.0f));

  boost::shared_ptr<ProcessingUnit> unit = Unit();
  {
    // Not yet assigned, the formula has nothing to read.
    velktest::DebugCapture debug;
    unit->addSourceComponent(makeComponent("Punch", "CT_010_01"),
                             makeAmount("CD_HOLES / 2"), true);
    EXPECT_EQ(1u, debug.lines().size());
  }
  EXPECT_EQ(0, unit->componentCount());

  unit->setOperation(four);
  EXPECT_EQ(2, unit->componentCount());
  unit->setOperation(six);
  EXPECT_EQ(3, unit->componentCount());
  EXPECT_EQ(six, unit->componentAt(2)->operation());
}

TEST(ProcessingUnitTest, AmountDependenciesMatchDriverIdsAsSubstrings) {
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  {
    velktest::DebugCapture debug;
    unit->addSourceComponent(makeComponent("Punch", "CT_010_01"),
                             makeAmount("CD_OP_10 * 2"), true);
  }
  unit->SetAmountDependencies(
      {driver("CD_OP_1", 1), driver("CD_OP_10", 3), driver("CD_OP_2", 5)});
  const boost::shared_ptr<VelkData::FormulaContainer> amount =
      unit->amountFormulaAt(0);
  ASSERT_EQ(2, amount->dependencyCount());
  EXPECT_EQ("CD_OP_1", amount->dependencyAt(0)->id());
  EXPECT_EQ("CD_OP_10", amount->dependencyAt(1)->id());
}

TEST(ProcessingUnitTest, FailingAmountGivesNoComponentsAndADebugLine) {
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  unit->addSourceComponent(makeComponent("Punch", "CT_010_01"), makeAmount("2"),
                           true);
  velktest::DebugCapture debug;
  unit->addSourceComponent(makeComponent("Die plate", "CT_010_00"),
                           makeAmount("HOLE_ROWS_UNKNOWN * 2"), true);
  unit->addSourceComponent(makeComponent("Bushing", "CT_010_02"),
                           makeAmount("1"), true);

  const std::string line =
      "Could not evaluate formula HOLE_ROWS_UNKNOWN * 2 for the number of "
      "Components for ProcessingUnit Pierce: " +
      failureOf("HOLE_ROWS_UNKNOWN * 2");
  // One line for each of the two updates after the failing source came;
  // cloning components writes lines of its own.
  std::vector<std::string> failures;
  for (const std::string& written : debug.lines()) {
    if (written.compare(0, 14, "Could not eval") == 0) {
      failures.push_back(written);
    }
  }
  EXPECT_EQ(std::vector<std::string>({line, line}), failures);
  EXPECT_EQ(0, unit->sourceAmountAt(1));
  ASSERT_EQ(3, unit->componentCount());
  EXPECT_EQ("CT_010_01", unit->componentAt(0)->getComponentKey());
  EXPECT_EQ("CT_010_01", unit->componentAt(1)->getComponentKey());
  EXPECT_EQ("CT_010_02", unit->componentAt(2)->getComponentKey());
}

TEST(ProcessingUnitTest, UpdateReplacesComponentsByClonesKeepingEdits) {
  boost::shared_ptr<Component> source = makeComponent("Punch", "CT_010_01");
  source->addParameter(driver("CP_DIAMETER", 10.0f), Component::kRoundUp,
                       boost::make_shared<VelkData::FormulaContainer>(),
                       boost::make_shared<VelkData::FormulaContainer>());
  boost::shared_ptr<VelkData::FormulaContainer> amount = makeAmount("2");
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  unit->addSourceComponent(source, amount, true);
  boost::shared_ptr<Component> first = unit->componentAt(0);
  boost::shared_ptr<Component> second = unit->componentAt(1);
  first->setLabel("Punch A");
  second->parameterAt(0)->setValue(12.5f);

  unit->updateComponentAmounts();
  ASSERT_EQ(2, unit->componentCount());
  EXPECT_NE(first, unit->componentAt(0));
  EXPECT_NE(second, unit->componentAt(1));
  EXPECT_EQ("Punch A", unit->componentAt(0)->label());
  EXPECT_FLOAT_EQ(12.5f, unit->componentAt(1)->parameterAt(0)->doubleValue());

  amount->setFormulaAt(0, "3");
  unit->updateComponentAmounts();
  ASSERT_EQ(3, unit->componentCount());
  EXPECT_EQ("Punch A", unit->componentAt(0)->label());
  EXPECT_FLOAT_EQ(12.5f, unit->componentAt(1)->parameterAt(0)->doubleValue());
  EXPECT_EQ("Punch", unit->componentAt(2)->label());
  EXPECT_FLOAT_EQ(10.0f, unit->componentAt(2)->parameterAt(0)->doubleValue());

  // Fewer components keep the first ones in list order.
  amount->setFormulaAt(0, "1");
  unit->updateComponentAmounts();
  ASSERT_EQ(1, unit->componentCount());
  EXPECT_EQ("Punch A", unit->componentAt(0)->label());
}

// A group "Row" of three plain features.
boost::shared_ptr<PartFeatureGroup> rowOfThree() {
  boost::shared_ptr<PartFeatureGroup> row =
      boost::make_shared<PartFeatureGroup>(
          "HoleRow", boost::shared_ptr<FeatureTypeIDs>(),
          boost::shared_ptr<ParameterMapping>(), "Row");
  for (int i = 0; i < 3; ++i) row->addChild(boost::make_shared<PartFeature>());
  return row;
}

TEST(ProcessingUnitTest, GroupUnitMakesOneSetPerMemberUnlessFlagged) {
  boost::shared_ptr<PartFeatureGroup> row = rowOfThree();
  ASSERT_EQ(3, row->childrenCount());
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  unit->setPartFeature(row);

  velktest::StdoutCapture out;
  unit->addSourceComponent(makeComponent("Punch", "CT_010_01"),
                           makeAmount("2.9"), false);
  unit->addSourceComponent(makeComponent("Plate", "CT_010_00"), makeAmount("1"),
                           true);
  const std::string line =
      "ProcessingUnit[Row]::updateComponentAmounts()  "
      "unitBelongsToGroup=true\n";
  EXPECT_EQ(line + line, out.text());

  EXPECT_EQ(2, unit->sourceAmountAt(0));
  ASSERT_EQ(7, unit->componentCount());
  // Two punches per member in member order, then the group's one plate.
  const boost::shared_ptr<PartFeature> expected[] = {row->childAt(0),
                                                     row->childAt(0),
                                                     row->childAt(1),
                                                     row->childAt(1),
                                                     row->childAt(2),
                                                     row->childAt(2),
                                                     row};
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i], unit->componentAt(i)->partFeature());
    EXPECT_EQ(i < 6 ? "CT_010_01" : "CT_010_00",
              unit->componentAt(i)->getComponentKey());
  }
}

TEST(ProcessingUnitTest, GroupUnitFollowsItsMembers) {
  boost::shared_ptr<PartFeatureGroup> row = rowOfThree();
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  row->addProcessingUnit(unit, row);
  velktest::StdoutCapture out;
  unit->addSourceComponent(makeComponent("Punch", "CT_010_01"), makeAmount("1"),
                           false);
  EXPECT_EQ(3, unit->componentCount());
  row->addChild(boost::make_shared<PartFeature>());
  EXPECT_EQ(4, unit->componentCount());
  out.text();

  // The feature holds the unit and the unit its feature.
  row->clearProcessingUnits();
}

// Two sources with the same key used to reuse the first source's
// components for both, losing the second source's edits.
TEST(ProcessingUnitTest, SourcesWithEqualKeysKeepTheirOwnComponents) {
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  unit->addSourceComponent(makeComponent("Spring", "CT_134_00"),
                           makeAmount("1"), true);
  unit->addSourceComponent(makeComponent("Spring", "CT_134_00"),
                           makeAmount("1"), true);
  unit->componentAt(0)->setLabel("Spring upper");
  unit->componentAt(1)->setLabel("Spring lower");
  unit->updateComponentAmounts();
  ASSERT_EQ(2, unit->componentCount());
  EXPECT_EQ("Spring upper", unit->componentAt(0)->label());
  EXPECT_EQ("Spring lower", unit->componentAt(1)->label());
}

TEST(ProcessingUnitTest, SharingUnitsTakeTheNewComponent) {
  boost::shared_ptr<ProcessingUnit> a = makeUnit("Cam trim");
  boost::shared_ptr<ProcessingUnit> b = makeUnit("Cam pierce");
  b->addSourceComponent(makeComponent("Pad", "CT_016_00"), makeAmount("1"),
                        true);
  b->addSourceComponent(makeComponent("Cam", "CT_000_00"), makeAmount("1"),
                        true);
  boost::shared_ptr<Component> cam = makeComponent("Cam", "CT_000_00");
  cam->addRelatedProcessingUnit(a);
  cam->addRelatedProcessingUnit(b);

  a->addSourceComponent(cam, makeAmount("2"), true);
  ASSERT_EQ(2, a->componentCount());
  // A unit related to its own component must not take it twice.
  EXPECT_NE(a->componentAt(0), a->componentAt(1));
  ASSERT_EQ(2, b->componentCount());
  EXPECT_EQ("CT_016_00", b->componentAt(0)->getComponentKey());
  // The last of a's components was handed on last.
  EXPECT_EQ(a->componentAt(1), b->componentAt(1));

  cam->clearRelatedProcessingUnits();
  velktest::unrelateComponents(*a);
  velktest::unrelateComponents(*b);
}

TEST(ProcessingUnitTest, ComponentEditsKeepToTheList) {
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  unit->addSourceComponent(makeComponent("Punch", "CT_010_01"), makeAmount("2"),
                           true);
  unit->addSourceComponent(makeComponent("Plate", "CT_010_00"), makeAmount("1"),
                           true);
  boost::shared_ptr<Component> plate = unit->componentAt(2);

  EXPECT_FALSE(unit->componentAt(-1));
  EXPECT_FALSE(unit->componentAt(3));
  EXPECT_EQ(2u, unit->componentsByLabel("Punch").size());
  EXPECT_TRUE(unit->componentsByLabel("Cam").empty());

  boost::shared_ptr<Component> other = makeComponent("Punch", "CT_010_01");
  unit->replaceExistingComponentWith(other);
  EXPECT_EQ(other, unit->componentAt(0));
  EXPECT_NE(other, unit->componentAt(1));
  unit->replaceExistingComponentWith(makeComponent("Cam", "CT_000_00"));
  EXPECT_EQ(
      std::vector<boost::shared_ptr<Component>>(
          {other, unit->componentAt(1), plate}),
      std::vector<boost::shared_ptr<Component>>(
          {unit->componentAt(0), unit->componentAt(1), unit->componentAt(2)}));

  unit->setComponentAt(3, other);
  unit->setComponentAt(-1, other);
  unit->setComponentAt(1, boost::shared_ptr<Component>());
  unit->removeComponentAt(3);
  unit->removeComponentAt(-1);
  EXPECT_EQ(3, unit->componentCount());
  EXPECT_TRUE(unit->componentAt(1));

  unit->removeComponentAt(0);
  EXPECT_EQ(2, unit->componentCount());
  EXPECT_EQ(plate, unit->componentAt(1));
}

bool unitNeedsCam(const std::deque<double>& direction,
                  const std::vector<double>& tipping) {
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  // The unit names its feature weakly; the feature must be kept.
  const auto feature = boost::make_shared<velktest::DirectedFeature>(direction);
  unit->setPartFeature(feature);
  return unit->needACam(makeOperation(tipping));
}

TEST(ProcessingUnitTest, UnitNeedsCamBetween15And165Degrees) {
  struct Case {
    const char* name;
    std::deque<double> direction;
    std::vector<double> tipping;
    bool cam;
  } const cases[] = {
      {"along the tipping", {0, 0, 1}, {0, 0, 1}, false},
      {"across the tipping", {0, 0, 1}, {1, 0, 0}, true},
      {"against the tipping", {0, 0, -1}, {0, 0, 1}, false},
      {"unnormalised", {0, 0, 5}, {0, 3, 0}, true},
      {"just below 15", velktest::tilted(14.9999), {0, 0, 1}, false},
      {"just above 15", velktest::tilted(15.0001), {0, 0, 1}, true},
      {"just below 165", velktest::tilted(164.9999), {0, 0, 1}, true},
      // This direction yields exactly 165.0 degrees.
      {"exactly 165", velktest::tilted(165.0), {0, 0, 1}, true},
      {"just above 165", velktest::tilted(165.0001), {0, 0, 1}, false},
      // A direction that cannot be measured is taken to need a cam.
      {"zero direction", {0, 0, 0}, {0, 0, 1}, true},
      {"two components", {0, 1}, {0, 0, 1}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.cam, unitNeedsCam(c.direction, c.tipping));
  }
}

TEST(ProcessingUnitTest, UnitWithoutTippingNeedsNoCam) {
  velktest::DebugCapture debug;
  EXPECT_FALSE(unitNeedsCam({1, 0, 0}, {0, 1}));
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  unit->setPartFeature(boost::make_shared<velktest::DirectedFeature>(
      std::deque<double>{1, 0, 0}));
  EXPECT_FALSE(unit->needACam());
  EXPECT_EQ(
      std::vector<std::string>(2, "error, no stage tipping available in xolo!"),
      debug.lines());
}

TEST(ProcessingUnitTest, UnitUsesItsOwnOperationAndPressDirection) {
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  // Without a feature there is no direction to trust.
  EXPECT_TRUE(unit->needACam(makeOperation({0, 0, 1})));
  const auto feature = boost::make_shared<velktest::DirectedFeature>(
      std::deque<double>{1, 0, 0});
  unit->setPartFeature(feature);
  unit->setOperation(makeOperation({1, 0, 0}));
  EXPECT_FALSE(unit->needACam());
  // An operation without stage works in the press direction (0, 0, 1).
  unit->setOperation(boost::make_shared<VelkData::Operation>("OP10", "DRAW"));
  EXPECT_TRUE(unit->needACam());
}

TEST(ProcessingUnitTest, SharedCamIsTheRelatedUnitWithTheSmallestIndex) {
  boost::shared_ptr<ProcessingUnit> unit =
      makeUnit("Cam trim", ProcessingUnit::kCam, "cam_trimming_g");
  EXPECT_EQ(-1, unit->getSharedCamProcID());

  unit->addSourceComponent(makeComponent("Cam", "CT_000_00"), makeAmount("1"),
                           true);
  unit->addSourceComponent(makeComponent("Upper steel", "CT_001_00"),
                           makeAmount("1"), true);
  // A cam known by its German label only.
  unit->addSourceComponent(makeComponent("Schieber", "CT_900_00"),
                           makeAmount("2"), true);
  EXPECT_EQ(-1, unit->getSharedCamProcID());

  std::vector<boost::shared_ptr<ProcessingUnit>> others;
  for (int index : {3, -1, 1, 1, 0, -2}) {
    others.push_back(makeUnit("Other"));
    others.back()->setIndex(index);
  }
  unit->componentAt(0)->addRelatedProcessingUnit(others[0]);
  unit->componentAt(0)->addRelatedProcessingUnit(others[1]);
  unit->componentAt(0)->addRelatedProcessingUnit(others[2]);
  unit->componentAt(0)->addRelatedProcessingUnit(others[3]);
  EXPECT_EQ(others[2]->getProcID(), unit->getSharedCamProcID());

  // Not a cam: its related units do not count.
  unit->componentAt(1)->addRelatedProcessingUnit(others[4]);
  EXPECT_EQ(others[2]->getProcID(), unit->getSharedCamProcID());

  // A later cam whose units all have negative indexes changes nothing; a
  // later cam with a usable unit decides.
  unit->componentAt(2)->addRelatedProcessingUnit(others[5]);
  EXPECT_EQ(others[2]->getProcID(), unit->getSharedCamProcID());
  unit->componentAt(3)->addRelatedProcessingUnit(others[0]);
  EXPECT_EQ(others[0]->getProcID(), unit->getSharedCamProcID());

  velktest::unrelateComponents(*unit);
}

TEST(ProcessingUnitTest, LinkedUnitsShareComponents) {
  boost::shared_ptr<ProcessingUnit> unit = Unit();
  boost::shared_ptr<ProcessingUnit> b = makeUnit("B");
  boost::shared_ptr<ProcessingUnit> c = makeUnit("C");
  boost::shared_ptr<ProcessingUnit> stranger = makeUnit("D");
  unit->addSourceComponent(makeComponent("Punch", "CT_010_01"), makeAmount("1"),
                           true);
  unit->addSourceComponent(makeComponent("Plate", "CT_010_00"), makeAmount("1"),
                           true);
  EXPECT_TRUE(unit->linkedProcessingUnits().empty());

  unit->componentAt(0)->addRelatedProcessingUnit(unit);
  unit->componentAt(0)->addRelatedProcessingUnit(b);
  unit->componentAt(1)->addRelatedProcessingUnit(b);
  unit->componentAt(1)->addRelatedProcessingUnit(c);
  EXPECT_EQ(std::vector<boost::shared_ptr<ProcessingUnit>>({b, c}),
            unit->linkedProcessingUnits());

  unit->removeLinkedProcUnit(stranger);
  EXPECT_EQ(2, unit->componentAt(1)->relatedProcessingUnitCount());

  unit->removeLinkedProcUnit(b);
  EXPECT_EQ(std::vector<boost::shared_ptr<ProcessingUnit>>({c}),
            unit->linkedProcessingUnits());
  EXPECT_EQ(unit, unit->componentAt(0)->relatedProcessingUnitAt(0));
  EXPECT_EQ(1, unit->componentAt(0)->relatedProcessingUnitCount());

  velktest::unrelateComponents(*unit);
}

TEST(ProcessingUnitTest, CloneIsAnIndependentUnitOnTheSameFeature) {
  boost::shared_ptr<PartFeature> hole = boost::make_shared<PartFeature>();
  boost::shared_ptr<VelkData::Operation> operation = makeOperation({0, 0, 1});
  operation->AddCostDriver(driver("CD_HOLES", 2.0f));
  boost::shared_ptr<ProcessingUnit> unit = boost::make_shared<ProcessingUnit>(
      "Cam pierce", "HOLE", boost::make_shared<Constraint>(),
      ProcessingUnit::kCam, "cam_pierce_g");
  unit->setPartFeature(hole);
  unit->setIndex(4);
  {
    velktest::DebugCapture debug;
    unit->addSourceComponent(makeComponent("Punch", "CT_010_01"),
                             makeAmount("CD_HOLES"), false);
  }
  unit->setOperation(operation);
  unit->componentAt(1)->setLabel("Punch B");

  const int nextId = ProcessingUnit::procUnitCount;
  boost::shared_ptr<ProcessingUnit> copy = unit->clone();
  EXPECT_EQ(nextId, copy->getProcID());
  EXPECT_EQ("Cam pierce", copy->label());
  EXPECT_EQ("HOLE", copy->associatedFeatureType());
  EXPECT_EQ("cam_pierce_g", copy->imageName());
  EXPECT_EQ(ProcessingUnit::kCam, copy->camType());
  EXPECT_EQ(-1, copy->getIndex());
  ASSERT_TRUE(copy->constraints());
  EXPECT_NE(unit->constraints(), copy->constraints());
  EXPECT_EQ(hole, copy->partFeature());
  EXPECT_EQ(operation, copy->operation());

  ASSERT_EQ(1, copy->sourceComponentCount());
  EXPECT_NE(unit->sourceComponentAt(0), copy->sourceComponentAt(0));
  EXPECT_NE(unit->amountFormulaAt(0), copy->amountFormulaAt(0));
  EXPECT_EQ("CD_HOLES", copy->amountFormulaAt(0)->formulaAt(0));
  EXPECT_FALSE(copy->oneSetPerGroupAt(0));
  ASSERT_EQ(2, copy->componentCount());
  EXPECT_NE(unit->componentAt(0), copy->componentAt(0));
  EXPECT_EQ("Punch B", copy->componentAt(1)->label());
  EXPECT_EQ(hole, copy->componentAt(1)->partFeature());
  EXPECT_EQ(operation, copy->componentAt(1)->operation());

  // The copy's formula follows the copy's operation only.
  boost::shared_ptr<VelkData::Operation> other = makeOperation({0, 0, 1});
  other->AddCostDriver(driver("CD_HOLES", 5.0f));
  copy->setOperation(other);
  EXPECT_EQ(5, copy->componentCount());
  unit->updateComponentAmounts();
  EXPECT_EQ(2, unit->componentCount());
}

}  // namespace
}  // namespace TamberData
