#include "processplan/PartFeatureGroup.h"

#include <algorithm>
#include <cmath>

#include "costdata/Component.h"
#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "external/XoloClient.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {

namespace {

std::deque<double> pressDirection() { return std::deque<double>{0, 0, 1}; }

}  // namespace

PartFeatureGroup::PartFeatureGroup()
    : area_(0.0),
      userDefinedArea_(false),
      circumference_(0.0),
      userDefinedCircumference_(false),
      maxDiameter_(0.0),
      userDefinedMaxDiameter_(false),
      session_(nullptr) {
  updateParameters();
}

PartFeatureGroup::PartFeatureGroup(
    const std::string& type, const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
    const boost::shared_ptr<ParameterMapping>& mapping,
    const std::string& label)
    : PartFeature(type, typeIDs, mapping),
      label_(label),
      area_(0.0),
      userDefinedArea_(false),
      circumference_(0.0),
      userDefinedCircumference_(false),
      maxDiameter_(0.0),
      userDefinedMaxDiameter_(false),
      session_(nullptr) {
  updateParameters();
}

PartFeatureGroup::~PartFeatureGroup() {}

std::string PartFeatureGroup::label() const { return label_; }

double PartFeatureGroup::length() const { return circumference_; }

double PartFeatureGroup::area() const { return area_; }

void PartFeatureGroup::setLength(double length) { circumference_ = length; }

void PartFeatureGroup::setArea(double area) { area_ = area; }

bool PartFeatureGroup::equals(
    const boost::shared_ptr<PartFeature>& other) const {
  const PartFeatureGroup* group =
      dynamic_cast<const PartFeatureGroup*>(other.get());
  if (group == nullptr || group->childrenCount() != childrenCount()) {
    return false;
  }
  for (int i = 0; i < childrenCount(); ++i) {
    boost::shared_ptr<PartFeature> mine = childAt(i);
    bool found = false;
    for (int j = 0; j < group->childrenCount() && !found; ++j) {
      found = mine->equals(group->childAt(j));
    }
    if (!found) return false;
  }
  return true;
}

double PartFeatureGroup::value(const std::string& name) const {
  if (name == "CIRCUMFERENCE") return circumference_;
  if (name == "MAXDIAMETER") return maxDiameter_;
  return PartFeature::value(name);
}

std::deque<double> PartFeatureGroup::processingDirection() const {
  const std::deque<double> press = pressDirection();
  std::deque<double> result = press;
  double best = 0.0;
  for (int i = 0; i < childrenCount(); ++i) {
    std::deque<double> direction = childAt(i)->processingDirection();
    double angle = radianAngel(direction, press);
    if (angle > best) {
      result = direction;
      best = angle;
    }
  }
  return result;
}

void PartFeatureGroup::insertChildAt(
    int index, const boost::shared_ptr<PartFeature>& child) {
  insertChildAt(index, child, true);
}

void PartFeatureGroup::insertChildAt(
    int index, const boost::shared_ptr<PartFeature>& child, bool update) {
  // A feature that does not join must keep its units: check before
  // clearing them.
  if (index < 0 || !acceptsChild(child)) return;
  child->clearProcessingUnits();
  PartFeature::insertChildAt(index, child);
  if (update) updateParameters();
  for (const boost::shared_ptr<ProcessingUnit>& unit : getProcessingUnits()) {
    unit->updateComponentAmounts();
    // The unit's part feature is the shared pointer that holds this group.
    boost::shared_ptr<PartFeature> group = unit->partFeature();
    for (int j = 0; j < unit->componentCount(); ++j) {
      boost::shared_ptr<Component> component = unit->componentAt(j);
      if (component) component->setPartFeature(group);
    }
  }
}

void PartFeatureGroup::removeChild(
    const boost::shared_ptr<PartFeature>& child) {
  removeChild(child, true);
}

void PartFeatureGroup::removeChild(const boost::shared_ptr<PartFeature>& child,
                                   bool update) {
  // An empty pointer names no feature; taken literally it would strip the
  // units of every component that has not been pointed at a feature yet.
  if (!child) return;
  PartFeature::removeChild(child);
  if (update) updateParameters();
  for (const boost::shared_ptr<ProcessingUnit>& unit : getProcessingUnits()) {
    for (int j = unit->componentCount() - 1; j >= 0; --j) {
      boost::shared_ptr<Component> component = unit->componentAt(j);
      if (component && component->partFeature() == child) {
        unit->removeComponentAt(j);
      }
    }
  }
}

void PartFeatureGroup::addChildren(
    const std::vector<boost::shared_ptr<PartFeature>>& children) {
  for (const boost::shared_ptr<PartFeature>& child : children) {
    insertChildAt(childrenCount(), child, false);
  }
  updateParameters();
}

void PartFeatureGroup::updateParameters() {
  std::vector<VelkUtils::LINEFEATURE> lines;
  std::vector<VelkUtils::PATCHFEATURE> patches;
  getFeature(lines, patches);
  double circumference = 0.0;
  double area = 0.0;
  double maxDiameter = 0.0;
  if (!lines.empty() || !patches.empty()) {
    if (session_ == nullptr) return;
    std::vector<int> fids;
    for (const VelkUtils::LINEFEATURE& line : lines) {
      fids.push_back(line.getFid());
    }
    for (const VelkUtils::PATCHFEATURE& patch : patches) {
      fids.push_back(patch.getFid());
    }
    session_->GetGroupParameter(fids, circumference, area, maxDiameter);
  }
  if (!userDefinedCircumference_) circumference_ = circumference;
  if (!userDefinedArea_) area_ = area;
  if (!userDefinedMaxDiameter_) maxDiameter_ = maxDiameter;
}

boost::shared_ptr<PartFeatureGroup> PartFeatureGroup::clone() const {
  boost::shared_ptr<PartFeatureGroup> copy(
      new PartFeatureGroup(type(), typeIDs(), parameterMapping(), label_));
  // Measures the user entered are data; the computed ones follow from the
  // children and the session.
  copy->userDefinedArea_ = userDefinedArea_;
  copy->userDefinedCircumference_ = userDefinedCircumference_;
  copy->userDefinedMaxDiameter_ = userDefinedMaxDiameter_;
  if (userDefinedArea_) copy->area_ = area_;
  if (userDefinedCircumference_) copy->circumference_ = circumference_;
  if (userDefinedMaxDiameter_) copy->maxDiameter_ = maxDiameter_;
  copy->addChildren(getChildren());
  return copy;
}

bool PartFeatureGroup::isPatchFeature() const { return false; }

bool PartFeatureGroup::isGroup() const { return true; }

int PartFeatureGroup::getFID() const { return -1; }

bool PartFeatureGroup::checkXoloSync() const { return true; }

double PartFeatureGroup::radianAngel(const std::deque<double>& a,
                                     const std::deque<double>& b) {
  if (a.size() != 3 || b.size() != 3) return 0.0;
  const double lengths = vectorLength(a) * vectorLength(b);
  // A zero vector has no direction; treat it as not deviating.
  if (lengths == 0.0) return 0.0;
  const double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  // Rounding can push the cosine of (anti)parallel vectors past +-1.
  return std::acos(std::max(-1.0, std::min(1.0, dot / lengths)));
}

double PartFeatureGroup::vectorLength(const std::deque<double>& v) {
  double sum = 0.0;
  for (double component : v) sum += component * component;
  return std::sqrt(sum);
}

}  // namespace TamberData
