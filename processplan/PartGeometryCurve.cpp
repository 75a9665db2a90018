#include "processplan/PartGeometryCurve.h"

#include "processplan/FeatureType.h"
#include "processplan/PartGeometry_p.h"

namespace TamberData {

PartGeometryCurve::PartGeometryCurve()
    : PartGeometry(FeatureType::Undetermined(),
                   boost::shared_ptr<FeatureTypeIDs>()) {}

PartGeometryCurve::PartGeometryCurve(
    const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
    const VelkUtils::LINEFEATURE& record)
    : PartGeometry(FeatureType::Undetermined(), typeIDs), record_(record) {}

PartGeometryCurve::PartGeometryCurve(
    const std::string& type, const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
    const VelkUtils::LINEFEATURE& record)
    : PartGeometry(type, typeIDs), record_(record) {
  record_.setType(FeatureType::getXoloFeatureID(type));
}

PartGeometryCurve::~PartGeometryCurve() {}

std::string PartGeometryCurve::label() const { return record_.name(); }

void PartGeometryCurve::SetLabel(const std::string& label) {
  record_.setName(label);
}

void PartGeometryCurve::setType(const std::string& type) {
  PartGeometry::setType(type);
  record_.setType(FeatureType::getXoloFeatureID(type));
}

double PartGeometryCurve::length() const { return record_.length; }

double PartGeometryCurve::area() const { return record_.area; }

void PartGeometryCurve::setLength(double length) { record_.length = length; }

void PartGeometryCurve::setArea(double area) { record_.area = area; }

bool PartGeometryCurve::equals(
    const boost::shared_ptr<PartFeature>& other) const {
  const PartGeometry* geometry = dynamic_cast<const PartGeometry*>(other.get());
  return geometry != nullptr && geometry->equals(record_);
}

bool PartGeometryCurve::equals(const VelkUtils::LINEFEATURE& record) const {
  return record_ == record;
}

double PartGeometryCurve::value(const std::string& name) const {
  if (name == "CIRCUMFERENCE" || name == "LENGTH") return length();
  return PartGeometry::value(name);
}

std::deque<double> PartGeometryCurve::processingDirection() const {
  return record_.processingDirection();
}

void PartGeometryCurve::SetCurveFeature(const VelkUtils::LINEFEATURE& record) {
  record_ = record;
}

VelkUtils::LINEFEATURE PartGeometryCurve::getFeature() const {
  return internal::exportRecord(record_, *this);
}

void PartGeometryCurve::getFeature(
    std::vector<VelkUtils::LINEFEATURE>& lines,
    std::vector<VelkUtils::PATCHFEATURE>&) const {
  lines.push_back(getFeature());
}

bool PartGeometryCurve::isPatchFeature() const { return false; }

bool PartGeometryCurve::isGroup() const { return false; }

std::vector<double> PartGeometryCurve::getBoundBox() const {
  return record_.getBBox();
}

void PartGeometryCurve::setBoundBox(const std::vector<double>& box) {
  record_.setBBox(box);
}

int PartGeometryCurve::getPartSide() const { return record_.getTipGroup(); }

int PartGeometryCurve::getFID() const { return record_.getFid(); }

bool PartGeometryCurve::checkXoloSync() const {
  return internal::recordInSync(record_, *this);
}

}  // namespace TamberData
