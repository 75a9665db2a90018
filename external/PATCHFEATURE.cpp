#include "external/PATCHFEATURE.h"

namespace VelkUtils {

PATCHFEATURE::PATCHFEATURE()
    : type(-1),
      trimCircumference(0.0),
      circumference(0.0),
      area(0.0),
      fid_(-1),
      tipGroup_(0) {}

bool operator==(const PATCHFEATURE& a, const PATCHFEATURE& b) {
  return a.name() == b.name() && a.getFid() == b.getFid() && a.type == b.type &&
         a.trimCircumference == b.trimCircumference &&
         a.circumference == b.circumference && a.area == b.area &&
         a.getBBox() == b.getBBox() &&
         a.processingDirection() == b.processingDirection() &&
         a.includedTrimCurves() == b.includedTrimCurves() &&
         a.includedFeatureIDS() == b.includedFeatureIDS() &&
         a.getProcessingUnitVector() == b.getProcessingUnitVector() &&
         a.getTipGroup() == b.getTipGroup();
}

bool operator!=(const PATCHFEATURE& a, const PATCHFEATURE& b) {
  return !(a == b);
}

}  // namespace VelkUtils
