#include "formula/FormulaProgram.h"

#include <cassert>
#include <cmath>
#include <deque>

#include "formula/ParserException.h"

namespace {

const double kPi = 3.141592653589793;

double maxOf(double a, double b) { return a > b ? a : b; }
double minOf(double a, double b) { return a < b ? a : b; }

// Operands each step pops and values it pushes, for the depth simulation.
void stackEffect(Action::Opcode op, int* pops, int* pushes) {
  *pushes = 1;
  switch (op) {
    case Action::kNumber:
    case Action::kVariable:
    case Action::kFunction0:
      *pops = 0;
      break;
    case Action::kFunction1:
    case Action::kNeg:
    case Action::kNot:
      *pops = 1;
      break;
    default:
      *pops = 2;
      break;
  }
}

}  // namespace

FormulaProgram::FormulaProgram()
    : simulatedDepth_(0),
      maxDepth_(0),
      simulationStopped_(false),
      runIsStale_(false),
      lastVariable_(-1),
      firstOfRound_(0),
      variablesMoved_(true),
      functionsMoved_(true),
      ready_(false) {
  // Every formula starts from the same built-in tables; they are shared
  // until a formula changes its own, which keeps constructing formulas cheap.
  static const std::shared_ptr<const FunctionTables> builtins = [] {
    auto t = std::make_shared<FunctionTables>();
    t->one["acos"] = static_cast<Function1>(std::acos);
    t->one["asin"] = static_cast<Function1>(std::asin);
    t->one["atan"] = static_cast<Function1>(std::atan);
    t->two["atan2"] = static_cast<Function2>(std::atan2);
    t->one["cos"] = static_cast<Function1>(std::cos);
    t->one["cosh"] = static_cast<Function1>(std::cosh);
    t->one["exp"] = static_cast<Function1>(std::exp);
    t->one["abs"] = static_cast<Function1>(std::fabs);
    t->two["mod"] = static_cast<Function2>(std::fmod);
    t->one["log"] = static_cast<Function1>(std::log);
    t->one["ln"] = static_cast<Function1>(std::log);
    t->one["log10"] = static_cast<Function1>(std::log10);
    t->two["pow"] = static_cast<Function2>(std::pow);
    t->one["sin"] = static_cast<Function1>(std::sin);
    t->one["sinh"] = static_cast<Function1>(std::sinh);
    t->one["tan"] = static_cast<Function1>(std::tan);
    t->one["tanh"] = static_cast<Function1>(std::tanh);
    t->one["sqrt"] = static_cast<Function1>(std::sqrt);
    t->one["ceil"] = static_cast<Function1>(std::ceil);
    t->one["floor"] = static_cast<Function1>(std::floor);
    t->two["max"] = &maxOf;
    t->two["min"] = &minOf;
    return std::shared_ptr<const FunctionTables>(t);
  }();
  functions_ = builtins;
  setVariable("pi", kPi);
}

FormulaProgram::FormulaProgram(const FormulaProgram& other)
    : variables_(other.variables_),
      variableIndex_(other.variableIndex_),
      functions_(other.functions_),
      simulatedDepth_(0),
      maxDepth_(0),
      simulationStopped_(false),
      runIsStale_(false),
      lastVariable_(-1),
      firstOfRound_(0),
      variablesMoved_(true),
      functionsMoved_(true),
      ready_(false) {}

FormulaProgram::~FormulaProgram() { clearActions(); }

void FormulaProgram::appendInstruction(Action::Opcode opcode, int name,
                                       double value) {
  code_.push_back(
      Instruction{opcode, -1, name, value, nullptr, -1, -1, 0, false, false});
  runIsStale_ = true;
  ready_ = false;
  if (!simulationStopped_) {
    int pops, pushes;
    stackEffect(opcode, &pops, &pushes);
    if (simulatedDepth_ < pops) {
      simulationStopped_ = true;
    } else {
      simulatedDepth_ += pushes - pops;
      if (simulatedDepth_ > maxDepth_) maxDepth_ = simulatedDepth_;
    }
  }
}

void FormulaProgram::appendNumber(double value) {
  appendInstruction(Action::kNumber, -1, value);
}

void FormulaProgram::appendName(Action::Opcode opcode,
                                const std::string& name) {
  assert(opcode >= Action::kVariable && opcode <= Action::kFunction2);
  names_.push_back(name);
  appendInstruction(opcode, static_cast<int>(names_.size()) - 1, 0);
}

void FormulaProgram::appendOperator(Action::Opcode opcode) {
  assert(opcode >= Action::kNeg);
  appendInstruction(opcode, -1, 0);
}

void FormulaProgram::appendAction(Action* action) {
  assert(action);
  const Action::Opcode op = action->opcode();
  switch (op) {
    case Action::kNumber:
      appendNumber(static_cast<NumberAction*>(action)->value());
      break;
    case Action::kVariable:
      appendName(op, static_cast<VariableAction*>(action)->name());
      break;
    case Action::kFunction0:
      appendName(op, static_cast<NoArgumentFunctionAction*>(action)->name());
      break;
    case Action::kFunction1:
      appendName(op, static_cast<OneArgumentFunctionAction*>(action)->name());
      break;
    case Action::kFunction2:
      appendName(op, static_cast<TwoArgumentsFunctionAction*>(action)->name());
      break;
    default:
      appendOperator(op);
      break;
  }
  // Keep the caller's object as the action of this step.
  const size_t step = code_.size() - 1;
  while (actions_.size() < step)
    actions_.push_back(makeAction(code_[actions_.size()]));
  actions_.push_back(action);
}

Action* FormulaProgram::makeAction(const Instruction& in) const {
  FormulaProgram* self = const_cast<FormulaProgram*>(this);
  switch (in.opcode) {
    case Action::kNumber:
      return new NumberAction(in.value);
    case Action::kVariable:
      return new VariableAction(names_[in.name], self);
    case Action::kFunction0:
      return new NoArgumentFunctionAction(names_[in.name], self);
    case Action::kFunction1:
      return new OneArgumentFunctionAction(names_[in.name], self);
    case Action::kFunction2:
      return new TwoArgumentsFunctionAction(names_[in.name], self);
    default:
      return Action::createOperator(static_cast<Action::Opcode>(in.opcode));
  }
}

Action* FormulaProgram::actionAt(int i) const {
  assert(i >= 0 && i < actionCount());
  while (static_cast<int>(actions_.size()) <= i) {
    actions_.push_back(makeAction(code_[actions_.size()]));
  }
  return actions_[i];
}

void FormulaProgram::clearActions() {
  for (Action* a : actions_) delete a;
  actions_.clear();
  code_.clear();
  names_.clear();
  run_.clear();
  runIsStale_ = false;
  simulatedDepth_ = 0;
  maxDepth_ = 0;
  simulationStopped_ = false;
}

int FormulaProgram::findVariable(const std::string& name) const {
  // Re-binding sets the same names in the same order before every run, so
  // the entry after the last one found is the likely hit.
  // After the last name of a round, the next round starts where the
  // previous one did.
  const int count = static_cast<int>(variables_.size());
  const bool wrapped = lastVariable_ + 1 >= count;
  const int guess = wrapped ? firstOfRound_ : lastVariable_ + 1;
  if (guess >= 0 && guess < count && variables_[guess].name == name) {
    lastVariable_ = guess;
    return guess;
  }
  auto it = variableIndex_.find(name);
  if (it == variableIndex_.end()) return -1;
  if (wrapped) firstOfRound_ = it->second;
  lastVariable_ = it->second;
  return it->second;
}

void FormulaProgram::setVariableSlowly(const std::string& name, double value) {
  int i = findVariable(name);
  if (i >= 0) {
    variables_[i].value = value;
    return;
  }
  variableIndex_.emplace(name, static_cast<int>(variables_.size()));
  variables_.push_back(Variable{name, value});
  variablesMoved_ = true;
  ready_ = false;
}

void FormulaProgram::removeVariable(const std::string& name) {
  auto it = variableIndex_.find(name);
  if (it == variableIndex_.end()) return;
  variables_.erase(variables_.begin() + it->second);
  variableIndex_.clear();
  for (size_t i = 0; i < variables_.size(); ++i) {
    variableIndex_.emplace(variables_[i].name, static_cast<int>(i));
  }
  lastVariable_ = -1;
  firstOfRound_ = 0;
  variablesMoved_ = true;
  ready_ = false;
}

void FormulaProgram::removeAllVariables() {
  variables_.clear();
  variableIndex_.clear();
  lastVariable_ = -1;
  firstOfRound_ = 0;
  variablesMoved_ = true;
  ready_ = false;
}

double FormulaProgram::variable(const std::string& name) const {
  int i = findVariable(name);
  if (i < 0) throw VariableNotFound(name);
  return variables_[i].value;
}

bool FormulaProgram::hasVariable(const std::string& name) const {
  return findVariable(name) >= 0;
}

FormulaProgram::FunctionTables& FormulaProgram::writableFunctions() {
  if (functions_.use_count() != 1) {
    functions_ = std::make_shared<FunctionTables>(*functions_);
  }
  functionsMoved_ = true;
  ready_ = false;
  return const_cast<FunctionTables&>(*functions_);
}

void FormulaProgram::setFunction(const std::string& name, Function0 f) {
  writableFunctions().zero[name] = f;
}

void FormulaProgram::setFunction(const std::string& name, Function1 f) {
  writableFunctions().one[name] = f;
}

void FormulaProgram::setFunction(const std::string& name, Function2 f) {
  writableFunctions().two[name] = f;
}

void FormulaProgram::removeFunction(const std::string& name) {
  FunctionTables& t = writableFunctions();
  t.zero.erase(name);
  t.one.erase(name);
  t.two.erase(name);
}

void FormulaProgram::removeAllFunctions() {
  FunctionTables& t = writableFunctions();
  t.zero.clear();
  t.one.clear();
  t.two.clear();
}

FormulaProgram::Function0 FormulaProgram::function0(
    const std::string& name) const {
  auto it = functions_->zero.find(name);
  return it == functions_->zero.end() ? nullptr : it->second;
}

FormulaProgram::Function1 FormulaProgram::function1(
    const std::string& name) const {
  auto it = functions_->one.find(name);
  return it == functions_->one.end() ? nullptr : it->second;
}

FormulaProgram::Function2 FormulaProgram::function2(
    const std::string& name) const {
  auto it = functions_->two.find(name);
  return it == functions_->two.end() ? nullptr : it->second;
}

namespace {

// Folded run steps: a binary operator whose right operand is a variable or
// a literal, numbered after the plain opcodes.
const int kBinaryCount = Action::kOr - Action::kAdd + 1;
const int kFoldedVariable = Action::kOr + 1 - Action::kAdd;
const int kFoldedLiteral = kFoldedVariable + kBinaryCount;
// A binary operator whose two operands are each a variable or a literal:
// one step that pushes the result.
const int kPaired = kFoldedLiteral + kBinaryCount;

bool isBinaryOperator(int opcode) {
  return opcode >= Action::kAdd && opcode <= Action::kOr;
}

// A step that only pushes a known value: a variable, or a finite literal
// (an infinite one must fail where it stands).
template <typename Instruction>
bool isOperandLoad(const Instruction& in) {
  return in.opcode == Action::kVariable ||
         (in.opcode == Action::kNumber && std::isfinite(in.value));
}

}  // namespace

void FormulaProgram::buildRunCode() const {
  run_.clear();
  const size_t n = code_.size();
  for (size_t i = 0; i < n; ++i) {
    const Instruction& in = code_[i];
    if (i + 2 < n && isOperandLoad(in) && isOperandLoad(code_[i + 1]) &&
        isBinaryOperator(code_[i + 2].opcode)) {
      // Both operands are loaded by the one step, first then second, with
      // their own checks, before the result is pushed.
      const Instruction& second = code_[i + 1];
      Instruction paired = in;
      paired.opcode = code_[i + 2].opcode + kPaired;
      paired.firstIsVariable = in.opcode == Action::kVariable;
      paired.secondIsVariable = second.opcode == Action::kVariable;
      paired.name2 = second.name;
      paired.value2 = second.value;
      run_.push_back(paired);
      i += 2;
      continue;
    }
    const bool foldable =
        i + 1 < n && isBinaryOperator(code_[i + 1].opcode) && isOperandLoad(in);
    if (!foldable) {
      run_.push_back(in);
      continue;
    }
    // Folding keeps the order of the checks: the operand's lookup and
    // finiteness come first, then the operator's operand count.
    Instruction folded = in;
    const int offset =
        in.opcode == Action::kVariable ? kFoldedVariable : kFoldedLiteral;
    folded.opcode = code_[i + 1].opcode + offset;
    run_.push_back(folded);
    ++i;
  }
  runIsStale_ = false;
}

void FormulaProgram::resolveNames() const {
  const bool variables = variablesMoved_;
  const bool functions = functionsMoved_;
  for (Instruction& in : run_) {
    const int op = in.opcode;
    if (op >= Action::kAdd + kPaired) {
      if (variables && in.firstIsVariable) {
        auto it = variableIndex_.find(names_[in.name]);
        in.slot = it == variableIndex_.end() ? -1 : it->second;
      }
      if (variables && in.secondIsVariable) {
        auto it = variableIndex_.find(names_[in.name2]);
        in.slot2 = it == variableIndex_.end() ? -1 : it->second;
      }
    } else if (op == Action::kVariable ||
               (op >= Action::kAdd + kFoldedVariable &&
                op < Action::kAdd + kFoldedLiteral)) {
      if (variables) {
        auto it = variableIndex_.find(names_[in.name]);
        in.slot = it == variableIndex_.end() ? -1 : it->second;
      }
    } else if (functions && op == Action::kFunction0) {
      in.function = reinterpret_cast<void*>(function0(names_[in.name]));
    } else if (functions && op == Action::kFunction1) {
      in.function = reinterpret_cast<void*>(function1(names_[in.name]));
    } else if (functions && op == Action::kFunction2) {
      in.function = reinterpret_cast<void*>(function2(names_[in.name]));
    }
  }
  variablesMoved_ = false;
  functionsMoved_ = false;
}

void FormulaProgram::prepare() const {
  if (runIsStale_) {
    buildRunCode();
    variablesMoved_ = true;
    functionsMoved_ = true;
  }
  if (variablesMoved_ || functionsMoved_) resolveNames();
  if (static_cast<int>(stack_.size()) < maxDepth_ + 1) {
    stack_.resize(maxDepth_ + 1);
  }
  ready_ = true;
}

double FormulaProgram::eval() const {
  if (code_.empty()) return 0;
  if (!ready_) prepare();
  // The top of the stack lives in `top`; stack_ holds the values below it.
  // Every step checks its operands first and its result last, in the same
  // order as the actions' execute().
  double* below = stack_.data();
  int depth = 0;
  double top = 0;
  const Variable* vars = variables_.data();

#define VELK_BINARY(CODE, EXPR)                                   \
  case Action::CODE: {                                            \
    if (depth < 2) throw StackUnderflow();                        \
    --depth;                                                      \
    const double a = *--below;                                    \
    const double b = top;                                         \
    top = (EXPR);                                                 \
    break;                                                        \
  }                                                               \
  case Action::CODE + kFoldedVariable: {                          \
    if (in.slot < 0) throw VariableNotFound(names_[in.name]);     \
    const double b = vars[in.slot].value;                         \
    if (!std::isfinite(b)) throw MathError();                     \
    if (depth < 1) throw StackUnderflow();                        \
    const double a = top;                                         \
    top = (EXPR);                                                 \
    break;                                                        \
  }                                                               \
  case Action::CODE + kFoldedLiteral: {                           \
    if (depth < 1) throw StackUnderflow();                        \
    const double a = top;                                         \
    const double b = in.value;                                    \
    top = (EXPR);                                                 \
    break;                                                        \
  }                                                               \
  case Action::CODE + kPaired: {                                  \
    double a = in.value;                                          \
    if (in.firstIsVariable) {                                     \
      if (in.slot < 0) throw VariableNotFound(names_[in.name]);   \
      a = vars[in.slot].value;                                    \
      if (!std::isfinite(a)) throw MathError();                   \
    }                                                             \
    double b = in.value2;                                         \
    if (in.secondIsVariable) {                                    \
      if (in.slot2 < 0) throw VariableNotFound(names_[in.name2]); \
      b = vars[in.slot2].value;                                   \
      if (!std::isfinite(b)) throw MathError();                   \
    }                                                             \
    if (depth++) *below++ = top;                                  \
    top = (EXPR);                                                 \
    break;                                                        \
  }

  for (const Instruction& in : run_) {
    switch (in.opcode) {
      case Action::kNumber:
        if (depth++) *below++ = top;
        top = in.value;
        break;
      case Action::kVariable:
        if (in.slot < 0) throw VariableNotFound(names_[in.name]);
        if (depth++) *below++ = top;
        top = vars[in.slot].value;
        break;
      case Action::kFunction0:
        if (!in.function) throw FunctionNotFound(names_[in.name]);
        if (depth++) *below++ = top;
        top = reinterpret_cast<Function0>(in.function)();
        break;
      case Action::kFunction1:
        if (depth < 1) throw StackUnderflow();
        if (!in.function) throw FunctionNotFound(names_[in.name]);
        top = reinterpret_cast<Function1>(in.function)(top);
        break;
      case Action::kFunction2: {
        if (depth < 2) throw StackUnderflow();
        if (!in.function) throw FunctionNotFound(names_[in.name]);
        --depth;
        const double a = *--below;
        top = reinterpret_cast<Function2>(in.function)(a, top);
        break;
      }
      case Action::kNeg:
        if (depth < 1) throw StackUnderflow();
        top = -top;
        break;
      case Action::kNot:
        if (depth < 1) throw StackUnderflow();
        top = top == 0 ? 1.0 : 0.0;
        break;
        VELK_BINARY(kAdd, a + b)
        VELK_BINARY(kSub, a - b)
        VELK_BINARY(kMul, a * b)
        VELK_BINARY(kDiv, a / b)
        VELK_BINARY(kPower, std::pow(a, b))
        VELK_BINARY(kLess, a < b ? 1.0 : 0.0)
        VELK_BINARY(kGreater, a > b ? 1.0 : 0.0)
        VELK_BINARY(kLessEqual, a <= b ? 1.0 : 0.0)
        VELK_BINARY(kGreaterEqual, a >= b ? 1.0 : 0.0)
        VELK_BINARY(kEqual, a == b ? 1.0 : 0.0)
        VELK_BINARY(kNotEqual, a != b ? 1.0 : 0.0)
        VELK_BINARY(kAnd, (a != 0 && b != 0) ? 1.0 : 0.0)
        VELK_BINARY(kOr, (a != 0 || b != 0) ? 1.0 : 0.0)
      default:
        assert(false && "unknown step");
        break;
    }
    if (!std::isfinite(top)) throw MathError();
  }
#undef VELK_BINARY
  if (depth != 1) throw StackUnderflow();
  return top;
}

double FormulaProgram::evalByActions() const {
  if (code_.empty()) return 0;
  std::deque<double> stack;
  for (int i = 0; i < actionCount(); ++i) actionAt(i)->execute(stack);
  if (stack.size() != 1) throw StackUnderflow();
  return stack.back();
}
