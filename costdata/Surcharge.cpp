#include "costdata/Surcharge.h"

#include <QtGlobal>
#include <vector>

#include "costdata/CostDriver.h"
#include "costdata/Operation.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"

namespace VelkData {

Surcharge::Surcharge() : userfactor_(1.0f) {}

Surcharge::Surcharge(const std::string& id,
                     const boost::shared_ptr<FormulaContainer>& formulas)
    : id_(id), userfactor_(1.0f), formulas_(formulas) {}

Surcharge::~Surcharge() {}

void Surcharge::setFormulaString(const std::string& text) {
  FormulaContainer& container = ensureFormulas();
  // Only formula 0 is replaced. Emptying the text list first would drop
  // the texts of the alternative formulas, and the evaluation walks the
  // formulas by their texts.
  if (container.formulaCount() > 0) {
    container.setFormulaAt(0, text);
  } else {
    container.addFormula(text);
  }
}

std::string Surcharge::getFormulaString() const {
  if (!formulas_) return std::string();
  return formulas_->formulaAt(0);
}

std::string Surcharge::detailedRecentFormulaString() const {
  if (!formulas_) return std::string();
  formulas_->print();
  return formulas_->detailedRecentFormula();
}

double Surcharge::doubleValue() const {
  // Not having a formula yet is not a failure worth a log line.
  if (!formulas_) return userfactor_;
  try {
    return formulas_->evalFormulaDouble();
  } catch (const NoFormulaResultException& e) {
    qDebug("Could not evaluate formula %s for surcharge %s: %s\n",
           formulas_->recentFormula().c_str(), id_.c_str(), e.what());
    return userfactor_;
  }
}

void Surcharge::setOperation(const boost::shared_ptr<Operation>& operation) {
  FormulaContainer& container = ensureFormulas();
  container.removeAllDependencies();
  if (!operation) return;
  const std::vector<boost::shared_ptr<CostDriver>> drivers =
      operation->GetAllCostDrivers();
  for (const boost::shared_ptr<CostDriver>& driver : drivers) {
    container.addDependency(driver);
  }
}

boost::shared_ptr<Surcharge> Surcharge::clone() const {
  boost::shared_ptr<Surcharge> copy(new Surcharge(id_, formulas_));
  copy->label_ = label_;
  copy->userfactor_ = userfactor_;
  return copy;
}

void Surcharge::virtualDummyFunction() {}

FormulaContainer& Surcharge::ensureFormulas() {
  if (!formulas_) formulas_.reset(new FormulaContainer());
  return *formulas_;
}

}  // namespace VelkData
