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
// subclasses from `eval`. A copy owns its own tables; the compiled program,
// which never changes once compiled, is shared with the source until either
// of them is given a new text.
class Formula {
 public:
  Formula();
  explicit Formula(const std::string& expression);
  Formula(const Formula& other);
  Formula& operator=(const Formula& other);
  ~Formula();

  // A formula of the same text with the tables a newly made formula starts
  // with (the built-ins and "pi"), exactly as if the text were compiled
  // again, but sharing this formula's compiled program.
  // REQUIRES: compiled()
  Formula recompiled() const;
  // Whether the program is the compiled stored text: false after a
  // compilation that failed, whose program is empty.
  bool compiled() const { return compiled_; }

  // The stored text: `(1+2)` for `1+2`, `()` for the empty text.
  std::string getExpression() const;
  // Recompiles; variables and functions stay.
  void setExpression(const std::string& expression);

  void setVariable(const std::string& name, double value) {
    program_.setVariable(name, value);
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
  double eval() const { return program_.eval(); }

 private:
  struct FreshTables {};
  Formula(const Formula& source, FreshTables);
  // Compiles `expression` with a parser that lives only as long as the
  // compilation, so that no compiler scratch stays with the formula.
  void compile(const std::string& expression);

  std::string expression_;
  FormulaProgram program_;
  bool compiled_;
};

#endif  // VELKDATA_FORMULA_FORMULA_H
