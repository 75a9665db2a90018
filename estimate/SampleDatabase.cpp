#include "estimate/SampleDatabase.h"

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostFactory.h"
#include "costdata/ComponentCostValueRange.h"
#include "costdata/ComponentCostsValueSlot.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "costdata/PriceUnit.h"
#include "costdata/Surcharge.h"
#include "costdata/ToolMaterial.h"
#include "external/LINEFEATURE.h"
#include "external/Stage.h"
#include "formula/FormulaContainer.h"
#include "processplan/PartFeature.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessingUnit.h"

namespace VelkData {

namespace {

typedef boost::shared_ptr<TamberData::Component> ComponentPtr;
typedef boost::shared_ptr<FormulaContainer> ContainerPtr;
typedef boost::shared_ptr<Operation> OperationPtr;

const char* const kTypes[] = {"DRAW", "TRIM", "FLANGE", "PIERCE"};

ContainerPtr formula(const std::string& text) {
  ContainerPtr container = boost::make_shared<FormulaContainer>();
  container->addFormula(text);
  return container;
}

boost::shared_ptr<CostDriverDouble> driver(const std::string& id,
                                           const std::string& label,
                                           const std::string& text,
                                           const std::string& unit = "") {
  boost::shared_ptr<CostDriverDouble> d =
      boost::make_shared<CostDriverDouble>(id);
  d->setLabel(label);
  d->setMeasureUnit(unit);
  d->getFormulaContainer()->addFormula(text);
  return d;
}

boost::shared_ptr<Surcharge> surcharge(const std::string& id,
                                       const std::string& label,
                                       const std::string& text) {
  boost::shared_ptr<Surcharge> s =
      boost::make_shared<Surcharge>(id, boost::make_shared<FormulaContainer>());
  s->setLabel(label);
  s->setFormulaString(text);
  return s;
}

// Makes `container` read the drivers of `operation` it names, the way an
// operation wires the formulas it is handed, so that a processing unit can
// evaluate it before the unit is assigned.
void wire(const ContainerPtr& container, const OperationPtr& operation) {
  const std::string text = container->formulaAt(0);
  for (const boost::shared_ptr<CostDriver>& d :
       operation->GetAllCostDrivers()) {
    if (text.find(d->id()) != std::string::npos) container->addDependency(d);
  }
}

// The records the catalogue and the components are built from.
struct Records {
  boost::shared_ptr<ToolMaterial> castIron;
  boost::shared_ptr<ToolMaterial> toolSteel;
  boost::shared_ptr<ToolMaterial> structuralSteel;
  boost::shared_ptr<ManufacturingStep> cnc;
  boost::shared_ptr<ManufacturingStep> heat;
  boost::shared_ptr<ManufacturingStep> assembly;
  boost::shared_ptr<ManufacturingStep> tryout;
};

struct Catalogue {
  ComponentPtr lowerShoe;
  ComponentPtr upperShoe;
  ComponentPtr guidePin;
  ComponentPtr gasSpring;
  ComponentPtr drawPunch;
  ComponentPtr trimSteel;
  ComponentPtr flangeSteel;
  ComponentPtr piercePunch;
};

void addRecords(CostDatabase& db, Records& r) {
  boost::shared_ptr<PriceUnit> perKg = boost::make_shared<PriceUnit>("PU_KG");
  perKg->setLabel("per kg");
  perKg->setAmountLabel("kg");
  perKg->setIsWeightUnit(true);
  db.AddPriceUnit(perKg);

  // Densities in kg/dm3: component volumes are given in dm3.
  struct MaterialData {
    const char* id;
    const char* label;
    float density;
    float costPerKg;
    boost::shared_ptr<ToolMaterial>* target;
  } materials[] = {
      {"TM_GG25", "Cast iron GG25", 7.2f, 2.1f, &r.castIron},
      {"TM_1.2379", "Tool steel 1.2379", 7.7f, 7.5f, &r.toolSteel},
      {"TM_ST52", "Structural steel S355", 7.85f, 1.3f, &r.structuralSteel},
  };
  for (const MaterialData& m : materials) {
    boost::shared_ptr<ToolMaterial> material =
        boost::make_shared<ToolMaterial>(m.id);
    material->setLabel(m.label);
    material->SetDensity(m.density);
    material->SetCostPerUnit(m.costPerKg);
    material->SetPriceUnit(perKg);
    db.addToolMaterial(material);
    *m.target = material;
  }

  struct StepData {
    const char* id;
    const char* label;
    float rate;
    boost::shared_ptr<ManufacturingStep>* target;
  } steps[] = {
      {"MS_CNC", "CNC machining", 95.0f, &r.cnc},
      {"MS_HEAT", "Heat treatment", 60.0f, &r.heat},
      {"MS_ASSY", "Die assembly", 70.0f, &r.assembly},
      {"MS_TRYOUT", "Try-out", 120.0f, &r.tryout},
  };
  for (const StepData& s : steps) {
    boost::shared_ptr<ManufacturingStep> step =
        boost::make_shared<ManufacturingStep>(s.id);
    step->setLabel(s.label);
    step->SetCostPerHour(s.rate);
    db.AddManufacturingStep(step);
    *s.target = step;
  }
  // Draw dies need the longest try-out on the press.
  r.tryout->SetOperationFactor(
      "DRAW", driver("F_TRYOUT_DRAW", "Try-out factor for drawing", "1.5"));

  db.SetCurrency("EUR");
  db.SetMaterialCostSurcharge(0.05);
  db.SetProcessCostSurcharge(0.10);
  db.SetMaterialSurcharge(r.toolSteel,
                          surcharge("S_ALLOY", "Alloy surcharge", "0.08"));
  db.SetManufacturingStepSurcharge(
      r.cnc, surcharge("S_CNC_TOOLING", "Cutter wear", "0.05"));
  db.AddOperationTypeSurcharge("DRAW", surcharge("S_DRAW_DEPTH", "Deep draw",
                                                 "min(0.2,DRAW_DEPTH/1000)"));
  db.AddOperationTypeSurcharge(
      "TRIM", surcharge("S_SCRAP_CUTTER", "Scrap cutters", "0.04"));
  db.AddTotalCostSurcharge(
      surcharge("S_DESIGN", "Design and engineering", "0.12"));
  db.AddTotalCostSurcharge(surcharge("S_RISK", "Risk", "0.03"));

  db.addInformation("Part", "Floor pan 1200 x 800 x 150, DC04 1.2 mm");
  db.addInformation("Customer", "Sample data");
  CostDatabase::UnitConversionMap conversions;
  conversions[QString("mm")] = 1.0;
  conversions[QString("m")] = 1000.0;
  db.SetUnitConversions(conversions);
}

// A component whose parameters are computed by `formulas` (one per
// parameter id), each rounded by `rule`, with standard limits wide enough
// that the catalogue never splits them.
ComponentPtr component(
    const std::string& label, const std::string& key,
    const std::vector<std::pair<std::string, std::string>>& parameters,
    TamberData::Component::RoundingRule rule =
        TamberData::Component::kRoundUp) {
  ComponentPtr c = boost::make_shared<TamberData::Component>(label, key);
  for (const auto& p : parameters) {
    c->addParameter(driver(p.first, p.first, p.second, "mm"), rule,
                    formula("0"), formula("100000"));
  }
  return c;
}

// One catalogue slot for `c`: every parameter in one real range rounded to
// `accuracy`, and the given amount formulas.
void addSlot(
    ComponentCostFactory& factory, const ComponentPtr& c, float accuracy,
    const std::vector<std::pair<boost::shared_ptr<ToolMaterial>, std::string>>&
        materials,
    const std::vector<
        std::pair<boost::shared_ptr<ManufacturingStep>, std::string>>& steps) {
  ComponentCost cost(c);
  cost.setLabel(c->label());
  for (const auto& m : materials) {
    cost.SetAmountFormula(m.first, formula(m.second));
  }
  for (const auto& s : steps) cost.SetAmountFormula(s.first, formula(s.second));
  ComponentCostsValueSlot slot(c->label(), cost);
  for (int i = 0; i < c->parameterCount(); ++i) {
    ComponentCostValueRange range(ComponentCostValueRange::kDoubleRange);
    range.SetDoubleMin(0.0f);
    range.SetDoubleMax(100000.0f);
    range.SetDoubleAccuracy(accuracy);
    slot.AddComponentCostValueRange(range);
  }
  factory.addComponentCostsValueSlot(slot);
}

Catalogue addCatalogue(CostDatabase& db, const Records& r) {
  Catalogue k;
  k.lowerShoe = component("Lower die shoe", "CT_300_01",
                          {{"SHOE_L", "DIE_LEN"},
                           {"SHOE_W", "DIE_WID"},
                           {"SHOE_H", "0.4*DIE_HGT"}});
  k.upperShoe = component("Upper die shoe", "CT_301_01",
                          {{"SHOE_L", "DIE_LEN"},
                           {"SHOE_W", "DIE_WID"},
                           {"SHOE_H", "0.35*DIE_HGT"}});
  k.guidePin = component("Guide pin", "CT_410_01", {});
  k.gasSpring = component("Gas spring", "CT_520_01", {});
  k.drawPunch = component("Draw punch", "CT_100_01",
                          {{"PUNCH_L", "DIE_LEN-500"},
                           {"PUNCH_W", "DIE_WID-500"},
                           {"PUNCH_H", "DRAW_DEPTH+200"}});
  k.trimSteel = component("Trim steel", "CT_200_01",
                          {{"STEEL_L", "CUT_LEN/ceil(CUT_LEN/500)"}});
  k.flangeSteel = component("Flange steel", "CT_210_01",
                            {{"STEEL_L", "FLANGE_LEN/ceil(FLANGE_LEN/600)"}});
  k.piercePunch =
      component("Pierce punch", "CT_220_01", {{"PUNCH_D", "CURVE_LEN/pi"}},
                TamberData::Component::kRoundToNearestStep);

  boost::shared_ptr<ComponentCostFactory> factory =
      boost::make_shared<ComponentCostFactory>();
  // Volumes in dm3 from dimensions in mm; hours per piece.
  addSlot(*factory, k.lowerShoe, 10.0f,
          {{r.castIron, "SHOE_L*SHOE_W*SHOE_H*0.55/1000000"}},
          {{r.cnc, "SHOE_L*SHOE_W/80000"}, {r.assembly, "4"}});
  addSlot(*factory, k.upperShoe, 10.0f,
          {{r.castIron, "SHOE_L*SHOE_W*SHOE_H*0.5/1000000"}},
          {{r.cnc, "SHOE_L*SHOE_W/90000"}, {r.assembly, "4"}});
  addSlot(*factory, k.guidePin, 1.0f, {{r.structuralSteel, "0.5"}},
          {{r.cnc, "0.5"}, {r.assembly, "0.25"}});
  addSlot(*factory, k.gasSpring, 1.0f, {}, {{r.assembly, "0.75"}});
  addSlot(*factory, k.drawPunch, 10.0f,
          {{r.castIron, "PUNCH_L*PUNCH_W*PUNCH_H*0.35/1000000"}},
          {{r.cnc, "PUNCH_L*PUNCH_W/40000"},
           {r.tryout, "8+DRAW_DEPTH/25"},
           {r.assembly, "6"}});
  addSlot(*factory, k.trimSteel, 10.0f, {{r.toolSteel, "STEEL_L*0.012"}},
          {{r.cnc, "STEEL_L/100"}, {r.heat, "1.5"}});
  addSlot(*factory, k.flangeSteel, 10.0f, {{r.toolSteel, "STEEL_L*0.01"}},
          {{r.cnc, "STEEL_L/120"}, {r.heat, "1.2"}});
  addSlot(*factory, k.piercePunch, 0.5f,
          {{r.toolSteel, "0.05+PUNCH_D*PUNCH_D/2000"}},
          {{r.cnc, "0.6+PUNCH_D/40"}, {r.heat, "0.25"}});
  db.SetComponentCostFactory(factory);
  return k;
}

// The catalogue base assembly of `type`: the die set and its standard
// parts, with amounts over the operation's drivers.
boost::shared_ptr<BaseAssembly> baseAssembly(const std::string& type,
                                             const Catalogue& k) {
  boost::shared_ptr<BaseAssembly> assembly =
      boost::make_shared<BaseAssembly>("BA_" + type, type);
  assembly->AddComponent(k.lowerShoe, formula("1"), 0);
  assembly->AddComponent(k.upperShoe, formula("1"), 0);
  assembly->AddComponent(k.guidePin, formula("4"), 0);
  assembly->AddComponent(k.gasSpring, formula("2*ceil(DIE_LEN/800)"), 0);
  if (type == "DRAW") assembly->AddComponent(k.drawPunch, formula("1"), 0);
  return assembly;
}

// The reference operation of `type` with its drivers over the part's
// dimensions and the tool dimensions they give.
OperationPtr referenceOperation(
    const std::string& type, const boost::shared_ptr<BaseAssembly>& assembly,
    const std::vector<boost::shared_ptr<CostDriverDouble>>& part) {
  OperationPtr op = boost::make_shared<Operation>(type, type);
  std::string length = "PART_LENGTH+400";
  std::string width = "PART_WIDTH+400";
  std::string height = "PART_DEPTH+450";
  if (type == "DRAW") {
    length = "PART_LENGTH+600";
    width = "PART_WIDTH+600";
    height = "2*PART_DEPTH+400";
  } else if (type == "TRIM") {
    height = "PART_DEPTH+400";
  }
  op->SetLength(driver("DIE_LEN", "Die length", length, "mm"), formula("500"),
                formula("6000"));
  op->SetWidth(driver("DIE_WID", "Die width", width, "mm"), formula("400"),
               formula("3000"));
  op->SetHeight(driver("DIE_HGT", "Die height", height, "mm"), formula("300"),
                formula("1500"));
  if (type == "DRAW") {
    op->AddCostDriver(
        driver("DRAW_DEPTH", "Drawing depth", "PART_DEPTH", "mm"));
  } else if (type == "TRIM") {
    op->AddCostDriver(driver("CUT_LEN", "Trim line length",
                             "2*(PART_LENGTH+PART_WIDTH)", "mm"));
  } else if (type == "FLANGE") {
    op->AddCostDriver(
        driver("FLANGE_LEN", "Flange length", "2*PART_LENGTH", "mm"));
  }
  for (const boost::shared_ptr<CostDriverDouble>& d : part) {
    op->addDependency(d);
  }
  op->setBaseAssembly(assembly->clone(), op);
  return op;
}

// A curve feature of `type` measuring `length`, with one processing unit
// that makes `amount` pieces of `source` in `op`.
boost::shared_ptr<TamberData::PartFeature> feature(
    const std::string& type, const std::string& name, double length,
    const ComponentPtr& source, const std::string& amount,
    const OperationPtr& op,
    const boost::shared_ptr<TamberData::FeatureTypeIDs>& typeIDs,
    const boost::shared_ptr<TamberData::ParameterMapping>& mapping) {
  VelkUtils::LINEFEATURE record;
  record.setName(name);
  record.length = length;
  record.setProcessingDirection({0.0, 0.0, 1.0});
  boost::shared_ptr<TamberData::PartGeometryCurve> curve =
      boost::make_shared<TamberData::PartGeometryCurve>(type, typeIDs, record);
  curve->setParameterMapping(mapping);

  boost::shared_ptr<TamberData::ProcessingUnit> unit =
      boost::make_shared<TamberData::ProcessingUnit>(
          source->label() + " unit", type,
          boost::shared_ptr<TamberData::Constraint>(),
          TamberData::ProcessingUnit::kNoCam, "pierce_g");
  curve->addProcessingUnit(unit, curve);
  // Assigned first, so that the components are made in the operation.
  unit->setOperation(op);
  const ContainerPtr count = formula(amount);
  wire(count, op);
  unit->addSourceComponent(source, count, false);
  return curve;
}

}  // namespace

boost::shared_ptr<CostDatabase> buildSampleDatabase(int operations) {
  if (operations < 4) operations = 4;
  boost::shared_ptr<CostDatabase> db = boost::make_shared<CostDatabase>();
  Records r;
  addRecords(*db, r);
  const Catalogue k = addCatalogue(*db, r);

  std::vector<boost::shared_ptr<CostDriverDouble>> part = {
      driver("PART_LENGTH", "Part length", "1200", "mm"),
      driver("PART_WIDTH", "Part width", "800", "mm"),
      driver("PART_DEPTH", "Part depth", "150", "mm"),
  };
  for (const boost::shared_ptr<CostDriverDouble>& d : part) {
    db->AddCostProperty(d);
  }

  boost::shared_ptr<TamberData::ProcessDatabase> plan =
      boost::make_shared<TamberData::ProcessDatabase>();
  db->SetProcessDB(plan);
  for (const char* type : kTypes) {
    boost::shared_ptr<BaseAssembly> assembly = baseAssembly(type, k);
    db->AddBaseAssembly(assembly);
    plan->SetReferenceOperation(type, referenceOperation(type, assembly, part));
  }

  boost::shared_ptr<Press> press =
      boost::make_shared<Press>("Transfer press 2500 t", operations);
  press->setPitch(2500.0);
  for (int i = 0; i < operations; ++i) {
    boost::shared_ptr<VelkUtils::Stage> stage =
        boost::make_shared<VelkUtils::Stage>("Stage " + std::to_string(i + 1));
    stage->setStageID(i + 1);
    stage->setTippingVector({0.0, 0.0, 1.0});
    stage->setAllowedOperationTypes(
        {kTypes[0], kTypes[1], kTypes[2], kTypes[3]});
    press->setStageAt(i, stage);
  }
  db->AddPress(press);
  plan->SetDefaultPress(press);
  plan->SetCurrentPress(press);

  boost::shared_ptr<TamberData::FeatureTypeIDs> typeIDs =
      boost::make_shared<TamberData::FeatureTypeIDs>();
  (*typeIDs)["HoleRound"] = 1;
  (*typeIDs)["OuterBoundary"] = 7;
  (*typeIDs)["Flange"] = 9;
  boost::shared_ptr<TamberData::ParameterMapping> mapping =
      boost::make_shared<TamberData::ParameterMapping>();
  mapping->push_back(std::make_pair("LENGTH", "CURVE_LEN"));

  static const char* const kStageTypes[] = {"forming", "trimming", "flanging",
                                            "piercing"};
  OperationPtr flange;
  for (int i = 0; i < operations; ++i) {
    const int kind = i % 4;
    const std::string type = kTypes[kind];
    OperationPtr op = plan->CreateOperation(type);
    op->SetLabel("OP" + std::to_string(10 * (i + 1)));
    op->setPress(press);
    press->stageAt(i)->setStageType(kStageTypes[kind]);
    op->SetStage(press->stageAt(i));
    op->setBaseAssembly(op->baseAssembly(), op);
    plan->AddOperation(op);

    const std::string n = std::to_string(i + 1);
    if (type == "TRIM") {
      plan->addTopLevelPartFeature(
          feature("OuterBoundary", "Boundary " + n, 3960.0, k.trimSteel,
                  "ceil(CUT_LEN/500)", op, typeIDs, mapping));
    } else if (type == "FLANGE") {
      plan->addTopLevelPartFeature(
          feature("Flange", "Flange " + n, 2400.0, k.flangeSteel,
                  "ceil(FLANGE_LEN/600)", op, typeIDs, mapping));
      flange = op;
    } else if (type == "PIERCE") {
      const double pi = 3.14159265358979323846;
      for (int h = 0; h < 6; ++h) {
        const double diameter = h < 4 ? 12.0 : 20.0;
        plan->addTopLevelPartFeature(
            feature("HoleRound", "Hole " + n + "." + std::to_string(h + 1),
                    pi * diameter, k.piercePunch, "1", op, typeIDs, mapping));
      }
      // The piercing die sits in the flanging die's die set.
      if (flange) {
        boost::shared_ptr<BaseAssembly> own = op->baseAssembly();
        boost::shared_ptr<BaseAssembly> shared = flange->baseAssembly();
        own->RemoveComponent(own->getLowerDieSet());
        own->RemoveComponent(own->getUpperDieSet());
        for (const ComponentPtr& shoe :
             {shared->getLowerDieSet(), shared->getUpperDieSet()}) {
          own->AddComponent(shoe, formula("1"), 0);
          shoe->setOperations({flange, op});
        }
        flange.reset();
      }
    }
  }
  return db;
}

}  // namespace VelkData
