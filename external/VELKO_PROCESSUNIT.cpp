#include "external/VELKO_PROCESSUNIT.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace VelkUtils {

char* makeProcessUnitLabel(const std::string& text) {
  // The record crosses into a C library that frees with free(), hence
  // malloc rather than new[].
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy == nullptr) throw std::bad_alloc();
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

void freeProcessUnitLabel(VELKO_PROCESSUNIT& unit) {
  std::free(unit.label);
  unit.label = nullptr;
}

VELKO_PROCESSUNIT copyProcessUnit(const VELKO_PROCESSUNIT& unit) {
  VELKO_PROCESSUNIT copy = unit;
  copy.label =
      unit.label == nullptr ? nullptr : makeProcessUnitLabel(unit.label);
  return copy;
}

bool operator==(const VELKO_PROCESSUNIT& a, const VELKO_PROCESSUNIT& b) {
  const bool sameLabel = (a.label == nullptr || b.label == nullptr)
                             ? a.label == b.label
                             : std::strcmp(a.label, b.label) == 0;
  return a.procId == b.procId && a.operationKind == b.operationKind &&
         sameLabel && a.stageId == b.stageId && a.camType == b.camType &&
         a.sharedCamProcId == b.sharedCamProcId;
}

bool operator!=(const VELKO_PROCESSUNIT& a, const VELKO_PROCESSUNIT& b) {
  return !(a == b);
}

}  // namespace VelkUtils
