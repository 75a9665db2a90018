#include "processplan/ProcessingUnit.h"

#include "costdata/Operation.h"
#include "processplan/Constraint.h"
#include "processplan/PartFeature.h"

namespace TamberData {

int ProcessingUnit::procUnitCount = 0;

ProcessingUnit::ProcessingUnit()
    : ProcessingUnit(std::string(), std::string(),
                     boost::shared_ptr<Constraint>(), kNoCam, std::string()) {}

ProcessingUnit::ProcessingUnit(const std::string& label,
                               const std::string& associatedFeatureType,
                               const boost::shared_ptr<Constraint>& constraints,
                               CamType camType, const std::string& imageName)
    : label_(label),
      imageName_(imageName),
      index_(-1),
      constraints_(constraints),
      camType_(camType),
      associatedFeatureType_(associatedFeatureType),
      procID_(procUnitCount++) {}

ProcessingUnit::~ProcessingUnit() = default;

void ProcessingUnit::virtualDummyFunction() {}

bool ProcessingUnit::operator==(const ProcessingUnit& other) const {
  if (!partFeature_) return false;
  return partFeature_->equals(other.partFeature_) && index_ == other.index_;
}

}  // namespace TamberData
