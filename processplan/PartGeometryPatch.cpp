#include "processplan/PartGeometryPatch.h"

#include "processplan/FeatureType.h"
#include "processplan/PartGeometry_p.h"

namespace TamberData {

PartGeometryPatch::PartGeometryPatch()
    : PartGeometry(FeatureType::Undetermined(),
                   boost::shared_ptr<FeatureTypeIDs>()) {}

PartGeometryPatch::PartGeometryPatch(
    const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
    const VelkUtils::PATCHFEATURE& record)
    : PartGeometry(FeatureType::Undetermined(), typeIDs), record_(record) {}

PartGeometryPatch::PartGeometryPatch(
    const std::string& type, const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
    const VelkUtils::PATCHFEATURE& record)
    : PartGeometry(type, typeIDs), record_(record) {
  record_.setType(FeatureType::getXoloFeatureID(type));
}

PartGeometryPatch::~PartGeometryPatch() {}

std::string PartGeometryPatch::label() const { return record_.name(); }

void PartGeometryPatch::SetLabel(const std::string& label) {
  record_.setName(label);
}

void PartGeometryPatch::setType(const std::string& type) {
  PartGeometry::setType(type);
  record_.setType(FeatureType::getXoloFeatureID(type));
}

double PartGeometryPatch::length() const { return record_.circumference; }

double PartGeometryPatch::area() const { return record_.area; }

void PartGeometryPatch::setLength(double length) {
  record_.circumference = length;
}

void PartGeometryPatch::setArea(double area) { record_.area = area; }

bool PartGeometryPatch::equals(
    const boost::shared_ptr<PartFeature>& other) const {
  const PartGeometry* geometry = dynamic_cast<const PartGeometry*>(other.get());
  return geometry != nullptr && geometry->equals(record_);
}

bool PartGeometryPatch::equals(const VelkUtils::PATCHFEATURE& record) const {
  return record_ == record;
}

double PartGeometryPatch::value(const std::string& name) const {
  if (name == "CIRCUMFERENCE") return record_.circumference;
  if (name == "TRIMCIRCUMFERENCE") return record_.trimCircumference;
  return PartGeometry::value(name);
}

std::deque<double> PartGeometryPatch::processingDirection() const {
  return record_.processingDirection();
}

void PartGeometryPatch::SetPatchFeature(const VelkUtils::PATCHFEATURE& record) {
  record_ = record;
}

VelkUtils::PATCHFEATURE PartGeometryPatch::getFeature() const {
  return internal::exportRecord(record_, *this);
}

void PartGeometryPatch::getFeature(
    std::vector<VelkUtils::LINEFEATURE>&,
    std::vector<VelkUtils::PATCHFEATURE>& patches) const {
  patches.push_back(getFeature());
}

bool PartGeometryPatch::isPatchFeature() const { return true; }

bool PartGeometryPatch::isGroup() const { return false; }

std::vector<double> PartGeometryPatch::getBoundBox() const {
  return record_.getBBox();
}

void PartGeometryPatch::setBoundBox(const std::vector<double>& box) {
  record_.setBBox(box);
}

int PartGeometryPatch::getPartSide() const { return record_.getTipGroup(); }

int PartGeometryPatch::getFID() const { return record_.getFid(); }

bool PartGeometryPatch::checkXoloSync() const {
  return internal::recordInSync(record_, *this);
}

}  // namespace TamberData
