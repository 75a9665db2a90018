#ifndef VELKDATA_EXTERNAL_PROCESSUNITLIST_H
#define VELKDATA_EXTERNAL_PROCESSUNITLIST_H

#include <vector>

#include "external/VELKO_PROCESSUNIT.h"

namespace VelkUtils {

// An ordered list of VELKO_PROCESSUNIT records that owns the labels of its
// records: it copies the labels it is given, copies them again when the list
// is copied and frees them when a record leaves the list. The feature
// records hold their units through it, so they copy and assign like plain
// values without sharing or leaking a label.
class ProcessUnitList {
 public:
  ProcessUnitList();
  // A list holding copies of `units` (labels copied too).
  explicit ProcessUnitList(const std::vector<VELKO_PROCESSUNIT>& units);
  ProcessUnitList(const ProcessUnitList& other);
  ProcessUnitList(ProcessUnitList&& other) noexcept;
  ProcessUnitList& operator=(const ProcessUnitList& other);
  ProcessUnitList& operator=(ProcessUnitList&& other) noexcept;
  ~ProcessUnitList();

  // The records; their labels belong to the list and stay valid until the
  // list is changed or destroyed.
  const std::vector<VELKO_PROCESSUNIT>& units() const { return units_; }

  // Replaces the records by copies of `units`; the caller keeps its own
  // records and their labels.
  void assign(const std::vector<VELKO_PROCESSUNIT>& units);

  // Removes every record and frees its label.
  void clear();

  void swap(ProcessUnitList& other) noexcept { units_.swap(other.units_); }

 private:
  std::vector<VELKO_PROCESSUNIT> units_;
};

// Equal when both lists hold equal records (VELKO_PROCESSUNIT operator==)
// in the same order.
bool operator==(const ProcessUnitList& a, const ProcessUnitList& b);
bool operator!=(const ProcessUnitList& a, const ProcessUnitList& b);

}  // namespace VelkUtils

#endif  // VELKDATA_EXTERNAL_PROCESSUNITLIST_H
