#include "external/Stage.h"

#include <algorithm>
#include <cctype>

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

Stage::Stage(const Stage& other) = default;

Stage::~Stage() = default;

boost::shared_ptr<Stage> Stage::clone() const {
  // The cost properties are shared with the source for now; they are cloned
  // once the property classes can clone themselves.
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
