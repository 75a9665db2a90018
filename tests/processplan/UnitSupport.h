#ifndef VELKDATA_TESTS_PROCESSPLAN_UNITSUPPORT_H
#define VELKDATA_TESTS_PROCESSPLAN_UNITSUPPORT_H

// Building blocks for the processing unit, sequence, factory and conversion
// tests.

#include <boost/make_shared.hpp>
#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "costdata/Component.h"
#include "costdata/Operation.h"
#include "external/Stage.h"
#include "formula/FormulaContainer.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessingUnit.h"

namespace velktest {

// A feature machined along a direction of the test's choosing.
class DirectedFeature : public TamberData::PartFeature {
 public:
  explicit DirectedFeature(const std::deque<double>& direction)
      : direction_(direction) {}
  std::deque<double> processingDirection() const override { return direction_; }

 private:
  std::deque<double> direction_;
};

// The direction `degrees` away from the press direction (0, 0, 1).
inline std::deque<double> tilted(double degrees) {
  const double radians = degrees * M_PI / 180.0;
  return {std::sin(radians), 0.0, std::cos(radians)};
}

inline boost::shared_ptr<TamberData::Component> makeComponent(
    const std::string& label, const std::string& key) {
  return boost::make_shared<TamberData::Component>(label, key);
}

inline boost::shared_ptr<VelkData::FormulaContainer> makeAmount(
    const std::string& text) {
  boost::shared_ptr<VelkData::FormulaContainer> amount =
      boost::make_shared<VelkData::FormulaContainer>();
  amount->addFormula(text);
  return amount;
}

inline boost::shared_ptr<TamberData::ProcessingUnit> makeUnit(
    const std::string& label,
    TamberData::ProcessingUnit::CamType camType =
        TamberData::ProcessingUnit::kNoCam,
    const std::string& imageName = "pierce_g") {
  return boost::make_shared<TamberData::ProcessingUnit>(
      label, "HOLE", boost::shared_ptr<TamberData::Constraint>(), camType,
      imageName);
}

// An operation in a stage with id `stageId` tipped to `tipping`.
inline boost::shared_ptr<VelkData::Operation> makeOperation(
    const std::vector<double>& tipping, int stageId = 0) {
  boost::shared_ptr<VelkData::Operation> operation =
      boost::make_shared<VelkData::Operation>("OP20", "TRIM");
  boost::shared_ptr<VelkUtils::Stage> stage =
      boost::make_shared<VelkUtils::Stage>("Stage 2");
  stage->setStageID(stageId);
  stage->setTippingVector(tipping);
  operation->SetStage(stage);
  return operation;
}

// Components and the units they are related to point at each other; tests
// that relate them call this at the end so the objects are freed.
inline void unrelateComponents(const TamberData::ProcessingUnit& unit) {
  for (int i = 0; i < unit.componentCount(); ++i) {
    unit.componentAt(i)->clearRelatedProcessingUnits();
  }
}

}  // namespace velktest

#endif  // VELKDATA_TESTS_PROCESSPLAN_UNITSUPPORT_H
