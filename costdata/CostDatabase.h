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
class ProcessingUnit;
}  // namespace TamberData

namespace VelkData {

class BaseAssembly;
class ComponentCostFactory;
class CostProperty;
class ManufacturingStep;
class Operation;
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
  // appends it when none carries that label. A surcharge with an empty label
  // is always appended: the empty label names nothing.
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
  // A copy of the surcharges of `type`; empty when `type` has none or is
  // no operation type. Unlike the members above, asking changes nothing.
  std::vector<boost::shared_ptr<Surcharge>> OperationTypeSurcharges(
      const std::string& type) const;
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

  // --- Die-set sharing ------------------------------------------------
  // These work on the process plan (`ProcessDB`) and do nothing without
  // one. The host calls them; nothing in the library does by itself.

  // Rebuilds the index of processing units per operation: one entry per
  // place of the press line, holding in feature order (depth first) and
  // unit order every unit whose operation is the operation at that place
  // (the same object). Units without an operation, or with one that is not
  // in the line, are not entered. The index is not archived and goes stale
  // when operations or units change.
  void updatePUDatabase();
  // The units of entry `op` (a copy); empty when `op` is outside the index.
  std::vector<boost::shared_ptr<TamberData::ProcessingUnit>> getPUsForOP(
      int op) const;
  // The length of entry `op`; 0 when `op` is outside the index.
  int getNumberOfPUsForOP(int op) const;
  // One more than the highest index from 1 upward whose entry holds units;
  // 0 when none does. Entry 0 is never looked at, so units on the first
  // operation alone give 0, as does an index of fewer than two entries.
  int getNumberOfOccupiedOPs() const;

  // Puts `operation` in the place of the operation at `op`, keeping its
  // units: `operation` first gets a clone of the first base assembly of the
  // database serving its type (if any), then takes over the driver values
  // of the old operation (`ReplaceOperationAt` with values), and every unit
  // of the old operation moves to it. The index is not rebuilt. An `op`
  // outside the line or an empty `operation` changes nothing.
  // Throws what `ProcessingUnit::setOperation` throws.
  void replaceOPandUpdatePUs(int op,
                             const boost::shared_ptr<Operation>& operation);

  // Whether the part lies along x: the value of cost driver "CD_PA_35" is
  // strictly below that of "CD_PA_36". False when either is missing, is no
  // cost driver or has no value, and for values that are not numbers.
  bool partHasXOrientation() const;

  // Lets the operations `first` to `last` run in one die set: the upper die
  // sets of their base assemblies become one shared component (built by the
  // first share relationship that matches them), which every one of those
  // base assemblies receives with the amount "1" and merge behaviour 2; then
  // likewise the lower die sets. The die-set value "CD_OP_70" of the first
  // operation is made visible and handed to the others, which are hidden.
  // Nothing happens unless 0 <= first < last < OperationCount() and every
  // operation of the range has an upper die set. When one lacks a lower die
  // set, only the upper half is shared. A half that no relationship matches
  // stays unshared, with a debug line naming the component keys.
  void shareDieSets(int first, int last);

  // Shares the components of the base assemblies of operations `first` to
  // `last`. Each component of the first operation's assembly held with
  // merge behaviour 1 or 2 heads a group with the components of the same key
  // in the other assemblies: the n-th component of a key pairs with the n-th
  // component of that key in each other assembly, and an assembly without
  // one adds nobody. For behaviour 1 the shared component copies the first
  // member's parameters, serves the operations of the range, and its amount
  // is a clone of the first member's in which "CD_OP_02" (the operations it
  // spans) becomes "(CD_OP_02+<members - 1>*CD_PR_PI)" when the first
  // operation's press has a pitch "CD_PR_PI"; every assembly of the range
  // receives it with merge behaviour 1. For behaviour 2 the first matching
  // share relationship builds it, with amount "1" and merge behaviour 2; a
  // group no relationship matches stays unshared, with a debug line naming
  // the component keys. Finally "CD_OP_70" is handed over as in
  // `shareDieSets`. Nothing happens unless 0 <= first < last <
  // OperationCount() and every operation of the range has a base assembly.
  void shareBaseassemblies(int first, int last);

  // Makes every shared die set visible as an auxiliary operation of its
  // own. A component counts as shared when the base assemblies of two or
  // more operations hold that very object, each with a positive merge
  // behaviour. Shared components held by exactly the same operations form
  // one die set, in the order the line first meets them. Each die set
  // becomes an operation "DIESET <n>" (n = 1, 2, ...) of type "DIESET" whose
  // base assembly, also labelled "DIESET <n>" and of type "DIESET", holds a
  // clone of each component with a clone of its amount formula and the
  // merge behaviour of its first holder. The source components are frozen,
  // and the new operations are appended to the line. While the line already holds "DIESET" operations
  // nothing is added, so that a die set never appears twice.
  void collectDiesetCompsInFakeOperations();
  // Removes the auxiliary operations again: everything from the first
  // operation with a "DIESET" base assembly to the end of the line, each
  // unshared before it goes. Then every component held with a positive merge
  // behaviour by a remaining operation loses its frozen bit, also when no
  // auxiliary operation existed. After `collectDiesetCompsInFakeOperations`
  // this restores line and component states exactly, as long as no shared
  // component was frozen before.
  void removeDiesetFakeOperations();

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

  // --- Objects kept for the archive -----------------------------------

  // Objects that the model names only weakly (an operation that only its
  // components name, a feature that only its units name) are kept by the
  // database they were read with: reading an archive parks every object
  // reached through a weak member here. This releases the ones that
  // something else owns as well, so that removing them from the model
  // frees them; `FromFile` and `FromCharArray` call it once the archive is
  // closed. A host that reads with an archive of its own calls it after
  // closing that archive.
  void releaseLoadedObjectsOwnedElsewhere();
  // The number of objects kept that way.
  int loadedObjectCount() const;

  // --- Files and memory buffers ---------------------------------------

  // An archive of a database in memory. Both the record (allocated with
  // `new`) and `data` (allocated with `new[]`) belong to the caller, who
  // hands them to `ReleaseSerializedDB`.
  struct SerializedDB {
    char* data;
    int size;
  };

  // Writes `db` (not necessarily this database) as an archive to `path`.
  // The archive goes to a new file beside `path` first, which replaces
  // `path` only once it is complete and flushed to disk; when anything
  // fails, that file is removed and a file already at `path` is left as it
  // was. Throws `boost::archive::archive_exception` ("output stream error")
  // when the file cannot be made or written, and passes on whatever a class
  // throws while it is written.
  void ToFile(const CostDatabase& db, const char* path) const;

  // Reads the archive at `path` into `db`. False, after the debug line
  // "Exception when deserializing cost database from file\n<path>:\n<reason>",
  // when the archive is damaged or the file cannot be read; `db` is then
  // left as far as it was filled and should be discarded. Exceptions other
  // than `boost::archive::archive_exception` reach the caller.
  static bool FromFile(const QString& path, CostDatabase& db);

  // The archive of `db` in memory, and the line "ToCharArray ... ARRAY SIZE
  // is<size>" on standard output. When the bytes cannot be copied, the
  // debug line "Error while copying serialized data\n" and a record with
  // size 0 and null data. Failures while writing reach the caller.
  static SerializedDB* ToCharArray(const CostDatabase& db);

  // Reads the archive in the first `size` bytes of `data` into `db`; the
  // bytes are not copied and must stay valid for the call. False, after
  // the debug lines "Error while reading CostDataBase! \n" and the reason,
  // for any failure, a null `data` and a negative `size` included.
  static bool FromCharArray(char* data, int size, CostDatabase& db);

  // Releases a record from `ToCharArray` and its data; null is ignored.
  static void ReleaseSerializedDB(SerializedDB* serialized);

 private:
  friend class boost::serialization::access;
  // Lets the tests give sample databases a fixed identifier, so that their
  // archives are the same bytes on every run, and write archives in the
  // layout of older class versions.
  friend class CostDatabaseTestPeer;
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
  // See `releaseLoadedObjectsOwnedElsewhere`; not archived.
  std::vector<boost::shared_ptr<void>> loadedObjects_;
  // The processing units per operation index; see `updatePUDatabase`.
  std::vector<std::vector<boost::shared_ptr<TamberData::ProcessingUnit>>>
      puDatabase_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDATABASE_H
