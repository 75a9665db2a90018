#ifndef VELKDATA_FORMULA_FORMULACOMPILECACHE_P_H
#define VELKDATA_FORMULA_FORMULACOMPILECACHE_P_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <unordered_map>

#include "formula/Formula.h"

// Compiles each distinct formula text once. A cost database repeats a few
// texts ("0", "1", a limit shared by every component of a kind) thousands
// of times, and its archive stores only the texts; a reader keeps one cache
// for the whole archive.
//
//   FormulaCompileCache cache;
//   boost::shared_ptr<Formula> a = cache.compile("max(0,H-25)");
//   boost::shared_ptr<Formula> b = cache.compile("max(0,H-25)");  // no parse
//
// Every formula handed out is a new object, with the tables of a newly
// compiled formula (the built-ins and "pi"); only the immutable compiled
// program is shared, so no holder can tell it from a formula compiled on its
// own. Not for use from two threads at once.
class FormulaCompileCache {
 public:
  FormulaCompileCache() = default;
  FormulaCompileCache(const FormulaCompileCache&) = delete;
  FormulaCompileCache& operator=(const FormulaCompileCache&) = delete;

  // A new formula of `expression`, as `new Formula(expression)` would make
  // it. Throws what that constructor throws (`SyntaxError`,
  // `TooManyArgumentsError`); a text that fails is not remembered.
  boost::shared_ptr<Formula> compile(const std::string& expression);

  // Number of distinct texts compiled so far.
  int size() const { return static_cast<int>(compiled_.size()); }

 private:
  // Never given variables or functions, so a copy starts from the tables a
  // fresh compilation would have.
  std::unordered_map<std::string, Formula> compiled_;
};

#endif  // VELKDATA_FORMULA_FORMULACOMPILECACHE_P_H
