#ifndef VELKDATA_TESTS_PERSISTENCE_NARROW_NARROWSAMPLEWRITER_H
#define VELKDATA_TESTS_PERSISTENCE_NARROW_NARROWSAMPLEWRITER_H

#include <string>

namespace VelkData {
class CostDatabase;
}

namespace velktest {

// Which class versions the writer gives the classes whose layout changed.
enum class ClassVersions {
  // Today's versions: every field the library writes now.
  kCurrent,
  // CostDatabase 2, Operation 2 and Component 2, as the earlier 32-bit
  // releases wrote them: no share relationships, no comment property, one
  // operation per component and no child components.
  kOld,
};

// The bytes of `db` as archives stored by earlier 32-bit releases hold it:
// the library's own archive code, written through NarrowOArchive in the
// layout of archive library version `libraryVersion` (3, 4 or 5).
// Like saving, it reads the unit-id counter and the post-number counters,
// so the bytes of one database are the same only while those are.
std::string narrowArchiveBytes(const VelkData::CostDatabase& db,
                               unsigned int libraryVersion,
                               ClassVersions versions);

}  // namespace velktest

#endif  // VELKDATA_TESTS_PERSISTENCE_NARROW_NARROWSAMPLEWRITER_H
