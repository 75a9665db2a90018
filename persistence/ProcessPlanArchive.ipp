// The archive form of the process plan: the process database, its factories
// and definitions, the part feature tree and the processing units.
//
// Included by ProcessPlanArchiveInstances.cpp, which instantiates it
// for the library's writer and reader, and by tests that write these
// classes through archives of their own. Not installed.

#ifndef VELKDATA_PERSISTENCE_PROCESSPLANARCHIVE_IPP
#define VELKDATA_PERSISTENCE_PROCESSPLANARCHIVE_IPP

#include <set>

#include "costdata/Component.h"
#include "costdata/CostDriver.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "formula/FormulaContainer.h"
#include "persistence/ArchiveTraits.h"
#include "processplan/Constraint.h"
#include "processplan/FeatureDefinition.h"
#include "processplan/FeatureGroupFactory.h"
#include "processplan/FeatureParameterFactory.h"
#include "processplan/FeatureTypeFactory.h"
#include "processplan/ParameterDefinition.h"
#include "processplan/PartFeature.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/PartGeometry.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessFactoryFeature.h"
#include "processplan/ProcessingSequence.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {

template <class Archive>
void ProcessDatabase::serialize(Archive& archive, const unsigned int) {
  archive& id_;
  archive& operations_;
  archive& defaultOperations_;
  archive& topLevelPartFeatures_;
  archive& processFactoryFeature_;
  archive& featuresHaveBeenDetected_;
  archive& featureTypeFactory_;
  archive& referenceOperations_;
  if constexpr (Archive::is_saving::value) {
    archive& referenceProcessingUnits_;
  } else {
    // Read with plain numbers as keys, so that a cam type outside the
    // enumeration is refused before it becomes one.
    typedef std::map<int, std::vector<boost::shared_ptr<ProcessingUnit>>>
        UnitsByNumber;
    std::map<std::string, UnitsByNumber> units;
    archive& units;
    referenceProcessingUnits_.clear();
    for (auto& byKey : units) {
      UnitsByCamType& target = referenceProcessingUnits_[byKey.first];
      for (auto& byNumber : byKey.second) {
        if (byNumber.first < ProcessingUnit::kNoCam ||
            byNumber.first > ProcessingUnit::kFillerCam) {
          throw boost::archive::archive_exception(
              boost::archive::archive_exception::input_stream_error,
              "enumeration value out of range");
        }
        target[static_cast<ProcessingUnit::CamType>(byNumber.first)].swap(
            byNumber.second);
      }
    }
  }
  archive& featureGroupFactory_;
  archive& featureParameterFactory_;
  archive& defaultPress_;
  archive& currentPress_;
  archive& blankingPresses_;
  archive& defaultBlankingPress_;
  archive& currentBlankingPress_;
}

template <class Archive>
void ProcessingUnit::serialize(Archive& archive, const unsigned int) {
  archive& label_;
  archive& index_;
  archive& components_;
  archive& operation_;
  archive& constraints_;
  archive& associatedFeatureType_;
  archive& imageName_;
  VelkData::archive_detail::archiveWeak(archive, partFeature_);
  archive& sourceComponents_;
  archive& amountFormulas_;
  archive& sourceAmounts_;
  VelkData::archive_detail::archiveEnum(archive, camType_, kNoCam, kFillerCam);
  archive& oneSetPerGroup_;
  archive& camTypeConfirmed_;
  archive& procID_;
  // Units made after loading continue the numbering of the archive.
  std::int32_t nextProcID = procUnitCount;
  archive& nextProcID;
  if (Archive::is_loading::value) procUnitCount = nextProcID;
}

template <class Archive>
void ProcessingSequence::serialize(Archive& archive, const unsigned int) {
  archive& label_;
  archive& processingUnits_;
}

template <class Archive>
void Constraint::serialize(Archive& archive, const unsigned int) {
  archive& unpopularOperationTypes_;
  archive& forbiddenOperationTypes_;
  archive& early_;
}

template <class Archive>
void ProcessFactoryFeature::serialize(Archive& archive, const unsigned int) {
  archive& sequencesWithoutCam_;
  archive& sequencesWithCam_;
  archive& m_featureCount;
}

namespace {

// Definitions are held by plain pointers and deleted by their owner. A
// damaged archive could name one object twice (a back-reference), which
// would then be deleted twice. Repeats are dropped, also from lists left
// half read by an exception, before anyone can delete them; the caller
// refuses the archive.
template <class Pointer>
bool dropRepeatedPointers(std::vector<Pointer>& pointers,
                          std::set<const void*>& seen) {
  bool repeated = false;
  for (Pointer& pointer : pointers) {
    if (pointer == nullptr) continue;
    if (!seen.insert(pointer).second) {
      pointer = nullptr;
      repeated = true;
    }
  }
  return repeated;
}

void refuseRepeatedPointers(bool repeated) {
  if (repeated) {
    throw boost::archive::archive_exception(
        boost::archive::archive_exception::pointer_conflict);
  }
}

// The parameter definitions seen so far while a factory reads its
// definitions, so that no parameter is owned by two definitions.
std::set<const void*>* parametersBeingRead = nullptr;

}  // namespace

template <class Archive>
void FeatureTypeFactory::serialize(Archive& archive, const unsigned int) {
  if (Archive::is_loading::value) {
    clearDefinitions(patchDefinitions_);
    clearDefinitions(curveDefinitions_);
    std::set<const void*> parameters;
    std::set<const void*> definitions;
    std::set<const void*>* const outer = parametersBeingRead;
    parametersBeingRead = &parameters;
    try {
      archive& patchDefinitions_;
      refuseRepeatedPointers(
          dropRepeatedPointers(patchDefinitions_, definitions));
      archive& curveDefinitions_;
      refuseRepeatedPointers(
          dropRepeatedPointers(curveDefinitions_, definitions));
    } catch (...) {
      parametersBeingRead = outer;
      std::set<const void*> seen;
      dropRepeatedPointers(patchDefinitions_, seen);
      dropRepeatedPointers(curveDefinitions_, seen);
      throw;
    }
    parametersBeingRead = outer;
  } else {
    archive& patchDefinitions_;
    archive& curveDefinitions_;
  }
  archive& patchLabels_;
  archive& patchFeatureTypeIDs_;
  archive& curveLabels_;
  archive& curveFeatureTypeIDs_;
}

template <class Archive>
void FeatureGroupFactory::serialize(Archive& archive, const unsigned int) {
  archive& defaultGroup_;
  archive& groups_;
  archive& requiredTypes_;
  archive& triggerTypes_;
  archive& excludedTypes_;
  archive& sequences_;
  archive& typeIDs_;
}

template <class Archive>
void FeatureParameterFactory::serialize(Archive& archive, const unsigned int) {
  archive& mappings_;
}

template <class Archive>
void FeatureDefinition::serialize(Archive& archive, const unsigned int) {
  if (Archive::is_saving::value) {
    archive& type_;
    archive& parameters_;
    return;
  }
  clear();
  std::set<const void*> own;
  std::set<const void*>& seen =
      parametersBeingRead != nullptr ? *parametersBeingRead : own;
  try {
    archive& type_;
    archive& parameters_;
  } catch (...) {
    dropRepeatedPointers(parameters_, seen);
    throw;
  }
  refuseRepeatedPointers(dropRepeatedPointers(parameters_, seen));
}

template <class Archive>
void ParameterDefinition::serialize(Archive& archive, const unsigned int) {
  // The kind is kept as a plain number: a kind the class does not know
  // accepts nothing.
  archive& kind_;
  archive& name_;
  archive& min_;
  archive& max_;
  archive& value_;
  archive& description_;
}

template <class Archive>
void PartFeature::serialize(Archive& archive, const unsigned int) {
  archive& type_;
  archive& processingUnits_;
  archive& children_;
  archive& parameterMapping_;
  archive& typeIDs_;
}

template <class Archive>
void PartGeometry::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<PartFeature>(*this);
}

template <class Archive>
void PartGeometryCurve::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<PartGeometry>(*this);
  archive& record_;
}

template <class Archive>
void PartGeometryPatch::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<PartGeometry>(*this);
  archive& record_;
}

template <class Archive>
void PartFeatureGroup::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<PartFeature>(*this);
  archive& label_;
  archive& area_;
  archive& userDefinedArea_;
  archive& circumference_;
  archive& userDefinedCircumference_;
  archive& maxDiameter_;
  archive& userDefinedMaxDiameter_;
}

}  // namespace TamberData

#endif  // VELKDATA_PERSISTENCE_PROCESSPLANARCHIVE_IPP
