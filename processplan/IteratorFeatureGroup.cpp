#include "processplan/IteratorFeatureGroup.h"

#include <boost/pointer_cast.hpp>

#include "processplan/PartFeatureGroup.h"

namespace TamberData {

IteratorFeatureGroup::IteratorFeatureGroup(
    const boost::shared_ptr<PartFeature>& feature)
    : walk_(feature) {
  skipOthers();
}

void IteratorFeatureGroup::first() {
  walk_.first();
  skipOthers();
}

void IteratorFeatureGroup::next() {
  if (walk_.isDone()) return;
  walk_.next();
  skipOthers();
}

bool IteratorFeatureGroup::isDone() const { return walk_.isDone(); }

boost::shared_ptr<PartFeatureGroup> IteratorFeatureGroup::currentItem() const {
  return boost::dynamic_pointer_cast<PartFeatureGroup>(walk_.currentItem());
}

void IteratorFeatureGroup::skipOthers() {
  while (!walk_.isDone() &&
         !boost::dynamic_pointer_cast<PartFeatureGroup>(walk_.currentItem())) {
    walk_.next();
  }
}

}  // namespace TamberData
