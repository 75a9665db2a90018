#include "processplan/ProcessFactoryFeature.h"

#include <algorithm>
#include <cmath>

#include "processplan/PartFeature.h"
#include "processplan/ProcessingSequence.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {

std::map<std::string, int> ProcessFactoryFeature::m_featureCount;

ProcessFactoryFeature::ProcessFactoryFeature() = default;

ProcessFactoryFeature::~ProcessFactoryFeature() = default;

void ProcessFactoryFeature::addProcessingSequence(
    const std::string& type, bool withCam,
    const boost::shared_ptr<ProcessingSequence>& sequence, bool asDefault) {
  if (!sequence) return;
  SequenceList& list = catalogue(withCam)[type];
  list.insert(asDefault ? list.begin() : list.end(), sequence);
}

ProcessFactoryFeature::SequenceList ProcessFactoryFeature::processingSequences(
    const std::string& type) const {
  SequenceList result;
  for (const SequenceCatalogue* map :
       {&sequencesWithoutCam_, &sequencesWithCam_}) {
    const SequenceCatalogue::const_iterator found = map->find(type);
    if (found != map->end()) {
      result.insert(result.end(), found->second.begin(), found->second.end());
    }
  }
  return result;
}

boost::shared_ptr<ProcessingSequence> ProcessFactoryFeature::firstSequence(
    const std::string& type, bool withCam) const {
  const SequenceCatalogue& map =
      withCam ? sequencesWithCam_ : sequencesWithoutCam_;
  const SequenceCatalogue::const_iterator found = map.find(type);
  if (found == map.end() || found->second.empty()) {
    return boost::shared_ptr<ProcessingSequence>();
  }
  return found->second.front();
}

boost::shared_ptr<ProcessingSequence>
ProcessFactoryFeature::defaultProcessingSequence(
    const boost::shared_ptr<PartFeature>& feature, bool withCam) const {
  if (!feature) return boost::shared_ptr<ProcessingSequence>();
  boost::shared_ptr<ProcessingSequence> sequence =
      firstSequence(feature->type(), withCam);
  // A feature type catalogued only with (or only without) cam still gets a
  // sequence; the user can change it.
  if (!sequence) sequence = firstSequence(feature->type(), !withCam);
  if (!sequence) return sequence;
  return sequence->clone();
}

boost::shared_ptr<ProcessingSequence>
ProcessFactoryFeature::defaultProcessingSequence(
    const boost::shared_ptr<PartFeature>& feature,
    const std::deque<double>& direction,
    const std::vector<double>& tipping) const {
  const std::vector<double> pressDirection = {0.0, 0.0, 1.0};
  return defaultProcessingSequence(
      feature, needACam(direction, tipping.empty() ? pressDirection : tipping));
}

bool ProcessFactoryFeature::sequenceContainsUnits(
    const ProcessingSequence& sequence,
    const std::vector<boost::shared_ptr<ProcessingUnit>>& units) {
  if (sequence.ProcessingUnitCount() != static_cast<int>(units.size())) {
    return false;
  }
  for (int i = 0; i < sequence.ProcessingUnitCount(); ++i) {
    const boost::shared_ptr<ProcessingUnit> own = sequence.ProcessingUnitAt(i);
    if (!own || !units[i] || own->label() != units[i]->label()) return false;
  }
  return true;
}

boost::shared_ptr<ProcessingSequence> ProcessFactoryFeature::processingSequence(
    const std::string& type,
    const std::vector<boost::shared_ptr<ProcessingUnit>>& units) const {
  for (const boost::shared_ptr<ProcessingSequence>& sequence :
       processingSequences(type)) {
    if (sequenceContainsUnits(*sequence, units)) return sequence;
  }
  return boost::shared_ptr<ProcessingSequence>();
}

boost::shared_ptr<ProcessingSequence> ProcessFactoryFeature::processingSequence(
    const std::string& type, const std::string& label) const {
  for (const boost::shared_ptr<ProcessingSequence>& sequence :
       processingSequences(type)) {
    if (sequence->Label() == label) return sequence;
  }
  return boost::shared_ptr<ProcessingSequence>();
}

bool ProcessFactoryFeature::needACam(const std::deque<double>& direction,
                                     const std::vector<double>& tipping) {
  if (direction.size() != 3 || tipping.size() != 3) return false;
  double dot, p;
  dotAndLengths(direction, tipping, &dot, &p);
  if (p <= 1e-9) return false;
  return isCamAngle(angle(dot, p) * 180.0 / M_PI);
}

void ProcessFactoryFeature::dotAndLengths(const std::deque<double>& direction,
                                          const std::vector<double>& tipping,
                                          double* dot, double* lengths) {
  double product = 0.0;
  double directionSquared = 0.0;
  double tippingSquared = 0.0;
  for (size_t i = 0; i < 3; ++i) {
    product += direction[i] * tipping[i];
    directionSquared += direction[i] * direction[i];
    tippingSquared += tipping[i] * tipping[i];
  }
  *dot = product;
  *lengths = std::sqrt(directionSquared) * std::sqrt(tippingSquared);
}

double ProcessFactoryFeature::angle(double dot, double lengths) {
  return std::acos(std::max(-1.0, std::min(1.0, dot / lengths)));
}

int ProcessFactoryFeature::getPostNumber(const std::string& name) {
  return m_featureCount[name]++;
}

}  // namespace TamberData
