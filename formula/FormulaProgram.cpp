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
      lastVariable_(-1),
      variableGeneration_(1),
      functionGeneration_(1),
      resolvedVariableGeneration_(0),
      resolvedFunctionGeneration_(0) {
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
      lastVariable_(-1),
      variableGeneration_(1),
      functionGeneration_(1),
      resolvedVariableGeneration_(0),
      resolvedFunctionGeneration_(0) {}

FormulaProgram::~FormulaProgram() { clearActions(); }

void FormulaProgram::appendAction(Action* action) {
  assert(action);
  actions_.push_back(action);
  Instruction in;
  in.opcode = action->opcode();
  in.slot = -1;
  in.value = 0;
  in.function = nullptr;
  in.name = nullptr;
  switch (in.opcode) {
    case Action::kNumber:
      in.value = static_cast<NumberAction*>(action)->value();
      break;
    case Action::kVariable:
      in.name = &static_cast<VariableAction*>(action)->name();
      break;
    case Action::kFunction0:
      in.name = &static_cast<NoArgumentFunctionAction*>(action)->name();
      break;
    case Action::kFunction1:
      in.name = &static_cast<OneArgumentFunctionAction*>(action)->name();
      break;
    case Action::kFunction2:
      in.name = &static_cast<TwoArgumentsFunctionAction*>(action)->name();
      break;
    default:
      break;
  }
  code_.push_back(in);
  // New names need resolving before the next run.
  resolvedVariableGeneration_ = 0;
  resolvedFunctionGeneration_ = 0;

  if (!simulationStopped_) {
    int pops, pushes;
    stackEffect(in.opcode, &pops, &pushes);
    if (simulatedDepth_ < pops) {
      simulationStopped_ = true;
    } else {
      simulatedDepth_ += pushes - pops;
      if (simulatedDepth_ > maxDepth_) maxDepth_ = simulatedDepth_;
    }
  }
}

void FormulaProgram::clearActions() {
  for (Action* a : actions_) delete a;
  actions_.clear();
  code_.clear();
  simulatedDepth_ = 0;
  maxDepth_ = 0;
  simulationStopped_ = false;
}

int FormulaProgram::findVariable(const std::string& name) const {
  // Re-binding sets the same names in the same order before every run, so
  // the entry after the last one found is the likely hit.
  const int count = static_cast<int>(variables_.size());
  int guess = lastVariable_ + 1;
  if (guess >= count) guess = 0;
  if (guess < count && variables_[guess].name == name) {
    lastVariable_ = guess;
    return guess;
  }
  auto it = variableIndex_.find(name);
  if (it == variableIndex_.end()) return -1;
  lastVariable_ = it->second;
  return it->second;
}

void FormulaProgram::setVariable(const std::string& name, double value) {
  int i = findVariable(name);
  if (i >= 0) {
    variables_[i].value = value;
    return;
  }
  variableIndex_.emplace(name, static_cast<int>(variables_.size()));
  variables_.push_back(Variable{name, value});
  ++variableGeneration_;
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
  ++variableGeneration_;
}

void FormulaProgram::removeAllVariables() {
  variables_.clear();
  variableIndex_.clear();
  lastVariable_ = -1;
  ++variableGeneration_;
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
  ++functionGeneration_;
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

void FormulaProgram::resolveNames() const {
  const bool variables = resolvedVariableGeneration_ != variableGeneration_;
  const bool functions = resolvedFunctionGeneration_ != functionGeneration_;
  for (Instruction& in : code_) {
    switch (in.opcode) {
      case Action::kVariable:
        if (variables) {
          auto it = variableIndex_.find(*in.name);
          in.slot = it == variableIndex_.end() ? -1 : it->second;
        }
        break;
      case Action::kFunction0:
        if (functions)
          in.function = reinterpret_cast<void*>(function0(*in.name));
        break;
      case Action::kFunction1:
        if (functions)
          in.function = reinterpret_cast<void*>(function1(*in.name));
        break;
      case Action::kFunction2:
        if (functions)
          in.function = reinterpret_cast<void*>(function2(*in.name));
        break;
      default:
        break;
    }
  }
  resolvedVariableGeneration_ = variableGeneration_;
  resolvedFunctionGeneration_ = functionGeneration_;
}

double FormulaProgram::eval() const {
  if (code_.empty()) return 0;
  if (resolvedVariableGeneration_ != variableGeneration_ ||
      resolvedFunctionGeneration_ != functionGeneration_) {
    resolveNames();
  }
  if (static_cast<int>(stack_.size()) < maxDepth_ + 1) {
    stack_.resize(maxDepth_ + 1);
  }
  double* const base = stack_.data();
  double* top = base;  // one past the top value
  const Variable* vars = variables_.data();

  for (const Instruction& in : code_) {
    double result;
    switch (in.opcode) {
      case Action::kNumber:
        result = in.value;
        break;
      case Action::kVariable:
        if (in.slot < 0) throw VariableNotFound(*in.name);
        result = vars[in.slot].value;
        break;
      case Action::kFunction0:
        if (!in.function) throw FunctionNotFound(*in.name);
        result = reinterpret_cast<Function0>(in.function)();
        break;
      case Action::kFunction1:
        if (top - base < 1) throw StackUnderflow();
        if (!in.function) throw FunctionNotFound(*in.name);
        result = reinterpret_cast<Function1>(in.function)(*--top);
        break;
      case Action::kFunction2: {
        if (top - base < 2) throw StackUnderflow();
        if (!in.function) throw FunctionNotFound(*in.name);
        const double b = *--top;
        const double a = *--top;
        result = reinterpret_cast<Function2>(in.function)(a, b);
        break;
      }
      case Action::kNeg:
        if (top - base < 1) throw StackUnderflow();
        result = -*--top;
        break;
      case Action::kNot:
        if (top - base < 1) throw StackUnderflow();
        result = *--top == 0 ? 1.0 : 0.0;
        break;
      case Action::kAdd:
        if (top - base < 2) throw StackUnderflow();
        top -= 2;
        result = top[0] + top[1];
        break;
      case Action::kSub:
        if (top - base < 2) throw StackUnderflow();
        top -= 2;
        result = top[0] - top[1];
        break;
      case Action::kMul:
        if (top - base < 2) throw StackUnderflow();
        top -= 2;
        result = top[0] * top[1];
        break;
      case Action::kDiv:
        if (top - base < 2) throw StackUnderflow();
        top -= 2;
        result = top[0] / top[1];
        break;
      default:
        if (top - base < 2) throw StackUnderflow();
        top -= 2;
        result = Action::applyBinary(in.opcode, top[0], top[1]);
        break;
    }
    if (!std::isfinite(result)) throw MathError();
    *top++ = result;
  }
  if (top - base != 1) throw StackUnderflow();
  return base[0];
}

double FormulaProgram::evalByActions() const {
  if (actions_.empty()) return 0;
  std::deque<double> stack;
  for (Action* a : actions_) a->execute(stack);
  if (stack.size() != 1) throw StackUnderflow();
  return stack.back();
}
