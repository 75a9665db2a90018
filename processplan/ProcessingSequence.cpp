#include "processplan/ProcessingSequence.h"

#include "costdata/Component.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {

ProcessingSequence::ProcessingSequence() = default;

ProcessingSequence::ProcessingSequence(const std::string& label)
    : label_(label) {}

ProcessingSequence::~ProcessingSequence() = default;

void ProcessingSequence::virtualDummyFunction() {}

boost::shared_ptr<ProcessingUnit> ProcessingSequence::ProcessingUnitAt(
    int i) const {
  if (i < 0 || i >= ProcessingUnitCount()) {
    return boost::shared_ptr<ProcessingUnit>();
  }
  return processingUnits_[i];
}

void ProcessingSequence::AddProcessingUnit(
    const boost::shared_ptr<ProcessingUnit>& unit) {
  if (unit) processingUnits_.push_back(unit);
}

void ProcessingSequence::InsertProcessingUnitAt(
    int i, const boost::shared_ptr<ProcessingUnit>& unit) {
  if (!unit || i < 0 || i > ProcessingUnitCount()) return;
  processingUnits_.insert(processingUnits_.begin() + i, unit);
}

void ProcessingSequence::SetProcessingUnitAt(
    int i, const boost::shared_ptr<ProcessingUnit>& unit) {
  if (!unit || i < 0 || i >= ProcessingUnitCount()) return;
  processingUnits_[i] = unit;
}

void ProcessingSequence::RemoveProcessingUnitAt(int i) {
  if (i < 0 || i >= ProcessingUnitCount()) return;
  processingUnits_.erase(processingUnits_.begin() + i);
}

int ProcessingSequence::ComponentCount() const {
  int count = 0;
  for (const boost::shared_ptr<ProcessingUnit>& unit : processingUnits_) {
    if (unit) count += unit->componentCount();
  }
  return count;
}

boost::shared_ptr<Component> ProcessingSequence::ComponentAt(int i) const {
  if (i < 0) return boost::shared_ptr<Component>();
  for (const boost::shared_ptr<ProcessingUnit>& unit : processingUnits_) {
    if (!unit) continue;
    if (i < unit->componentCount()) return unit->componentAt(i);
    i -= unit->componentCount();
  }
  return boost::shared_ptr<Component>();
}

boost::shared_ptr<ProcessingSequence> ProcessingSequence::clone() const {
  boost::shared_ptr<ProcessingSequence> copy(new ProcessingSequence(label_));
  for (const boost::shared_ptr<ProcessingUnit>& unit : processingUnits_) {
    if (unit) copy->processingUnits_.push_back(unit->clone());
  }
  return copy;
}

}  // namespace TamberData
