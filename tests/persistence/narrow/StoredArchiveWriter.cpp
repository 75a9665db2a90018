// Writes cost database archives as the earlier 32-bit releases stored them:
// archive library version 3, 4 or 5 through NarrowOArchive, with the class
// versions of those releases (CostDatabase 2, Operation 2, Component 2).
// The classes here are stand-ins that only know how to write that layout;
// the program shares no code with the library, so the archives it makes do
// not rest on the reader they test. The same stand-ins are also written in
// today's layout, which separates a fault of the stand-ins from one of the
// 32-bit layout.
//
// Usage: velkdata_stored_writer <output folder>

#include <boost/archive/binary_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/export.hpp>
#include <boost/serialization/list.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/utility.hpp>
#include <boost/serialization/vector.hpp>
#include <boost/serialization/version.hpp>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <list>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "NarrowOArchive.h"

namespace stored {

using boost::shared_ptr;

// Stand-ins for classes that occur only as empty pointers or empty lists.
// Each library class has exactly one stand-in, so that the class ids of the
// archive are handed out in the library's order.
#define STORED_EMPTY_CLASS(Name)                    \
  struct Name {                                     \
    virtual ~Name() {}                              \
    template <class Archive>                        \
    void serialize(Archive&, const unsigned int) {} \
  };
STORED_EMPTY_CLASS(ProcessDatabase)
STORED_EMPTY_CLASS(Press)
STORED_EMPTY_CLASS(PartFeature)
STORED_EMPTY_CLASS(ProcessingUnit)
STORED_EMPTY_CLASS(Stage)
#undef STORED_EMPTY_CLASS

struct CostDriver;

struct FormulaContainer {
  virtual ~FormulaContainer() {}
  std::vector<std::string> texts;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    shared_ptr<PartFeature> feature;
    std::vector<shared_ptr<CostDriver>> dependencies;
    std::int32_t compiled = static_cast<std::int32_t>(texts.size());
    archive& feature;
    archive& dependencies;
    archive& texts;
    archive& compiled;
  }
};

shared_ptr<FormulaContainer> formula(const std::string& text) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->texts.push_back(text);
  return container;
}

// Version 2.
struct CostProperty {
  virtual ~CostProperty() {}
  virtual void abstract() = 0;
  std::string id;
  std::string label;
  std::string category = "Stored";
  shared_ptr<FormulaContainer> formulas;
  std::int32_t level = 2;
  double minValue = 0.0;
  double maxValue = 100.0;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    std::string longHelp = label + " help";
    bool visible = true;
    bool doCacheValue = false;
    bool hasValue = true;
    archive& id;
    archive& label;
    archive& longHelp;
    archive& category;
    archive& visible;
    archive& formulas;
    archive& doCacheValue;
    archive& hasValue;
    archive& level;
    archive& minValue;
    archive& maxValue;
  }
};

struct CostDriver : CostProperty {
  virtual void abstractDriver() = 0;
  double cachedValue = 0.0;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& boost::serialization::base_object<CostProperty>(*this);
    archive& cachedValue;
  }
};

struct CostDriverDouble : CostDriver {
  void abstract() override {}
  void abstractDriver() override {}
  float value = 0.0f;
  float accuracy = 0.5f;
  std::string measureUnit = "mm";
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    float conversionFactor = 1.0f;
    archive& boost::serialization::base_object<CostDriver>(*this);
    archive& value;
    archive& accuracy;
    archive& conversionFactor;
    archive& measureUnit;
  }
};

struct CostDriverInt : CostDriver {
  void abstract() override {}
  void abstractDriver() override {}
  std::int32_t value = 0;
  std::string measureUnit = "pc";
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    std::int32_t accuracy = 1;
    float conversionFactor = 1.0f;
    archive& boost::serialization::base_object<CostDriver>(*this);
    archive& value;
    archive& accuracy;
    archive& conversionFactor;
    archive& measureUnit;
  }
};

struct PriceUnit {
  virtual ~PriceUnit() {}
  std::string id, label, amountLabel;
  bool isWeightUnit = false;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& id;
    archive& label;
    archive& amountLabel;
    archive& isWeightUnit;
  }
};

struct ToolMaterial {
  virtual ~ToolMaterial() {}
  std::string id, label;
  float density = 0.0f;
  float costPerUnit = 0.0f;
  shared_ptr<PriceUnit> priceUnit;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& id;
    archive& label;
    archive& density;
    archive& costPerUnit;
    archive& priceUnit;
  }
};

struct ManufacturingStep {
  virtual ~ManufacturingStep() {}
  std::string id, label;
  float costPerHour = 0.0f;
  std::map<std::string, shared_ptr<CostDriver>> factors;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& id;
    archive& label;
    archive& costPerHour;
    archive& factors;
  }
};

// Version 1.
struct Surcharge {
  virtual ~Surcharge() {}
  std::string id, label;
  shared_ptr<FormulaContainer> formulas;
  float userfactor = 1.0f;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& id;
    archive& label;
    archive& formulas;
    archive& userfactor;
  }
};

shared_ptr<Surcharge> surcharge(const std::string& id, const std::string& label,
                                const std::string& text, float factor) {
  shared_ptr<Surcharge> result(new Surcharge);
  result->id = id;
  result->label = label;
  result->formulas = formula(text);
  result->userfactor = factor;
  return result;
}

struct Assembly;

// Version 2: no comment property.
struct Operation {
  virtual ~Operation() {}
  std::string label, type;
  shared_ptr<Assembly> assembly;
  std::vector<shared_ptr<CostDriver>> drivers;
  struct Triplet {
    shared_ptr<CostDriverDouble> value;
    shared_ptr<FormulaContainer> minimum;
    shared_ptr<FormulaContainer> maximum;
    template <class Archive>
    void serialize(Archive& archive, const unsigned int) {
      archive& value;
      archive& minimum;
      archive& maximum;
    }
  };
  Triplet length, width, height;
  bool shouldBeEmpty = false;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    shared_ptr<Stage> stage;
    archive& label;
    archive& type;
    archive& assembly;
    archive& drivers;
    archive& length;
    archive& width;
    archive& height;
    archive& shouldBeEmpty;
    archive& stage;
  }
};

enum RoundingRule { kRoundUp = 0, kRoundDown = 1 };

// Version 2: one operation between the standard limits and the part
// feature; no child components.
struct Component {
  virtual ~Component() {}
  std::string label, key;
  std::vector<RoundingRule> rules;
  std::vector<shared_ptr<CostDriver>> parameters;
  std::vector<std::pair<shared_ptr<FormulaContainer>,
                        shared_ptr<FormulaContainer>>>
      limits;
  shared_ptr<Operation> operation;
  std::int32_t state = 0;
  bool noDBMatch = false;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    shared_ptr<PartFeature> feature;
    std::vector<shared_ptr<ProcessingUnit>> units;
    archive& label;
    archive& rules;
    archive& parameters;
    archive& limits;
    archive& operation;
    archive& feature;
    archive& units;
    archive& key;
    archive& state;
    archive& noDBMatch;
  }
};

// Version 1.
struct Assembly {
  virtual ~Assembly() {}
  std::string label, operationType;
  std::vector<shared_ptr<Component>> components;
  std::vector<shared_ptr<FormulaContainer>> amounts;
  std::vector<std::int32_t> mergeBehaviors;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& label;
    archive& operationType;
    archive& components;
    archive& amounts;
    archive& mergeBehaviors;
  }
};

enum RangeType : std::int32_t { kIntRange = 0, kDoubleRange = 1 };

// Held by value, as are the slots and the component cost.
struct ValueRange {
  RangeType type = kIntRange;
  std::list<std::string> texts;
  float max = 0.0f, min = 0.0f, accuracy = 0.0f;
  std::vector<float> values;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& type;
    archive& texts;
    archive& max;
    archive& min;
    archive& accuracy;
    archive& values;
  }
};

struct ComponentCost {
  virtual ~ComponentCost() {}
  std::string label;
  shared_ptr<Component> component;
  std::vector<std::pair<std::string, std::string>> information;
  std::map<shared_ptr<ToolMaterial>, shared_ptr<FormulaContainer>> materials;
  std::map<shared_ptr<ManufacturingStep>, shared_ptr<FormulaContainer>> steps;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& label;
    archive& component;
    archive& information;
    archive& materials;
    archive& steps;
  }
};

struct ValueSlot {
  virtual ~ValueSlot() {}
  std::vector<ValueRange> ranges;
  ComponentCost cost;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& ranges;
    archive& cost;
  }
};

struct ComponentCostFactory {
  virtual ~ComponentCostFactory() {}
  std::vector<ValueSlot> slots;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& slots;
  }
};

// Version 2: no share relationships.
struct Database {
  std::string id;
  float materialSurcharge = 0.0f;
  float processSurcharge = 0.0f;
  std::string currency;
  std::map<std::string, double> conversions;
  std::vector<std::pair<std::string, std::string>> information;
  std::vector<shared_ptr<ToolMaterial>> materials;
  std::vector<shared_ptr<PriceUnit>> priceUnits;
  std::map<shared_ptr<ToolMaterial>, shared_ptr<Surcharge>>
      materialSurcharges;
  std::vector<shared_ptr<Assembly>> assemblies;
  std::vector<shared_ptr<ManufacturingStep>> steps;
  std::map<std::string, std::vector<shared_ptr<Surcharge>>> typeSurcharges;
  std::vector<shared_ptr<Surcharge>> totalSurcharges;
  std::map<shared_ptr<ManufacturingStep>, shared_ptr<Surcharge>>
      stepSurcharges;
  std::vector<shared_ptr<CostProperty>> properties;
  std::map<std::string, std::string> typeKeys;
  shared_ptr<ComponentCostFactory> factory;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    shared_ptr<ProcessDatabase> plan;
    std::vector<shared_ptr<Press>> presses;
    archive& id;
    archive& materialSurcharge;
    archive& processSurcharge;
    archive& currency;
    archive& conversions;
    archive& information;
    archive& materials;
    archive& priceUnits;
    archive& factory;
    archive& materialSurcharges;
    archive& assemblies;
    archive& steps;
    archive& typeSurcharges;
    archive& totalSurcharges;
    archive& stepSurcharges;
    archive& properties;
    archive& typeKeys;
    archive& plan;
    archive& presses;
  }
};

// A database as the cost departments kept them: shared price units,
// drivers, surcharges and operations, Latin-1 texts.
Database makeStoredDatabase() {
  Database db;
  db.id = "1999-12-31T23:59:58";
  db.materialSurcharge = 0.125f;
  db.processSurcharge = 0.25f;
  db.currency = "DEM";
  db.conversions = {{"mm\xB2", 1e-6}, {"t", 1000.0}};
  db.information = {{"Origin", "32-bit release"}, {"Editor", "J\xFCrgen"}};

  shared_ptr<PriceUnit> kilogram(new PriceUnit);
  kilogram->id = "PU_KG";
  kilogram->label = "Kilogram";
  kilogram->amountLabel = "kg";
  kilogram->isWeightUnit = true;
  shared_ptr<PriceUnit> piece(new PriceUnit);
  piece->id = "PU_PC";
  piece->label = "Piece";
  piece->amountLabel = "pc";
  shared_ptr<ToolMaterial> steel(new ToolMaterial);
  steel->id = "TM_STEEL";
  steel->label = "Tool steel";
  steel->density = 7.85f;
  steel->costPerUnit = 4.5f;
  steel->priceUnit = kilogram;
  shared_ptr<ToolMaterial> cast(new ToolMaterial);
  cast->id = "TM_CAST";
  cast->label = "Cast iron";
  cast->density = 7.25f;
  cast->costPerUnit = 2.25f;
  cast->priceUnit = kilogram;
  db.materials = {steel, cast};
  db.priceUnits = {kilogram, piece};
  db.materialSurcharges[steel] =
      surcharge("SU_MAT", "Material surcharge", "0.05", 1.5f);

  shared_ptr<CostDriverDouble> thickness(new CostDriverDouble);
  thickness->id = "CD_THICK";
  thickness->label = "Sheet thickness";
  thickness->value = 1.5f;
  thickness->formulas = formula("1.5");
  thickness->minValue = 0.5;
  thickness->maxValue = 12.0;
  shared_ptr<CostDriverInt> count(new CostDriverInt);
  count->id = "CD_COUNT";
  count->label = "Hits per part";
  count->value = 3;
  count->formulas = formula("3");
  count->level = 3;

  shared_ptr<Assembly> dieSet(new Assembly);
  dieSet->label = "Die set";
  dieSet->operationType = "Draw";
  shared_ptr<Operation> draw(new Operation);
  draw->label = "OP10";
  draw->type = "Draw";
  // No assembly: one that held the components using this operation would
  // close a ring of shared pointers that nothing ever frees.
  draw->drivers = {thickness};
  draw->length.minimum = formula("150");
  shared_ptr<CostDriverDouble> diameter(new CostDriverDouble);
  diameter->id = "P_DIA";
  diameter->label = "Diameter";
  diameter->value = 40.0f;
  diameter->formulas = formula("40");
  shared_ptr<Component> cam(new Component);
  cam->label = "Cam slide";
  cam->key = "CT_900_00";
  cam->rules = {kRoundUp};
  cam->parameters = {diameter};
  cam->limits = {{formula("10"), formula("80")}};
  cam->operation = draw;
  cam->state = 2;
  cam->noDBMatch = true;
  shared_ptr<Component> pin(new Component);
  pin->label = "F\xFChrungsstift";
  pin->key = "CT_100_01";
  pin->operation = draw;
  dieSet->components = {cam, pin};
  dieSet->amounts = {formula("2"), formula("4")};
  dieSet->mergeBehaviors = {1, 0};
  db.assemblies = {dieSet};

  shared_ptr<ManufacturingStep> milling(new ManufacturingStep);
  milling->id = "MS_MILL";
  milling->label = "Milling";
  milling->costPerHour = 85.5f;
  milling->factors["Draw"] = count;
  db.steps = {milling};
  shared_ptr<Surcharge> press = surcharge("SU_OP", "Press surcharge", "0.1", 1.0f);
  db.typeSurcharges["Draw"] = {press};
  db.totalSurcharges = {surcharge("SU_TOTAL", "Total surcharge", "0.02", 2.0f)};
  db.stepSurcharges[milling] = press;
  db.properties = {thickness, count};
  db.typeKeys = {{"Draw", "OT_10"}, {"Trim", "OT_20"}};

  // The factory comes before the assemblies and steps in the archive, so
  // the cam, its operation and the milling step are written
  // in full inside it, and referred back to afterwards.
  ValueSlot slot;
  ValueRange range;
  range.type = kDoubleRange;
  range.texts = {"Gr\xF6\xDF" "e A", "B"};
  range.max = 80.0f;
  range.min = 10.0f;
  range.accuracy = 0.5f;
  range.values = {10.0f, 20.5f, 80.0f};
  slot.ranges = {range};
  slot.cost.label = "Cam slide 40";
  slot.cost.component = cam;
  slot.cost.information = {{"Source", "Catalogue 1998"}};
  slot.cost.materials[steel] = formula("0.75");
  slot.cost.steps[milling] = formula("1.25");
  db.factory.reset(new ComponentCostFactory);
  db.factory->slots = {slot};
  return db;
}

Database makeEmptyDatabase() {
  Database db;
  db.id = "1998-01-02T03:04:05";
  db.currency = "DM";
  return db;
}

template <class Archive, class... Header>
void write(const Database& db, const std::string& path, Header... header) {
  std::ofstream out(path, std::ios::binary);
  Archive archive(out, header...);
  archive << db;
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace stored

BOOST_CLASS_VERSION(stored::Operation, 2)
BOOST_CLASS_VERSION(stored::Component, 2)
BOOST_CLASS_VERSION(stored::Database, 2)
BOOST_CLASS_VERSION(stored::CostProperty, 2)
BOOST_CLASS_VERSION(stored::Assembly, 1)
BOOST_CLASS_VERSION(stored::Surcharge, 1)
BOOST_CLASS_EXPORT_GUID(stored::CostDriverDouble, "CostDriverDouble")
BOOST_CLASS_EXPORT_GUID(stored::CostDriverInt, "CostDriverInt")

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " <output folder>\n";
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const stored::Database sample = stored::makeStoredDatabase();
  const stored::Database empty = stored::makeEmptyDatabase();
  for (unsigned int version : {3u, 4u, 5u}) {
    const std::string suffix = "-v" + std::to_string(version) + ".vdb";
    stored::write<velktest::NarrowOArchive>(sample, folder + "stored" + suffix,
                                            version);
    stored::write<velktest::NarrowOArchive>(
        empty, folder + "stored-empty" + suffix, version);
  }
  stored::write<boost::archive::binary_oarchive>(
      sample, folder + "stored-current.vdb", 0u);
  return 0;
}
