#include <gtest/gtest.h>

#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <boost/make_shared.hpp>
#include <boost/weak_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriverBool.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostDriverInt.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "external/LINEFEATURE.h"
#include "external/Stage.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessingUnit.h"
#include "processplan/ValueNotFoundException.h"
#include "tests/support/TestUtil.h"

namespace TamberData {
namespace {

using VelkData::BaseAssembly;
using VelkData::Operation;
using VelkData::Press;
using VelkUtils::Stage;

typedef boost::shared_ptr<Operation> OperationPtr;

OperationPtr makeOperation(const std::string& label,
                           const std::string& type = "Trim") {
  return boost::make_shared<Operation>(label, type);
}

boost::shared_ptr<PartGeometryCurve> makeCurve(const std::string& label,
                                               int fid) {
  VelkUtils::LINEFEATURE record;
  record.setName(label);
  record.setFid(fid);
  return boost::make_shared<PartGeometryCurve>(
      boost::shared_ptr<FeatureTypeIDs>(), record);
}

boost::shared_ptr<PartFeatureGroup> makeGroup(const std::string& label) {
  return boost::make_shared<PartFeatureGroup>(
      "FeatureGroup", boost::shared_ptr<FeatureTypeIDs>(),
      boost::shared_ptr<ParameterMapping>(), label);
}

boost::shared_ptr<ProcessingUnit> makeUnit(const std::string& label,
                                           ProcessingUnit::CamType cam) {
  return boost::make_shared<ProcessingUnit>(
      label, "Hole", boost::shared_ptr<Constraint>(), cam, "");
}

// The line as "label:type" entries, "-" for an empty place.
std::string line(const ProcessDatabase& db) {
  std::string text;
  for (const OperationPtr& op : db.Operations()) {
    if (!text.empty()) text += " ";
    text += op ? op->label() + ":" + op->type() : "-";
  }
  return text;
}

std::string labels(const std::vector<boost::shared_ptr<PartFeature>>& list) {
  std::string text;
  for (const auto& feature : list) text += "[" + feature->label() + "]";
  return text;
}

std::string ints(const std::vector<int>& values) {
  std::string text;
  for (int v : values) text += (text.empty() ? "" : ",") + std::to_string(v);
  return text;
}

// Builds lines and feature trees in `db_`; the tree and the base
// assemblies point back at what holds them, so TearDown breaks those cycles.
class ProcessDatabaseTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const OperationPtr& op : db_.Operations()) {
      if (op) op->setBaseAssembly(boost::shared_ptr<BaseAssembly>());
    }
    for (const auto& feature : features_) feature->clearProcessingUnits();
  }

  // An operation appended to the line whose base assembly holds
  // `components`.
  OperationPtr addOperation(
      const std::string& label,
      const std::vector<boost::shared_ptr<Component>>& components) {
    const OperationPtr op = makeOperation(label);
    const auto assembly = boost::make_shared<BaseAssembly>("BA " + label, "");
    for (const auto& c : components) assembly->AddComponent(c, nullptr, 0);
    op->setBaseAssembly(assembly);
    db_.AddOperation(op);
    return op;
  }

  static boost::shared_ptr<Component> dieSet(const std::string& key) {
    return boost::make_shared<Component>("Die set", key);
  }

  // Line OP10, OP20 whose stage (labelled "OP20") allows Trim and Pierce,
  // on press "Press A" while the current press is "Line 1"; the reference
  // of "Flange" has a stage of its own and a tool length of 500.
  void setUpTypeChange() {
    press_ = boost::make_shared<Press>("Press A", 4);
    db_.SetCurrentPress(boost::make_shared<Press>("Line 1", 4));
    stage_ = boost::make_shared<Stage>("OP20");
    stage_->setAllowedOperationTypes({"Trim", "Pierce"});
    stage_->setToolLength(1200.0);

    db_.AddOperation(makeOperation("OP10"));
    old_ = makeOperation("OP20");
    old_->SetStage(stage_);
    old_->setPress(press_);
    db_.AddOperation(old_);

    referenceStage_ = boost::make_shared<Stage>("Reference");
    const OperationPtr flange = makeOperation("Flanging");
    auto length = boost::make_shared<VelkData::CostDriverDouble>("CD_OP_L");
    length->setValue(500.0f);
    flange->SetLength(length, nullptr, nullptr);
    flange->SetStage(referenceStage_);
    db_.SetReferenceOperation("Flange", flange);
  }

  ProcessDatabase db_;
  std::vector<boost::shared_ptr<PartFeature>> features_;
  boost::shared_ptr<Press> press_;
  boost::shared_ptr<Stage> stage_;
  boost::shared_ptr<Stage> referenceStage_;
  OperationPtr old_;
};

TEST_F(ProcessDatabaseTest, IdIsTheCreationTimeInIsoForm) {
  QDateTime before = QDateTime::currentDateTime();
  before = before.addMSecs(-before.time().msec());
  ProcessDatabase db;
  const QDateTime after = QDateTime::currentDateTime();

  const QString id = QString::fromStdString(db.id());
  EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}$")
                  .match(id)
                  .hasMatch())
      << db.id();
  const QDateTime created = QDateTime::fromString(id, Qt::ISODate);
  EXPECT_LE(before, created);
  EXPECT_LE(created, after);
}

TEST_F(ProcessDatabaseTest, LineKeepsOrderOfAddInsertAndRemove) {
  ProcessDatabase& db = db_;
  EXPECT_EQ(0, db.AddOperation(makeOperation("OP10")));
  EXPECT_EQ(1, db.AddOperation(makeOperation("OP30", "Pierce")));
  EXPECT_EQ(-1, db.AddOperation(OperationPtr()));
  db.InsertOperationAt(1, makeOperation("OP20", "Draw"));
  db.InsertOperationAt(3, makeOperation("OP40"));
  db.InsertOperationAt(9, makeOperation("OP99"));
  db.InsertOperationAt(-1, makeOperation("OP98"));
  EXPECT_EQ("OP10:Trim OP20:Draw OP30:Pierce OP40:Trim", line(db));

  // Every place counts, also when two places share a type.
  EXPECT_EQ(4, db.OperationTypeCount());
  EXPECT_EQ("Draw", db.OperationTypeAt(1));

  // Equality is by label, so another object with the label matches.
  EXPECT_EQ(2, db.RemoveOperation(makeOperation("OP30")));
  EXPECT_EQ(-1, db.RemoveOperation(makeOperation("OP30")));
  EXPECT_EQ(-1, db.RemoveOperation(OperationPtr()));
  EXPECT_EQ("OP10:Trim OP20:Draw OP40:Trim", line(db));
}

TEST_F(ProcessDatabaseTest, IndexOutsideTheListsGivesNeutralAnswers) {
  ProcessDatabase db;
  db.AddOperation(makeOperation("OP10"));
  db.AddDefaultOperation(makeOperation("D"));
  db.AddBlankingPress(boost::make_shared<Press>("B", 1));
  db.addTopLevelPartFeature(makeCurve("c", 1));
  for (int index : {-1, 1, 1000}) {
    SCOPED_TRACE(index);
    EXPECT_FALSE(db.OperationAt(index));
    EXPECT_EQ("", db.OperationTypeAt(index));
    EXPECT_FALSE(db.DefaultOperationAt(index));
    EXPECT_FALSE(db.BlankingPressAt(index));
    EXPECT_FALSE(db.topLevelPartFeatureAt(index));
    db.RemoveOperationAt(index);
    db.RemoveBlankingPressAt(index);
    db.removeTopLevelPartFeatureAt(index);
    db.UnshareBaseAssemCompsInOperation(index);
  }
  EXPECT_EQ(1, db.OperationCount());
  EXPECT_EQ(1, db.BlankingPressCount());
  EXPECT_EQ(1, db.topLevelPartFeatureCount());
}

TEST_F(ProcessDatabaseTest, CreateOperationClonesTheReferenceOrIsEmpty) {
  ProcessDatabase db;
  EXPECT_FALSE(db.CreateOperation("Flange"));

  const OperationPtr reference = makeOperation("Flanging", "Whatever");
  db.SetReferenceOperation("Flange", reference);
  EXPECT_EQ("Flange", reference->type());
  const OperationPtr created = db.CreateOperation("Flange");
  ASSERT_TRUE(created);
  EXPECT_NE(reference, created);
  EXPECT_EQ("Flange", created->type());

  const OperationPtr replacement = makeOperation("Flanging 2");
  db.SetReferenceOperation("Flange", replacement);
  EXPECT_EQ(replacement, db.ReferenceOperation("Flange"));
}

TEST_F(ProcessDatabaseTest, TypeTheStageForbidsIsRefusedWithMessage) {
  setUpTypeChange();
  std::string message;
  EXPECT_FALSE(db_.ChangeOperationTypeAt(1, "Flange", message));
  EXPECT_EQ(
      "Operation OP20' is of type 'Flange' which is not allowed for stage "
      "'OP20' of the current press 'Line 1'",
      message);
  EXPECT_EQ(old_, db_.OperationAt(1));
  EXPECT_EQ("OP10:Trim OP20:Trim", line(db_));
  EXPECT_EQ(1200.0, stage_->toolLength());
  EXPECT_EQ("Reference", referenceStage_->Label());

  // The stage is named by the label the new operation writes through to
  // it; a missing current press has an empty label.
  stage_->setLabel("Stage 2");
  db_.SetCurrentPress(boost::shared_ptr<Press>());
  EXPECT_FALSE(db_.ChangeOperationTypeAt(1, "Flange", message));
  EXPECT_EQ(
      "Operation OP20' is of type 'Flange' which is not allowed for stage "
      "'OP20' of the current press ''",
      message);
}

TEST_F(ProcessDatabaseTest, ShouldBeEmptyTypeIsAcceptedByAnyStage) {
  setUpTypeChange();
  db_.ReferenceOperation("Flange")->SetShouldBeEmtpy(true);
  std::string message = "untouched";
  EXPECT_TRUE(db_.ChangeOperationTypeAt(1, "Flange", message));
  EXPECT_EQ("untouched", message);

  const OperationPtr changed = db_.OperationAt(1);
  EXPECT_NE(old_, changed);
  EXPECT_EQ("OP10:Trim OP20:Flange", line(db_));
  EXPECT_EQ(press_, changed->press());
  EXPECT_EQ(stage_, changed->stage());
  // The reference and its stage stay as they were.
  EXPECT_EQ("Flanging", db_.ReferenceOperation("Flange")->label());
  EXPECT_EQ("Reference", referenceStage_->Label());
}

TEST_F(ProcessDatabaseTest, AllowedTypeReplacesTheOperation) {
  setUpTypeChange();
  const OperationPtr pierce = makeOperation("Piercing");
  db_.SetReferenceOperation("Pierce", pierce);
  std::string message;
  EXPECT_TRUE(db_.ChangeOperationTypeAt(1, "Pierce", message));
  EXPECT_EQ("OP10:Trim OP20:Pierce", line(db_));
}

TEST_F(ProcessDatabaseTest, TypeWithoutReferenceOrMissingPlaceFails) {
  setUpTypeChange();
  std::string message;
  EXPECT_FALSE(db_.ChangeOperationTypeAt(1, "Trim", message));
  EXPECT_EQ("Operation type 'Trim' has no reference operation", message);
  EXPECT_FALSE(db_.ChangeOperationTypeAt(5, "Flange", message));
  EXPECT_EQ("No operation at index 5", message);
  EXPECT_EQ(old_, db_.OperationAt(1));
  EXPECT_EQ("OP10:Trim OP20:Trim", line(db_));
}

TEST_F(ProcessDatabaseTest, FirstAndLastOperationOnAPress) {
  ProcessDatabase db;
  const auto blanking = boost::make_shared<Press>("Blanking", 1);
  const auto transfer = boost::make_shared<Press>("Transfer", 3);
  for (int i = 0; i < 6; ++i) {
    const OperationPtr op = makeOperation("OP" + std::to_string(i));
    op->setPress(i >= 2 && i <= 4 ? transfer : blanking);
    db.AddOperation(op);
  }
  db.OperationAt(0)->setPress(boost::make_shared<Press>("Transfer", 3));
  const auto idle = boost::make_shared<Press>("Idle", 1);

  EXPECT_EQ(2, db.FirstOperationOn(transfer));
  EXPECT_EQ(4, db.LastOperationOn(transfer));
  EXPECT_EQ(3, db.OperationCount(transfer));
  EXPECT_EQ(-1, db.FirstOperationOn(idle));
  EXPECT_EQ(-1, db.LastOperationOn(idle));
  EXPECT_EQ(0, db.OperationCount(idle));
  EXPECT_EQ(-1, db.FirstOperationOn(boost::shared_ptr<Press>()));
}

TEST_F(ProcessDatabaseTest, ReplaceBeyondTheEndGrowsWithEmptyPlaces) {
  ProcessDatabase db;
  db.AddOperation(makeOperation("OP10"));
  db.ReplaceOperationAt(3, makeOperation("OP40"), true);
  EXPECT_EQ("OP10:Trim - - OP40:Trim", line(db));
  EXPECT_EQ("", db.OperationTypeAt(1));
  EXPECT_EQ("0,1,2,3", ints(db.getDiesetConfig(true)));
  EXPECT_EQ(3, db.RemoveOperation(makeOperation("OP40")));
  db.ReplaceOperationAt(-1, makeOperation("OP0"), false);
  EXPECT_EQ("OP10:Trim - -", line(db));
}

TEST_F(ProcessDatabaseTest, ReplaceWithAnEmptyOperationEmptiesThePlace) {
  using VelkData::CostDriverDouble;
  ProcessDatabase db;
  const OperationPtr first = makeOperation("OP10");
  auto length = boost::make_shared<CostDriverDouble>("CD_LEN");
  length->setValue(2.5f);
  first->AddCostDriver(length);
  db.AddOperation(first);
  db.AddOperation(makeOperation("OP20"));

  // Nothing to hand the values to: the old operation keeps them.
  db.ReplaceOperationAt(0, OperationPtr(), true);
  EXPECT_EQ("- OP20:Trim", line(db));
  EXPECT_FALSE(db.OperationAt(0));
  EXPECT_FLOAT_EQ(2.5f, length->doubleValue());

  // Beyond the end the line grows first, the new last place empty too.
  db.ReplaceOperationAt(3, OperationPtr(), false);
  EXPECT_EQ(4, db.OperationCount());
  EXPECT_EQ("- OP20:Trim - -", line(db));

  // An empty place hands nothing over to the operation that fills it.
  const OperationPtr filler = makeOperation("OP40");
  auto fresh = boost::make_shared<CostDriverDouble>("CD_LEN");
  fresh->setValue(9.0f);
  filler->AddCostDriver(fresh);
  db.ReplaceOperationAt(0, filler, true);
  EXPECT_EQ("OP40:Trim OP20:Trim - -", line(db));
  EXPECT_FLOAT_EQ(9.0f, fresh->doubleValue());
}

TEST_F(ProcessDatabaseTest, ReplaceHandsValuesOverByDriverKind) {
  using VelkData::CostDriver;
  using VelkData::CostDriverBool;
  using VelkData::CostDriverDouble;
  using VelkData::CostDriverEnum;
  using VelkData::CostDriverInt;
  const OperationPtr old = makeOperation("OP10");
  auto length = boost::make_shared<CostDriverDouble>("CD_LEN");
  length->setValue(2.5f);
  auto count = boost::make_shared<CostDriverInt>("CD_CNT");
  count->setValue(7);
  auto grade = boost::make_shared<CostDriverEnum>("CD_GRADE");
  grade->setValues({1.0f, 2.0f}, {"low", "high"});
  grade->setValue(std::string("high"));
  auto coated = boost::make_shared<CostDriverBool>("CD_COAT");
  coated->setValue(true);
  auto mismatch = boost::make_shared<CostDriverDouble>("CD_KIND");
  mismatch->setValue(3.0f);
  for (auto d : std::vector<boost::shared_ptr<CostDriver>>{length, count, grade,
                                                           coated, mismatch}) {
    old->AddCostDriver(d);
  }

  auto makeNew = [] {
    const OperationPtr op = makeOperation("OP10", "Pierce");
    auto length = boost::make_shared<CostDriverDouble>("CD_LEN");
    length->setValue(9.0f);
    op->AddCostDriver(length);
    auto count = boost::make_shared<CostDriverInt>("CD_CNT");
    count->setValue(4);
    op->AddCostDriver(count);
    auto grade = boost::make_shared<CostDriverEnum>("CD_GRADE");
    grade->setValues({10.0f, 20.0f}, {"high", "low"});
    grade->setValue(std::string("low"));
    op->AddCostDriver(grade);
    auto coated = boost::make_shared<CostDriverBool>("CD_COAT");
    coated->setTrue(5.0f);
    op->AddCostDriver(coated);
    auto kind = boost::make_shared<CostDriverInt>("CD_KIND");
    kind->setValue(1);
    op->AddCostDriver(kind);
    return op;
  };

  ProcessDatabase db;
  db.AddOperation(old);
  const OperationPtr next = makeNew();
  db.ReplaceOperationAt(0, next, true);
  EXPECT_EQ(next, db.OperationAt(0));
  EXPECT_FLOAT_EQ(2.5f, next->CostDriverAt(0)->doubleValue());
  EXPECT_FLOAT_EQ(7.0f, next->CostDriverAt(1)->doubleValue());
  EXPECT_EQ("high", next->CostDriverAt(2)->stringValue());
  EXPECT_FLOAT_EQ(10.0f, next->CostDriverAt(2)->doubleValue());
  EXPECT_FLOAT_EQ(5.0f, next->CostDriverAt(3)->doubleValue());
  EXPECT_FLOAT_EQ(1.0f, next->CostDriverAt(4)->doubleValue());

  // Without the flag the new operation keeps its own values.
  const OperationPtr kept = makeNew();
  db.ReplaceOperationAt(0, kept, false);
  EXPECT_FLOAT_EQ(9.0f, kept->CostDriverAt(0)->doubleValue());
  EXPECT_FLOAT_EQ(4.0f, kept->CostDriverAt(1)->doubleValue());
  EXPECT_EQ("low", kept->CostDriverAt(2)->stringValue());
}

TEST_F(ProcessDatabaseTest, PartFeaturesByFidInRequestedOrder) {
  ProcessDatabase db;
  const auto group = makeGroup("g");
  group->addChild(makeCurve("c5", 5));
  group->addChild(makeCurve("c7", 7));
  db.addTopLevelPartFeature(makeCurve("c3", 3));
  db.addTopLevelPartFeature(group);
  // The later of two features with one fid wins.
  db.addTopLevelPartFeature(makeCurve("c7b", 7));

  EXPECT_EQ("[c5][c3]", labels(db.getPartFeatures(std::vector<int>{5, 99, 3})));
  EXPECT_EQ("[c7b]", labels(db.getPartFeatures(7)));
  EXPECT_EQ("", labels(db.getPartFeatures(99)));
}

TEST_F(ProcessDatabaseTest, RemoveTopLevelPartFeatureMatchesByLabel) {
  ProcessDatabase db;
  EXPECT_EQ(0, db.addTopLevelPartFeature(makeCurve("a", 1)));
  EXPECT_EQ(1, db.addTopLevelPartFeature(makeCurve("b", 2)));
  EXPECT_EQ(-1, db.addTopLevelPartFeature(boost::shared_ptr<PartFeature>()));
  db.insertTopLevelPartFeatureAt(1, makeCurve("b", 3));

  EXPECT_TRUE(db.removeTopLevelPartFeature(makeCurve("b", 9), true));
  ASSERT_EQ(2, db.topLevelPartFeatureCount());
  EXPECT_EQ(2, db.topLevelPartFeatureAt(1)->getFID());

  EXPECT_FALSE(db.removeTopLevelPartFeature(makeCurve("x", 1), false));
  EXPECT_THROW_MSG(db.removeTopLevelPartFeature(makeCurve("x", 1), true),
                   ValueNotFoundException,
                   "No top-level part feature with label x");
  EXPECT_EQ(2, db.topLevelPartFeatureCount());
}

TEST_F(ProcessDatabaseTest, UnitsFoundByOperationAndByParentGroup) {
  ProcessDatabase db;
  const OperationPtr op10 = makeOperation("OP10");
  const OperationPtr op20 = makeOperation("OP20");
  const auto group = makeGroup("g");
  const auto member = makeCurve("m", 1);
  const auto single = makeCurve("s", 2);
  group->addChild(member);
  features_ = {single, group, member};
  db.addTopLevelPartFeature(single);
  db.addTopLevelPartFeature(group);

  const auto groupUnit = makeUnit("gu", ProcessingUnit::kNoCam);
  const auto first = makeUnit("s1", ProcessingUnit::kNoCam);
  const auto second = makeUnit("s2", ProcessingUnit::kNoCam);
  group->addProcessingUnit(groupUnit, group);
  single->addProcessingUnit(first, single);
  single->addProcessingUnit(second, single);
  groupUnit->setOperation(op20);
  first->setOperation(op20);
  second->setOperation(op10);

  EXPECT_EQ((std::vector<boost::shared_ptr<ProcessingUnit>>{first, groupUnit}),
            db.getProcUnitsFromOP(op20));
  EXPECT_TRUE(db.getProcUnitsFromOP(OperationPtr()).empty());
  EXPECT_EQ(std::vector<boost::shared_ptr<ProcessingUnit>>{groupUnit},
            db.findParentProcUnits(member));
  EXPECT_TRUE(db.findParentProcUnits(single).empty());
}

TEST_F(ProcessDatabaseTest, ReferenceUnitsByFeatureTypeAndCamType) {
  ProcessDatabase db;
  const auto noCam = makeUnit("n", ProcessingUnit::kNoCam);
  const auto cam = makeUnit("c", ProcessingUnit::kCam);
  const auto filler = makeUnit("f", ProcessingUnit::kFillerCam);
  const auto slot = makeUnit("s", ProcessingUnit::kCam);
  db.addReferenceProcessingUnit("Slot", boost::shared_ptr<ProcessingUnit>(),
                                slot, boost::shared_ptr<ProcessingUnit>());
  db.addReferenceProcessingUnit("Hole", noCam, cam, filler);

  const auto already = makeUnit("a", ProcessingUnit::kNoCam);
  std::vector<boost::shared_ptr<ProcessingUnit>> out{already};
  db.referenceProcessingUnits(out, "Hole", 1);
  EXPECT_EQ((std::vector<boost::shared_ptr<ProcessingUnit>>{already, cam}),
            out);

  out.clear();
  db.referenceProcessingUnits(out, "Hole");
  EXPECT_EQ(
      (std::vector<boost::shared_ptr<ProcessingUnit>>{noCam, cam, filler}),
      out);
  out.clear();
  db.referenceProcessingUnits(out);
  EXPECT_EQ((std::vector<boost::shared_ptr<ProcessingUnit>>{noCam, cam, filler,
                                                            slot}),
            out);
  out.clear();
  db.referenceProcessingUnits(out, "Hole", 7);
  db.referenceProcessingUnits(out, "Rib", 1);
  EXPECT_TRUE(out.empty());
}

TEST_F(ProcessDatabaseTest, SharedDieSetKeepsOneGroup) {
  const auto upper = dieSet("CT_301_1");
  const OperationPtr a = addOperation("OP10", {upper, dieSet("CT_300_1")});
  const OperationPtr b = addOperation("OP20", {upper, dieSet("CT_300_2")});
  const OperationPtr c = addOperation("OP30", {upper});
  upper->setOperations({a, b, c});
  EXPECT_EQ("0,0,0", ints(db_.getDiesetConfig(true)));
  EXPECT_EQ("0,1,2", ints(db_.getDiesetConfig(false)));

  // A place without die set starts a group; the first die set stays the one
  // to compare with.
  b->baseAssembly()->RemoveComponent(upper);
  EXPECT_EQ("0,1,1", ints(db_.getDiesetConfig(true)));
}

TEST_F(ProcessDatabaseTest, EquivalentDieSetsShareAGroup) {
  const OperationPtr a = addOperation("OP10", {});
  const OperationPtr b = addOperation("OP20", {});
  const auto first = dieSet("CT_301_1");
  const auto copy = dieSet("CT_301_1");
  const auto other = dieSet("CT_301_1");
  first->setOperations({a, b});
  // Components name their operations weakly: the stand-in must be kept.
  const OperationPtr standIn = makeOperation("OP10");
  copy->setOperations({standIn, b});
  other->setOperations({b, a});
  a->baseAssembly()->AddComponent(first, nullptr, 0);
  b->baseAssembly()->AddComponent(copy, nullptr, 0);
  EXPECT_EQ("0,0", ints(db_.getDiesetConfig(true)));
  addOperation("OP30", {other});
  EXPECT_EQ("0,0,1", ints(db_.getDiesetConfig(true)));
}

TEST_F(ProcessDatabaseTest, UnsharingReactivatesChildrenAndDropsShared) {
  const auto shared = dieSet("CT_301_S");
  std::vector<boost::shared_ptr<Component>> children;
  for (int state : {2, 3, 6, 7}) {
    auto child = dieSet("CT_301_" + std::to_string(state));
    if (state & 1) child->Omit();
    child->Deactivate();
    if (state & 4) child->freeze();
    ASSERT_EQ(state, child->state());
    shared->addChildComp(child);
    children.push_back(child);
  }
  const auto own = dieSet("CT_300_1");
  const auto elsewhere = dieSet("CT_300_2");
  const OperationPtr a = addOperation("OP10", {shared, own});
  const OperationPtr b = addOperation("OP20", {shared});
  const OperationPtr c = addOperation("OP30", {elsewhere});
  const OperationPtr d = addOperation("OP40", {elsewhere});
  shared->setOperations({a, b});
  own->setOperation(a);
  elsewhere->setOperations({c, d});

  db_.RemoveOperationAt(1);
  std::string states;
  for (const auto& child : children) states += std::to_string(child->state());
  EXPECT_EQ("0145", states);
  EXPECT_EQ(1, a->baseAssembly()->ComponentCount());
  EXPECT_EQ(own, a->baseAssembly()->ComponentAt(0));
  EXPECT_EQ(0, b->baseAssembly()->ComponentCount());
  EXPECT_EQ(1, c->baseAssembly()->ComponentCount());
  EXPECT_EQ("OP10:Trim OP30:Trim OP40:Trim", line(db_));
}

TEST_F(ProcessDatabaseTest, FirstFormStageSkipsOtherStagesAndBareOperations) {
  ProcessDatabase db;
  EXPECT_FALSE(db.getFirstFormStage());
  db.AddOperation(makeOperation("OP10"));
  const auto trimming = boost::make_shared<Stage>("S1");
  trimming->setStageType("trimming");
  db.AddOperation(makeOperation("OP20"));
  db.OperationAt(1)->SetStage(trimming);
  EXPECT_FALSE(db.getFirstFormStage());
  const auto forming = boost::make_shared<Stage>("S2");
  forming->setStageType("forming");
  const OperationPtr draw = makeOperation("OP30", "Draw");
  draw->SetStage(forming);
  db.AddOperation(draw);
  EXPECT_EQ(draw, db.getFirstFormStage());
}

TEST_F(ProcessDatabaseTest, CostDatabaseKeepsItAliveAndHandsItOut) {
  boost::weak_ptr<ProcessDatabase> watch;
  {
    VelkData::CostDatabase costs;
    {
      const auto process = boost::make_shared<ProcessDatabase>();
      process->AddOperation(makeOperation("OP10"));
      costs.SetProcessDB(process);
      watch = process;
    }
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(watch.lock(), costs.ProcessDB());
    EXPECT_EQ(1, costs.ProcessDB()->OperationCount());
  }
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace TamberData
