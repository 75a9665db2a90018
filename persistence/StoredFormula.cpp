// The formulas of an archive being read, compiled once per distinct text.

#include <boost/archive/detail/helper_collection.hpp>

#include "formula/FormulaCompileCache_p.h"
#include "persistence/ArchiveTraits.h"

namespace VelkData {
namespace archive_detail {

namespace {
// Boost tells an archive's helpers apart by address alone.
char formulaCacheKey;
}  // namespace

boost::shared_ptr<Formula> compileStoredFormula(
    boost::archive::detail::helper_collection& archive,
    const std::string& text) {
  return archive.find_helper<FormulaCompileCache>(&formulaCacheKey)
      .compile(text);
}

}  // namespace archive_detail
}  // namespace VelkData
