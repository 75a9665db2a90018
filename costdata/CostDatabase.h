#ifndef VELKDATA_COSTDATA_COSTDATABASE_H
#define VELKDATA_COSTDATA_COSTDATABASE_H

#include <QObject>
#include <QString>
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "velkdata/TrUtf8.h"

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace TamberData {
class Component;
class ProcessDatabase;
}  // namespace TamberData

namespace VelkData {

class BaseAssembly;
class ComponentCostFactory;
class CostProperty;
class ManufacturingStep;
class Press;
class PriceUnit;
class Surcharge;
class ToolMaterial;
class componentShareRelationship;

// The whole cost master data: manufacturing steps, tool materials, price
// units, cost properties, surcharges of every kind, presses, base
// assemblies, the component cost catalogue, free information entries, unit
// conversions, the currency, and the process plan of the part being costed.
// The host creates one database (or reads it from an archive) and holds it
// through boost::shared_ptr; it is the root of the archive.
//
// Lookups never throw: a miss answers an empty pointer, an empty text or
// "Not available". Empty pointers handed to the `Add` members are ignored,
// so every collection holds only real records.
//
// A QObject for its class information only; it cannot be copied.
class CostDatabase : public QObject {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  typedef std::vector<std::pair<std::string, std::string>> InformationList;
  typedef std::map<QString, double> UnitConversionMap;

  // An empty database whose identifier is the current local date and time
  // in ISO 8601 form, such as "2024-05-17T08:30:00".
  CostDatabase();
  ~CostDatabase() override;

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // The identifier given at construction (or read from the archive).
  const std::string& id() const { return id_; }

  // --- Currency, general surcharges, unit conversions -----------------

  const std::string& Currency() const { return currency_; }
  void SetCurrency(const std::string& currency) { currency_ = currency; }

  // General surcharges on material and on process costs, kept in single
  // precision: a value reads back as its nearest float.
  double MaterialCostSurcharge() const { return materialCostSurcharge_; }
  void SetMaterialCostSurcharge(double surcharge);
  double ProcessCostSurcharge() const { return processCostSurcharge_; }
  void SetProcessCostSurcharge(double surcharge);

  // Conversion factors by unit name; `UnitConversions` returns a copy.
  UnitConversionMap UnitConversions() const { return unitConversions_; }
  void SetUnitConversions(const UnitConversionMap& conversions) {
    unitConversions_ = conversions;
  }

  // --- Manufacturing steps --------------------------------------------

  void AddManufacturingStep(const boost::shared_ptr<ManufacturingStep>& step);
  int ManufacturingStepCount() const;
  // The step at `i`; an empty pointer when `i` is outside
  // [0, ManufacturingStepCount()).
  boost::shared_ptr<ManufacturingStep> ManufacturingStepAt(int i) const;
  // The first step with identifier `id`; an empty pointer when none has it.
  boost::shared_ptr<ManufacturingStep> ManufacturingStepByID(
      const std::string& id) const;

  // --- Tool materials -------------------------------------------------

  void addToolMaterial(const boost::shared_ptr<ToolMaterial>& material);
  int toolMaterialCount() const;
  // The material at `i`; an empty pointer when `i` is outside
  // [0, toolMaterialCount()).
  boost::shared_ptr<ToolMaterial> toolMaterialAt(int i) const;
  // The first material with identifier `id`; an empty pointer when none
  // has it. The two names answer alike.
  boost::shared_ptr<ToolMaterial> toolMaterialByID(const std::string& id) const;
  boost::shared_ptr<ToolMaterial> toolMaterialByByID(
      const std::string& id) const;

  // --- Price units ----------------------------------------------------

  void AddPriceUnit(const boost::shared_ptr<PriceUnit>& unit);
  int PriceUnitCount() const;
  // The unit at `i`; an empty pointer when `i` is outside
  // [0, PriceUnitCount()).
  boost::shared_ptr<PriceUnit> PriceUnitAt(int i) const;
  // The first unit with identifier `id`; an empty pointer when none has it.
  boost::shared_ptr<PriceUnit> PriceUnitByID(const std::string& id) const;

  // --- Cost properties ------------------------------------------------

  void AddCostProperty(const boost::shared_ptr<CostProperty>& property);
  int CostPropertyCount() const;
  // The property at `i`; an empty pointer when `i` is outside
  // [0, CostPropertyCount()).
  boost::shared_ptr<CostProperty> CostPropertyAt(int i) const;
  // The first property whose identifier equals `id`; an empty pointer when
  // none does.
  boost::shared_ptr<CostProperty> CostPropertyByID(const QString& id) const;

  // --- Base assemblies ------------------------------------------------

  void AddBaseAssembly(const boost::shared_ptr<BaseAssembly>& assembly);
  int BaseAssemblyCount() const;
  // The assembly at `i`; an empty pointer when `i` is outside
  // [0, BaseAssemblyCount()).
  boost::shared_ptr<BaseAssembly> BaseAssemblyAt(int i) const;

  // --- Presses --------------------------------------------------------

  void AddPress(const boost::shared_ptr<Press>& press);
  int PressCount() const;
  // The press at `i`; an empty pointer when `i` is outside [0, PressCount()).
  boost::shared_ptr<Press> PressAt(int i) const;
  // Removes the press at `i`; nothing happens when `i` is outside
  // [0, PressCount()).
  void RemovePressAt(int i);
  // A copy of the press list.
  std::vector<boost::shared_ptr<Press>> Presses() const { return presses_; }

  // --- Surcharges -----------------------------------------------------

  // Replaces every total-cost surcharge labelled like `surcharge` by it, or
  // appends it when none carries that label.
  void AddTotalCostSurcharge(const boost::shared_ptr<Surcharge>& surcharge);
  int TotalCostSurchargeCount() const;
  // The total-cost surcharge at `i`; an empty pointer when `i` is outside
  // [0, TotalCostSurchargeCount()).
  boost::shared_ptr<Surcharge> TotalCostSurchargeAt(int i) const;

  // As `AddTotalCostSurcharge`, within the surcharges of operation type
  // `type`; a new type gets a list of its own.
  void AddOperationTypeSurcharge(const std::string& type,
                                 const boost::shared_ptr<Surcharge>& surcharge);
  // The number of surcharges of `type`. Asking makes `type` an operation
  // type of the database (with no surcharges) when it was none.
  int OperationTypeSurchargeCount(const std::string& type);
  // The surcharge `i` of `type`; an empty pointer when `i` is outside that
  // list. Asking makes `type` an operation type, as above.
  boost::shared_ptr<Surcharge> OperationTypeSurchargeAt(const std::string& type,
                                                        int i);
  // The operation types, in ascending order.
  std::vector<std::string> OperationTypes() const;

  // One surcharge per manufacturing step and per tool material, keyed by
  // the record object itself. An empty key is ignored; an empty surcharge
  // removes the entry. The lookups answer an empty pointer without entry.
  void SetManufacturingStepSurcharge(
      const boost::shared_ptr<ManufacturingStep>& step,
      const boost::shared_ptr<Surcharge>& surcharge);
  boost::shared_ptr<Surcharge> ManufacturingStepSurcharge(
      const boost::shared_ptr<ManufacturingStep>& step) const;
  void SetMaterialSurcharge(const boost::shared_ptr<ToolMaterial>& material,
                            const boost::shared_ptr<Surcharge>& surcharge);
  boost::shared_ptr<Surcharge> MaterialSurcharge(
      const boost::shared_ptr<ToolMaterial>& material) const;

  // --- Operation type keys --------------------------------------------

  void SetOpTypKey(const std::string& type, const std::string& key);
  // The key of `type`; "" when none is set, and then `type` is remembered
  // with that empty key.
  std::string GetOpTypKey(const std::string& type);

  // --- Linked objects -------------------------------------------------

  // The process plan of the part being costed; empty unless set.
  boost::shared_ptr<TamberData::ProcessDatabase> ProcessDB() const {
    return processDB_;
  }
  void SetProcessDB(
      const boost::shared_ptr<TamberData::ProcessDatabase>& processDB) {
    processDB_ = processDB;
  }
  // The component cost catalogue; empty unless set.
  boost::shared_ptr<ComponentCostFactory> componentCostFactory() const {
    return componentCostFactory_;
  }
  void SetComponentCostFactory(
      const boost::shared_ptr<ComponentCostFactory>& factory) {
    componentCostFactory_ = factory;
  }

  // --- Share relationships ------------------------------------------

  // Appends `relationship`; an empty pointer is ignored.
  void AddSharingRelationship(
      const boost::shared_ptr<componentShareRelationship>& relationship);
  int SharingRelationshipCount() const;
  // The relationship at `i`; an empty pointer when `i` is outside
  // [0, SharingRelationshipCount()).
  boost::shared_ptr<componentShareRelationship> GetSharingRelationship(
      int i) const;
  // Every relationship whose `inputMatch(components)` holds, in list order.
  std::vector<boost::shared_ptr<componentShareRelationship>>
  GetMatchingSharingRelationships(
      const std::vector<boost::shared_ptr<TamberData::Component>>& components)
      const;

  // --- Information entries --------------------------------------------

  // Appends the entry (`label`, `data`); equal labels may repeat.
  void addInformation(const std::string& label, const std::string& data);
  int informationCount() const;
  // Label and data of entry `i`; "" when `i` is outside
  // [0, informationCount()).
  std::string informationLabelAt(int i) const;
  std::string informationDataAt(int i) const;
  // The data of the first entry labelled `label`; "Not available" when there
  // is none.
  std::string informationAt(const std::string& label) const;
  void clearInformation() { information_.clear(); }

  // --- Whole-database operations --------------------------------------

  // The identifier of the first record labelled `label`: manufacturing
  // steps are searched first, then tool materials, then cost properties,
  // so a step wins over a property of the same label. "" when none has it.
  std::string getCostDriverKeyByLabel(const std::string& label) const;

  // False when some manufacturing step has an hourly rate below 0.1 or one
  // that is not a number; true otherwise, also without steps.
  bool isHourlyRatesValid() const;

  // Sets every hourly rate, every material cost per unit and the user
  // factor of every surcharge (per operation type, per step, per material
  // and on the total cost) to 0. Nothing is added or removed; the general
  // material and process surcharges and the formulas are left alone.
  void resetCostData();

  // Keeps `object` alive until `ClearTemporaryPtrs`. Calculations park here
  // objects that must outlive a call but are no part of the master data;
  // they are not archived. An empty pointer is ignored.
  void addTemporaryPtr(const boost::shared_ptr<void>& object);
  int temporaryPtrCount() const;
  // Releases every object parked with `addTemporaryPtr`.
  void ClearTemporaryPtrs() { temporaryPtrs_.clear(); }

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::string id_;
  std::string currency_;
  float materialCostSurcharge_;
  float processCostSurcharge_;
  std::vector<boost::shared_ptr<CostProperty>> costProperties_;
  std::vector<boost::shared_ptr<ManufacturingStep>> manufacturingSteps_;
  std::vector<boost::shared_ptr<ToolMaterial>> toolMaterials_;
  std::map<std::string, std::vector<boost::shared_ptr<Surcharge>>>
      operationTypeSurcharges_;
  std::map<boost::shared_ptr<ManufacturingStep>, boost::shared_ptr<Surcharge>>
      manufacturingStepSurcharges_;
  std::map<boost::shared_ptr<ToolMaterial>, boost::shared_ptr<Surcharge>>
      materialSurcharges_;
  std::vector<boost::shared_ptr<Surcharge>> totalCostSurcharges_;
  std::vector<boost::shared_ptr<PriceUnit>> priceUnits_;
  InformationList information_;
  UnitConversionMap unitConversions_;
  boost::shared_ptr<TamberData::ProcessDatabase> processDB_;
  std::vector<boost::shared_ptr<Press>> presses_;
  boost::shared_ptr<ComponentCostFactory> componentCostFactory_;
  std::vector<boost::shared_ptr<BaseAssembly>> baseAssemblies_;
  std::map<std::string, std::string> opTypKeys_;
  std::vector<boost::shared_ptr<componentShareRelationship>>
      sharingRelationships_;
  std::vector<boost::shared_ptr<void>> temporaryPtrs_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDATABASE_H
