#include "external/ProcessUnitList.h"

namespace VelkUtils {

ProcessUnitList::ProcessUnitList() = default;

ProcessUnitList::ProcessUnitList(const std::vector<VELKO_PROCESSUNIT>& units) {
  // Reserving first means push_back cannot throw after a label is made;
  // when a copy fails, the labels made so far are freed here because the
  // destructor of a half-built list does not run.
  units_.reserve(units.size());
  try {
    for (const VELKO_PROCESSUNIT& unit : units) {
      units_.push_back(copyProcessUnit(unit));
    }
  } catch (...) {
    clear();
    throw;
  }
}

ProcessUnitList::ProcessUnitList(const ProcessUnitList& other)
    : ProcessUnitList(other.units_) {}

ProcessUnitList::ProcessUnitList(ProcessUnitList&& other) noexcept {
  swap(other);
}

ProcessUnitList& ProcessUnitList::operator=(const ProcessUnitList& other) {
  ProcessUnitList copy(other);
  swap(copy);
  return *this;
}

ProcessUnitList& ProcessUnitList::operator=(ProcessUnitList&& other) noexcept {
  ProcessUnitList taken(std::move(other));
  swap(taken);
  return *this;
}

ProcessUnitList::~ProcessUnitList() { clear(); }

void ProcessUnitList::assign(const std::vector<VELKO_PROCESSUNIT>& units) {
  // Copy before freeing: `units` may be this list's own vector.
  ProcessUnitList copy(units);
  swap(copy);
}

void ProcessUnitList::clear() {
  for (VELKO_PROCESSUNIT& unit : units_) freeProcessUnitLabel(unit);
  units_.clear();
}

bool operator==(const ProcessUnitList& a, const ProcessUnitList& b) {
  return a.units() == b.units();
}

bool operator!=(const ProcessUnitList& a, const ProcessUnitList& b) {
  return !(a == b);
}

}  // namespace VelkUtils
