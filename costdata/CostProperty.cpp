#include "costdata/CostProperty.h"

#include <sstream>

#include "costdata/DriverGraphVersion.h"
#include "formula/FormulaContainer.h"

namespace VelkData {

namespace {

// The generators a "Norix_" name can come from, by the two characters that
// follow the prefix. `marker` is what tells that the entry is already listed.
struct GeneratorCode {
  const char* code;
  const char* text;
  const char* marker;
};

const GeneratorCode kGenerators[] = {
    {"PA", "Geometry generator (Part stage), ", "Part stage"},
    {"GG", "Geometry generator (Draw or Form stage), ", "Draw or Form stage"},
    {"BG", "Blank generator, ", "Blank generator"},
    {"PG", "Process generator, ", "Process generator"},
};

}  // namespace

CostProperty::CostProperty() : CostProperty(std::string()) {}

CostProperty::CostProperty(const std::string& id)
    : doCacheValue_(false),
      hasValue_(false),
      formulas_(new FormulaContainer),
      minValue_(2.2250738585072014e-308),
      maxValue_(1.7976931348623157e308),
      id_(id),
      visible_(true),
      level_(kLevelDetail) {}

CostProperty::CostProperty(const CostProperty& other) = default;
CostProperty& CostProperty::operator=(const CostProperty& other) = default;
CostProperty::~CostProperty() = default;

std::string CostProperty::measureUnit() const { return std::string(); }

std::string CostProperty::valueSources() const {
  if (!formulas_ || formulas_->formulaCount() == 0) return "No value defined";
  const std::string formula = formulas_->recentFormula();
  if (formula.empty()) return "No value defined";

  const std::string prefix = FormulaContainer::norixKeyPrefix();
  std::string result;
  for (std::string::size_type pos = formula.find(prefix);
       pos != std::string::npos; pos = formula.find(prefix, pos + 1)) {
    const std::string code = formula.substr(pos + prefix.size(), 2);
    for (const GeneratorCode& generator : kGenerators) {
      if (code == generator.code &&
          result.find(generator.marker) == std::string::npos) {
        result += generator.text;
      }
    }
  }
  if (result.empty()) return result;
  return result.substr(0, result.size() - 2);
}

void CostProperty::virtualDummyFunction() {}

boost::shared_ptr<FormulaContainer> CostProperty::formulas() const {
  return formulas_;
}

boost::shared_ptr<FormulaContainer> CostProperty::getFormulaContainer() const {
  return formulas();
}

void CostProperty::setFormulaContainer(
    const boost::shared_ptr<FormulaContainer>& c) {
  formulas_ = c;
  DriverGraphVersion::changed();
}

std::string CostProperty::recentFormula() const {
  return formulas_ ? formulas_->recentFormula() : std::string();
}

int CostProperty::dependencyFormulaCount() const {
  return formulas_ ? formulas_->compiledFormulaCount() : 0;
}

std::string CostProperty::dependencyFormulaAt(int i) const {
  return formulas_ ? formulas_->formulaAt(i) : std::string();
}

void CostProperty::setParameterForFormulaAt(int i, const std::string& name,
                                            double value) {
  if (formulas_) formulas_->setVariableForFormulaAt(i, name, value);
}

void CostProperty::setQorSession(VelkCOM::XoloClient* session) {
  if (formulas_) formulas_->setQorSession(session);
}

void CostProperty::setId(const std::string& id) {
  id_ = id;
  DriverGraphVersion::changed();
}

void CostProperty::copyTo(const boost::shared_ptr<CostProperty>& target) const {
  if (!target) return;
  target->setId(id_);
  target->label_ = label_;
  target->longHelp_ = longHelp_;
  // Category and level belong to the presentation as much as the label; a
  // copy without them would move the property in the host's display.
  target->category_ = category_;
  target->level_ = level_;
  target->setDoCacheValue(doCacheValue_);
  target->visible_ = visible_;
  target->minValue_ = minValue_;
  target->maxValue_ = maxValue_;
  if (formulas_) target->formulas_ = formulas_->clone();
}

std::string CostProperty::toString(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace VelkData
