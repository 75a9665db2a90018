#include "costdata/ToolMaterial.h"

#include "costdata/PriceUnit.h"

namespace VelkData {

ToolMaterial::ToolMaterial() : density_(1.0f), costPerUnit_(0.0f) {}

ToolMaterial::ToolMaterial(const std::string& id)
    : id_(id), density_(1.0f), costPerUnit_(0.0f) {}

ToolMaterial::~ToolMaterial() {}

float ToolMaterial::CostPerVolumeUnit() const {
  // Without a unit nothing says the price is per weight; the price as
  // entered is the best answer for a material not yet fully set up.
  if (priceUnit_ && priceUnit_->isWeightUnit()) {
    return static_cast<float>(static_cast<double>(costPerUnit_) * density_);
  }
  return costPerUnit_;
}

boost::shared_ptr<ToolMaterial> ToolMaterial::clone() const {
  boost::shared_ptr<ToolMaterial> copy(new ToolMaterial(id_));
  copy->label_ = label_;
  copy->density_ = density_;
  copy->costPerUnit_ = costPerUnit_;
  copy->priceUnit_ = priceUnit_;
  return copy;
}

void ToolMaterial::virtualDummyFunction() {}

}  // namespace VelkData
