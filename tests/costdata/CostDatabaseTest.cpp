#include <gtest/gtest.h>

#include <QDateTime>
#include <QRegularExpression>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>
#include <limits>
#include <string>
#include <vector>

#include "costdata/BaseAssembly.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Press.h"
#include "costdata/PriceUnit.h"
#include "costdata/Surcharge.h"
#include "costdata/ToolMaterial.h"
#include "formula/FormulaContainer.h"

namespace VelkData {
namespace {

typedef boost::shared_ptr<ManufacturingStep> StepPtr;
typedef boost::shared_ptr<ToolMaterial> MaterialPtr;
typedef boost::shared_ptr<Surcharge> SurchargePtr;

StepPtr step(const std::string& id, const std::string& label, float rate) {
  StepPtr s(new ManufacturingStep(id));
  s->setLabel(label);
  s->SetCostPerHour(rate);
  return s;
}

MaterialPtr material(const std::string& id, const std::string& label,
                     float costPerUnit) {
  MaterialPtr m(new ToolMaterial(id));
  m->setLabel(label);
  m->SetCostPerUnit(costPerUnit);
  return m;
}

boost::shared_ptr<CostDriverDouble> property(const std::string& id,
                                             const std::string& label) {
  boost::shared_ptr<CostDriverDouble> p(new CostDriverDouble(id));
  p->setLabel(label);
  return p;
}

SurchargePtr surcharge(const std::string& id, const std::string& label,
                       double userfactor) {
  SurchargePtr s(new Surcharge(
      id, boost::shared_ptr<FormulaContainer>(new FormulaContainer())));
  s->setLabel(label);
  s->setUserfactor(userfactor);
  return s;
}

std::string joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& t : texts) out += (out.empty() ? "" : " ") + t;
  return out;
}

// The ids of the total-cost surcharges in order, space separated.
std::string totalSurchargeIds(const CostDatabase& db) {
  std::vector<std::string> ids;
  for (int i = 0; i < db.TotalCostSurchargeCount(); ++i) {
    ids.push_back(db.TotalCostSurchargeAt(i)->id());
  }
  return joined(ids);
}

TEST(CostDatabaseTest, IdIsTheCreationTimeInIsoForm) {
  // The identifier carries whole seconds only.
  QDateTime before = QDateTime::currentDateTime();
  before = before.addMSecs(-before.time().msec());
  CostDatabase db;
  const QDateTime after = QDateTime::currentDateTime();

  const QString id = QString::fromStdString(db.id());
  EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}$")
                  .match(id)
                  .hasMatch())
      << db.id();
  const QDateTime created = QDateTime::fromString(id, Qt::ISODate);
  ASSERT_TRUE(created.isValid()) << db.id();
  EXPECT_LE(before, created);
  EXPECT_LE(created, after);
}

TEST(CostDatabaseTest, IsAnObjectFrameworkClass) {
  CostDatabase db;
  EXPECT_STREQ("VelkData::CostDatabase", db.metaObject()->className());
  EXPECT_EQ(QString("Currency"), CostDatabase::tr("Currency"));
}

TEST(CostDatabaseTest, AskingForAnUnknownTypeMakesItAnOperationType) {
  CostDatabase db;
  EXPECT_TRUE(db.OperationTypes().empty());

  EXPECT_EQ(0, db.OperationTypeSurchargeCount("TRIM"));
  EXPECT_EQ("TRIM", joined(db.OperationTypes()));

  EXPECT_FALSE(db.OperationTypeSurchargeAt("DRAW", 0));
  EXPECT_EQ("DRAW TRIM", joined(db.OperationTypes()));

  // Keys of operation types are a separate table.
  EXPECT_EQ("", db.GetOpTypKey("FLANGE"));
  EXPECT_EQ("DRAW TRIM", joined(db.OperationTypes()));
  db.SetOpTypKey("FLANGE", "OT_03");
  EXPECT_EQ("OT_03", db.GetOpTypKey("FLANGE"));
}

TEST(CostDatabaseTest, OperationTypeSurchargeAtAnswersEmptyOutsideTheList) {
  CostDatabase db;
  SurchargePtr handling = surcharge("S1", "Handling", 1.0);
  db.AddOperationTypeSurcharge("TRIM", handling);
  EXPECT_EQ(handling, db.OperationTypeSurchargeAt("TRIM", 0));
  EXPECT_FALSE(db.OperationTypeSurchargeAt("TRIM", 1));
  EXPECT_FALSE(db.OperationTypeSurchargeAt("TRIM", -1));
  EXPECT_EQ(1, db.OperationTypeSurchargeCount("TRIM"));
}

TEST(CostDatabaseTest, TotalCostSurchargeWithKnownLabelReplacesTheOldOne) {
  CostDatabase db;
  db.AddTotalCostSurcharge(surcharge("S1", "Handling", 1.0));
  db.AddTotalCostSurcharge(surcharge("S2", "Transport", 1.0));
  db.AddTotalCostSurcharge(surcharge("S3", "Handling", 1.0));
  EXPECT_EQ("S3 S2", totalSurchargeIds(db));
  db.AddTotalCostSurcharge(surcharge("S4", "Risk", 1.0));
  EXPECT_EQ("S3 S2 S4", totalSurchargeIds(db));
  db.AddTotalCostSurcharge(SurchargePtr());
  EXPECT_EQ("S3 S2 S4", totalSurchargeIds(db));
}

// Two unlabelled total-cost surcharges used to replace each other, and the
// first one's share of the total was lost.
TEST(CostDatabaseTest, UnlabelledSurchargesNeverReplaceEachOther) {
  CostDatabase db;
  db.AddTotalCostSurcharge(surcharge("S1", "", 1.0));
  db.AddTotalCostSurcharge(surcharge("S2", "", 1.0));
  db.AddTotalCostSurcharge(surcharge("S3", "Risk", 1.0));
  EXPECT_EQ("S1 S2 S3", totalSurchargeIds(db));
  db.AddOperationTypeSurcharge("TRIM", surcharge("S4", "", 1.0));
  db.AddOperationTypeSurcharge("TRIM", surcharge("S5", "", 1.0));
  EXPECT_EQ(2u, db.OperationTypeSurcharges("TRIM").size());
}

TEST(CostDatabaseTest, ReadingTypeSurchargesLeavesTheTypesAlone) {
  CostDatabase db;
  db.AddOperationTypeSurcharge("TRIM", surcharge("S1", "Handling", 1.0));
  EXPECT_TRUE(db.OperationTypeSurcharges("DRAW").empty());
  ASSERT_EQ(1u, db.OperationTypeSurcharges("TRIM").size());
  EXPECT_EQ("S1", db.OperationTypeSurcharges("TRIM")[0]->id());
  EXPECT_EQ("TRIM", joined(db.OperationTypes()));
}

TEST(CostDatabaseTest, OperationTypeSurchargesAreReplacedByLabelPerType) {
  CostDatabase db;
  db.AddOperationTypeSurcharge("TRIM", surcharge("S1", "Handling", 1.0));
  db.AddOperationTypeSurcharge("DRAW", surcharge("S2", "Handling", 1.0));
  db.AddOperationTypeSurcharge("TRIM", surcharge("S3", "Handling", 1.0));
  db.AddOperationTypeSurcharge("TRIM", surcharge("S4", "Risk", 1.0));

  ASSERT_EQ(2, db.OperationTypeSurchargeCount("TRIM"));
  EXPECT_EQ("S3", db.OperationTypeSurchargeAt("TRIM", 0)->id());
  EXPECT_EQ("S4", db.OperationTypeSurchargeAt("TRIM", 1)->id());
  ASSERT_EQ(1, db.OperationTypeSurchargeCount("DRAW"));
  EXPECT_EQ("S2", db.OperationTypeSurchargeAt("DRAW", 0)->id());
}

TEST(CostDatabaseTest, StepAndMaterialSurchargesAreKeyedByObject) {
  CostDatabase db;
  StepPtr milling = step("MS_1", "Milling", 80.0f);
  StepPtr namesake = step("MS_1", "Milling", 80.0f);
  MaterialPtr steel = material("TM_1", "Steel", 4.0f);
  SurchargePtr extra = surcharge("S1", "Extra", 1.0);

  db.SetManufacturingStepSurcharge(milling, extra);
  db.SetMaterialSurcharge(steel, extra);
  EXPECT_EQ(extra, db.ManufacturingStepSurcharge(milling));
  EXPECT_FALSE(db.ManufacturingStepSurcharge(namesake));
  EXPECT_EQ(extra, db.MaterialSurcharge(steel));
  EXPECT_FALSE(db.MaterialSurcharge(material("TM_1", "Steel", 4.0f)));

  SurchargePtr replacement = surcharge("S2", "Extra", 1.0);
  db.SetManufacturingStepSurcharge(milling, replacement);
  EXPECT_EQ(replacement, db.ManufacturingStepSurcharge(milling));
  db.SetMaterialSurcharge(steel, SurchargePtr());
  EXPECT_FALSE(db.MaterialSurcharge(steel));
}

TEST(CostDatabaseTest, CostDriverKeyByLabelPrefersStepsThenMaterials) {
  struct Case {
    bool withStep;
    bool withMaterial;
    bool withProperty;
    const char* key;
  };
  const Case cases[] = {
      {true, true, true, "MS_1"},   {false, true, true, "TM_1"},
      {false, false, true, "CP_1"}, {true, false, true, "MS_1"},
      {false, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    CostDatabase db;
    db.AddManufacturingStep(step("MS_0", "Grinding", 1.0f));
    db.addToolMaterial(material("TM_0", "Cast", 1.0f));
    db.AddCostProperty(property("CP_0", "Other"));
    // Registered in reverse order of priority, so that no order of
    // insertion can decide.
    if (c.withProperty) db.AddCostProperty(property("CP_1", "Shared"));
    if (c.withMaterial) db.addToolMaterial(material("TM_1", "Shared", 1.0f));
    if (c.withStep) db.AddManufacturingStep(step("MS_1", "Shared", 1.0f));
    EXPECT_EQ(c.key, db.getCostDriverKeyByLabel("Shared"));
  }
}

TEST(CostDatabaseTest, LookupsByIdAnswerTheFirstMatchOrEmpty) {
  CostDatabase db;
  StepPtr first = step("MS_1", "Milling", 1.0f);
  db.AddManufacturingStep(first);
  db.AddManufacturingStep(step("MS_1", "Milling again", 1.0f));
  MaterialPtr steel = material("TM_1", "Steel", 1.0f);
  db.addToolMaterial(steel);
  boost::shared_ptr<PriceUnit> kg(new PriceUnit("PU_KG"));
  db.AddPriceUnit(kg);
  boost::shared_ptr<CostDriverDouble> thickness = property("CD_T", "Sheet");
  db.AddCostProperty(thickness);

  EXPECT_EQ(first, db.ManufacturingStepByID("MS_1"));
  EXPECT_FALSE(db.ManufacturingStepByID("MS_2"));
  EXPECT_EQ(steel, db.toolMaterialByID("TM_1"));
  EXPECT_EQ(steel, db.toolMaterialByByID("TM_1"));
  EXPECT_FALSE(db.toolMaterialByID("Steel"));
  EXPECT_FALSE(db.toolMaterialByByID(""));
  EXPECT_EQ(kg, db.PriceUnitByID("PU_KG"));
  EXPECT_FALSE(db.PriceUnitByID("PU_DM3"));
  EXPECT_EQ(thickness, db.CostPropertyByID(QString("CD_T")));
  EXPECT_FALSE(db.CostPropertyByID(QString("CD_t")));
}

TEST(CostDatabaseTest, IndexedAccessAnswersEmptyOutsideTheCollections) {
  CostDatabase db;
  db.AddManufacturingStep(step("MS_1", "Milling", 1.0f));
  db.addToolMaterial(material("TM_1", "Steel", 1.0f));
  db.AddCostProperty(property("CP_1", "Sheet"));
  db.AddBaseAssembly(boost::shared_ptr<BaseAssembly>(
      new BaseAssembly("Trim die set", "TRIM")));
  db.AddManufacturingStep(StepPtr());
  for (int i : {-1, 1}) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(db.ManufacturingStepAt(i));
    EXPECT_FALSE(db.toolMaterialAt(i));
    EXPECT_FALSE(db.CostPropertyAt(i));
    EXPECT_FALSE(db.BaseAssemblyAt(i));
    EXPECT_FALSE(db.PriceUnitAt(i - 1));
    EXPECT_FALSE(db.TotalCostSurchargeAt(i - 1));
  }
  EXPECT_EQ(1, db.ManufacturingStepCount());
  EXPECT_EQ("Trim die set", db.BaseAssemblyAt(0)->label());
}

TEST(CostDatabaseTest, HourlyRatesAreValidFromOneTenthOn) {
  struct Case {
    const char* name;
    std::vector<float> rates;
    bool valid;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {
      {"no steps", {}, true},
      {"one at 0.1", {0.1f}, true},
      {"one at 0.05", {0.05f}, false},
      {"80 and 0.05", {80.0f, 0.05f}, false},
      {"80 and 0.1", {80.0f, 0.1f}, true},
      {"zero", {0.0f}, false},
      {"negative", {-5.0f}, false},
      {"not a number", {80.0f, nan}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CostDatabase db;
    for (std::size_t i = 0; i < c.rates.size(); ++i) {
      db.AddManufacturingStep(step("MS_" + std::to_string(i), "", c.rates[i]));
    }
    EXPECT_EQ(c.valid, db.isHourlyRatesValid());
  }
}

TEST(CostDatabaseTest, ResetCostDataZeroesPricesAndKeepsEveryCollection) {
  CostDatabase db;
  StepPtr milling = step("MS_1", "Milling", 80.0f);
  StepPtr grinding = step("MS_2", "Grinding", 95.0f);
  MaterialPtr steel = material("TM_1", "Steel", 4.0f);
  db.AddManufacturingStep(milling);
  db.AddManufacturingStep(grinding);
  db.addToolMaterial(steel);
  db.AddPriceUnit(boost::shared_ptr<PriceUnit>(new PriceUnit("PU_KG")));
  db.AddCostProperty(property("CP_1", "Sheet"));
  db.AddPress(boost::shared_ptr<Press>(new Press("P1", 4)));
  db.AddBaseAssembly(boost::shared_ptr<BaseAssembly>(
      new BaseAssembly("Trim die set", "TRIM")));
  db.addInformation("Author", "R&D");
  SurchargePtr byType = surcharge("S1", "Handling", 1.2);
  SurchargePtr byStep = surcharge("S2", "Setup", 1.3);
  SurchargePtr byMaterial = surcharge("S3", "Scrap", 1.4);
  SurchargePtr total = surcharge("S4", "Risk", 1.5);
  byType->setFormulaString("7");
  db.AddOperationTypeSurcharge("TRIM", byType);
  db.SetManufacturingStepSurcharge(milling, byStep);
  db.SetMaterialSurcharge(steel, byMaterial);
  db.AddTotalCostSurcharge(total);
  db.SetMaterialCostSurcharge(0.05);

  db.resetCostData();

  EXPECT_EQ(0.0f, milling->CostPerHour());
  EXPECT_EQ(0.0f, grinding->CostPerHour());
  EXPECT_EQ(0.0f, steel->CostPerUnit());
  for (const SurchargePtr& s : {byType, byStep, byMaterial, total}) {
    SCOPED_TRACE(s->id());
    EXPECT_EQ(0.0, s->userfactor());
  }
  EXPECT_EQ("7", byType->getFormulaString());
  EXPECT_EQ(static_cast<double>(0.05f), db.MaterialCostSurcharge());
  EXPECT_EQ(2, db.ManufacturingStepCount());
  EXPECT_EQ(1, db.toolMaterialCount());
  EXPECT_EQ(1, db.PriceUnitCount());
  EXPECT_EQ(1, db.CostPropertyCount());
  EXPECT_EQ(1, db.PressCount());
  EXPECT_EQ(1, db.BaseAssemblyCount());
  EXPECT_EQ(1, db.informationCount());
  EXPECT_EQ(1, db.OperationTypeSurchargeCount("TRIM"));
  EXPECT_EQ(byStep, db.ManufacturingStepSurcharge(milling));
  EXPECT_EQ(byMaterial, db.MaterialSurcharge(steel));
  EXPECT_EQ(1, db.TotalCostSurchargeCount());
  EXPECT_EQ("TRIM", joined(db.OperationTypes()));
}

TEST(CostDatabaseTest, PressIndexesOutsideTheListAreNeutral) {
  CostDatabase db;
  boost::shared_ptr<Press> first(new Press("P1", 2));
  boost::shared_ptr<Press> second(new Press("P2", 3));
  db.AddPress(first);
  db.AddPress(second);

  EXPECT_FALSE(db.PressAt(-1));
  EXPECT_FALSE(db.PressAt(2));
  db.RemovePressAt(2);
  db.RemovePressAt(-1);
  ASSERT_EQ(2, db.PressCount());

  std::vector<boost::shared_ptr<Press>> copy = db.Presses();
  db.RemovePressAt(0);
  ASSERT_EQ(1, db.PressCount());
  EXPECT_EQ(second, db.PressAt(0));
  EXPECT_EQ(2u, copy.size());
}

TEST(CostDatabaseTest, InformationAnswersTheFirstEntryOrNotAvailable) {
  CostDatabase db;
  db.addInformation("Author", "First");
  db.addInformation("Plant", "North");
  db.addInformation("Author", "Second");

  EXPECT_EQ("First", db.informationAt("Author"));
  EXPECT_EQ("Not available", db.informationAt("author"));
  EXPECT_EQ("Plant", db.informationLabelAt(1));
  EXPECT_EQ("Second", db.informationDataAt(2));
  EXPECT_EQ("", db.informationLabelAt(3));
  EXPECT_EQ("", db.informationDataAt(-1));

  db.clearInformation();
  EXPECT_EQ(0, db.informationCount());
  EXPECT_EQ("Not available", db.informationAt("Author"));
}

TEST(CostDatabaseTest, GeneralSurchargesAreKeptInSinglePrecision) {
  CostDatabase db;
  db.SetMaterialCostSurcharge(1.15);
  db.SetProcessCostSurcharge(0.1);
  EXPECT_EQ(static_cast<double>(1.15f), db.MaterialCostSurcharge());
  EXPECT_EQ(static_cast<double>(0.1f), db.ProcessCostSurcharge());
}

TEST(CostDatabaseTest, UnitConversionsAreHandedOutAsCopies) {
  CostDatabase db;
  CostDatabase::UnitConversionMap conversions;
  conversions[QString("mm")] = 0.001;
  conversions[QString("inch")] = 0.0254;
  db.SetUnitConversions(conversions);

  CostDatabase::UnitConversionMap copy = db.UnitConversions();
  copy[QString("mm")] = 5.0;
  EXPECT_EQ(0.001, db.UnitConversions().at(QString("mm")));
  EXPECT_EQ(2u, db.UnitConversions().size());
}

TEST(CostDatabaseTest, ClearTemporaryPtrsReleasesParkedObjects) {
  CostDatabase db;
  boost::weak_ptr<Press> watched;
  {
    boost::shared_ptr<Press> press(new Press("Temp", 1));
    watched = press;
    db.addTemporaryPtr(press);
    db.addTemporaryPtr(boost::shared_ptr<void>());
  }
  EXPECT_EQ(1, db.temporaryPtrCount());
  EXPECT_FALSE(watched.expired());
  db.ClearTemporaryPtrs();
  EXPECT_EQ(0, db.temporaryPtrCount());
  EXPECT_TRUE(watched.expired());
}

}  // namespace
}  // namespace VelkData
