#include "external/LINEFEATURE.h"

namespace VelkUtils {

LINEFEATURE::LINEFEATURE()
    : type(-1),
      area(0.0),
      length(0.0),
      cutableFromZ(false),
      fid_(-1),
      tipGroup_(0) {}

bool operator==(const LINEFEATURE& a, const LINEFEATURE& b) {
  return a.name() == b.name() && a.getFid() == b.getFid() && a.type == b.type &&
         a.area == b.area && a.length == b.length &&
         a.cutableFromZ == b.cutableFromZ && a.getBBox() == b.getBBox() &&
         a.processingDirection() == b.processingDirection() &&
         a.includedFeatureIDS() == b.includedFeatureIDS() &&
         a.getProcessingUnitVector() == b.getProcessingUnitVector() &&
         a.getTipGroup() == b.getTipGroup();
}

bool operator!=(const LINEFEATURE& a, const LINEFEATURE& b) {
  return !(a == b);
}

}  // namespace VelkUtils
