#ifndef VELKDATA_FORMULA_FORMULAPROGRAM_H
#define VELKDATA_FORMULA_FORMULAPROGRAM_H

#include <cassert>
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
// start with the built-in functions and "pi". Owned by a `FormulaParser` or a
// `Formula`.
//
// Names are resolved when the program runs, so tables may change between
// compilation and evaluation. To keep re-binding cheap, the program keeps a
// resolved handle per name of its code and refreshes the handles only when
// a name is added to or removed from a table.
//
// The steps themselves never change once compiled, so programs that run the
// same code share one copy of it (`runSameCodeAs`); appending to or clearing
// a program that shares its code gives it a code of its own first. The
// tables and handles are always the program's own.
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
  int actionCount() const {
    return code_ ? static_cast<int>(code_->steps.size()) : 0;
  }
  // The action at `i`, owned by the program.
  // REQUIRES: 0 <= i < actionCount()
  Action* actionAt(int i) const;

  // The compiler's way of appending a step without building the action
  // object; the same action is made on demand by `actionAt`.
  void appendNumber(double value);
  void appendName(Action::Opcode opcode, const std::string& name);
  void appendOperator(Action::Opcode opcode);

  // Makes this program run the steps of `source`, which it shares until
  // either of them appends or clears; the tables stay as they are.
  void runSameCodeAs(const FormulaProgram& source);
  // Replaces the variable and function tables by copies of `source`'s.
  void copyTablesOf(const FormulaProgram& source);

  // Runs the program: 0 for an empty program, else the one value left on
  // the stack. Throws `StackUnderflow`, `MathError`, `VariableNotFound`,
  // `FunctionNotFound`.
  // Whether running may call a function of the host's: true once the
  // function tables were changed (set or removed) on this program or the
  // one it copied them from. The built-in functions only compute.
  bool mayCallHostFunctions() const { return ownFunctions_; }
  double eval() const {
    if (!ready_) prepare();
    return sound_ ? run<true>() : run<false>();
  }
  // Runs the same program through each action's `execute`; slower, kept as
  // the reference the fast path is checked against.
  double evalByActions() const;
  // For a program that names nothing (no variable, no function), whose
  // result only its code decides: gives that result and returns true. It
  // is computed on the first call and kept with the code until the code
  // changes. Returns false, giving nothing, for any other program or when
  // running the program fails.
  bool constantValue(double* value) const {
    if (code_ && code_->constantKnown) {
      *value = code_->constantValue;
      return true;
    }
    return computeConstantValue(value);
  }

  // A resolved variable slot of one program, for hosts that set the same
  // variables before every run. Only the program makes handles; the
  // default handle is never current.
  class VariableHandle {
   public:
    VariableHandle() = default;

   private:
    friend class FormulaProgram;
    VariableHandle(uint64_t stamp, int slot) : stamp_(stamp), slot_(slot) {}
    uint64_t stamp_ = 0;  // the table layout it was issued for
    int slot_ = -1;
  };

  // Sets the variable like `setVariable` and returns the handle of its slot.
  VariableHandle bindVariable(const std::string& name, double value);
  // Writes `value` through `handle` when the handle is current, that is,
  // issued by this program since its table last lost or replaced entries.
  // Returns false, writing nothing, for any other handle.
  bool setVariable(VariableHandle handle, double value) {
    if (handle.stamp_ != stamp_) return false;
    // The stamp vouches for the slot; see stamp_.
    assert(static_cast<size_t>(handle.slot_) < variables_.size());
    variables_[handle.slot_].value = value;
    return true;
  }
  // Sets variable `name` to `value`, through `hint` when it is a current
  // handle of that name, else by name. Returns the handle of the variable.
  VariableHandle setVariable(const std::string& name, double value,
                             VariableHandle hint) {
    if (hint.stamp_ == stamp_) {
      assert(static_cast<size_t>(hint.slot_) < variables_.size());
      Variable& v = variables_[hint.slot_];
      if (v.name.size() == name.size() &&
          sameBytes(v.name.data(), name.data(), name.size())) {
        v.value = value;
        return hint;
      }
    }
    return bindVariable(name, value);
  }

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
  // One step as compiled.
  struct Step {
    int opcode;    // an Action::Opcode
    int name;      // index into Code::names, -1 for steps without a name
    double value;  // literal value
  };
  // A name the code uses, with the way it is used: as a variable or as a
  // function of some arity. Each distinct use is listed once.
  struct Name {
    int opcode;
    std::string text;
  };
  // One step of what `eval` runs: a compiled step, or a variable or
  // literal operand folded into the binary operator that follows it, or a
  // binary operator with both operands folded in.
  struct RunStep {
    int opcode;  // an Action::Opcode, or a folded step
    int name;    // the (first) operand's name, -1 for a literal
    int name2;   // the second operand's name of a paired step, -1 for a literal
    double value;
    double value2;
  };
  // The compiled steps, shared by the programs that run them.
  struct Code {
    std::vector<Step> steps;
    std::vector<Name> names;
    // Stack depth the code needs, simulated as steps are appended; the
    // simulation stops at the first step that would underflow, since
    // running the code throws there.
    int simulatedDepth = 0;
    int maxDepth = 0;
    bool simulationStopped = false;
    // Derived from the steps on first use; not part of what is shared
    // logically, so it may be built on a shared code.
    mutable std::vector<RunStep> run;
    mutable bool runBuilt = false;
    // Whether every literal the run code pushes on its own is finite.
    mutable bool runLiteralsFinite = false;
    // What code that names nothing computes depends on the code alone, so
    // every program running it may keep it: whether it is known, and the
    // value. Cleared by every change of the code.
    mutable bool constantKnown = false;
    mutable double constantValue = 0.0;
    void buildRun() const;
  };
  // Where a name of the code lives in this program's tables.
  struct Handle {
    const double* value;  // the variable's value, null when unknown
    void* function;       // the function of the use's arity, null when unknown
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
  // Index of the variable, -1 when there is none; no effect on the guess.
  int indexOf(const std::string& name) const;
  // The same, remembering where the name was found for the next guess.
  int findVariable(const std::string& name) const;
  // Returns the slot written.
  int setVariableSlowly(const std::string& name, double value);
  // Entries were removed or replaced: the index and every handle, the
  // program's own and those given out, are void.
  void variablesMoved();
  FunctionTables& writableFunctions();
  Code& writableCode();
  void appendStep(Action::Opcode opcode, int name, double value);
  // Returns whether every name of the code resolved.
  bool resolveHandles() const;
  void prepare() const;
  bool computeConstantValue(double* value) const;
  // The run code from its first step. `kSound` is for a program known, when
  // it got ready, to resolve every name and never to lack an operand: the
  // only error left to it is `MathError`, so it omits the other checks.
  template <bool kSound>
  double run() const;
  // The stack of a program nested too deeply for `eval`'s own frame.
  double* deepStack() const;
  Action* makeAction(const Step& step) const;

  // What every evaluation and every binding reads comes first, so that it
  // shares as few cache lines as possible.
  //
  // Names the current layout of the variable table. Slots only ever get
  // appended under one stamp, so a handle of the stamp stays in bounds and
  // keeps naming its variable; removing or replacing entries takes a new
  // stamp, unique among all programs, so no other table accepts the handle.
  // Every change that shrinks or replaces variables_ goes through
  // variablesMoved(), or comes with a new stamp in a constructor.
  uint64_t stamp_;
  // False when the handles must be resolved (or the run code built) before
  // the next run: the code changed, or names were added to or removed from
  // a table. Everything `eval` takes from the code is valid while true.
  mutable bool ready_;
  // While ready_: every name resolves, every step finds its operands, the
  // code leaves one value and pushes no infinite literal of its own.
  mutable bool sound_;
  // Whether the function tables are the program's own rather than the
  // built-in ones, so that a call may run the host's code.
  bool ownFunctions_ = false;
  mutable int stackNeeded_;
  // What `eval` runs, taken from the code when it gets ready.
  mutable const RunStep* runSteps_;
  mutable const Name* names_;
  std::vector<Variable> variables_;
  // One per name of the code, valid while ready_.
  mutable std::vector<Handle> handles_;
  mutable int lastVariable_;
  // Where the last binding round started, so that the next round's first
  // name is found without a lookup.
  mutable int firstOfRound_;

  // Actions exist only for the steps someone asked for; the code is what
  // runs. Entry i of actions_ belongs to step i.
  mutable std::vector<Action*> actions_;
  std::shared_ptr<Code> code_;  // null for the empty program
  // Built on demand once the table is too long to scan.
  mutable std::unique_ptr<std::unordered_map<std::string, int>> index_;
  // The built-in tables are shared between programs until one changes them.
  std::shared_ptr<const FunctionTables> functions_;
  mutable std::vector<double> deepStack_;
};

#endif  // VELKDATA_FORMULA_FORMULAPROGRAM_H
