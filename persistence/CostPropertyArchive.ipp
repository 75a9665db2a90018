// The archive form of the formula container and of the cost properties.
//
// Included by CostPropertyArchiveInstances.cpp, which instantiates it
// for the library's writer and reader, and by tests that write these
// classes through archives of their own. Not installed.

#ifndef VELKDATA_PERSISTENCE_COSTPROPERTYARCHIVE_IPP
#define VELKDATA_PERSISTENCE_COSTPROPERTYARCHIVE_IPP

#include <boost/archive/archive_exception.hpp>

#include "costdata/CostDriver.h"
#include "costdata/CostDriverBool.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostDriverInt.h"
#include "costdata/CostDriverIntRange.h"
#include "costdata/DriverGraphVersion.h"
#include "costdata/CostProperty.h"
#include "costdata/CostPropertyString.h"
#include "formula/FormulaContainer.h"
#include "formula/ParserException.h"
#include "persistence/ArchiveTraits.h"
#include "processplan/PartFeature.h"

namespace VelkData {

template <class Archive>
void FormulaContainer::serialize(Archive& archive, const unsigned int) {
  archive_detail::archiveWeak(archive, partFeature_);
  archive& dependencies_;
  archive& formulaStrings_;
  if (Archive::is_loading::value) {
    // Read into a container that may have been evaluated already.
    textsChanged();
    DriverGraphVersion::changed();
  }
  if (Archive::is_saving::value) {
    // Texts removed with `deleteFormulaStrings` leave their formulas behind;
    // a count above the texts could never be read back, so only formulas
    // that still have their text are counted.
    std::int32_t compiled = static_cast<std::int32_t>(
        std::min(formulas_.size(), formulaStrings_.size()));
    archive& compiled;
    return;
  }
  std::int32_t compiled = 0;
  archive& compiled;
  if (compiled < 0 ||
      static_cast<std::size_t>(compiled) > formulaStrings_.size()) {
    throw boost::archive::archive_exception(
        boost::archive::archive_exception::array_size_too_short,
        "more compiled formulas than formula texts");
  }
  formulas_.clear();
  for (std::int32_t i = 0; i < compiled; ++i) {
    try {
      formulas_.push_back(
          archive_detail::compileStoredFormula(archive, formulaStrings_[i]));
    } catch (const ParserException&) {
      // Only damage makes a stored text uncompilable; the reader reports it
      // like any other damage of the archive.
      throw boost::archive::archive_exception(
          boost::archive::archive_exception::input_stream_error,
          "formula text does not compile");
    }
  }
}

template <class Archive>
void CostProperty::serialize(Archive& archive, const unsigned int version) {
  archive& id_;
  // Read into a property that may already be bound by id somewhere.
  if (Archive::is_loading::value) DriverGraphVersion::changed();
  archive& label_;
  archive& longHelp_;
  archive& category_;
  archive& visible_;
  archive& formulas_;
  archive& doCacheValue_;
  archive& hasValue_;
  archive_detail::archiveEnum(archive, level_, kLevelBasic, kLevelDetail);
  if (version >= 1) {
    archive& minValue_;
    archive& maxValue_;
  }
}

template <class Archive>
void CostDriver::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<CostProperty>(*this);
  archive& cachedValue_;
}

template <class Archive>
void CostPropertyString::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<CostProperty>(*this);
  archive& value_;
  archive& cachedValue_;
}

template <class Archive>
void CostDriverBool::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<CostDriver>(*this);
  archive& value_;
  archive& trueValue_;
  archive& falseValue_;
}

template <class Archive>
void CostDriverInt::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<CostDriver>(*this);
  archive& value_;
  archive& accuracy_;
  archive& conversionFactor_;
  archive& measureUnit_;
}

template <class Archive>
void CostDriverDouble::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<CostDriver>(*this);
  archive& value_;
  archive& accuracy_;
  archive& conversionFactor_;
  archive& measureUnit_;
}

template <class Archive>
void CostDriverIntRange::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<CostDriverInt>(*this);
}

template <class Archive>
void CostDriverEnum::serialize(Archive& archive, const unsigned int) {
  archive& boost::serialization::base_object<CostDriver>(*this);
  archive& texts_;
  archive& numbers_;
  archive& index_;
}

}  // namespace VelkData

#endif  // VELKDATA_PERSISTENCE_COSTPROPERTYARCHIVE_IPP
