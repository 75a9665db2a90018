#include "external/DrawingStage.h"

namespace VelkUtils {

// DrawingTypeString and DrawingTypeValue need the complete driver class and
// live in DrawingStageValues.cpp.

DrawingStage::DrawingStage() = default;

DrawingStage::DrawingStage(const std::string& label) : Stage(label) {}

DrawingStage::DrawingStage(const DrawingStage& other) = default;

DrawingStage::~DrawingStage() = default;

boost::shared_ptr<Stage> DrawingStage::clone() const {
  // The drawing type driver is shared like the cost properties until the
  // drivers can clone themselves.
  return boost::shared_ptr<Stage>(new DrawingStage(*this));
}

}  // namespace VelkUtils
