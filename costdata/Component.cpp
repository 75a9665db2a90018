#include "costdata/Component.h"

#include <QtGlobal>
#include <boost/pointer_cast.hpp>
#include <cstdio>

#include "costdata/CostDriver.h"
#include "costdata/Operation.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {

namespace {

const std::int32_t kOmittedBit = 1;
const std::int32_t kDeactivatedBit = 2;
const std::int32_t kFrozenBit = 4;

// Formulas name drivers and feature parameters by plain substring; an empty
// name would match every text, so it names nothing.
bool mentions(const std::string& text, const std::string& name) {
  return !name.empty() && text.find(name) != std::string::npos;
}

bool isValidIndex(int i, std::size_t size) {
  return i >= 0 && static_cast<std::size_t>(i) < size;
}

struct CatalogueEntry {
  const char* key;
  const char* german;
  const char* english;
};

// The component catalogue. Labels are Windows-1252 bytes, so every
// non-ASCII letter is written as an escape (u umlaut is \xFC, a umlaut \xE4)
// and the literal is split behind it, lest the escape swallow a following hex
// digit.
const CatalogueEntry kCatalogue[] = {
    {"CT_000_00", "Schieber", "Cam"},
    {"CT_000_01",
     "F\xFC"
     "llschieber",
     "Filler"},
    {"CT_000_02", "Schieber-Niederhalter", "Cam pad"},
    {"CT_001_00", "Obermesser", "Upper trim steel"},
    {"CT_001_01", "Untermesser", "Lower trim steel"},
    {"CT_001_02", "Aufsatz (fraesen)", "Inserts (milling)"},
    {"CT_002_00", "Obermesser segm.", "Upper trim steel segm."},
    {"CT_002_01", "Untermesser segm.", "Lower trim steel segm."},
    {"CT_002_02", "Aufsatz segm.(fraesen)",
     "Inserts for segmented trim (milling)"},
    {"CT_003_00", "Abfalltrenner unten", "Lower scrap cutter"},
    {"CT_003_01", "Abfalltrenner oben", "Upper scrap cutter"},
    {"CT_004_00", "Trennmesser unten (Ausklinkung)",
     "Lower scrap cutter (for notch)"},
    {"CT_004_01", "Trennmesser oben (Ausklinkung)",
     "Upper scrap cutter (for notch)"},
    {"CT_005_00", "Passivbacke", "Flanging post"},
    {"CT_005_01", "Aktivbacke", "Flanging steel"},
    {"CT_006_00", "Schneidmesser", "Trim steel (blanking die, inner trim)"},
    {"CT_007_00", "Platinenschneidmesser", "Trim steel (blanking die)"},
    {"CT_008_00", "Federnde Backe", "Spring loaded pad / post"},
    {"CT_009_00", "Innenliegender Blechhalter", "Inner blank holder"},
    {"CT_010_00", "Schneidmatrize", "Die plates"},
    {"CT_010_01", "Schneidstempel", "Punching die"},
    {"CT_010_02", "Schneidbuchse", "Cutting bushing"},
    {"CT_011_00", "Abstreiferplatte", "Stripper plate"},
    {"CT_012_00", "Schneidbuchsenaufnahme", "Bushing holder"},
    {"CT_013_00", "Abkantbacke", "Flange pad"},
    {"CT_014_00", "Stempelhalteplatte", "Punch retainer plate"},
    {"CT_015_00", "Formstempel", "Form punch / form steel"},
    {"CT_016_00", "Niederhalterplatte", "Pad plate"},
    {"CT_017_00", "Aufnahmeplatte", "Retainer plate"},
    {"CT_018_00", "Matrizenaufnahme", "Die retainer"},
    {"CT_019_00", "Druckplatte", "Pressure plate"},
    {"CT_020_00", "Luftboden", "Air cushion"},
    {"CT_100_00", "Ziehstempel", "Punch"},
    {"CT_101_00", "Ziehmatrize", "Die"},
    {"CT_102_00", "Blechhalter", "Blank holder"},
    {"CT_103_00",
     "Segment f\xFC"
     "r Ziehmatrize",
     "Die section"},
    {"CT_104_00",
     "Segment f\xFC"
     "r Blechhalter",
     "Binder section"},
    {"CT_105_00", "UT SchneidWZ (mit Werkzeugaufsatz)",
     "Lower trim die (with adapter)"},
    {"CT_106_00", "UT SchneidWZ (kein Werkzeugaufsatz)",
     "Lower trim die (without adapter)"},
    {"CT_107_00", "Niederhalter SchneidWZ", "Pad Trim die"},
    {"CT_108_00", "Oberteil SchneidWZ", "Upper trim die"},
    {"CT_109_00", "Schneidaufsatz", "Inserts for trim die"},
    {"CT_110_00", "Formaufsatz", "Inserts for form die"},
    {"CT_111_00", "Schneid-/Formaufsatz", "Inserts for trim / form die"},
    {"CT_112_00", "UT FormWZ (mit Werkzeugaufsatz)",
     "Lower form die (with adapter)"},
    {"CT_113_00", "UT FormWZ (kein Werkzeugaufsatz)",
     "Lower form die (without adapter)"},
    {"CT_114_00", "Niederhalter FormWZ", "Pad Form die"},
    {"CT_115_00", "Oberteil FormWZ", "Upper form die"},
    {"CT_116_00", "UT GesamtverbundWZ (mit Werkzeugaufsatz)",
     "Lower flange-trim-pierce die (with adapter)"},
    {"CT_117_00", "UT GesamtverbundWZ (kein Werkzeugaufsatz)",
     "Lower flange-trim-pierce die (without adapter)"},
    {"CT_118_00", "Niederhalter GesamtverbundWZ", "Pad Flange-trim-pierce die"},
    {"CT_119_00", "Oberteil GesamtverbundWZ", "Upper flange-trim-pierce die"},
    {"CT_120_00", "Gusswanne", "Lower die shoe (GG25)"},
    {"CT_121_00", "Grundplatte", "Lower die shoe (St 52-3)"},
    {"CT_122_00", "Spannplatte", "Riser plate"},
    {"CT_123_00", "Stempelplatte", "Punch mounting plate"},
    {"CT_124_00", "Unterteil fuer Platinenschnitt", "Lower blanking die"},
    {"CT_125_00", "Oberteil fuer Platinenschnitt", "Upper blanking steel"},
    {"CT_126_00", "Niederhalterplatte fuer Platinenschnitt",
     "Holding pad for blanking die"},
    {"CT_127_00",
     "F\xFC"
     "hrungsplatte",
     "Guide plate (wear plate on a die heel)"},
    {"CT_128_00", "Distanzplatte",
     "Backing plate (between die shoe / base plate and die bolster)"},
    {"CT_129_00", "Entlastungsplatte", "Balance block / plate"},
    {"CT_130_00",
     "F\xFC"
     "hrungss\xE4"
     "ule zw. UT und OT",
     "Guide pin between upper and lower die (shoes)"},
    {"CT_130_01",
     "F\xFC"
     "hrungsbuchse zw. UT und OT",
     "Guide bushing between upper and lower die (shoes)"},
    {"CT_131_00",
     "F\xFC"
     "hrungss\xE4"
     "ule zw. Blechhalter und Grundplatte",
     "Guide pin between blank holder and lower die shoe"},
    {"CT_131_01",
     "F\xFC"
     "hrungsbuchse zw. Blechhalter und Grundplatte",
     "Guide bushing between blank holder and lower die shoe"},
    {"CT_132_00",
     "F\xFC"
     "hrungss\xE4"
     "ule f\xFC"
     "r Blech-/ Niederhalter",
     "Guide pin for the blank holder / pad"},
    {"CT_132_01",
     "F\xFC"
     "hrungsbuchse f\xFC"
     "r Blech-/ Niederhalter",
     "Guide bushing for the blank holder / pad"},
    {"CT_133_00",
     "F\xFC"
     "hrungss\xE4"
     "ule f\xFC"
     "r Niederhalter",
     "Guide pin for the pad"},
    {"CT_133_01",
     "F\xFC"
     "hrungsbuchse f\xFC"
     "r Niederhalter",
     "Guide bushing for the pad"},
    {"CT_134_00", "Gasdruckfeder", "Gas spring"},
    {"CT_135_00", "Ziehteilanheber", "Panel lifter"},
    {"CT_136_00",
     "Federnder Abdr\xFC"
     "ckstift",
     "Springloaded ejector/stripper"},
    {"CT_137_00", "Zentrierbolzen", "Tool centring key"},
    {"CT_138_00", "Ansatzschraube M10", "Lug nut M10"},
    {"CT_139_00", "Ansatzschraube M12", "Lug nut M12"},
    {"CT_140_00", "Ansatzschraube M16", "Lug nut M16"},
    {"CT_141_00", "Ansatzschraube M20", "Lug nut M20"},
    {"CT_142_00", "Ansatzschraube M24", "Lug nut M24"},
    {"CT_143_00", "Kunststoff-Feder", "Elastomer spring"},
    {"CT_144_00", "Gummifeder", "Rubber spring"},
    {"CT_145_00", "Kantenanheber", "Flange lifter"},
    {"CT_146_00", "Haltebolzen", "Stopping bolts"},
    {"CT_147_00",
     "Rollenbr\xFC"
     "cke 360",
     "Roller table 360"},
    {"CT_148_00",
     "Rollenbr\xFC"
     "cke 520",
     "Roller table 520"},
    {"CT_149_00",
     "Rollenbr\xFC"
     "cke 680",
     "Roller table 680"},
    {"CT_150_00",
     "Rollenbr\xFC"
     "cke 840",
     "Roller table 840"},
    {"CT_151_00",
     "Rollenbr\xFC"
     "cke 1000",
     "Roller table 1000"},
    {"CT_152_00", "Abfallrutsche 100", "Scrap chute 100"},
    {"CT_153_00", "Abfallrutsche 200", "Scrap chute 200"},
    {"CT_154_00", "Abfallrutsche 300", "Scrap chute 300"},
    {"CT_155_00", "Abfallrutsche 400", "Scrap chute 400"},
    {"CT_156_00", "Abfallrutsche 500", "Scrap chute 500"},
    {"CT_157_00", "Abfallrutsche 600", "Scrap chute 600"},
    {"CT_158_00", "Sicherungsbolzen", "Safety bolts"},
    {"CT_159_00", "Kegelzentrierung", "Tapered centering pin"},
    {"CT_160_00", "Einlauftrichter", "Hopper / chute"},
    {"CT_161_00",
     "Coilandr\xFC"
     "cker",
     "Coil straightener"},
    {"CT_162_00", "Sonstige Normteile Platinenschnitt",
     "Other standard components of a blanking die"},
    {"CT_163_00", "Abstimmplatte", "Shims"},
    {"CT_164_00", "Platineneinweiser", "Blank guide"},
    {"CT_165_00",
     "F\xFC"
     "hrungsrolle",
     "Guide roll"},
    {"CT_166_00", "Elektrische Absicherung", "Fuse protection"},
};

}  // namespace

Component::Component() { init(); }

Component::Component(const std::string& label,
                     const std::string& componentKey) {
  init();
  componentKey_ = componentKey;
  label_ = label;
}

Component::~Component() {}

void Component::virtualDummyFunction() {}

void Component::init() {
  label_.clear();
  roundingRules_.clear();
  componentKey_.clear();
  partFeature_.reset();
  relatedProcessingUnits_.clear();
  parameters_.clear();
  standardLimits_.clear();
  // A component that belongs to no operation yet still has its own
  // operation slot; the empty entry marks it as a reference component.
  operations_.assign(1, boost::weak_ptr<VelkData::Operation>());
  childComps_.clear();
  visited_ = false;
  state_ = 0;
  noDBMatch_ = false;
  noDBMatchCause_.clear();
}

bool Component::operator==(const Component& other) const {
  if (!componentKey_.empty() && !other.componentKey_.empty()) {
    return componentKey_ == other.componentKey_;
  }
  std::printf("Warning component comparison with labels instead of keys\n");
  std::fflush(stdout);
  return label_ == other.label_;
}

bool Component::isCam() const {
  return componentKey_.compare(0, 6, "CT_000") == 0;
}

bool Component::omitted() const { return (state_ & kOmittedBit) != 0; }
void Component::Omit() { state_ |= kOmittedBit; }
void Component::DeOmit() { state_ &= ~kOmittedBit; }
bool Component::Deactivated() const { return (state_ & kDeactivatedBit) != 0; }
void Component::Deactivate() { state_ |= kDeactivatedBit; }
void Component::Activate() { state_ &= ~kDeactivatedBit; }
bool Component::frozen() const { return (state_ & kFrozenBit) != 0; }
void Component::freeze() { state_ |= kFrozenBit; }
void Component::deFreeze() { state_ &= ~kFrozenBit; }

void Component::SetNoDBMatchFlag() { SetNoDBMatchFlag(std::string()); }

void Component::SetNoDBMatchFlag(const std::string& cause) {
  noDBMatch_ = true;
  noDBMatchCause_ = cause;
}

bool Component::isShared() const {
  for (const boost::weak_ptr<ProcessingUnit>& related :
       relatedProcessingUnits_) {
    if (!related.expired()) {
      return true;
    }
  }
  return false;
}

bool Component::isOPShared() const { return operations_.size() > 1; }

bool Component::isReferenceComponent() const {
  return !operations_.empty() && operations_.front().expired();
}

boost::shared_ptr<VelkData::Operation> Component::operation() const {
  if (operations_.empty()) {
    return boost::shared_ptr<VelkData::Operation>();
  }
  return operations_.front().lock();
}

std::vector<boost::shared_ptr<VelkData::Operation>> Component::operations()
    const {
  std::vector<boost::shared_ptr<VelkData::Operation>> operations;
  operations.reserve(operations_.size());
  for (const boost::weak_ptr<VelkData::Operation>& operation : operations_) {
    operations.push_back(operation.lock());
  }
  return operations;
}

void Component::setOperation(
    const boost::shared_ptr<VelkData::Operation>& operation) {
  // An archive may hold an empty operation list; the own slot is restored.
  if (operations_.empty()) {
    operations_.push_back(operation);
  } else {
    operations_.front() = operation;
  }
  if (!operation) {
    qDebug("Operation == NULL when calling setOperation for Type %s",
           label_.c_str());
    return;
  }
  for (const boost::shared_ptr<VelkData::CostDriver>& driver :
       operation->GetAllCostDrivers()) {
    if (!driver) {
      continue;
    }
    const std::string& id = driver->id();
    for (const boost::shared_ptr<VelkData::CostDriver>& parameter :
         parameters_) {
      if (parameter && mentions(parameter->dependencyFormulaAt(0), id)) {
        parameter->addDependency(driver);
      }
    }
    for (const auto& limits : standardLimits_) {
      if (limits.first && mentions(limits.first->formulaAt(0), id)) {
        limits.first->addDependency(driver);
      }
      if (limits.second && mentions(limits.second->formulaAt(0), id)) {
        limits.second->addDependency(driver);
      }
    }
  }
}

void Component::setOperations(
    const std::vector<boost::shared_ptr<VelkData::Operation>>& operations) {
  if (operations_.size() > 1) {
    operations_.resize(1);
  }
  if (operations.empty()) {
    return;
  }
  if (operation() != operations.front()) {
    setOperation(operations.front());
  }
  operations_.insert(operations_.end(), operations.begin() + 1,
                     operations.end());
}

void Component::setPartFeature(const boost::shared_ptr<PartFeature>& feature) {
  partFeature_ = feature;
  if (!feature) {
    return;
  }
  const int nameCount = feature->userDefinedParametersCount();
  for (const boost::shared_ptr<VelkData::CostDriver>& parameter : parameters_) {
    if (!parameter) {
      continue;
    }
    for (int k = 0; k < nameCount; ++k) {
      const std::string name = feature->userDefinedParameterAt(k);
      const int formulaCount = parameter->dependencyFormulaCount();
      for (int f = 0; f < formulaCount; ++f) {
        if (mentions(parameter->dependencyFormulaAt(f), name)) {
          parameter->setDependency(feature);
        }
      }
    }
  }
}

void Component::addRelatedProcessingUnit(
    const boost::shared_ptr<ProcessingUnit>& unit) {
  if (!unit) {
    return;
  }
  for (const boost::weak_ptr<ProcessingUnit>& entry :
       relatedProcessingUnits_) {
    const boost::shared_ptr<ProcessingUnit> related = entry.lock();
    // A unit without part feature is equal to nothing, not even to itself,
    // so the same object is checked first to keep the list free of doubles.
    if (related == unit || (related && *related == *unit)) {
      return;
    }
  }
  relatedProcessingUnits_.push_back(unit);
}

void Component::removeRelatedProcessingUnit(
    const boost::shared_ptr<ProcessingUnit>& unit) {
  if (!unit) {
    return;
  }
  // Units that no longer exist are dropped on the way.
  std::vector<boost::weak_ptr<ProcessingUnit>> kept;
  for (const boost::weak_ptr<ProcessingUnit>& entry :
       relatedProcessingUnits_) {
    const boost::shared_ptr<ProcessingUnit> related = entry.lock();
    if (related && related != unit && !(*related == *unit)) {
      kept.push_back(entry);
    }
  }
  relatedProcessingUnits_.swap(kept);
}

int Component::relatedProcessingUnitCount() const {
  return static_cast<int>(relatedProcessingUnits_.size());
}

boost::shared_ptr<ProcessingUnit> Component::relatedProcessingUnitAt(
    int i) const {
  if (!isValidIndex(i, relatedProcessingUnits_.size())) {
    return boost::shared_ptr<ProcessingUnit>();
  }
  return relatedProcessingUnits_[i].lock();
}

void Component::addChildComp(const boost::shared_ptr<Component>& child) {
  if (child) {
    childComps_.push_back(child);
  }
}

void Component::addParameter(
    const boost::shared_ptr<VelkData::CostDriver>& parameter, RoundingRule rule,
    const boost::shared_ptr<VelkData::FormulaContainer>& min,
    const boost::shared_ptr<VelkData::FormulaContainer>& max) {
  roundingRules_.push_back(rule);
  standardLimits_.push_back(std::make_pair(min, max));
  parameters_.push_back(parameter);
}

int Component::parameterCount() const {
  return static_cast<int>(parameters_.size());
}

boost::shared_ptr<VelkData::CostDriver> Component::parameterAt(int i) const {
  if (!isValidIndex(i, parameters_.size())) {
    return boost::shared_ptr<VelkData::CostDriver>();
  }
  return parameters_[i];
}

Component::RoundingRule Component::roundingRuleAt(int i) const {
  if (!isValidIndex(i, roundingRules_.size())) {
    return kKeepValue;
  }
  return roundingRules_[i];
}

double Component::standardMinAt(int i) const {
  return evaluateStandardLimit(i, false);
}

double Component::standardMaxAt(int i) const {
  return evaluateStandardLimit(i, true);
}

double Component::evaluateStandardLimit(int i, bool maximum) const {
  const char* which = maximum ? "maximum" : "minimum";
  if (!isValidIndex(i, standardLimits_.size())) {
    throw VelkData::NoFormulaResultException(
        std::string("No standard ") + which + " for parameter " +
        std::to_string(i) + " of component " + label_ + ": it has " +
        std::to_string(standardLimits_.size()) + " parameters");
  }
  const boost::shared_ptr<VelkData::FormulaContainer>& container =
      maximum ? standardLimits_[i].second : standardLimits_[i].first;
  if (!container) {
    throw VelkData::NoFormulaResultException(
        std::string("No standard ") + which + " formula for parameter " +
        std::to_string(i) + " of component " + label_);
  }
  return container->evalFormulaDouble();
}

int Component::visibleCount() const {
  int count = 0;
  for (const boost::shared_ptr<VelkData::CostDriver>& parameter : parameters_) {
    if (!parameter || !parameter->isVisible()) {
      continue;
    }
    const int level = static_cast<int>(parameter->level());
    if (level == 0 || level == 1) {
      ++count;
    }
  }
  return count;
}

bool Component::parameterValueChanged() const {
  for (const boost::shared_ptr<VelkData::CostDriver>& parameter : parameters_) {
    if (parameter && parameter->hasValue()) {
      return true;
    }
  }
  return false;
}

bool Component::testInternalLists() const {
  return roundingRules_.size() == parameters_.size() &&
         standardLimits_.size() == parameters_.size();
}

boost::shared_ptr<Component> Component::clone() const {
  boost::shared_ptr<Component> copy(new Component());
  copyInto(*copy);
  return copy;
}

void Component::copyTo(const boost::shared_ptr<Component>& target) const {
  if (target) {
    copyInto(*target);
  }
}

void Component::copyFrom(const boost::shared_ptr<Component>& source) {
  if (source) {
    source->copyInto(*this);
  }
}

void Component::copyInto(Component& target) const {
  // Copying onto itself would clear the parameters it is about to copy.
  if (&target == this) {
    return;
  }
  target.label_.clear();
  target.roundingRules_.clear();
  target.parameters_.clear();
  target.standardLimits_.clear();

  target.setComponentKey(componentKey_);
  target.state_ = state_;
  target.noDBMatch_ = noDBMatch_;
  target.visited_ = visited_;
  target.setLabel(label_);
  target.relatedProcessingUnits_ = relatedProcessingUnits_;

  target.setOperation(operation());
  target.setPartFeature(partFeature());

  for (std::size_t i = 0; i < parameters_.size(); ++i) {
    boost::shared_ptr<VelkData::CostDriver> parameter;
    if (parameters_[i]) {
      parameter = boost::dynamic_pointer_cast<VelkData::CostDriver>(
          parameters_[i]->clone());
    }
    boost::shared_ptr<VelkData::FormulaContainer> min;
    boost::shared_ptr<VelkData::FormulaContainer> max;
    if (i < standardLimits_.size()) {
      if (standardLimits_[i].first) {
        min = standardLimits_[i].first->clone();
      }
      if (standardLimits_[i].second) {
        max = standardLimits_[i].second->clone();
      }
    }
    target.addParameter(parameter, roundingRuleAt(static_cast<int>(i)), min,
                        max);
  }

  // The cloned formulas still read the source's parameters; point them at
  // their siblings in the target. A parameter never reads itself: its
  // evaluation would recurse without end.
  for (const boost::shared_ptr<VelkData::CostDriver>& reader :
       target.parameters_) {
    if (!reader) {
      continue;
    }
    const std::string formula = reader->dependencyFormulaAt(0);
    for (const boost::shared_ptr<VelkData::CostDriver>& read :
         target.parameters_) {
      if (read && read != reader && mentions(formula, read->id())) {
        reader->addDependency(read);
      }
    }
  }
}

std::string Component::getComponentKeyFromLabel(const std::string& label) {
  for (const CatalogueEntry& entry : kCatalogue) {
    if (label == entry.german || label == entry.english) {
      return entry.key;
    }
  }
  return std::string();
}

}  // namespace TamberData
