#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/Component.h"
#include "costdata/ComponentTestPeer.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/Operation.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessingUnit.h"
#include "support/TestUtil.h"

namespace TamberData {

namespace {

using VelkData::CostDriver;
using VelkData::CostDriverDouble;
using VelkData::FormulaContainer;
using VelkData::NoFormulaResultException;
using VelkData::Operation;

typedef boost::shared_ptr<Component> ComponentPtr;
typedef boost::shared_ptr<CostDriverDouble> DriverPtr;
typedef boost::shared_ptr<FormulaContainer> ContainerPtr;
typedef boost::shared_ptr<Operation> OperationPtr;

DriverPtr driver(const std::string& id, const std::string& formula) {
  DriverPtr d(new CostDriverDouble(id));
  d->formulas()->addFormula(formula);
  return d;
}

DriverPtr valued(const std::string& id, float value) {
  DriverPtr d(new CostDriverDouble(id));
  d->setValue(value);
  return d;
}

ContainerPtr container(const std::string& formula) {
  ContainerPtr c(new FormulaContainer());
  c->addFormula(formula);
  return c;
}

// Components name their operations weakly; the line that owns them in the
// library is played by this list, which keeps them to the end of the run.
OperationPtr operation(const std::string& label,
                       const std::vector<DriverPtr>& drivers) {
  static std::vector<OperationPtr> line;
  OperationPtr op(new Operation(label, "TRIM"));
  for (const DriverPtr& d : drivers) op->AddCostDriver(d);
  line.push_back(op);
  return op;
}

// The ids of the container's dependencies, space separated.
std::string dependencies(const ContainerPtr& c) {
  std::string out;
  for (int i = 0; i < c->dependencyCount(); ++i) {
    if (i) out += " ";
    out += c->dependencyAt(i)->id();
  }
  return out;
}

std::string dependencies(const boost::shared_ptr<CostDriver>& d) {
  return dependencies(d->formulas());
}

// The state and its three flags, e.g. "5 O-F".
std::string flags(const Component& c) {
  return std::to_string(c.state()) + (c.omitted() ? " O" : " -") +
         (c.Deactivated() ? "D" : "-") + (c.frozen() ? "F" : "-");
}

TEST(ComponentTest, CatalogueLabelsOfBothLanguagesGiveTheirKey) {
  struct Case {
    const char* label;
    const char* key;
  } cases[] = {
      {"Schieber", "CT_000_00"},
      {"Cam", "CT_000_00"},
      {"F\xFC"
       "llschieber",
       "CT_000_01"},
      {"Filler", "CT_000_01"},
      {"Aufsatz segm.(fraesen)", "CT_002_02"},
      {"Trim steel (blanking die, inner trim)", "CT_006_00"},
      {"Die", "CT_101_00"},
      {"Segment f\xFC"
       "r Ziehmatrize",
       "CT_103_00"},
      {"F\xFC"
       "hrungsplatte",
       "CT_127_00"},
      {"Guide plate (wear plate on a die heel)", "CT_127_00"},
      {"F\xFC"
       "hrungss\xE4"
       "ule zw. UT und OT",
       "CT_130_00"},
      {"F\xFC"
       "hrungsbuchse f\xFC"
       "r Blech-/ Niederhalter",
       "CT_132_01"},
      {"F\xFC"
       "hrungss\xE4"
       "ule f\xFC"
       "r Niederhalter",
       "CT_133_00"},
      {"Gasdruckfeder", "CT_134_00"},
      {"Gas spring", "CT_134_00"},
      {"Federnder Abdr\xFC"
       "ckstift",
       "CT_136_00"},
      {"Lug nut M16", "CT_140_00"},
      {"Ansatzschraube M24", "CT_142_00"},
      {"Rollenbr\xFC"
       "cke 1000",
       "CT_151_00"},
      {"Coilandr\xFC"
       "cker",
       "CT_161_00"},
      {"Shims", "CT_163_00"},
      {"Elektrische Absicherung", "CT_166_00"},
      {"Fuse protection", "CT_166_00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.key, ComponentTestPeer::keyFromLabel(c.label));
  }
}

TEST(ComponentTest, LabelsOutsideTheCatalogueGiveNoKey) {
  const char* labels[] = {
      "gas spring",
      "Gas spring ",
      "Gas",
      "",
      "CT_134_00",
      // The same words in UTF-8 are other bytes than the catalogue's.
      "F\xC3\xBC"
      "hrungsplatte",
      "Rollenbr\xC3\xBC"
      "cke 360",
  };
  for (const char* label : labels) {
    SCOPED_TRACE(label);
    EXPECT_EQ("", ComponentTestPeer::keyFromLabel(label));
  }
}

TEST(ComponentTest, NewComponentIsAnUnsharedReferenceComponent) {
  Component c("Gas spring", "CT_134_00");
  EXPECT_EQ(1u, c.operations().size());
  EXPECT_FALSE(c.operation());
  EXPECT_TRUE(c.isReferenceComponent());
  EXPECT_FALSE(c.isOPShared());
  EXPECT_FALSE(c.isShared());
  EXPECT_EQ(0, c.state());
  EXPECT_FALSE(c.noDBMatch());
  EXPECT_TRUE(c.testInternalLists());

  c.setOperation(operation("OP10", {}));
  EXPECT_FALSE(c.isReferenceComponent());
}

TEST(ComponentTest, StateFlagsAreIndependentBits) {
  Component c;
  c.Omit();
  c.Deactivate();
  c.freeze();
  EXPECT_EQ("7 ODF", flags(c));
  c.DeOmit();
  EXPECT_EQ("6 -DF", flags(c));
  c.DeOmit();
  EXPECT_EQ("6 -DF", flags(c));
  c.Omit();
  c.Omit();
  EXPECT_EQ("7 ODF", flags(c));
  c.Activate();
  EXPECT_EQ("5 O-F", flags(c));
  c.deFreeze();
  c.deFreeze();
  EXPECT_EQ("1 O--", flags(c));
  c.freeze();
  c.freeze();
  EXPECT_EQ("5 O-F", flags(c));
}

TEST(ComponentTest, NoDBMatchResetKeepsTheCause) {
  Component c;
  c.SetNoDBMatchFlag("parameter 2 too large");
  EXPECT_TRUE(c.noDBMatch());
  c.ResetNoDBMatchFlag();
  EXPECT_FALSE(c.noDBMatch());
  EXPECT_EQ("parameter 2 too large", c.getNoDBMatchCause());
  c.SetNoDBMatchFlag();
  EXPECT_TRUE(c.noDBMatch());
  EXPECT_EQ("", c.getNoDBMatchCause());
}

TEST(ComponentTest, OnlyKeysOfTheCamFamilyAreCams) {
  struct Case {
    const char* key;
    bool cam;
  } cases[] = {
      {"CT_000_01", true},  {"CT_000", true},   {"CT_001_00", false},
      {"", false},          {"CT_00", false},   {"C", false},
      {"ct_000_00", false}, {"XCT_000", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(c.cam, Component("Cam", c.key).isCam());
  }
}

TEST(ComponentTest, ComponentsWithKeysCompareKeysSilently) {
  velktest::StdoutCapture out;
  const bool same = Component("Gusswanne", "CT_120_00") ==
                    Component("Lower die shoe (GG25)", "CT_120_00");
  const bool other = Component("Gusswanne", "CT_120_00") ==
                     Component("Gusswanne", "CT_121_00");
  EXPECT_EQ("", out.text());
  EXPECT_TRUE(same);
  EXPECT_FALSE(other);
}

TEST(ComponentTest, ComponentsWithoutKeysCompareLabelsAndWarnEachTime) {
  velktest::StdoutCapture out;
  const bool same = Component("Gas spring", "") == Component("Gas spring", "");
  const bool halfKeyed =
      Component("Gas spring", "CT_134_00") == Component("Cam", "");
  EXPECT_EQ(
      "Warning component comparison with labels instead of keys\n"
      "Warning component comparison with labels instead of keys\n",
      out.text());
  EXPECT_TRUE(same);
  EXPECT_FALSE(halfKeyed);
}

TEST(ComponentTest, SetOperationWiresFirstFormulasThatNameADriver) {
  DriverPtr cd1 = valued("CD_OP_1", 3);
  DriverPtr cd10 = valued("CD_OP_10", 4);
  DriverPtr cd2 = valued("CD_OP_2", 5);
  DriverPtr width = driver("P_WIDTH", "CD_OP_10*2");
  DriverPtr fixed = driver("P_FIXED", "7");
  // Only formula 0 of a parameter counts.
  DriverPtr second = driver("P_SECOND", "8");
  second->formulas()->addFormula("CD_OP_2");
  ContainerPtr min = container("CD_OP_1+1");
  ContainerPtr max = container("CD_OP_10");
  Component c("Trim steel", "CT_006_00");
  c.addParameter(width, Component::kRoundUp, min, max);
  c.addParameter(fixed, Component::kRoundDown, container("0"), container("1"));
  c.addParameter(second, Component::kRoundDown, container("0"), container("1"));

  c.setOperation(operation("OP20", {cd1, cd10, cd2}));

  EXPECT_EQ("CD_OP_1 CD_OP_10", dependencies(width));
  EXPECT_EQ("", dependencies(fixed));
  EXPECT_EQ("", dependencies(second));
  EXPECT_EQ("CD_OP_1", dependencies(min));
  EXPECT_EQ("CD_OP_1 CD_OP_10", dependencies(max));
  EXPECT_FLOAT_EQ(8.0f, width->doubleValue());
  EXPECT_DOUBLE_EQ(4.0, c.standardMinAt(0));
  EXPECT_DOUBLE_EQ(4.0, c.standardMaxAt(0));
  EXPECT_EQ("OP20", c.operation()->label());
}

TEST(ComponentTest, SetOperationWithEmptyOperationOnlyLogs) {
  DriverPtr width = driver("P_WIDTH", "CD_OP_1*2");
  Component c("Gas spring", "CT_134_00");
  c.addParameter(width, Component::kRoundUp, container("1"), container("2"));
  c.setOperation(operation("OP10", {}));
  velktest::DebugCapture debug;
  c.setOperation(OperationPtr());
  EXPECT_EQ("Operation == NULL when calling setOperation for Type Gas spring",
            debug.joined());
  EXPECT_FALSE(c.operation());
  EXPECT_EQ(1u, c.operations().size());
  EXPECT_EQ("", dependencies(width));
}

TEST(ComponentTest, SetOperationsWiresOnlyTheFirstOperation) {
  DriverPtr sum = driver("P_SUM", "CD_A+CD_B+CD_C");
  Component c("Die", "CT_101_00");
  c.addParameter(sum, Component::kRoundUp, container("CD_B"),
                 container("CD_C"));
  OperationPtr a = operation("OP10", {valued("CD_A", 1)});
  OperationPtr b = operation("OP20", {valued("CD_B", 2)});
  OperationPtr d = operation("OP30", {valued("CD_C", 3)});

  c.setOperations({a, b, d});

  const std::vector<OperationPtr> ops = c.operations();
  ASSERT_EQ(3u, ops.size());
  EXPECT_EQ(a, ops[0]);
  EXPECT_EQ(b, ops[1]);
  EXPECT_EQ(d, ops[2]);
  EXPECT_TRUE(c.isOPShared());
  EXPECT_EQ("CD_A", dependencies(sum));

  c.setOperations({a});
  EXPECT_EQ(1u, c.operations().size());
  EXPECT_FALSE(c.isOPShared());
}

TEST(ComponentTest, RelatedProcessingUnitsHoldNoTwoEqualUnits) {
  boost::shared_ptr<PartFeature> hole(new PartFeature());
  boost::shared_ptr<ProcessingUnit> pierce(new ProcessingUnit());
  pierce->setPartFeature(hole);
  pierce->setIndex(0);
  boost::shared_ptr<ProcessingUnit> twin(new ProcessingUnit());
  twin->setPartFeature(hole);
  twin->setIndex(0);
  boost::shared_ptr<ProcessingUnit> next(new ProcessingUnit());
  next->setPartFeature(hole);
  next->setIndex(1);
  // Equal to no unit at all, but still only once in the list.
  boost::shared_ptr<ProcessingUnit> loose(new ProcessingUnit());

  Component c("Cam", "CT_000_00");
  c.addRelatedProcessingUnit(pierce);
  c.addRelatedProcessingUnit(pierce);
  EXPECT_EQ(1, c.relatedProcessingUnitCount());
  EXPECT_TRUE(c.isShared());
  c.addRelatedProcessingUnit(twin);
  c.addRelatedProcessingUnit(next);
  c.addRelatedProcessingUnit(loose);
  c.addRelatedProcessingUnit(loose);
  ASSERT_EQ(3, c.relatedProcessingUnitCount());
  EXPECT_EQ(pierce, c.relatedProcessingUnitAt(0));
  EXPECT_EQ(next, c.relatedProcessingUnitAt(1));
  EXPECT_EQ(loose, c.relatedProcessingUnitAt(2));
  EXPECT_FALSE(c.relatedProcessingUnitAt(3));
  EXPECT_FALSE(c.relatedProcessingUnitAt(-1));

  c.removeRelatedProcessingUnit(twin);
  c.removeRelatedProcessingUnit(loose);
  ASSERT_EQ(1, c.relatedProcessingUnitCount());
  EXPECT_EQ(next, c.relatedProcessingUnitAt(0));
  c.clearRelatedProcessingUnits();
  EXPECT_FALSE(c.isShared());
}

TEST(ComponentTest, SetPartFeatureFeedsParametersThatNameItsParameters) {
  boost::shared_ptr<ParameterMapping> mapping(new ParameterMapping());
  mapping->push_back(std::make_pair("LENGTH", "L_HOLE"));
  boost::shared_ptr<PartFeature> hole(
      new PartFeature("HOLE", boost::shared_ptr<FeatureTypeIDs>(), mapping));
  DriverPtr reads = driver("P_LEN", "2*L_HOLE");
  // Every formula of a parameter counts here, not only the first.
  DriverPtr later = driver("P_LATER", "3");
  later->formulas()->addFormula("L_HOLE+1");
  DriverPtr ignores = driver("P_FIXED", "3");
  Component c("Punch", "CT_010_01");
  c.addParameter(reads, Component::kRoundUp, container("0"), container("1"));
  c.addParameter(later, Component::kRoundUp, container("0"), container("1"));
  c.addParameter(ignores, Component::kRoundUp, container("0"), container("1"));

  c.setPartFeature(hole);

  EXPECT_EQ(hole, c.partFeature());
  EXPECT_EQ(hole, reads->formulas()->partFeature());
  EXPECT_EQ(hole, later->formulas()->partFeature());
  EXPECT_FALSE(ignores->formulas()->partFeature());
}

TEST(ComponentTest, ParameterListsStayIndexForIndex) {
  Component c;
  c.addParameter(driver("P_A", "1"), Component::kRoundToNearestStep,
                 container("0"), container("9"));
  // An archive may carry any integer as rule; it must survive unchanged.
  c.addParameter(driver("P_B", "2"), static_cast<Component::RoundingRule>(7),
                 container("1"), container("8"));
  c.addParameter(DriverPtr(), Component::kRoundUp, ContainerPtr(),
                 ContainerPtr());
  EXPECT_TRUE(c.testInternalLists());
  ASSERT_EQ(3, c.parameterCount());
  EXPECT_EQ("P_B", c.parameterAt(1)->id());
  EXPECT_EQ(Component::kRoundToNearestStep, c.roundingRuleAt(0));
  EXPECT_EQ(7, static_cast<int>(c.roundingRuleAt(1)));
  EXPECT_DOUBLE_EQ(1.0, c.standardMinAt(1));
  EXPECT_DOUBLE_EQ(8.0, c.standardMaxAt(1));
  EXPECT_FALSE(c.parameterAt(3));
  EXPECT_FALSE(c.parameterAt(-1));
  EXPECT_EQ(Component::kKeepValue, c.roundingRuleAt(3));
  EXPECT_EQ(Component::kKeepValue, c.roundingRuleAt(-1));
}

TEST(ComponentTest, StandardLimitFailuresReachTheCaller) {
  Component c("Die", "CT_101_00");
  c.addParameter(driver("P_A", "1"), Component::kRoundUp, container("y+1"),
                 ContainerPtr());
  EXPECT_THROW_MSG(c.standardMinAt(0), NoFormulaResultException,
                   "NoFormulaResultException when setting parameters for "
                   "formula y+1: Variable y in formula y+1 is undefined.\n");
  EXPECT_THROW_MSG(c.standardMaxAt(0), NoFormulaResultException,
                   "No standard maximum formula for parameter 0 of component "
                   "Die");
  EXPECT_THROW_MSG(c.standardMinAt(1), NoFormulaResultException,
                   "No standard minimum for parameter 1 of component Die: it "
                   "has 1 parameters");
  EXPECT_THROW_MSG(c.standardMaxAt(-1), NoFormulaResultException,
                   "No standard maximum for parameter -1 of component Die: it "
                   "has 1 parameters");
}

TEST(ComponentTest, VisibleCountTakesVisibleParametersOfLevelZeroAndOne) {
  Component c;
  const int levels[] = {0, 1, 2, 5, 1};
  const bool visible[] = {true, true, true, true, false};
  for (int i = 0; i < 5; ++i) {
    DriverPtr p = driver("P_" + std::to_string(i), "1");
    p->setLevel(static_cast<VelkData::CostProperty::LevelType>(levels[i]));
    p->setIsVisible(visible[i]);
    c.addParameter(p, Component::kRoundUp, container("0"), container("1"));
  }
  EXPECT_EQ(2, c.visibleCount());
}

TEST(ComponentTest, ParameterValueChangedOnceAnyValueIsExplicit) {
  Component c;
  DriverPtr a = driver("P_A", "1");
  DriverPtr b = driver("P_B", "2");
  c.addParameter(a, Component::kRoundUp, container("0"), container("1"));
  c.addParameter(b, Component::kRoundUp, container("0"), container("1"));
  EXPECT_FALSE(c.parameterValueChanged());
  b->setValue(4);
  EXPECT_TRUE(c.parameterValueChanged());
  b->resetValue();
  EXPECT_FALSE(c.parameterValueChanged());
}

// A component with two parameters, the second reading the first, bound to
// an operation, a part feature and a processing unit.
struct CloneSource {
  CloneSource()
      : stroke(valued("CD_OP_1", 10)),
        op(operation("OP40", {stroke})),
        feature(new PartFeature()),
        unit(new ProcessingUnit()),
        length(driver("P_LENGTH", "CD_OP_1*2")),
        lengthMin(container("CD_OP_1")),
        width(driver("P_WIDTH", "P_LENGTH+1")),
        source(new Component("Filler", "CT_000_01")) {
    source->addParameter(length, Component::kRoundDown, lengthMin,
                         container("100"));
    source->addParameter(width, static_cast<Component::RoundingRule>(9),
                         container("0"), container("50"));
    width->addDependency(length);
    source->setOperation(op);
    source->setPartFeature(feature);
    source->addRelatedProcessingUnit(unit);
    source->Omit();
    source->freeze();
    source->SetNoDBMatchFlag("too wide");
    source->setVisitedFlag(true);
  }

  DriverPtr stroke;
  OperationPtr op;
  boost::shared_ptr<PartFeature> feature;
  boost::shared_ptr<ProcessingUnit> unit;
  DriverPtr length;
  ContainerPtr lengthMin;
  DriverPtr width;
  ComponentPtr source;
};

TEST(ComponentTest, CloneCopiesIdentityAndSharesRelations) {
  CloneSource s;
  ComponentPtr copy = s.source->clone();
  ASSERT_NE(s.source, copy);
  EXPECT_EQ("CT_000_01", copy->getComponentKey());
  EXPECT_EQ("Filler", copy->label());
  EXPECT_EQ(5, copy->state());
  EXPECT_TRUE(copy->noDBMatch());
  EXPECT_TRUE(copy->getVisitedFlag());
  EXPECT_EQ(s.op, copy->operation());
  EXPECT_EQ(s.feature, copy->partFeature());
  ASSERT_EQ(1, copy->relatedProcessingUnitCount());
  EXPECT_EQ(s.unit, copy->relatedProcessingUnitAt(0));
  EXPECT_EQ(Component::kRoundDown, copy->roundingRuleAt(0));
  EXPECT_EQ(9, static_cast<int>(copy->roundingRuleAt(1)));
  EXPECT_TRUE(copy->testInternalLists());
}

TEST(ComponentTest, CloneOwnsParametersThatReadEachOther) {
  CloneSource s;
  ComponentPtr copy = s.source->clone();
  ASSERT_EQ(2, copy->parameterCount());
  boost::shared_ptr<CostDriver> length = copy->parameterAt(0);
  boost::shared_ptr<CostDriver> width = copy->parameterAt(1);
  EXPECT_NE(s.length, length);
  EXPECT_NE(s.width, width);
  EXPECT_EQ("P_LENGTH", length->id());
  ASSERT_EQ(1, width->formulas()->dependencyCount());
  EXPECT_EQ(length, width->formulas()->dependencyAt(0));
  EXPECT_EQ(s.stroke, length->formulas()->dependencyAt(0));

  length->setValue(5);
  EXPECT_FLOAT_EQ(6.0f, width->doubleValue());
  EXPECT_FLOAT_EQ(21.0f, s.width->doubleValue());
  EXPECT_NE(s.length->formulas(), length->formulas());
  EXPECT_DOUBLE_EQ(10.0, copy->standardMinAt(0));
  s.lengthMin->setFormulaAt(0, "77");
  EXPECT_DOUBLE_EQ(77.0, s.source->standardMinAt(0));
  EXPECT_DOUBLE_EQ(10.0, copy->standardMinAt(0));
}

TEST(ComponentTest, CloneParameterNeverReadsItself) {
  // "P_L" occurs in its own formula as part of the longer name "P_LEN".
  DriverPtr base = valued("P_LEN", 3);
  DriverPtr scaled = driver("P_L", "P_LEN*2");
  scaled->addDependency(base);
  Component c("Punch", "CT_010_01");
  c.addParameter(base, Component::kRoundUp, container("0"), container("9"));
  c.addParameter(scaled, Component::kRoundUp, container("0"), container("9"));

  ComponentPtr copy = c.clone();

  EXPECT_EQ("P_LEN", dependencies(copy->parameterAt(1)));
  EXPECT_EQ(copy->parameterAt(0),
            copy->parameterAt(1)->formulas()->dependencyAt(0));
  EXPECT_FLOAT_EQ(6.0f, copy->parameterAt(1)->doubleValue());
}

TEST(ComponentTest, CopyToReplacesParametersButKeepsOtherOperations) {
  CloneSource s;
  ComponentPtr target(new Component("Old", "CT_999_00"));
  target->addParameter(driver("P_OLD", "1"), Component::kRoundUp,
                       container("0"), container("1"));
  OperationPtr other = operation("OP90", {});
  target->setOperations({operation("OP80", {}), other});

  s.source->copyTo(target);

  EXPECT_EQ("Filler", target->label());
  EXPECT_EQ("CT_000_01", target->getComponentKey());
  ASSERT_EQ(2, target->parameterCount());
  EXPECT_EQ("P_LENGTH", target->parameterAt(0)->id());
  const std::vector<OperationPtr> ops = target->operations();
  ASSERT_EQ(2u, ops.size());
  EXPECT_EQ(s.op, ops[0]);
  EXPECT_EQ(other, ops[1]);
}

TEST(ComponentTest, CopyFromTakesTheSourceState) {
  CloneSource s;
  ComponentPtr target(new Component());
  target->copyFrom(s.source);
  EXPECT_EQ("Filler", target->label());
  EXPECT_EQ(2, target->parameterCount());
  EXPECT_NE(s.length, target->parameterAt(0));
}

// Copying onto itself would clear the parameters before copying them.
TEST(ComponentTest, CopyOntoItselfKeepsParameters) {
  CloneSource s;
  s.source->copyTo(s.source);
  s.source->copyFrom(s.source);
  ASSERT_EQ(2, s.source->parameterCount());
  EXPECT_EQ(s.length, s.source->parameterAt(0));
}

TEST(ComponentTest, CloneOfReferenceComponentLogsItsMissingOperation) {
  Component reference("Cam pad", "CT_000_02");
  velktest::DebugCapture debug;
  ComponentPtr copy = reference.clone();
  EXPECT_EQ("Operation == NULL when calling setOperation for Type Cam pad",
            debug.joined());
  EXPECT_TRUE(copy->isReferenceComponent());
}

TEST(ComponentTest, ChildComponentsAreReturnedAsACopy) {
  Component parent("Lower die set", "CT_300_00");
  ComponentPtr child(new Component("Guide pin", "CT_130_00"));
  parent.addChildComp(child);
  parent.addChildComp(ComponentPtr());
  std::vector<ComponentPtr> children = parent.getChildComps();
  ASSERT_EQ(1u, children.size());
  EXPECT_EQ(child, children[0]);
  children.clear();
  EXPECT_EQ(1u, parent.getChildComps().size());
}

}  // namespace
}  // namespace TamberData
