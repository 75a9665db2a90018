#include "costdata/CostDriverIntRange.h"

namespace VelkData {

CostDriverIntRange::CostDriverIntRange() = default;

CostDriverIntRange::CostDriverIntRange(const std::string& id)
    : CostDriverInt(id) {}

boost::shared_ptr<CostProperty> CostDriverIntRange::clone() const {
  boost::shared_ptr<CostDriverIntRange> copy(new CostDriverIntRange(id()));
  fillClone(copy);
  return copy;
}

}  // namespace VelkData
