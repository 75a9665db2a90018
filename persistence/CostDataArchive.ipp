// The archive form of the cost master data: records, surcharges, presses,
// the component cost catalogue, operations, base assemblies, components,
// share relationships and the cost database itself.
//
// Included by CostDataArchiveInstances.cpp, which instantiates it
// for the library's writer and reader, and by tests that write these
// classes through archives of their own. Not installed.

#ifndef VELKDATA_PERSISTENCE_COSTDATAARCHIVE_IPP
#define VELKDATA_PERSISTENCE_COSTDATAARCHIVE_IPP

#include <list>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostFactory.h"
#include "costdata/ComponentCostValueRange.h"
#include "costdata/ComponentCostsValueSlot.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriver.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostProperty.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "costdata/PriceUnit.h"
#include "costdata/Surcharge.h"
#include "costdata/ToolMaterial.h"
#include "external/DrawingStage.h"
#include "external/Stage.h"
#include "formula/FormulaContainer.h"
#include "persistence/ArchiveTraits.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessingUnit.h"
#include "sharing/componentShareRelationship.h"

namespace VelkData {

template <class Archive>
void serialize(Archive& archive, Operation::Triplet& triplet,
               const unsigned int) {
  archive& triplet.value;
  archive& triplet.minimum;
  archive& triplet.maximum;
}

template <class Archive>
void ToolMaterial::serialize(Archive& archive, const unsigned int) {
  archive& id_;
  archive& label_;
  archive& density_;
  archive& costPerUnit_;
  archive& priceUnit_;
}

template <class Archive>
void PriceUnit::serialize(Archive& archive, const unsigned int) {
  archive& id_;
  archive& label_;
  archive& amountLabel_;
  archive& isWeightUnit_;
}

template <class Archive>
void ManufacturingStep::serialize(Archive& archive, const unsigned int) {
  archive& id_;
  archive& label_;
  archive& costPerHour_;
  archive& operationFactors_;
}

template <class Archive>
void Surcharge::serialize(Archive& archive, const unsigned int version) {
  archive& id_;
  archive& label_;
  archive& formulas_;
  // Older surcharges keep the user factor of the default constructor.
  if (version >= 1) archive& userfactor_;
}

template <class Archive>
void Press::serialize(Archive& archive, const unsigned int) {
  archive& label_;
  archive& stages_;
  archive& costProperties_;
}

template <class Archive>
void ComponentCostFactory::serialize(Archive& archive, const unsigned int) {
  archive& slots_;
}

template <class Archive>
void ComponentCostsValueSlot::serialize(Archive& archive, const unsigned int) {
  archive& ranges_;
  archive& componentCost_;
}

template <class Archive>
void ComponentCostValueRange::serialize(Archive& archive, const unsigned int) {
  archive& type_;
  std::list<std::string> texts;
  if (Archive::is_saving::value) {
    for (const QString& text : stringValues_) {
      texts.push_back(archive_detail::toArchiveText(text));
    }
  }
  archive& texts;
  if (Archive::is_loading::value) {
    stringValues_.clear();
    for (const std::string& text : texts) {
      stringValues_.append(archive_detail::fromArchiveText(text));
    }
  }
  archive& doubleMax_;
  archive& doubleMin_;
  archive& doubleAccuracy_;
  archive& values_;
}

template <class Archive>
void ComponentCost::serialize(Archive& archive, const unsigned int) {
  archive& label_;
  archive& component_;
  archive& information_;
  if constexpr (Archive::is_saving::value) {
    archive_detail::saveInRecordOrder(archive, materialAmounts_);
    archive_detail::saveInRecordOrder(archive, stepAmounts_);
  } else {
    archive& materialAmounts_;
    archive& stepAmounts_;
  }
}

template <class Archive>
void BaseAssembly::save(Archive& archive, const unsigned int) const {
  archive& label_;
  archive& operationType_;
  archive& components_;
  archive& amountFormulas_;
  archive& mergeBehaviors_;
}

template <class Archive>
void BaseAssembly::load(Archive& archive, const unsigned int version) {
  archive& label_;
  archive& operationType_;
  archive& components_;
  archive& amountFormulas_;
  if (version >= 1) {
    archive& mergeBehaviors_;
  } else {
    // Assemblies from before merge behaviours merge nothing.
    mergeBehaviors_.assign(components_.size(), 0);
  }
}

template <class Archive>
void BaseAssembly::serialize(Archive& archive, const unsigned int version) {
  boost::serialization::split_member(archive, *this, version);
}

template <class Archive>
void Operation::serialize(Archive& archive, const unsigned int version) {
  archive& label_;
  archive& type_;
  archive& baseAssembly_;
  archive& costDrivers_;
  archive& length_;
  archive& width_;
  archive& height_;
  archive& shouldBeEmpty_;
  archive& stage_;
  if (version >= 3) {
    archive& commentProperty_;
  } else {
    commentProperty_.reset();
  }
}

template <class Archive>
void componentShareRelationship::serialize(Archive& archive,
                                           const unsigned int) {
  archive& label;
  archive& inputComponents;
  archive& mergeTable;
  archive& sharedComponent;
  archive& mergeModes;
}

template <class Archive>
void CostDatabase::serialize(Archive& archive, const unsigned int version) {
  // Objects reached only through weak members are parked with this
  // database; what else owns them is known only once the archive is
  // closed (see `releaseObjectsOwnedElsewhere`).
  std::vector<boost::shared_ptr<void>> unused;
  if (Archive::is_loading::value) loadedObjects_.clear();
  archive_detail::LoadKeepAlive keepAlive(
      Archive::is_loading::value ? loadedObjects_ : unused);
  archive& id_;
  archive& materialCostSurcharge_;
  archive& processCostSurcharge_;
  archive& currency_;
  std::map<std::string, double> conversions;
  if (Archive::is_saving::value) {
    for (const auto& entry : unitConversions_) {
      conversions[archive_detail::toArchiveText(entry.first)] = entry.second;
    }
  }
  archive& conversions;
  if (Archive::is_loading::value) {
    unitConversions_.clear();
    for (const auto& entry : conversions) {
      unitConversions_[archive_detail::fromArchiveText(entry.first)] =
          entry.second;
    }
  }
  archive& information_;
  archive& toolMaterials_;
  archive& priceUnits_;
  archive& componentCostFactory_;
  if constexpr (Archive::is_saving::value) {
    archive_detail::saveInRecordOrder(archive, materialSurcharges_);
  } else {
    archive& materialSurcharges_;
  }
  archive& baseAssemblies_;
  archive& manufacturingSteps_;
  archive& operationTypeSurcharges_;
  archive& totalCostSurcharges_;
  if constexpr (Archive::is_saving::value) {
    archive_detail::saveInRecordOrder(archive, manufacturingStepSurcharges_);
  } else {
    archive& manufacturingStepSurcharges_;
  }
  archive& costProperties_;
  archive& opTypKeys_;
  archive& processDB_;
  archive& presses_;
  if (version >= 3) {
    archive& sharingRelationships_;
  } else {
    sharingRelationships_.clear();
  }
}

}  // namespace VelkData

namespace TamberData {

template <class Archive>
void Component::save(Archive& archive, const unsigned int) const {
  archive& label_;
  archive& roundingRules_;
  archive& parameters_;
  archive& standardLimits_;
  VelkData::archive_detail::saveWeak(archive, partFeature_);
  VelkData::archive_detail::saveWeak(archive, relatedProcessingUnits_);
  archive& componentKey_;
  archive& state_;
  archive& noDBMatch_;
  archive& childComps_;
  VelkData::archive_detail::saveWeak(archive, operations_);
}

template <class Archive>
void Component::load(Archive& archive, const unsigned int version) {
  archive& label_;
  archive& roundingRules_;
  archive& parameters_;
  archive& standardLimits_;
  if (version < 3) {
    // The old format knew one operation per component: it becomes the
    // component's own operation, entry 0.
    boost::weak_ptr<VelkData::Operation> operation;
    VelkData::archive_detail::loadWeak(archive, operation);
    if (operations_.empty()) operations_.resize(1);
    operations_[0] = operation;
    childComps_.clear();
  }
  VelkData::archive_detail::loadWeak(archive, partFeature_);
  VelkData::archive_detail::loadWeak(archive, relatedProcessingUnits_);
  if (version >= 1) {
    archive& componentKey_;
  } else {
    componentKey_ = getComponentKeyFromLabel(label_);
  }
  if (version >= 2) {
    archive& state_;
    archive& noDBMatch_;
  } else {
    state_ = 0;
    noDBMatch_ = false;
  }
  if (version >= 3) {
    operations_.clear();
    archive& childComps_;
    VelkData::archive_detail::loadWeak(archive, operations_);
  }
}

template <class Archive>
void Component::serialize(Archive& archive, const unsigned int version) {
  boost::serialization::split_member(archive, *this, version);
}

}  // namespace TamberData

#endif  // VELKDATA_PERSISTENCE_COSTDATAARCHIVE_IPP
