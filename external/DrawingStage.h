#ifndef VELKDATA_EXTERNAL_DRAWINGSTAGE_H
#define VELKDATA_EXTERNAL_DRAWINGSTAGE_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "external/Stage.h"

namespace VelkData {
class CostDriverEnum;
}  // namespace VelkData

namespace VelkUtils {

// A stage in which the part is drawn. Besides the stage fields it carries
// the drawing type as an enumeration cost driver (single action, double
// action and so on), from which an operation picks the base assembly of
// its die set. Held through boost::shared_ptr<Stage> like every stage.
class DrawingStage : public Stage {
 public:
  // A drawing stage without a drawing type driver.
  DrawingStage();
  explicit DrawingStage(const std::string& label);
  ~DrawingStage() override;

  // A new DrawingStage with the same field values and its own clones of the
  // cost properties; its drawing type driver is the clone of the source's
  // (the same object as the cloned cost property when the driver is one).
  boost::shared_ptr<Stage> clone() const override;

  // The drawing type driver, or an empty pointer when none is set.
  const boost::shared_ptr<VelkData::CostDriverEnum>& drawingTypeDriver() const {
    return drawingType_;
  }
  void setDrawingTypeDriver(
      const boost::shared_ptr<VelkData::CostDriverEnum>& driver) {
    drawingType_ = driver;
  }

  // The text of the drawing type (the driver's `stringValue`); "" without a
  // driver. Throws NoFormulaResultException when the driver's formula
  // cannot be evaluated.
  std::string DrawingTypeString() const;

  // The number of the drawing type (the driver's `doubleValue`); 0.0
  // without a driver. Throws NoFormulaResultException when the driver's
  // formula cannot be evaluated.
  double DrawingTypeValue() const;

 protected:
  DrawingStage(const DrawingStage& other);

 private:
  boost::shared_ptr<VelkData::CostDriverEnum> drawingType_;
};

}  // namespace VelkUtils

#endif  // VELKDATA_EXTERNAL_DRAWINGSTAGE_H
