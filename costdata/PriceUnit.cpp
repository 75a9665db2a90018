#include "costdata/PriceUnit.h"

namespace VelkData {

PriceUnit::PriceUnit() : isWeightUnit_(false) {}

PriceUnit::PriceUnit(const std::string& id) : id_(id), isWeightUnit_(false) {}

PriceUnit::~PriceUnit() {}

boost::shared_ptr<PriceUnit> PriceUnit::clone() const {
  boost::shared_ptr<PriceUnit> copy(new PriceUnit(id_));
  copy->label_ = label_;
  copy->amountLabel_ = amountLabel_;
  copy->isWeightUnit_ = isWeightUnit_;
  return copy;
}

void PriceUnit::virtualDummyFunction() {}

}  // namespace VelkData
