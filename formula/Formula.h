#ifndef VELKDATA_FORMULA_FORMULA_H
#define VELKDATA_FORMULA_FORMULA_H

#include <memory>
#include <string>

#include "formula/FormulaParser.h"
#include "formula/ParserException.h"

// One compiled formula text with its own variable and function tables.
//
// The language: numbers, names, + - * / ^, comparisons < > <= >= = !=,
// logic & | !, round brackets and calls of functions with zero, one or two
// arguments. Truth values are 1 and 0. Names are resolved at evaluation, so
// variables may be set before or after the text is compiled.
//
//   Formula f("max(0,HEIGHT-25)");
//   f.setVariable("HEIGHT", 40);
//   double v = f.eval();  // 15
//
// Compilation errors throw `SyntaxError` or `TooManyArgumentsError` from the
// constructor and `setExpression`; evaluation errors throw the `EvalError`
// subclasses from `eval`. A copy compiles its own program and owns its own
// tables; it never shares the parser with its source.
class Formula {
 public:
  Formula();
  explicit Formula(const std::string& expression);
  Formula(const Formula& other);
  Formula& operator=(const Formula& other);
  ~Formula();

  // The stored text: `(1+2)` for `1+2`, `()` for the empty text.
  std::string getExpression() const;
  // Recompiles; variables and functions stay.
  void setExpression(const std::string& expression);

  void setVariable(const std::string& name, double value) {
    parser_->program().setVariable(name, value);
  }
  void removeVariable(const std::string& name);
  // Empties the variable table, "pi" included.
  void removeAllVariables();

  void setFunction(const std::string& name, double (*f)());
  void setFunction(const std::string& name, double (*f)(double));
  void setFunction(const std::string& name, double (*f)(double, double));
  // Removes the name from all three function tables.
  void removeFunction(const std::string& name);
  // Empties all three function tables, built-ins included.
  void removeAllFunctions();

  // The value of the program; 0 for an empty program.
  // Throws `VariableNotFound`, `FunctionNotFound`, `StackUnderflow`,
  // `MathError`.
  double eval() const { return parser_->program().eval(); }

 private:
  std::unique_ptr<FormulaParser> parser_;
};

#endif  // VELKDATA_FORMULA_FORMULA_H
