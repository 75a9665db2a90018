#include "processplan/IteratorPartGeometry.h"

#include <boost/pointer_cast.hpp>

#include "processplan/PartGeometry.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {

IteratorPartGeometry::IteratorPartGeometry(
    const boost::shared_ptr<PartFeature>& feature)
    : walk_(feature) {
  skipOthers();
}

void IteratorPartGeometry::first() {
  walk_.first();
  skipOthers();
}

void IteratorPartGeometry::next() {
  if (walk_.isDone()) return;
  walk_.next();
  skipOthers();
}

bool IteratorPartGeometry::isDone() const { return walk_.isDone(); }

boost::shared_ptr<PartGeometry> IteratorPartGeometry::currentItem() const {
  return boost::dynamic_pointer_cast<PartGeometry>(walk_.currentItem());
}

bool IteratorPartGeometry::hasUnitOn(
    const PartFeature& feature,
    const boost::shared_ptr<VelkData::Operation>& operation) {
  for (int j = 0; j < feature.processingUnitCount(); ++j) {
    boost::shared_ptr<ProcessingUnit> unit = feature.processingUnitAt(j);
    if (unit && unit->operation() == operation) return true;
  }
  return false;
}

void IteratorPartGeometry::skipOthers() {
  while (!walk_.isDone() &&
         !boost::dynamic_pointer_cast<PartGeometry>(walk_.currentItem())) {
    walk_.next();
  }
}

}  // namespace TamberData
