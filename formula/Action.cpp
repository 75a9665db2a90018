#include "formula/Action.h"

#include <cassert>
#include <cmath>

#include "formula/FormulaProgram.h"
#include "formula/ParserException.h"

Action::~Action() {}

void Action::checkResult(const std::deque<double>& stack) {
  if (!std::isfinite(stack.back())) throw MathError();
}

void Action::requireOperands(const std::deque<double>& stack, size_t count) {
  if (stack.size() < count) throw StackUnderflow();
}

double Action::applyUnary(Opcode opcode, double x) {
  return opcode == kNeg ? -x : (x == 0 ? 1.0 : 0.0);
}

double Action::applyBinary(Opcode opcode, double a, double b) {
  switch (opcode) {
    case kAdd:
      return a + b;
    case kSub:
      return a - b;
    case kMul:
      return a * b;
    case kDiv:
      return a / b;
    case kPower:
      return std::pow(a, b);
    case kLess:
      return a < b ? 1.0 : 0.0;
    case kGreater:
      return a > b ? 1.0 : 0.0;
    case kLessEqual:
      return a <= b ? 1.0 : 0.0;
    case kGreaterEqual:
      return a >= b ? 1.0 : 0.0;
    case kEqual:
      return a == b ? 1.0 : 0.0;
    case kNotEqual:
      return a != b ? 1.0 : 0.0;
    case kAnd:
      return (a != 0 && b != 0) ? 1.0 : 0.0;
    case kOr:
      return (a != 0 || b != 0) ? 1.0 : 0.0;
    default:
      break;
  }
  assert(false && "not a binary operator");
  return 0;
}

Action* Action::createOperator(Opcode opcode) {
  switch (opcode) {
    case kNeg:
      return new NegAction;
    case kNot:
      return new NotAction;
    case kAdd:
      return new AddAction;
    case kSub:
      return new SubAction;
    case kMul:
      return new MulAction;
    case kDiv:
      return new DivAction;
    case kPower:
      return new PowerAction;
    case kLess:
      return new LessAction;
    case kGreater:
      return new GreaterAction;
    case kLessEqual:
      return new LessEqualAction;
    case kGreaterEqual:
      return new GreaterEqualAction;
    case kEqual:
      return new EqualAction;
    case kNotEqual:
      return new NotEqualAction;
    case kAnd:
      return new AndAction;
    case kOr:
      return new OrAction;
    default:
      return nullptr;
  }
}

void Action::executeOperator(std::deque<double>& stack) const {
  if (opcode_ == kNeg || opcode_ == kNot) {
    requireOperands(stack, 1);
    double x = stack.back();
    stack.pop_back();
    stack.push_back(applyUnary(opcode_, x));
  } else {
    requireOperands(stack, 2);
    double b = stack.back();
    stack.pop_back();
    double a = stack.back();
    stack.pop_back();
    stack.push_back(applyBinary(opcode_, a, b));
  }
  checkResult(stack);
}

void NumberAction::execute(std::deque<double>& stack) {
  stack.push_back(value_);
  checkResult(stack);
}

void VariableAction::execute(std::deque<double>& stack) {
  stack.push_back(program_->variable(name_));
  checkResult(stack);
}

void NoArgumentFunctionAction::execute(std::deque<double>& stack) {
  FormulaProgram::Function0 f = program_->function0(name_);
  if (!f) throw FunctionNotFound(name_);
  stack.push_back(f());
  checkResult(stack);
}

void OneArgumentFunctionAction::execute(std::deque<double>& stack) {
  requireOperands(stack, 1);
  double x = stack.back();
  stack.pop_back();
  FormulaProgram::Function1 f = program_->function1(name_);
  if (!f) throw FunctionNotFound(name_);
  stack.push_back(f(x));
  checkResult(stack);
}

void TwoArgumentsFunctionAction::execute(std::deque<double>& stack) {
  requireOperands(stack, 2);
  double b = stack.back();
  stack.pop_back();
  double a = stack.back();
  stack.pop_back();
  FormulaProgram::Function2 f = program_->function2(name_);
  if (!f) throw FunctionNotFound(name_);
  stack.push_back(f(a, b));
  checkResult(stack);
}
