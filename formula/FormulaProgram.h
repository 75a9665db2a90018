#ifndef VELKDATA_FORMULA_FORMULAPROGRAM_H
#define VELKDATA_FORMULA_FORMULAPROGRAM_H

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "formula/Action.h"

// The compiled program of one formula and its name tables: variables (name to
// double, case-sensitive) and three separate function tables by arity, which
// start with the built-in functions and "pi". Owned by a `FormulaParser`.
//
// Names are resolved when the program runs, so tables may change between
// compilation and evaluation. To keep re-binding cheap, the program caches
// where each name of the code lives and refreshes that cache only when a
// name is added to or removed from a table.
class FormulaProgram {
 public:
  typedef double (*Function0)();
  typedef double (*Function1)(double);
  typedef double (*Function2)(double, double);

  FormulaProgram();
  ~FormulaProgram();
  // Copies the tables only; the copy starts with an empty program.
  FormulaProgram(const FormulaProgram& other);
  FormulaProgram& operator=(const FormulaProgram&) = delete;

  // Takes ownership of `action` and appends it.
  void appendAction(Action* action);
  // Deletes every action; the tables stay.
  void clearActions();
  int actionCount() const { return static_cast<int>(actions_.size()); }
  Action* actionAt(int i) const { return actions_[i]; }

  // Runs the program: 0 for an empty program, else the one value left on
  // the stack. Throws `StackUnderflow`, `MathError`, `VariableNotFound`,
  // `FunctionNotFound`.
  double eval() const;
  // Runs the same program through each action's `execute`; slower, kept as
  // the reference the fast path is checked against.
  double evalByActions() const;

  void setVariable(const std::string& name, double value);
  void removeVariable(const std::string& name);
  void removeAllVariables();
  // Returns the variable's value. Throws `VariableNotFound` for an unknown
  // name.
  double variable(const std::string& name) const;
  bool hasVariable(const std::string& name) const;

  void setFunction(const std::string& name, Function0 f);
  void setFunction(const std::string& name, Function1 f);
  void setFunction(const std::string& name, Function2 f);
  void removeFunction(const std::string& name);
  void removeAllFunctions();
  // The function of that arity, or null when the table has no such name.
  Function0 function0(const std::string& name) const;
  Function1 function1(const std::string& name) const;
  Function2 function2(const std::string& name) const;

 private:
  struct Variable {
    std::string name;
    double value;
  };
  struct FunctionTables {
    std::map<std::string, Function0> zero;
    std::map<std::string, Function1> one;
    std::map<std::string, Function2> two;
  };
  // One step of the flat code the fast path runs, built from the actions.
  struct Instruction {
    Action::Opcode opcode;
    int slot;        // variable index, -1 while unresolved
    double value;    // literal value
    void* function;  // resolved function, null while unresolved
    const std::string* name;
  };

  int findVariable(const std::string& name) const;
  FunctionTables& writableFunctions();
  void resolveNames() const;

  std::vector<Action*> actions_;
  std::vector<Variable> variables_;
  std::unordered_map<std::string, int> variableIndex_;
  // The built-in tables are shared between programs until one changes them.
  std::shared_ptr<const FunctionTables> functions_;

  // Stack depth the code needs, simulated as actions are appended; the
  // simulation stops at the first step that would underflow, since running
  // the code throws there.
  int simulatedDepth_;
  int maxDepth_;
  bool simulationStopped_;

  mutable std::vector<Instruction> code_;
  mutable std::vector<double> stack_;
  mutable int lastVariable_;
  mutable unsigned variableGeneration_;
  mutable unsigned functionGeneration_;
  mutable unsigned resolvedVariableGeneration_;
  mutable unsigned resolvedFunctionGeneration_;
};

#endif  // VELKDATA_FORMULA_FORMULAPROGRAM_H
