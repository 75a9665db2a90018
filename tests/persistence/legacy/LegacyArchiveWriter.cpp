// Writes cost database archives in the layouts of earlier class versions:
// CostDatabase 2, Operation 2, Surcharge 0, BaseAssembly 0, CostProperty 0
// and Component 0, 1 or 2. The classes here are stand-ins that only know
// how to write those layouts; the program shares no code with the library,
// so the archives it makes do not depend on the reader they test.
//
// Usage: velkdata_legacy_writer <output folder>

#include <boost/archive/binary_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/export.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/utility.hpp>
#include <boost/serialization/vector.hpp>
#include <boost/serialization/version.hpp>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace legacy {

using boost::shared_ptr;

// Stand-ins for classes that occur only as empty pointers or empty lists.
// Each library class has exactly one stand-in, so that the class ids of
// the archive are handed out in the library's order.
#define LEGACY_EMPTY_CLASS(Name)                    \
  struct Name {                                     \
    virtual ~Name() {}                              \
    template <class Archive>                        \
    void serialize(Archive&, const unsigned int) {} \
  };
LEGACY_EMPTY_CLASS(ToolMaterial)
LEGACY_EMPTY_CLASS(PriceUnit)
LEGACY_EMPTY_CLASS(ComponentCostFactory)
LEGACY_EMPTY_CLASS(ManufacturingStep)
LEGACY_EMPTY_CLASS(ProcessDatabase)
LEGACY_EMPTY_CLASS(Press)
LEGACY_EMPTY_CLASS(PartFeature)
LEGACY_EMPTY_CLASS(ProcessingUnit)
LEGACY_EMPTY_CLASS(Stage)
#undef LEGACY_EMPTY_CLASS

struct CostProperty;
struct CostDriver;
struct CostDriverDouble;

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

// Version 0: no minimum or maximum.
struct CostProperty {
  virtual ~CostProperty() {}
  virtual void abstract() = 0;
  std::string id;
  std::string label;
  shared_ptr<FormulaContainer> formulas;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    std::string longHelp = "help";
    std::string category = "Old";
    bool visible = true;
    bool doCacheValue = false;
    bool hasValue = true;
    std::int32_t level = 3;
    archive& id;
    archive& label;
    archive& longHelp;
    archive& category;
    archive& visible;
    archive& formulas;
    archive& doCacheValue;
    archive& hasValue;
    archive& level;
  }
};

struct CostDriver : CostProperty {
  double cachedValue = 0.0;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& boost::serialization::base_object<CostProperty>(*this);
    archive& cachedValue;
  }
};

struct CostDriverDouble : CostDriver {
  void abstract() override {}
  float value = 0.0f;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    float accuracy = 0.5f;
    float conversionFactor = 1.0f;
    std::string measureUnit = "mm";
    archive& boost::serialization::base_object<CostDriver>(*this);
    archive& value;
    archive& accuracy;
    archive& conversionFactor;
    archive& measureUnit;
  }
};

template <int ComponentVersion>
struct Assembly;

// Version 2: no comment property.
template <int ComponentVersion>
struct Operation {
  virtual ~Operation() {}
  std::string label;
  std::string type;
  struct Triplet {
    template <class Archive>
    void serialize(Archive& archive, const unsigned int) {
      shared_ptr<CostDriverDouble> value;
      shared_ptr<FormulaContainer> minimum;
      shared_ptr<FormulaContainer> maximum;
      archive& value;
      archive& minimum;
      archive& maximum;
    }
  };
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    shared_ptr<Assembly<ComponentVersion>> assembly;
    std::vector<shared_ptr<CostDriver>> drivers;
    Triplet length, width, height;
    bool shouldBeEmpty = true;
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

// Versions 0 to 2: one operation between the standard limits and the part
// feature; the key since version 1, state and database match since 2.
template <int Version>
struct Component {
  virtual ~Component() {}
  std::string label;
  std::string key;
  shared_ptr<Operation<Version>> operation;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    std::vector<RoundingRule> rules;
    std::vector<shared_ptr<CostDriver>> parameters;
    std::vector<
        std::pair<shared_ptr<FormulaContainer>, shared_ptr<FormulaContainer>>>
        limits;
    shared_ptr<PartFeature> feature;
    std::vector<shared_ptr<ProcessingUnit>> units;
    std::int32_t state = 2;
    bool noDBMatch = true;
    archive& label;
    archive& rules;
    archive& parameters;
    archive& limits;
    archive& operation;
    archive& feature;
    archive& units;
    if (Version >= 1) archive& key;
    if (Version >= 2) {
      archive& state;
      archive& noDBMatch;
    }
  }
};

// Version 0: no merge behaviours.
template <int ComponentVersion>
struct Assembly {
  virtual ~Assembly() {}
  std::string label = "Old die set";
  std::string operationType = "Draw";
  std::vector<shared_ptr<Component<ComponentVersion>>> components;
  std::vector<shared_ptr<FormulaContainer>> amounts;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& label;
    archive& operationType;
    archive& components;
    archive& amounts;
  }
};

// Version 0: no user factor.
struct Surcharge {
  virtual ~Surcharge() {}
  std::string id = "SU_OLD";
  std::string label = "Old surcharge";
  shared_ptr<FormulaContainer> formulas = formula("0.1");
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    archive& id;
    archive& label;
    archive& formulas;
  }
};

// Version 2: no share relationships.
template <int ComponentVersion>
struct Database {
  std::vector<shared_ptr<Assembly<ComponentVersion>>> assemblies;
  std::vector<shared_ptr<CostProperty>> properties;
  template <class Archive>
  void serialize(Archive& archive, const unsigned int) {
    std::string id = "2011-03-04T05:06:07";
    float materialSurcharge = 0.25f;
    float processSurcharge = 0.5f;
    std::string currency = "DEM";
    std::map<std::string, double> conversions = {{"mm\xB2", 1e-6}};
    std::vector<std::pair<std::string, std::string>> information = {
        {"Origin", "Release 2"}};
    std::vector<shared_ptr<ToolMaterial>> materials;
    std::vector<shared_ptr<PriceUnit>> priceUnits;
    shared_ptr<ComponentCostFactory> factory;
    std::map<shared_ptr<ToolMaterial>, shared_ptr<Surcharge>>
        materialSurcharges;
    std::vector<shared_ptr<ManufacturingStep>> steps;
    std::map<std::string, std::vector<shared_ptr<Surcharge>>> typeSurcharges;
    std::vector<shared_ptr<Surcharge>> totalSurcharges = {
        shared_ptr<Surcharge>(new Surcharge)};
    std::map<shared_ptr<ManufacturingStep>, shared_ptr<Surcharge>>
        stepSurcharges;
    std::map<std::string, std::string> typeKeys = {{"Draw", "OT_10"}};
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

template <int ComponentVersion>
void write(const std::string& path) {
  Database<ComponentVersion> db;
  shared_ptr<Operation<ComponentVersion>> draw(new Operation<ComponentVersion>);
  draw->label = "OP10";
  draw->type = "Draw";
  shared_ptr<Assembly<ComponentVersion>> assembly(
      new Assembly<ComponentVersion>);
  shared_ptr<Component<ComponentVersion>> cam(new Component<ComponentVersion>);
  cam->label = "Cam";
  cam->key = "CT_900_00";
  cam->operation = draw;
  shared_ptr<Component<ComponentVersion>> filler(
      new Component<ComponentVersion>);
  filler->label = "F\xFCllschieber";
  filler->key = "CT_900_01";
  assembly->components = {cam, filler};
  assembly->amounts = {formula("2"), formula("1")};
  db.assemblies.push_back(assembly);
  shared_ptr<CostDriverDouble> driver(new CostDriverDouble);
  driver->id = "CD_OLD";
  driver->label = "Old driver";
  driver->value = 2.5f;
  driver->formulas = formula("1");
  db.properties.push_back(driver);

  std::ofstream out(path, std::ios::binary);
  boost::archive::binary_oarchive archive(out);
  const Database<ComponentVersion>& root = db;
  archive << root;
}

}  // namespace legacy

// The class versions of the layouts above.
namespace boost {
namespace serialization {
#define LEGACY_VERSION(Template, Number)        \
  template <int V>                              \
  struct version<Template<V>> {                 \
    typedef mpl::integral_c_tag tag;            \
    typedef mpl::int_<Number> type;             \
    BOOST_STATIC_CONSTANT(int, value = Number); \
  };
LEGACY_VERSION(legacy::Operation, 2)
LEGACY_VERSION(legacy::Component, V)
LEGACY_VERSION(legacy::Database, 2)
#undef LEGACY_VERSION
}  // namespace serialization
}  // namespace boost
BOOST_CLASS_EXPORT_GUID(legacy::CostDriverDouble, "CostDriverDouble")

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " <output folder>\n";
    return 2;
  }
  const std::string folder = argv[1];
  legacy::write<0>(folder + "/component-v0.vdb");
  legacy::write<1>(folder + "/component-v1.vdb");
  legacy::write<2>(folder + "/component-v2.vdb");
  return 0;
}
