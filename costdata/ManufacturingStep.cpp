#include "costdata/ManufacturingStep.h"

#include "costdata/CostDriver.h"

namespace VelkData {

ManufacturingStep::ManufacturingStep() : costPerHour_(1.0f) {}

ManufacturingStep::ManufacturingStep(const std::string& id)
    : id_(id), costPerHour_(1.0f) {}

ManufacturingStep::~ManufacturingStep() {}

float ManufacturingStep::OperationFactor(
    const std::string& operationType) const {
  const boost::shared_ptr<CostDriver> factor =
      GetOperationFactor(operationType);
  // A step without a factor for a type does not apply to that type.
  if (!factor) return 0.0f;
  return factor->doubleValue();
}

boost::shared_ptr<CostDriver> ManufacturingStep::GetOperationFactor(
    const std::string& operationType) const {
  const auto it = operationFactors_.find(operationType);
  if (it == operationFactors_.end()) return boost::shared_ptr<CostDriver>();
  return it->second;
}

void ManufacturingStep::SetOperationFactor(
    const std::string& operationType,
    const boost::shared_ptr<CostDriver>& factor) {
  operationFactors_[operationType] = factor;
}

boost::shared_ptr<ManufacturingStep> ManufacturingStep::clone() const {
  boost::shared_ptr<ManufacturingStep> copy(new ManufacturingStep(id_));
  copy->costPerHour_ = costPerHour_;
  copy->label_ = label_;
  copy->operationFactors_ = operationFactors_;
  return copy;
}

void ManufacturingStep::virtualDummyFunction() {}

}  // namespace VelkData
