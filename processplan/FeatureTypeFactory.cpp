#include "processplan/FeatureTypeFactory.h"

#include <set>
#include <utility>

#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "processplan/FeatureDefinition.h"
#include "processplan/FeatureType.h"
#include "processplan/ParameterDefinition.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"

namespace TamberData {

namespace {

std::vector<std::string> labelsOf(
    const std::map<std::string, std::string>& labels) {
  std::vector<std::string> result;
  for (const auto& entry : labels) result.push_back(entry.second);
  return result;
}

// An independent copy of `ids`; an empty map when there is none.
boost::shared_ptr<FeatureTypeIDs> copyOf(
    const boost::shared_ptr<FeatureTypeIDs>& ids) {
  return boost::shared_ptr<FeatureTypeIDs>(ids ? new FeatureTypeIDs(*ids)
                                               : new FeatureTypeIDs);
}

}  // namespace

FeatureTypeFactory::FeatureTypeFactory()
    : patchFeatureTypeIDs_(new FeatureTypeIDs),
      curveFeatureTypeIDs_(new FeatureTypeIDs) {
  patchCodeTypes_[2] = FeatureType::PlungingSpecial();
  patchCodeTypes_[3] = FeatureType::Flange();
  patchCodeTypes_[4] = FeatureType::Reform();
  patchCodeTypes_[5] = FeatureType::ReformNotZ();
  patchCodeTypes_[6] = FeatureType::Edge();
  patchCodeTypes_[15] = FeatureType::Part();

  patchTypeCodes_[FeatureType::PlungingSpecial()] = 2;
  patchTypeCodes_[FeatureType::PlungingRound()] = 2;
  patchTypeCodes_[FeatureType::PlungingLong()] = 2;
  patchTypeCodes_[FeatureType::PlungingRect()] = 2;
  patchTypeCodes_[FeatureType::LargePlunging()] = 2;
  patchTypeCodes_[FeatureType::Reform()] = 4;
  patchTypeCodes_[FeatureType::ReformNotZ()] = 5;
  patchTypeCodes_[FeatureType::Flange()] = 3;
  patchTypeCodes_[FeatureType::Edge()] = 6;
  patchTypeCodes_[FeatureType::Part()] = 15;
}

FeatureTypeFactory::FeatureTypeFactory(const FeatureTypeFactory& other)
    : patchCodeTypes_(other.patchCodeTypes_),
      patchTypeCodes_(other.patchTypeCodes_),
      patchLabels_(other.patchLabels_),
      patchFeatureTypeIDs_(copyOf(other.patchFeatureTypeIDs_)),
      curveLabels_(other.curveLabels_),
      curveFeatureTypeIDs_(copyOf(other.curveFeatureTypeIDs_)) {
  try {
    copyDefinitions(other.patchDefinitions_, patchDefinitions_);
    copyDefinitions(other.curveDefinitions_, curveDefinitions_);
  } catch (...) {
    clearDefinitions(patchDefinitions_);
    clearDefinitions(curveDefinitions_);
    throw;
  }
}

FeatureTypeFactory& FeatureTypeFactory::operator=(
    const FeatureTypeFactory& other) {
  if (this != &other) {
    FeatureTypeFactory copy(other);
    swap(copy);
  }
  return *this;
}

FeatureTypeFactory::~FeatureTypeFactory() {
  clearDefinitions(patchDefinitions_);
  clearDefinitions(curveDefinitions_);
}

void FeatureTypeFactory::virtualDummyFunction() {}

void FeatureTypeFactory::addParameter(FeatureEnum which,
                                      const std::string& type,
                                      const std::string& name, double min,
                                      double max) {
  definitionFor(which, type).addParameter(ParameterDefinition(name, min, max));
}

void FeatureTypeFactory::addParameter(FeatureEnum which,
                                      const std::string& type,
                                      const std::string& name, double value) {
  definitionFor(which, type).addParameter(ParameterDefinition(name, value));
}

int FeatureTypeFactory::definitionCount(FeatureEnum which) const {
  return static_cast<int>(definitions(which).size());
}

const FeatureDefinition* FeatureTypeFactory::definitionAt(FeatureEnum which,
                                                          int i) const {
  if (i < 0 || i >= definitionCount(which)) return nullptr;
  return definitions(which)[i];
}

void FeatureTypeFactory::setFeatureTypeLabel(const std::string& type,
                                             const std::string& label,
                                             int xoloId, bool isPatch) {
  if (isPatch) {
    if (!patchFeatureTypeIDs_) patchFeatureTypeIDs_.reset(new FeatureTypeIDs);
    patchLabels_[type] = label;
    (*patchFeatureTypeIDs_)[type] = xoloId;
  } else {
    if (!curveFeatureTypeIDs_) curveFeatureTypeIDs_.reset(new FeatureTypeIDs);
    curveLabels_[type] = label;
    (*curveFeatureTypeIDs_)[type] = xoloId;
  }
}

std::string FeatureTypeFactory::label(const std::string& type) const {
  std::map<std::string, std::string>::const_iterator it =
      curveLabels_.find(type);
  if (it != curveLabels_.end()) return it->second;
  it = patchLabels_.find(type);
  if (it != patchLabels_.end()) return it->second;
  return std::string();
}

std::string FeatureTypeFactory::type(const std::string& label) const {
  for (const auto& entry : curveLabels_) {
    if (entry.second == label) return entry.first;
  }
  for (const auto& entry : patchLabels_) {
    if (entry.second == label) return entry.first;
  }
  return FeatureType::Undetermined();
}

std::vector<std::string> FeatureTypeFactory::lineLabels() const {
  return labelsOf(curveLabels_);
}

std::vector<std::string> FeatureTypeFactory::patchLabels() const {
  return labelsOf(patchLabels_);
}

bool FeatureTypeFactory::isCurveFeature(const std::string& type) const {
  return curveLabels_.count(type) != 0;
}

bool FeatureTypeFactory::isPatchFeature(const std::string& type) const {
  return patchLabels_.count(type) != 0;
}

int FeatureTypeFactory::getXoloFeatureID(const std::string& type) const {
  return FeatureType::getXoloFeatureID(type);
}

std::string FeatureTypeFactory::patchCodeType(int code) const {
  std::map<int, std::string>::const_iterator it = patchCodeTypes_.find(code);
  return it == patchCodeTypes_.end() ? FeatureType::Undetermined() : it->second;
}

int FeatureTypeFactory::patchTypeCode(const std::string& type) const {
  std::map<std::string, int>::const_iterator it = patchTypeCodes_.find(type);
  return it == patchTypeCodes_.end() ? -1 : it->second;
}

void FeatureTypeFactory::refineFeatureType(
    const boost::shared_ptr<PartGeometryCurve>& curve,
    const VelkUtils::LINEFEATURE& record) const {
  if (!curve) return;
  const std::string undetermined = FeatureType::Undetermined();
  std::string result = undetermined;
  switch (record.type) {
    case 12:
      result = FeatureType::OuterBoundary();
      break;
    case 13:
    case 16:
      result = FeatureType::BlankBoundary();
      break;
    case 22:
      result = FeatureType::TrimCurveSegment();
      break;
    default:
      result = checkDefinition(curveDefinitions_, *curve);
      if (result != undetermined) break;
      // No definition fits: the recogniser's own hole kinds are the best
      // guess left.
      switch (record.type) {
        case 8:
          result = FeatureType::HoleRound();
          break;
        case 9:
          result = FeatureType::HoleRect();
          break;
        case 10:
          result = FeatureType::HoleLong();
          break;
        case 11:
          result = FeatureType::HoleSpecial();
          break;
        default:
          break;
      }
  }
  if (result != undetermined) curve->setType(result);
}

void FeatureTypeFactory::refineFeatureType(
    const boost::shared_ptr<PartGeometryPatch>& patch,
    const VelkUtils::PATCHFEATURE& record) const {
  if (!patch) return;
  const std::string undetermined = FeatureType::Undetermined();
  std::map<int, std::string>::const_iterator mapped =
      patchCodeTypes_.find(record.type);
  const bool known = mapped != patchCodeTypes_.end();
  // Definitions may ask for "TYPE": let them see the type the code stands
  // for while they are checked.
  const bool provisional = known && patch->type() == undetermined;
  if (provisional) patch->setType(mapped->second);
  std::string result;
  try {
    result = checkDefinition(patchDefinitions_, *patch);
  } catch (...) {
    if (provisional) patch->setType(undetermined);
    throw;
  }
  if (provisional) patch->setType(undetermined);
  if (result == undetermined && known) result = mapped->second;
  if (result != undetermined) patch->setType(result);
}

std::string FeatureTypeFactory::checkDefinition(const Definitions& definitions,
                                                const PartFeature& feature) {
  for (const FeatureDefinition* definition : definitions) {
    if (!definition) continue;
    std::set<std::string> seen;
    std::set<std::string> satisfied;
    for (int i = 0; i < definition->parameterCount(); ++i) {
      const ParameterDefinition* parameter = definition->parameterAt(i);
      if (!parameter || satisfied.count(parameter->name()) != 0) continue;
      seen.insert(parameter->name());
      if (parameter->accepts(feature.value(parameter->name()))) {
        satisfied.insert(parameter->name());
      }
    }
    if (!satisfied.empty() && satisfied.size() == seen.size()) {
      return definition->type();
    }
  }
  return FeatureType::Undetermined();
}

FeatureTypeFactory::Definitions& FeatureTypeFactory::definitions(
    FeatureEnum which) {
  return which == Patch ? patchDefinitions_ : curveDefinitions_;
}

const FeatureTypeFactory::Definitions& FeatureTypeFactory::definitions(
    FeatureEnum which) const {
  return which == Patch ? patchDefinitions_ : curveDefinitions_;
}

FeatureDefinition& FeatureTypeFactory::definitionFor(FeatureEnum which,
                                                     const std::string& type) {
  Definitions& list = definitions(which);
  for (FeatureDefinition* definition : list) {
    if (definition && definition->type() == type) return *definition;
  }
  list.reserve(list.size() + 1);
  list.push_back(new FeatureDefinition(type));
  return *list.back();
}

void FeatureTypeFactory::copyDefinitions(const Definitions& from,
                                         Definitions& to) {
  to.reserve(from.size());
  for (const FeatureDefinition* definition : from) {
    if (definition) to.push_back(new FeatureDefinition(*definition));
  }
}

void FeatureTypeFactory::clearDefinitions(Definitions& definitions) {
  for (FeatureDefinition* definition : definitions) delete definition;
  definitions.clear();
}

void FeatureTypeFactory::swap(FeatureTypeFactory& other) {
  patchDefinitions_.swap(other.patchDefinitions_);
  curveDefinitions_.swap(other.curveDefinitions_);
  patchCodeTypes_.swap(other.patchCodeTypes_);
  patchTypeCodes_.swap(other.patchTypeCodes_);
  patchLabels_.swap(other.patchLabels_);
  patchFeatureTypeIDs_.swap(other.patchFeatureTypeIDs_);
  curveLabels_.swap(other.curveLabels_);
  curveFeatureTypeIDs_.swap(other.curveFeatureTypeIDs_);
}

}  // namespace TamberData
