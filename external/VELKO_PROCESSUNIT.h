#ifndef VELKDATA_EXTERNAL_VELKO_PROCESSUNIT_H
#define VELKDATA_EXTERNAL_VELKO_PROCESSUNIT_H

#include <cstdint>
#include <string>

namespace VelkUtils {

// The record of one processing unit as the simulation receives it: a plain
// C struct (on the simulation's 32-bit platform every field is 32 bits
// wide). The label points to a NUL-terminated copy on the C heap, made with
// makeProcessUnitLabel, or is null.
//
// Ownership of the label: the struct itself owns nothing and frees nothing;
// whoever makes a label frees it with freeProcessUnitLabel. The feature
// records (LINEFEATURE, PATCHFEATURE) keep their own copies of the labels of
// the units they are given and free them themselves, so a record returned by
// ProcessUnitConvert::convertProcessUnit stays the caller's to free even
// after it has been handed to a feature record.
struct VELKO_PROCESSUNIT {
  std::int32_t procId = -1;
  // The operation kind code of the unit (0 pierce, 1 trimming, ..., -1
  // unknown).
  std::int32_t operationKind = -1;
  char* label = nullptr;
  // Not used; always 0.
  std::int32_t reserved = 0;
  // The simulation's number of the stage of the unit's operation.
  std::int32_t stageId = 0;
  // 0 no cam, 1 cam, 2 filler cam.
  std::int32_t camType = 0;
  // The id of the unit whose cam this unit shares; -1 for none.
  std::int32_t sharedCamProcId = -1;
};

// A NUL-terminated copy of `text` on the C heap (malloc), to be released
// with free or freeProcessUnitLabel. Throws std::bad_alloc when the heap is
// exhausted.
char* makeProcessUnitLabel(const std::string& text);

// Frees the label of `unit` (if any) and sets it to null, so a second call
// is harmless.
void freeProcessUnitLabel(VELKO_PROCESSUNIT& unit);

// A copy of `unit` with its own copy of the label (null stays null).
VELKO_PROCESSUNIT copyProcessUnit(const VELKO_PROCESSUNIT& unit);

// True when the fields of `a` and `b` are equal, the labels compared by
// their texts (two null labels are equal; null differs from "") and the
// unused field ignored.
bool operator==(const VELKO_PROCESSUNIT& a, const VELKO_PROCESSUNIT& b);
bool operator!=(const VELKO_PROCESSUNIT& a, const VELKO_PROCESSUNIT& b);

}  // namespace VelkUtils

#endif  // VELKDATA_EXTERNAL_VELKO_PROCESSUNIT_H
