// The archive form of the utilities library's stage descriptions and
// geometry records, written through their accessors and public fields.
//
// Included by ExternalRecordsArchiveInstances.cpp, which instantiates it
// for the library's writer and reader, and by tests that write these
// classes through archives of their own. Not installed.

#ifndef VELKDATA_PERSISTENCE_EXTERNALRECORDSARCHIVE_IPP
#define VELKDATA_PERSISTENCE_EXTERNALRECORDSARCHIVE_IPP

#include "costdata/CostDriverEnum.h"
#include "costdata/CostProperty.h"
#include "external/DrawingStage.h"
#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "external/Stage.h"
#include "persistence/ArchiveTraits.h"

namespace VelkUtils {

template <class Archive>
void serialize(Archive& archive, Stage& stage, const unsigned int) {
  std::string label = stage.Label();
  std::vector<boost::shared_ptr<VelkData::CostProperty>> properties;
  for (int i = 0; i < stage.CostPropertyCount(); ++i) {
    properties.push_back(stage.CostPropertyAt(i));
  }
  std::vector<std::string> allowedTypes = stage.AllowedOperationTypes();
  std::int32_t stageId = stage.getStageID();
  std::vector<double> tipping = stage.getTippingVector();
  int type = stage.getStageType();

  archive& label;
  archive& properties;
  archive& allowedTypes;
  archive& stageId;
  archive& tipping;
  VelkData::archive_detail::archiveEnum(archive, type, Stage::kUndefinedStage,
                                        Stage::kPiercingStage);
  if (Archive::is_loading::value) {
    stage.setLabel(label);
    for (const auto& property : properties) stage.AddCostProperty(property);
    stage.setAllowedOperationTypes(allowedTypes);
    stage.setStageID(stageId);
    stage.setTippingVector(tipping);
    stage.setStageType(Stage::stageTypeName(type));
  }
}

template <class Archive>
void serialize(Archive& archive, DrawingStage& stage, const unsigned int) {
  archive& boost::serialization::base_object<Stage>(stage);
  boost::shared_ptr<VelkData::CostDriverEnum> driver =
      stage.drawingTypeDriver();
  archive& driver;
  if (Archive::is_loading::value) stage.setDrawingTypeDriver(driver);
}

// The bounding box joined the records in their class version 2; versions 0
// and 1, the one written here, have none.
constexpr unsigned int kFirstVersionWithBoundingBox = 2;

template <class Archive>
void serialize(Archive& archive, LINEFEATURE& record,
               const unsigned int version) {
  std::string name = record.name();
  std::int32_t code = record.type;
  std::int32_t fid = record.getFid();
  std::deque<double> direction = record.processingDirection();
  std::vector<double> bbox = record.getBBox();
  archive& name;
  archive& code;
  archive& fid;
  archive& record.area;
  archive& record.length;
  archive& record.cutableFromZ;
  archive& direction;
  if (version >= kFirstVersionWithBoundingBox) archive& bbox;
  if (Archive::is_loading::value) {
    record.setName(name);
    record.type = code;
    record.setFid(fid);
    record.setProcessingDirection(direction);
    record.setBBox(bbox);
  }
}

template <class Archive>
void serialize(Archive& archive, PATCHFEATURE& record,
               const unsigned int version) {
  std::string name = record.name();
  std::int32_t code = record.type;
  std::int32_t fid = record.getFid();
  std::vector<int> trimCurves = record.includedTrimCurves();
  std::deque<double> direction = record.processingDirection();
  std::vector<double> bbox = record.getBBox();
  archive& code;
  archive& name;
  archive& record.trimCircumference;
  archive& record.circumference;
  archive& record.area;
  archive& fid;
  archive& trimCurves;
  archive& direction;
  if (version >= kFirstVersionWithBoundingBox) archive& bbox;
  if (Archive::is_loading::value) {
    record.type = code;
    record.setName(name);
    record.setFid(fid);
    record.setIncludedTrimCurves(trimCurves);
    record.setProcessingDirection(direction);
    record.setBBox(bbox);
  }
}

}  // namespace VelkUtils

#endif  // VELKDATA_PERSISTENCE_EXTERNALRECORDSARCHIVE_IPP
