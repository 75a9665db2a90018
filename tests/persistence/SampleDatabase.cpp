#include "persistence/SampleDatabase.h"

#include <gtest/gtest.h>

#include <QString>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

namespace VelkData {

void CostDatabaseTestPeer::setId(CostDatabase& db, const std::string& id) {
  db.id_ = id;
}

}  // namespace VelkData

namespace TamberData {

void ProcessDatabaseTestPeer::setId(ProcessDatabase& plan,
                                    const std::string& id) {
  plan.id_ = id;
}

}  // namespace TamberData

namespace velktest {

using namespace VelkData;
using namespace TamberData;
using boost::shared_ptr;

namespace {

shared_ptr<FormulaContainer> formula(const std::string& text) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->addFormula(text);
  return container;
}

shared_ptr<CostDriverDouble> doubleDriver(const std::string& id, float value,
                                          const std::string& unit) {
  shared_ptr<CostDriverDouble> driver(new CostDriverDouble(id));
  driver->setLabel(id + " label");
  driver->setValue(value);
  driver->setMeasureUnit(unit);
  driver->setConversionFactor(1000.0f);
  driver->setAccuracy(0.5f);
  return driver;
}

shared_ptr<Surcharge> surcharge(const std::string& id, const std::string& text,
                                double factor) {
  shared_ptr<Surcharge> result(new Surcharge(id, formula(text)));
  result->setLabel(id + " label");
  result->setUserfactor(factor);
  return result;
}

}  // namespace

boost::shared_ptr<CostDatabase> makeSampleDatabase() {
  ProcessingUnit::procUnitCount = 40;
  ProcessFactoryFeature::m_featureCount.clear();
  ProcessFactoryFeature::m_featureCount["Post"] = 7;

  shared_ptr<CostDatabase> db(new CostDatabase);
  CostDatabaseTestPeer::setId(*db, "2024-05-17T08:30:00");
  db->SetCurrency("EUR");
  db->SetMaterialCostSurcharge(0.05);
  db->SetProcessCostSurcharge(0.125);
  CostDatabase::UnitConversionMap conversions;
  conversions[QString::fromUtf8("mm\xC2\xB2")] = 1e-6;
  conversions[QString::fromUtf8("m")] = 1000.0;
  db->SetUnitConversions(conversions);
  db->addInformation("Author", "Cost engineering");
  db->addInformation("Plant", "Nord");

  // Records: two materials quoted in one price unit.
  shared_ptr<PriceUnit> kilogram(new PriceUnit("PU_KG"));
  kilogram->setLabel("Kilogram");
  kilogram->setAmountLabel("kg");
  kilogram->setIsWeightUnit(true);
  shared_ptr<PriceUnit> piece(new PriceUnit("PU_PC"));
  piece->setLabel("Piece");
  piece->setAmountLabel("pc");
  db->AddPriceUnit(kilogram);
  db->AddPriceUnit(piece);
  shared_ptr<ToolMaterial> steel(new ToolMaterial("TM_STEEL"));
  steel->setLabel("Tool steel");
  steel->SetDensity(7.85f);
  steel->SetCostPerUnit(4.5f);
  steel->SetPriceUnit(kilogram);
  shared_ptr<ToolMaterial> cast(new ToolMaterial("TM_CAST"));
  cast->setLabel("Cast iron");
  cast->SetDensity(7.2f);
  cast->SetCostPerUnit(2.25f);
  cast->SetPriceUnit(kilogram);
  db->addToolMaterial(steel);
  db->addToolMaterial(cast);

  shared_ptr<ManufacturingStep> milling(new ManufacturingStep("MS_MILL"));
  milling->setLabel("Milling");
  milling->SetCostPerHour(85.0f);
  milling->SetOperationFactor("Draw", doubleDriver("CD_MF", 1.25f, ""));
  shared_ptr<ManufacturingStep> grinding(new ManufacturingStep("MS_GRIND"));
  grinding->setLabel("Grinding");
  grinding->SetCostPerHour(70.0f);
  db->AddManufacturingStep(milling);
  db->AddManufacturingStep(grinding);

  db->SetMaterialSurcharge(steel, surcharge("SU_STEEL", "0.1", 1.0));
  db->SetMaterialSurcharge(cast, surcharge("SU_CAST", "0.2", 0.5));
  db->SetManufacturingStepSurcharge(milling, surcharge("SU_MILL", "0.3", 2.0));
  db->SetManufacturingStepSurcharge(grinding,
                                    surcharge("SU_GRIND", "0.4", 1.5));
  db->AddOperationTypeSurcharge("Draw", surcharge("SU_DRAW", "0.05", 1.0));
  db->AddTotalCostSurcharge(surcharge("SU_TOTAL", "0.02", 3.0));
  db->SetOpTypKey("Draw", "OT_10");
  db->SetOpTypKey("Trim", "OT_20");

  // Cost properties of every kind.
  shared_ptr<CostDriverBool> flag(new CostDriverBool("CD_FLAG"));
  flag->setTrue(2.0f);
  flag->setFalse(-1.0f);
  flag->setValue(true);
  shared_ptr<CostDriverInt> count(new CostDriverInt("CD_COUNT"));
  count->setValue(12);
  count->setAccuracy(2);
  count->setMeasureUnit("pcs");
  shared_ptr<CostDriverIntRange> stations(new CostDriverIntRange("CD_ST"));
  stations->setValue(3);
  stations->setMinValue(1.0);
  stations->setMaxValue(8.0);
  shared_ptr<CostDriverEnum> grade(new CostDriverEnum("CD_GRADE"));
  grade->setValues({1.0f, 2.5f, 4.0f}, {"low", "medium", "high"});
  grade->setValue(std::string("medium"));
  shared_ptr<CostPropertyString> note(new CostPropertyString("CP_NOTE"));
  note->setValue("Checked");
  shared_ptr<CostDriverDouble> thickness = doubleDriver("CD_T", 1.5f, "mm");
  thickness->setLevel(CostProperty::kLevelBasic);
  thickness->setCategory("Part");
  thickness->setLongHelp("Sheet thickness");
  thickness->setIsVisible(false);
  shared_ptr<CostDriverDouble> area(new CostDriverDouble("CD_AREA"));
  area->getFormulaContainer()->addFormula("CD_T*100");
  area->getFormulaContainer()->addDependency(thickness);
  db->AddCostProperty(flag);
  db->AddCostProperty(count);
  db->AddCostProperty(stations);
  db->AddCostProperty(grade);
  db->AddCostProperty(note);
  db->AddCostProperty(thickness);
  db->AddCostProperty(area);

  // Components, an operation with a drawing stage, a base assembly.
  shared_ptr<Component> pin(new Component("Guide pin", "CT_100_01"));
  pin->addParameter(doubleDriver("P_DIA", 40.0f, "mm"), Component::kRoundUp,
                    formula("20"), formula("80"));
  pin->addParameter(shared_ptr<CostDriver>(new CostDriverInt("P_N")),
                    Component::kRoundToNearestStep, formula("1"), formula("4"));
  shared_ptr<Component> cam(new Component("Cam", "CT_000_01"));
  cam->freeze();
  cam->SetNoDBMatchFlag("no slot");
  shared_ptr<Component> bushing(new Component("Bushing", "CT_101_01"));
  pin->addChildComp(bushing);

  shared_ptr<VelkUtils::DrawingStage> drawStage(
      new VelkUtils::DrawingStage("Draw stage"));
  shared_ptr<CostDriverEnum> drawType(new CostDriverEnum("CD_DRAWTYPE"));
  drawType->setValues({1.0f, 2.0f}, {"single", "double"});
  drawStage->setDrawingTypeDriver(drawType);
  drawStage->setStageType("forming");
  drawStage->setStageID(3);
  drawStage->setTippingVector({0.0, 0.0, 1.0});
  drawStage->AddAllowedOperationType("Draw");
  drawStage->AddCostProperty(doubleDriver("CD_TABLE", 2.5f, "m"));

  shared_ptr<BaseAssembly> dieSet(new BaseAssembly("Die set", "Draw"));
  dieSet->AddComponent(pin, formula("4"), 1);
  dieSet->AddComponent(cam, formula("2"), 0);

  shared_ptr<Operation> draw(new Operation("OP10", "Draw"));
  draw->AddCostDriver(doubleDriver("CD_OPF", 0.75f, ""));
  draw->SetLength(doubleDriver("CD_LEN", 1200.0f, "mm"), formula("800"),
                  formula("2000"));
  draw->SetWidth(doubleDriver("CD_WID", 900.0f, "mm"), formula("500"),
                 shared_ptr<FormulaContainer>());
  draw->SetHeight(doubleDriver("CD_HGT", 400.0f, "mm"),
                  shared_ptr<FormulaContainer>(), formula("600"));
  draw->SetStage(drawStage);
  shared_ptr<CostPropertyString> comment(new CostPropertyString("CP_COMMENT"));
  comment->setValue("first draw");
  draw->setCommentProperty(comment);
  draw->setBaseAssembly(dieSet);
  draw->SetShouldBeEmtpy(true);
  pin->setOperation(draw);

  shared_ptr<Operation> trim(new Operation("OP20", "Trim"));
  shared_ptr<VelkUtils::Stage> trimStage(new VelkUtils::Stage("Trim stage"));
  trimStage->setStageType("trimming");
  trim->SetStage(trimStage);
  db->AddBaseAssembly(dieSet);

  // The component cost catalogue.
  ComponentCost pinCost(pin);
  pinCost.setLabel("Guide pin cost");
  pinCost.addInformation("Supplier", "Acme");
  pinCost.SetAmountFormula(steel, formula("P_DIA*0.1"));
  pinCost.SetAmountFormula(cast, formula("2"));
  pinCost.SetAmountFormula(milling, formula("0.5"));
  pinCost.SetAmountFormula(grinding, formula("0.25"));
  ComponentCostsValueSlot slot("Pins up to 80", pinCost);
  ComponentCostValueRange diameters(ComponentCostValueRange::kDoubleRange);
  diameters.SetDoubleMin(20.0f);
  diameters.SetDoubleMax(80.0f);
  diameters.SetDoubleAccuracy(5.0f);
  slot.AddComponentCostValueRange(diameters);
  ComponentCostValueRange counts(ComponentCostValueRange::kIntList);
  counts.setValues({1.0f, 2.0f, 4.0f});
  slot.AddComponentCostValueRange(counts);
  ComponentCostValueRange units(ComponentCostValueRange::kStringList);
  units.SetstringValues(QStringList()
                        << QString::fromUtf8("mm\xC2\xB2") << "Stahl");
  slot.AddComponentCostValueRange(units);
  shared_ptr<ComponentCostFactory> factory(new ComponentCostFactory);
  factory->addComponentCostsValueSlot(slot);
  db->SetComponentCostFactory(factory);

  // The process plan.
  shared_ptr<ProcessDatabase> plan(new ProcessDatabase);
  ProcessDatabaseTestPeer::setId(*plan, "2024-05-17T08:30:01");
  plan->AddOperation(draw);
  plan->AddOperation(trim);
  plan->AddDefaultOperation(draw);
  plan->SetReferenceOperation("Draw", draw->clone());
  plan->SetFeaturesHaveBeenDetected(true);

  shared_ptr<FeatureTypeIDs> curveIds(new FeatureTypeIDs);
  (*curveIds)["Trim line"] = 11;
  shared_ptr<FeatureTypeIDs> patchIds(new FeatureTypeIDs);
  (*patchIds)["Hole"] = 21;
  VelkUtils::LINEFEATURE line;
  line.setName("Curve 1");
  line.setFid(101);
  line.type = 5;
  line.area = 0.0;
  line.length = 350.5;
  line.cutableFromZ = true;
  line.setProcessingDirection({0.0, 0.0, -1.0});
  shared_ptr<PartGeometryCurve> curve(
      new PartGeometryCurve("Trim line", curveIds, line));
  VelkUtils::PATCHFEATURE patch;
  patch.setName("Patch 1");
  patch.setFid(202);
  patch.type = 7;
  patch.trimCircumference = 120.0;
  patch.circumference = 125.5;
  patch.area = 960.25;
  patch.setIncludedTrimCurves({101, 103});
  patch.setProcessingDirection({0.0, 1.0, 0.0});
  shared_ptr<PartGeometryPatch> hole(
      new PartGeometryPatch("Hole", patchIds, patch));
  shared_ptr<ParameterMapping> mapping(new ParameterMapping);
  mapping->push_back(std::make_pair("LENGTH", "L"));
  shared_ptr<PartFeatureGroup> group(
      new PartFeatureGroup("Hole group", patchIds, mapping, "Group 1"));
  group->setArea(1500.0);
  group->setCircumference(300.0);
  group->setMaxDiameter(45.0);
  group->addChild(curve);
  group->addChild(hole);
  shared_ptr<PartGeometry> plain(new PartGeometry);
  plan->addTopLevelPartFeature(group);
  plan->addTopLevelPartFeature(plain);

  shared_ptr<Constraint> constraint(new Constraint);
  constraint->AddForbiddenOperationType("Draw");
  constraint->AddUnpopularOperationType("Flange");
  constraint->SetEarly(false);
  shared_ptr<ProcessingUnit> trimUnit(new ProcessingUnit(
      "Trim unit", "Trim line", constraint, ProcessingUnit::kCam, "trim.png"));
  trimUnit->addSourceComponent(cam, formula("1"), true);
  trimUnit->addSourceComponent(pin, formula("2"), false);
  trimUnit->confirmCamType();
  trimUnit->setOperation(trim);
  curve->addProcessingUnit(trimUnit, curve);
  shared_ptr<ProcessingUnit> pierce(
      new ProcessingUnit("Pierce unit", "Hole", shared_ptr<Constraint>(),
                         ProcessingUnit::kFillerCam, "pierce.png"));
  plan->addReferenceProcessingUnit("Hole", shared_ptr<ProcessingUnit>(),
                                   trimUnit, pierce);
  pin->addRelatedProcessingUnit(trimUnit);
  pin->setPartFeature(curve);

  shared_ptr<ProcessingSequence> sequence(new ProcessingSequence("Trim seq"));
  sequence->AddProcessingUnit(trimUnit);
  shared_ptr<ProcessFactoryFeature> processFactory(new ProcessFactoryFeature);
  processFactory->addProcessingSequence("Trim line", false, sequence, true);
  processFactory->addProcessingSequence(
      "Hole", true, shared_ptr<ProcessingSequence>(new ProcessingSequence("P")),
      false);
  plan->setProcessFactoryFeature(processFactory);

  shared_ptr<FeatureTypeFactory> typeFactory(new FeatureTypeFactory);
  typeFactory->addParameter(FeatureTypeFactory::Patch, "Hole", "MAXDIAMETER",
                            0.0, 50.0);
  typeFactory->addParameter(FeatureTypeFactory::Curve, "Trim line", "LENGTH",
                            10.0);
  plan->setFeatureTypeFactory(typeFactory);

  shared_ptr<FeatureGroupFactory> groupFactory(new FeatureGroupFactory);
  groupFactory->setDefaultGroup("Default", "Default group", 30);
  groupFactory->addFeatureGroupDefinition("Hole group", 31, {"Hole"}, {"Hole"},
                                          {"Trim line"});
  groupFactory->setDefaultProcessingSequence("Hole group", sequence);
  plan->setFeatureGroupFactory(groupFactory);

  shared_ptr<FeatureParameterFactory> parameterFactory(
      new FeatureParameterFactory);
  parameterFactory->addParameterMapping("Hole", "MAXDIAMETER", "D");
  plan->setFeatureParameterFactory(parameterFactory);

  shared_ptr<Press> press(new Press("Transfer 1000", 2));
  press->setStageAt(0, drawStage);
  press->setStageAt(1, trimStage);
  press->addCostProperty(doubleDriver("CD_PR_01", 1000.0f, "t"));
  shared_ptr<Press> blanking(new Press("Blanking 400", 1));
  plan->SetDefaultPress(press);
  plan->SetCurrentPress(press);
  plan->AddBlankingPress(blanking);
  plan->SetDefaultBlankingPress(blanking);
  db->SetProcessDB(plan);
  db->AddPress(press);
  db->AddPress(blanking);

  shared_ptr<componentShareRelationship> relation(
      new componentShareRelationship);
  relation->label = "REL_100_00";
  relation->inputComponents = {pin, cam};
  relation->mergeTable = {{0, 1}, {1, -1}};
  relation->sharedComponent = bushing;
  relation->mergeModes = {2, 0};
  db->AddSharingRelationship(relation);
  return db;
}

std::string archiveBytes(const CostDatabase& db) {
  StdoutCapture quiet;
  CostDatabase::SerializedDB* serialized = CostDatabase::ToCharArray(db);
  std::string bytes(serialized->data, serialized->data + serialized->size);
  CostDatabase::ReleaseSerializedDB(serialized);
  return bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

std::string dataPath(const std::string& name) {
  return std::string(VELKDATA_TEST_DATA_DIR) + "/" + name;
}

boost::shared_ptr<CostDatabase> readArchive(std::string bytes) {
  shared_ptr<CostDatabase> db(new CostDatabase);
  DebugCapture log;
  const bool read = CostDatabase::FromCharArray(
      &bytes[0], static_cast<int>(bytes.size()), *db);
  EXPECT_TRUE(read) << log.joined();
  return db;
}

}  // namespace velktest
