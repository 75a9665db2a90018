#include "external/Stage.h"

#include <algorithm>
#include <cctype>

#include "costdata/CostProperty.h"

namespace VelkUtils {

namespace {

struct StageTypeEntry {
  Stage::StageType type;
  const char* name;
};

const StageTypeEntry kStageTypes[] = {
    {Stage::kUndefinedStage, "undefined"}, {Stage::kBlankingStage, "blanking"},
    {Stage::kFormingStage, "forming"},     {Stage::kTrimmingStage, "trimming"},
    {Stage::kFlangingStage, "flanging"},   {Stage::kPiercingStage, "piercing"},
};

std::string toLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return text;
}

}  // namespace

Stage::Stage() : Stage(std::string()) {}

Stage::Stage(const std::string& label)
    : label_(label),
      stageType_(kUndefinedStage),
      stageId_(0),
      toolLength_(0.0),
      toolWidth_(0.0),
      toolHeight_(0.0) {}

// A copy owns clones of the source's cost properties, so that values set on
// one stage (a transfer press's new stage, say) never leak into the other.
Stage::Stage(const Stage& other)
    : label_(other.label_),
      description_(other.description_),
      typeString_(other.typeString_),
      stageType_(other.stageType_),
      stageId_(other.stageId_),
      toolLength_(other.toolLength_),
      toolWidth_(other.toolWidth_),
      toolHeight_(other.toolHeight_),
      tippingVector_(other.tippingVector_),
      allowedOperationTypes_(other.allowedOperationTypes_) {
  costProperties_.reserve(other.costProperties_.size());
  for (const auto& property : other.costProperties_) {
    costProperties_.push_back(property->clone());
  }
}

Stage::~Stage() = default;

boost::shared_ptr<Stage> Stage::clone() const {
  return boost::shared_ptr<Stage>(new Stage(*this));
}

void Stage::virtualDummyFunction() {}

void Stage::setStageType(const std::string& name) {
  const std::string wanted = toLower(name);
  stageType_ = kUndefinedStage;
  for (const StageTypeEntry& entry : kStageTypes) {
    if (wanted == entry.name) {
      stageType_ = entry.type;
      return;
    }
  }
}

std::string Stage::stageTypeName(int type) {
  for (const StageTypeEntry& entry : kStageTypes) {
    if (entry.type == type) return entry.name;
  }
  return "undefined";
}

int Stage::CostPropertyCount() const {
  return static_cast<int>(costProperties_.size());
}

boost::shared_ptr<VelkData::CostProperty> Stage::CostPropertyAt(int i) const {
  if (i < 0 || i >= CostPropertyCount()) {
    return boost::shared_ptr<VelkData::CostProperty>();
  }
  return costProperties_[i];
}

void Stage::AddCostProperty(
    const boost::shared_ptr<VelkData::CostProperty>& property) {
  if (property) costProperties_.push_back(property);
}

}  // namespace VelkUtils
