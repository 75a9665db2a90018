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
//
// A host that sets the same variables before every evaluation may bind each
// once and then write through its handle, without a lookup by name:
//
//   Formula::VariableHandle h = f.bindVariable("HEIGHT", 40);
//   f.setVariable(h, 41);  // true: HEIGHT is now 41
//
// A handle belongs to the formula that issued it. It stays current while
// variables are set, by name or by handle, and across `setExpression`,
// `setFunction` and the other function-table changes. It goes stale when the
// formula loses or replaces variables: `removeVariable` of any variable
// it has, `removeAllVariables`, or being assigned another formula. A copy,
// `recompiled` and every other formula never accept it, even where the
// names agree. Writing through a stale handle does nothing and says so.
class Formula {
 public:
  typedef FormulaProgram::VariableHandle VariableHandle;

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
  // Sets the variable like `setVariable` and returns its handle.
  VariableHandle bindVariable(const std::string& name, double value) {
    return program_.bindVariable(name, value);
  }
  // Writes `value` to the variable of `handle`. Returns false, changing
  // nothing, when the handle is not current for this formula.
  bool setVariable(VariableHandle handle, double value) {
    return program_.setVariable(handle, value);
  }
  // Sets variable `name` like `setVariable(name, value)`, without a lookup
  // when `hint` is a current handle of that same name. Returns the handle to
  // pass as the next hint.
  VariableHandle setVariable(const std::string& name, double value,
                             VariableHandle hint) {
    return program_.setVariable(name, value, hint);
  }
  // Erases the variable if present; then every handle goes stale.
  void removeVariable(const std::string& name);
  // Empties the variable table, "pi" included; every handle goes stale.
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
  // Whether `eval` may call a function of the host's; see
  // FormulaProgram::mayCallHostFunctions.
  bool mayCallHostFunctions() const {
    return program_.mayCallHostFunctions();
  }
  // For a program that reads no variable and calls no function: its
  // value, as eval() gives it, kept until the program changes. False for
  // other programs and for one whose evaluation fails.
  bool constantValue(double* value) const {
    return program_.constantValue(value);
  }

 private:
  struct FreshTables {};
  Formula(const Formula& source, FreshTables);
  // Compiles `expression` with a parser that lives only as long as the
  // compilation, so that no compiler scratch stays with the formula.
  void compile(const std::string& expression);

  // The program first: evaluating reads only it.
  FormulaProgram program_;
  std::string expression_;
  bool compiled_;
};

#endif  // VELKDATA_FORMULA_FORMULA_H
