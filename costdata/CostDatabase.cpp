#include "costdata/CostDatabase.h"

#include <QDateTime>

#include "costdata/BaseAssembly.h"
#include "costdata/CostProperty.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Press.h"
#include "costdata/PriceUnit.h"
#include "costdata/Surcharge.h"
#include "costdata/ToolMaterial.h"
#include "sharing/componentShareRelationship.h"

namespace VelkData {

namespace {

// The Add members refuse empty pointers, but an archive can still hand back
// empty entries; every walk below skips them instead of dereferencing.

template <class T>
boost::shared_ptr<T> itemAt(const std::vector<boost::shared_ptr<T>>& items,
                            int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= items.size()) {
    return boost::shared_ptr<T>();
  }
  return items[static_cast<std::size_t>(i)];
}

template <class T>
boost::shared_ptr<T> firstWithId(const std::vector<boost::shared_ptr<T>>& items,
                                 const std::string& id) {
  for (const boost::shared_ptr<T>& item : items) {
    if (item && item->id() == id) return item;
  }
  return boost::shared_ptr<T>();
}

template <class T>
bool findIdByLabel(const std::vector<boost::shared_ptr<T>>& items,
                   const std::string& label, std::string* id) {
  for (const boost::shared_ptr<T>& item : items) {
    if (item && item->label() == label) {
      *id = item->id();
      return true;
    }
  }
  return false;
}

// Surcharges are unique by label within a list: a newcomer takes the place
// of every namesake, or joins the end. An empty label, like an empty id,
// names nothing, so unlabelled surcharges never replace each other.
void addOrReplaceByLabel(std::vector<boost::shared_ptr<Surcharge>>& list,
                         const boost::shared_ptr<Surcharge>& surcharge) {
  const bool labelled = !surcharge->label().empty();
  bool replaced = false;
  for (boost::shared_ptr<Surcharge>& entry : list) {
    if (!entry || (labelled && entry->label() == surcharge->label())) {
      entry = surcharge;
      replaced = true;
    }
  }
  if (!replaced) list.push_back(surcharge);
}

template <class Key>
void setOrErase(
    std::map<boost::shared_ptr<Key>, boost::shared_ptr<Surcharge>>& surcharges,
    const boost::shared_ptr<Key>& key,
    const boost::shared_ptr<Surcharge>& surcharge) {
  if (!key) return;
  if (surcharge) {
    surcharges[key] = surcharge;
  } else {
    surcharges.erase(key);
  }
}

template <class Key>
boost::shared_ptr<Surcharge> lookUp(
    const std::map<boost::shared_ptr<Key>, boost::shared_ptr<Surcharge>>&
        surcharges,
    const boost::shared_ptr<Key>& key) {
  auto it = surcharges.find(key);
  if (it == surcharges.end()) return boost::shared_ptr<Surcharge>();
  return it->second;
}

}  // namespace

CostDatabase::CostDatabase()
    : id_(QDateTime::currentDateTime().toString(Qt::ISODate).toStdString()),
      materialCostSurcharge_(0.0f),
      processCostSurcharge_(0.0f) {}

CostDatabase::~CostDatabase() {}

void CostDatabase::virtualDummyFunction() {}

void CostDatabase::SetMaterialCostSurcharge(double surcharge) {
  materialCostSurcharge_ = static_cast<float>(surcharge);
}

void CostDatabase::SetProcessCostSurcharge(double surcharge) {
  processCostSurcharge_ = static_cast<float>(surcharge);
}

void CostDatabase::AddManufacturingStep(
    const boost::shared_ptr<ManufacturingStep>& step) {
  if (step) manufacturingSteps_.push_back(step);
}

int CostDatabase::ManufacturingStepCount() const {
  return static_cast<int>(manufacturingSteps_.size());
}

boost::shared_ptr<ManufacturingStep> CostDatabase::ManufacturingStepAt(
    int i) const {
  return itemAt(manufacturingSteps_, i);
}

boost::shared_ptr<ManufacturingStep> CostDatabase::ManufacturingStepByID(
    const std::string& id) const {
  return firstWithId(manufacturingSteps_, id);
}

void CostDatabase::addToolMaterial(
    const boost::shared_ptr<ToolMaterial>& material) {
  if (material) toolMaterials_.push_back(material);
}

int CostDatabase::toolMaterialCount() const {
  return static_cast<int>(toolMaterials_.size());
}

boost::shared_ptr<ToolMaterial> CostDatabase::toolMaterialAt(int i) const {
  return itemAt(toolMaterials_, i);
}

boost::shared_ptr<ToolMaterial> CostDatabase::toolMaterialByID(
    const std::string& id) const {
  return firstWithId(toolMaterials_, id);
}

boost::shared_ptr<ToolMaterial> CostDatabase::toolMaterialByByID(
    const std::string& id) const {
  return firstWithId(toolMaterials_, id);
}

void CostDatabase::AddPriceUnit(const boost::shared_ptr<PriceUnit>& unit) {
  if (unit) priceUnits_.push_back(unit);
}

int CostDatabase::PriceUnitCount() const {
  return static_cast<int>(priceUnits_.size());
}

boost::shared_ptr<PriceUnit> CostDatabase::PriceUnitAt(int i) const {
  return itemAt(priceUnits_, i);
}

boost::shared_ptr<PriceUnit> CostDatabase::PriceUnitByID(
    const std::string& id) const {
  return firstWithId(priceUnits_, id);
}

void CostDatabase::AddCostProperty(
    const boost::shared_ptr<CostProperty>& property) {
  if (property) costProperties_.push_back(property);
}

int CostDatabase::CostPropertyCount() const {
  return static_cast<int>(costProperties_.size());
}

boost::shared_ptr<CostProperty> CostDatabase::CostPropertyAt(int i) const {
  return itemAt(costProperties_, i);
}

boost::shared_ptr<CostProperty> CostDatabase::CostPropertyByID(
    const QString& id) const {
  for (const boost::shared_ptr<CostProperty>& property : costProperties_) {
    if (property && QString::fromStdString(property->id()) == id) {
      return property;
    }
  }
  return boost::shared_ptr<CostProperty>();
}

void CostDatabase::AddBaseAssembly(
    const boost::shared_ptr<BaseAssembly>& assembly) {
  if (assembly) baseAssemblies_.push_back(assembly);
}

int CostDatabase::BaseAssemblyCount() const {
  return static_cast<int>(baseAssemblies_.size());
}

boost::shared_ptr<BaseAssembly> CostDatabase::BaseAssemblyAt(int i) const {
  return itemAt(baseAssemblies_, i);
}

void CostDatabase::AddPress(const boost::shared_ptr<Press>& press) {
  if (press) presses_.push_back(press);
}

int CostDatabase::PressCount() const {
  return static_cast<int>(presses_.size());
}

boost::shared_ptr<Press> CostDatabase::PressAt(int i) const {
  return itemAt(presses_, i);
}

void CostDatabase::RemovePressAt(int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= presses_.size()) return;
  presses_.erase(presses_.begin() + i);
}

void CostDatabase::AddTotalCostSurcharge(
    const boost::shared_ptr<Surcharge>& surcharge) {
  if (surcharge) addOrReplaceByLabel(totalCostSurcharges_, surcharge);
}

int CostDatabase::TotalCostSurchargeCount() const {
  return static_cast<int>(totalCostSurcharges_.size());
}

boost::shared_ptr<Surcharge> CostDatabase::TotalCostSurchargeAt(int i) const {
  return itemAt(totalCostSurcharges_, i);
}

void CostDatabase::AddOperationTypeSurcharge(
    const std::string& type, const boost::shared_ptr<Surcharge>& surcharge) {
  if (surcharge) {
    addOrReplaceByLabel(operationTypeSurcharges_[type], surcharge);
  }
}

int CostDatabase::OperationTypeSurchargeCount(const std::string& type) {
  return static_cast<int>(operationTypeSurcharges_[type].size());
}

boost::shared_ptr<Surcharge> CostDatabase::OperationTypeSurchargeAt(
    const std::string& type, int i) {
  return itemAt(operationTypeSurcharges_[type], i);
}

std::vector<boost::shared_ptr<Surcharge>> CostDatabase::OperationTypeSurcharges(
    const std::string& type) const {
  const auto found = operationTypeSurcharges_.find(type);
  if (found == operationTypeSurcharges_.end()) {
    return std::vector<boost::shared_ptr<Surcharge>>();
  }
  return found->second;
}

std::vector<std::string> CostDatabase::OperationTypes() const {
  std::vector<std::string> types;
  types.reserve(operationTypeSurcharges_.size());
  for (const auto& entry : operationTypeSurcharges_) {
    types.push_back(entry.first);
  }
  return types;
}

void CostDatabase::SetManufacturingStepSurcharge(
    const boost::shared_ptr<ManufacturingStep>& step,
    const boost::shared_ptr<Surcharge>& surcharge) {
  setOrErase(manufacturingStepSurcharges_, step, surcharge);
}

boost::shared_ptr<Surcharge> CostDatabase::ManufacturingStepSurcharge(
    const boost::shared_ptr<ManufacturingStep>& step) const {
  return lookUp(manufacturingStepSurcharges_, step);
}

void CostDatabase::SetMaterialSurcharge(
    const boost::shared_ptr<ToolMaterial>& material,
    const boost::shared_ptr<Surcharge>& surcharge) {
  setOrErase(materialSurcharges_, material, surcharge);
}

boost::shared_ptr<Surcharge> CostDatabase::MaterialSurcharge(
    const boost::shared_ptr<ToolMaterial>& material) const {
  return lookUp(materialSurcharges_, material);
}

void CostDatabase::SetOpTypKey(const std::string& type,
                               const std::string& key) {
  opTypKeys_[type] = key;
}

std::string CostDatabase::GetOpTypKey(const std::string& type) {
  return opTypKeys_[type];
}

void CostDatabase::AddSharingRelationship(
    const boost::shared_ptr<componentShareRelationship>& relationship) {
  if (relationship) sharingRelationships_.push_back(relationship);
}

int CostDatabase::SharingRelationshipCount() const {
  return static_cast<int>(sharingRelationships_.size());
}

boost::shared_ptr<componentShareRelationship>
CostDatabase::GetSharingRelationship(int i) const {
  return itemAt(sharingRelationships_, i);
}

std::vector<boost::shared_ptr<componentShareRelationship>>
CostDatabase::GetMatchingSharingRelationships(
    const std::vector<boost::shared_ptr<TamberData::Component>>& components)
    const {
  std::vector<boost::shared_ptr<componentShareRelationship>> matching;
  for (const auto& relationship : sharingRelationships_) {
    if (relationship && relationship->inputMatch(components))
      matching.push_back(relationship);
  }
  return matching;
}

void CostDatabase::addInformation(const std::string& label,
                                  const std::string& data) {
  information_.push_back(std::make_pair(label, data));
}

int CostDatabase::informationCount() const {
  return static_cast<int>(information_.size());
}

std::string CostDatabase::informationLabelAt(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= information_.size()) return "";
  return information_[static_cast<std::size_t>(i)].first;
}

std::string CostDatabase::informationDataAt(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= information_.size()) return "";
  return information_[static_cast<std::size_t>(i)].second;
}

std::string CostDatabase::informationAt(const std::string& label) const {
  for (const auto& entry : information_) {
    if (entry.first == label) return entry.second;
  }
  return "Not available";
}

std::string CostDatabase::getCostDriverKeyByLabel(
    const std::string& label) const {
  std::string id;
  if (findIdByLabel(manufacturingSteps_, label, &id)) return id;
  if (findIdByLabel(toolMaterials_, label, &id)) return id;
  if (findIdByLabel(costProperties_, label, &id)) return id;
  return "";
}

bool CostDatabase::isHourlyRatesValid() const {
  for (const boost::shared_ptr<ManufacturingStep>& step : manufacturingSteps_) {
    // Written as a negated comparison so that a NaN rate fails it too.
    if (step && !(step->CostPerHour() >= 0.1)) return false;
  }
  return true;
}

void CostDatabase::resetCostData() {
  for (const boost::shared_ptr<ManufacturingStep>& step : manufacturingSteps_) {
    if (step) step->SetCostPerHour(0.0f);
  }
  for (const boost::shared_ptr<ToolMaterial>& material : toolMaterials_) {
    if (material) material->SetCostPerUnit(0.0f);
  }
  for (const auto& entry : operationTypeSurcharges_) {
    for (const boost::shared_ptr<Surcharge>& surcharge : entry.second) {
      if (surcharge) surcharge->setUserfactor(0.0);
    }
  }
  for (const auto& entry : manufacturingStepSurcharges_) {
    if (entry.second) entry.second->setUserfactor(0.0);
  }
  for (const auto& entry : materialSurcharges_) {
    if (entry.second) entry.second->setUserfactor(0.0);
  }
  for (const boost::shared_ptr<Surcharge>& surcharge : totalCostSurcharges_) {
    if (surcharge) surcharge->setUserfactor(0.0);
  }
}

void CostDatabase::addTemporaryPtr(const boost::shared_ptr<void>& object) {
  if (object) temporaryPtrs_.push_back(object);
}

int CostDatabase::temporaryPtrCount() const {
  return static_cast<int>(temporaryPtrs_.size());
}

}  // namespace VelkData
