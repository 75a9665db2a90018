#ifndef VELKDATA_FORMULA_FORMULAPROGRAM_H
#define VELKDATA_FORMULA_FORMULAPROGRAM_H

#include <cstdint>
#include <cstring>
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
  int actionCount() const { return static_cast<int>(code_.size()); }
  // The action at `i`, owned by the program.
  // REQUIRES: 0 <= i < actionCount()
  Action* actionAt(int i) const;

  // The compiler's way of appending a step without building the action
  // object; the same action is made on demand by `actionAt`.
  void appendNumber(double value);
  void appendName(Action::Opcode opcode, const std::string& name);
  void appendOperator(Action::Opcode opcode);

  // Runs the program: 0 for an empty program, else the one value left on
  // the stack. Throws `StackUnderflow`, `MathError`, `VariableNotFound`,
  // `FunctionNotFound`.
  double eval() const;
  // Runs the same program through each action's `execute`; slower, kept as
  // the reference the fast path is checked against.
  double evalByActions() const;

  // Inserts or overwrites the variable. Inline, because hosts re-bind every
  // variable by name before each evaluation: the usual case, the name that
  // follows the last one set, costs one comparison.
  void setVariable(const std::string& name, double value) {
    const int count = static_cast<int>(variables_.size());
    const int guess =
        lastVariable_ + 1 >= count ? firstOfRound_ : lastVariable_ + 1;
    if (guess < count) {
      Variable& v = variables_[guess];
      if (v.name.size() == name.size() &&
          sameBytes(v.name.data(), name.data(), name.size())) {
        lastVariable_ = guess;
        v.value = value;
        return;
      }
    }
    setVariableSlowly(name, value);
  }
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
    int opcode;      // an Action::Opcode, or a folded step of the run code
    int slot;        // variable index, -1 while unresolved
    int name;        // index into names_, -1 for steps without a name
    double value;    // literal value
    void* function;  // resolved function, null while unresolved
    // The second operand of a paired run step ("load, load, operator"),
    // and whether each operand is a variable (else a literal).
    int slot2;
    int name2;
    double value2;
    bool firstIsVariable;
    bool secondIsVariable;
  };

  // Names are short; comparing them in place beats a call to memcmp. The
  // last chunk may overlap the one before; every load stays inside the name.
  template <typename Word>
  static bool sameWord(const char* a, const char* b) {
    Word x, y;
    std::memcpy(&x, a, sizeof(Word));
    std::memcpy(&y, b, sizeof(Word));
    return x == y;
  }
  static bool sameBytes(const char* a, const char* b, size_t n) {
    if (n >= 8) {
      for (size_t i = 0; i + 8 < n; i += 8) {
        if (!sameWord<uint64_t>(a + i, b + i)) return false;
      }
      return sameWord<uint64_t>(a + n - 8, b + n - 8);
    }
    if (n >= 4) {
      return sameWord<uint32_t>(a, b) &&
             sameWord<uint32_t>(a + n - 4, b + n - 4);
    }
    if (n >= 2) {
      return sameWord<uint16_t>(a, b) &&
             sameWord<uint16_t>(a + n - 2, b + n - 2);
    }
    return n == 0 || *a == *b;
  }
  int findVariable(const std::string& name) const;
  void setVariableSlowly(const std::string& name, double value);
  FunctionTables& writableFunctions();
  void resolveNames() const;
  void buildRunCode() const;
  void prepare() const;
  void appendInstruction(Action::Opcode opcode, int name, double value);
  Action* makeAction(const Instruction& in) const;

  // Actions exist only for the steps someone asked for; the code is what
  // runs. Entry i of actions_ belongs to step i.
  mutable std::vector<Action*> actions_;
  std::vector<std::string> names_;
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

  std::vector<Instruction> code_;
  // What `eval` runs: code_ with a variable or literal operand folded into
  // the binary operator that follows it, rebuilt after code_ changes.
  mutable std::vector<Instruction> run_;
  mutable bool runIsStale_;
  mutable std::vector<double> stack_;
  mutable int lastVariable_;
  // Where the last binding round started, so that the next round's first
  // name is found without a hash lookup.
  mutable int firstOfRound_;
  // What must be redone before the next run: names of variables or
  // functions were added or removed since the run code was resolved.
  mutable bool variablesMoved_;
  mutable bool functionsMoved_;
  // False whenever one of the flags above or runIsStale_ is set.
  mutable bool ready_;
};

#endif  // VELKDATA_FORMULA_FORMULAPROGRAM_H
