#include "costdata/CostDriverEnum.h"
#include "external/DrawingStage.h"

namespace VelkUtils {

std::string DrawingStage::DrawingTypeString() const {
  if (!drawingType_) return std::string();
  return drawingType_->stringValue();
}

double DrawingStage::DrawingTypeValue() const {
  if (!drawingType_) return 0.0;
  return drawingType_->doubleValue();
}

}  // namespace VelkUtils
