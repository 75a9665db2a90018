#include "processplan/IteratorFeature.h"

namespace TamberData {

IteratorFeature::IteratorFeature(const boost::shared_ptr<PartFeature>& feature)
    : nextRoot_(0) {
  roots_.push_back(feature);
  first();
}

IteratorFeature::IteratorFeature(
    const std::vector<boost::shared_ptr<PartFeature>>& roots)
    : roots_(roots), nextRoot_(0) {
  first();
}

void IteratorFeature::first() {
  path_.clear();
  nextRoot_ = 0;
  enterNextRoot();
}

void IteratorFeature::next() {
  while (!path_.empty()) {
    Frame& top = path_.back();
    while (top.nextChild < top.feature->childrenCount()) {
      boost::shared_ptr<PartFeature> child =
          top.feature->childAt(top.nextChild++);
      if (child && !onPath(child.get())) {
        path_.push_back(Frame{child, 0});
        return;
      }
    }
    path_.pop_back();
  }
  enterNextRoot();
}

bool IteratorFeature::isDone() const { return path_.empty(); }

boost::shared_ptr<PartFeature> IteratorFeature::currentItem() const {
  if (path_.empty()) return boost::shared_ptr<PartFeature>();
  return path_.back().feature;
}

void IteratorFeature::enterNextRoot() {
  while (nextRoot_ < roots_.size()) {
    const boost::shared_ptr<PartFeature>& root = roots_[nextRoot_++];
    if (root) {
      path_.push_back(Frame{root, 0});
      return;
    }
  }
}

bool IteratorFeature::onPath(const PartFeature* feature) const {
  for (const Frame& frame : path_) {
    if (frame.feature.get() == feature) return true;
  }
  return false;
}

}  // namespace TamberData
