#include "processplan/PartGeometry.h"

#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"

namespace TamberData {

PartGeometry::PartGeometry() {}

PartGeometry::PartGeometry(const std::string& type,
                           const boost::shared_ptr<FeatureTypeIDs>& typeIDs)
    : PartFeature(type, typeIDs, boost::shared_ptr<ParameterMapping>()) {}

PartGeometry::~PartGeometry() {}

void PartGeometry::SetLabel(const std::string&) {}

double PartGeometry::maxDiameter() const { return -1.0; }

bool PartGeometry::equals(const VelkUtils::LINEFEATURE&) const { return false; }

bool PartGeometry::equals(const VelkUtils::PATCHFEATURE&) const {
  return false;
}

void PartGeometry::virtualDummyFunction() {}

}  // namespace TamberData
