#include "external/DrawingStage.h"

#include "costdata/CostDriverEnum.h"

namespace VelkUtils {

DrawingStage::DrawingStage() = default;

DrawingStage::DrawingStage(const std::string& label) : Stage(label) {}

DrawingStage::DrawingStage(const DrawingStage& other) : Stage(other) {
  if (!other.drawingType_) return;
  // The drawing type is normally one of the stage's cost properties too;
  // the copy must then point at its own clone of that property, not at a
  // second, unrelated clone.
  for (int i = 0; i < other.CostPropertyCount(); ++i) {
    if (other.CostPropertyAt(i) == other.drawingType_) {
      drawingType_ = boost::dynamic_pointer_cast<VelkData::CostDriverEnum>(
          CostPropertyAt(i));
      return;
    }
  }
  drawingType_ = boost::dynamic_pointer_cast<VelkData::CostDriverEnum>(
      other.drawingType_->clone());
}

DrawingStage::~DrawingStage() = default;

boost::shared_ptr<Stage> DrawingStage::clone() const {
  return boost::shared_ptr<Stage>(new DrawingStage(*this));
}

std::string DrawingStage::DrawingTypeString() const {
  if (!drawingType_) return std::string();
  return drawingType_->stringValue();
}

double DrawingStage::DrawingTypeValue() const {
  if (!drawingType_) return 0.0;
  return drawingType_->doubleValue();
}

}  // namespace VelkUtils
