#ifndef VELKDATA_TESTS_SHARING_SHARINGSUPPORT_H
#define VELKDATA_TESTS_SHARING_SHARINGSUPPORT_H

// Building blocks for the share relationship, merge and die-set tests.

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "costdata/Component.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "formula/FormulaContainer.h"

namespace velktest {

typedef boost::shared_ptr<TamberData::Component> ComponentPtr;
typedef std::vector<ComponentPtr> ComponentList;
typedef boost::shared_ptr<VelkData::CostDriverDouble> DoublePtr;
typedef boost::shared_ptr<VelkData::Operation> OperationPtr;

inline boost::shared_ptr<VelkData::FormulaContainer> formula(
    const std::string& text) {
  boost::shared_ptr<VelkData::FormulaContainer> c =
      boost::make_shared<VelkData::FormulaContainer>();
  c->addFormula(text);
  return c;
}

// A real-valued driver computed by `text`.
inline DoublePtr driver(const std::string& id, const std::string& text) {
  DoublePtr d = boost::make_shared<VelkData::CostDriverDouble>(id);
  d->setLabel("Label of " + id);
  d->formulas()->addFormula(text);
  return d;
}

// A component keyed `key` whose parameter k is "CD_CP_<k>" computed by
// `formulas[k]`, with rounding rule k % 4 and standard limits "<k>" and
// "<k>00" (so a copy shows where its limits came from).
inline ComponentPtr component(const std::string& key,
                              const std::vector<std::string>& formulas,
                              const std::string& label = "") {
  ComponentPtr c = boost::make_shared<TamberData::Component>(
      label.empty() ? "Label " + key : label, key);
  for (std::size_t k = 0; k < formulas.size(); ++k) {
    const std::string n = std::to_string(k);
    c->addParameter(
        driver("CD_CP_" + n, formulas[k]),
        static_cast<TamberData::Component::RoundingRule>(k % 4),
        formula(n), formula(n + "00"));
  }
  return c;
}

// A component of seven parameters with the values 1 to 7 plus `offset`.
inline ComponentPtr sevenParameters(const std::string& key, int offset = 0,
                                    const std::string& label = "") {
  std::vector<std::string> formulas;
  for (int k = 1; k <= 7; ++k) formulas.push_back(std::to_string(k + offset));
  return component(key, formulas, label);
}

// An operation labelled `label`; with `pitch` >= 0 its press carries a
// pitch driver "CD_PR_PI" of that value.
inline OperationPtr operation(const std::string& label, double pitch = -1) {
  OperationPtr op = boost::make_shared<VelkData::Operation>(label, "TRIM");
  if (pitch >= 0) {
    boost::shared_ptr<VelkData::Press> press =
        boost::make_shared<VelkData::Press>("Press " + label, 4);
    press->setPitch(pitch);
    op->setPress(press);
  }
  return op;
}

// Makes `op` a cut-off operation (tool type 106).
inline void makeCutoff(const OperationPtr& op) {
  boost::shared_ptr<VelkData::CostDriverEnum> toolType =
      boost::make_shared<VelkData::CostDriverEnum>("CD_OP_50");
  toolType->setValues({100.0f, 106.0f}, {"Trim", "Cut-off"});
  toolType->setValue(106.0f);
  op->AddCostDriver(toolType);
}

}  // namespace velktest

#endif  // VELKDATA_TESTS_SHARING_SHARINGSUPPORT_H
