#ifndef VELKDATA_FORMULA_ACTION_H
#define VELKDATA_FORMULA_ACTION_H

#include <deque>
#include <string>

class FormulaProgram;

// One instruction of a compiled formula: a postfix stack-machine step.
// `execute` works on the evaluation's stack (back = top). Each action checks
// it has its operands before popping (`StackUnderflow`) and that the value it
// pushed is finite (`MathError`).
//
// `opcode` lets `FormulaProgram` run a compiled program without a virtual
// call per step; both paths compute the same results and errors.
class Action {
 public:
  enum Opcode {
    kNumber,
    kVariable,
    kFunction0,
    kFunction1,
    kFunction2,
    kNeg,
    kNot,
    kAdd,
    kSub,
    kMul,
    kDiv,
    kPower,
    kLess,
    kGreater,
    kLessEqual,
    kGreaterEqual,
    kEqual,
    kNotEqual,
    kAnd,
    kOr
  };

  virtual ~Action();
  // Runs this step on `stack`. Throws the `EvalError` subclasses.
  virtual void execute(std::deque<double>& stack) = 0;

  Opcode opcode() const { return opcode_; }

  // The arithmetic of the operator actions, shared with the program's fast
  // path. Truth values are 1 and 0; any non-zero operand counts as true.
  static double applyUnary(Opcode opcode, double x);
  // A new operator action (`NegAction` ... `OrAction`) for `opcode`, owned
  // by the caller; null for the number, variable and function opcodes.
  static Action* createOperator(Opcode opcode);
  static double applyBinary(Opcode opcode, double a, double b);

 protected:
  explicit Action(Opcode opcode) : opcode_(opcode) {}
  // Throws `MathError` if the top of `stack` is infinite or not a number.
  static void checkResult(const std::deque<double>& stack);
  // Throws `StackUnderflow` if `stack` holds fewer than `count` values.
  static void requireOperands(const std::deque<double>& stack, size_t count);
  // The whole step of an operator action: check, pop, compute, push, check.
  void executeOperator(std::deque<double>& stack) const;

 private:
  Opcode opcode_;
};

class NumberAction : public Action {
 public:
  explicit NumberAction(double value) : Action(kNumber), value_(value) {}
  void execute(std::deque<double>& stack) override;
  double value() const { return value_; }

 private:
  double value_;
};

// The actions that resolve a name in their program's tables when run. The
// program pointer is not owned: the program owns these actions.
#define VELK_NAMED_ACTION(Name, Code)                      \
  class Name : public Action {                             \
   public:                                                 \
    Name(const std::string& name, FormulaProgram* program) \
        : Action(Code), name_(name), program_(program) {}  \
    void execute(std::deque<double>& stack) override;      \
    const std::string& name() const { return name_; }      \
                                                           \
   private:                                                \
    std::string name_;                                     \
    FormulaProgram* program_;                              \
  };
VELK_NAMED_ACTION(VariableAction, kVariable)
VELK_NAMED_ACTION(NoArgumentFunctionAction, kFunction0)
VELK_NAMED_ACTION(OneArgumentFunctionAction, kFunction1)
VELK_NAMED_ACTION(TwoArgumentsFunctionAction, kFunction2)
#undef VELK_NAMED_ACTION

// Unary and binary operators: pop x (or b, then a) and push the result.
#define VELK_OPERATOR_ACTION(Name, Code)               \
  class Name : public Action {                         \
   public:                                             \
    Name() : Action(Code) {}                           \
    void execute(std::deque<double>& stack) override { \
      executeOperator(stack);                          \
    }                                                  \
  };
VELK_OPERATOR_ACTION(NegAction, kNeg)
VELK_OPERATOR_ACTION(NotAction, kNot)
VELK_OPERATOR_ACTION(AddAction, kAdd)
VELK_OPERATOR_ACTION(SubAction, kSub)
VELK_OPERATOR_ACTION(MulAction, kMul)
VELK_OPERATOR_ACTION(DivAction, kDiv)
VELK_OPERATOR_ACTION(PowerAction, kPower)
VELK_OPERATOR_ACTION(LessAction, kLess)
VELK_OPERATOR_ACTION(GreaterAction, kGreater)
VELK_OPERATOR_ACTION(LessEqualAction, kLessEqual)
VELK_OPERATOR_ACTION(GreaterEqualAction, kGreaterEqual)
VELK_OPERATOR_ACTION(EqualAction, kEqual)
VELK_OPERATOR_ACTION(NotEqualAction, kNotEqual)
VELK_OPERATOR_ACTION(AndAction, kAnd)
VELK_OPERATOR_ACTION(OrAction, kOr)
#undef VELK_OPERATOR_ACTION

#endif  // VELKDATA_FORMULA_ACTION_H
