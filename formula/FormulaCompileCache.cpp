#include "formula/FormulaCompileCache_p.h"

boost::shared_ptr<Formula> FormulaCompileCache::compile(
    const std::string& expression) {
  auto found = compiled_.find(expression);
  if (found == compiled_.end()) {
    // Compiled before it is stored, so that a failing text leaves no entry.
    Formula fresh(expression);
    found = compiled_.emplace(expression, fresh).first;
  }
  return boost::shared_ptr<Formula>(new Formula(found->second));
}
