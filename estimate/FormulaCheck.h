#ifndef VELKDATA_ESTIMATE_FORMULACHECK_H
#define VELKDATA_ESTIMATE_FORMULACHECK_H

#include <string>
#include <vector>

namespace VelkData {

class CostDatabase;

// Checks every formula of a cost database that an estimate may read and
// lists what is wrong, one finding per fault with its place. The host runs
// it after loading a database, before trusting the numbers. Like the
// estimate it keeps plain values only.
//
// Formulas checked: the database's cost properties; per operation of the
// press line and per reference operation of the types in use, its drivers,
// its base assembly's amount formulas and its components' parameters; the
// processing units' amount formulas and components; the catalogue's amount
// formulas; the surcharges of every kind and the steps' type factors.
//
// Cycles come first, then four kinds of finding in this order per formula:
//   "does not compile: <parser message>"  a text that is no formula;
//   "unknown name <name>"                  a variable bound to nothing: not
//       a driver the formula reads, not a parameter of its part feature,
//       not "pi" and not a session value ("Norix_...");
//   "dependency cycle: A -> B -> A"       drivers that read each other,
//       reported once per cycle;
//   "value fails: <reason>"                a formula that compiles and binds
//       but yields no finite value. Formulas with a finding of one of the
//       first three kinds are not evaluated, and a value that fails only
//       because it reads a reported cycle is not reported again.
class FormulaCheck {
 public:
  struct Finding {
    // Where the formula lives, e.g. "OP10 / BA_DRAW / Guide pin / amount".
    std::string place;
    std::string message;
    // The formula text; "" for a cycle, which spans several formulas.
    std::string formula;
    // "<place>: <message>", then ` in formula "<text>"` when there is one.
    std::string text() const;
  };

  // Checks `db`. Evaluating the formulas binds their variables but changes
  // no value of the model. Never throws for bad data.
  explicit FormulaCheck(const CostDatabase& db);

  const std::vector<Finding>& findings() const { return findings_; }
  bool clean() const { return findings_.empty(); }
  // The number of formulas looked at.
  int formulaCount() const { return formulaCount_; }

 private:
  class Walker;

  std::vector<Finding> findings_;
  int formulaCount_ = 0;
};

}  // namespace VelkData

#endif  // VELKDATA_ESTIMATE_FORMULACHECK_H
