#include "formula/FormulaProgram.h"

#include <atomic>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>

#include "formula/ParserException.h"

namespace {

const double kPi = 3.141592653589793;
// Names a code keeps apart before it stops looking for repeats.
const size_t kNameSearchLimit = 256;
// Variables a table scans before it builds an index.
const int kLinearVariables = 16;
// Stack slots an evaluation keeps in its own frame.
const int kFrameStack = 64;

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

// a raised to b, as the C library's pow computes it. Squares, the common
// case, are mostly computed without the call: a*a is the exact square
// correctly rounded, and pow is within 0.54 units in the last place of the
// exact result, so pow can only answer differently when the exact square
// lies close to the midpoint between two doubles. The exact rounding error
// of a*a tells when that may be; only then, and outside the range where the
// error is exact, is pow asked.
inline double power(double a, double b) {
  if (b != 2.0) return std::pow(a, b);
  const double p = a * a;
  if (!(p >= 0x1p-900 && p <= 0x1p900)) return std::pow(a, b);
  // A value of at most 26 significant bits, such as a whole number of
  // millimetres, squares exactly, and pow gives an exact result exactly.
  uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  if ((bits & 0x7ffffff) == 0) return p;
  // Two halves of a whose products are exact (Dekker's split).
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  const double lo = a - hi;
  const double error = ((hi * hi - p) + 2 * hi * lo) + lo * lo;
  // One unit in the last place of p, from its exponent.
  std::memcpy(&bits, &p, sizeof bits);
  bits = (bits & 0x7ff0000000000000ULL) - (uint64_t{52} << 52);
  double unit;
  std::memcpy(&unit, &bits, sizeof unit);
  if (std::fabs(error) < 0.4 * unit) return p;
  return std::pow(a, b);
}

// A stamp no table has had yet; 0 is never given out, so the default
// handle is never current.
uint64_t newStamp() {
  static std::atomic<uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

// Whether `x` is neither infinite nor not a number, from its exponent
// bits: unlike a floating-point test it needs no constant that would have
// to be kept across the calls of functions.
inline bool isFiniteValue(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return ((bits >> 52) & 0x7ff) != 0x7ff;
}

}  // namespace

FormulaProgram::FormulaProgram()
    : stamp_(newStamp()),
      ready_(false),
      sound_(false),
      stackNeeded_(0),
      runSteps_(nullptr),
      names_(nullptr),
      lastVariable_(-1),
      firstOfRound_(0) {
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
    : stamp_(newStamp()),
      ready_(false),
      sound_(false),
      stackNeeded_(0),
      runSteps_(nullptr),
      names_(nullptr),
      variables_(other.variables_),
      lastVariable_(-1),
      firstOfRound_(0),
      functions_(other.functions_) {
  ownFunctions_ = other.ownFunctions_;
}

FormulaProgram::~FormulaProgram() { clearActions(); }

FormulaProgram::Code& FormulaProgram::writableCode() {
  if (!code_) {
    code_ = std::make_shared<Code>();
  } else if (code_.use_count() > 1) {
    code_ = std::make_shared<Code>(*code_);
  }
  code_->runBuilt = false;
  code_->constantKnown = false;
  ready_ = false;
  return *code_;
}

void FormulaProgram::appendStep(Action::Opcode opcode, int name,
                                double value) {
  Code& code = writableCode();
  code.steps.push_back(Step{opcode, name, value});
  if (!code.simulationStopped) {
    int pops, pushes;
    stackEffect(opcode, &pops, &pushes);
    if (code.simulatedDepth < pops) {
      code.simulationStopped = true;
    } else {
      code.simulatedDepth += pushes - pops;
      if (code.simulatedDepth > code.maxDepth) {
        code.maxDepth = code.simulatedDepth;
      }
    }
  }
}

void FormulaProgram::appendNumber(double value) {
  appendStep(Action::kNumber, -1, value);
}

void FormulaProgram::appendName(Action::Opcode opcode,
                                const std::string& name) {
  assert(opcode >= Action::kVariable && opcode <= Action::kFunction2);
  std::vector<Name>& names = writableCode().names;
  // A name used again in the same way shares its handle. Searching is
  // linear, so texts with very many names simply list later ones twice.
  int index = -1;
  if (names.size() <= kNameSearchLimit) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i].opcode == opcode && names[i].text == name) {
        index = static_cast<int>(i);
        break;
      }
    }
  }
  if (index < 0) {
    names.push_back(Name{opcode, name});
    index = static_cast<int>(names.size()) - 1;
  }
  appendStep(opcode, index, 0);
}

void FormulaProgram::appendOperator(Action::Opcode opcode) {
  assert(opcode >= Action::kNeg);
  appendStep(opcode, -1, 0);
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
  const size_t step = code_->steps.size() - 1;
  while (actions_.size() < step) {
    actions_.push_back(makeAction(code_->steps[actions_.size()]));
  }
  actions_.push_back(action);
}

void FormulaProgram::runSameCodeAs(const FormulaProgram& source) {
  if (&source == this) return;
  for (Action* a : actions_) delete a;
  actions_.clear();
  code_ = source.code_;
  ready_ = false;
}

void FormulaProgram::copyTablesOf(const FormulaProgram& source) {
  if (&source == this) return;
  variables_ = source.variables_;
  functions_ = source.functions_;
  ownFunctions_ = source.ownFunctions_;
  lastVariable_ = -1;
  firstOfRound_ = 0;
  variablesMoved();
}

Action* FormulaProgram::makeAction(const Step& step) const {
  FormulaProgram* self = const_cast<FormulaProgram*>(this);
  switch (step.opcode) {
    case Action::kNumber:
      return new NumberAction(step.value);
    case Action::kVariable:
      return new VariableAction(code_->names[step.name].text, self);
    case Action::kFunction0:
      return new NoArgumentFunctionAction(code_->names[step.name].text, self);
    case Action::kFunction1:
      return new OneArgumentFunctionAction(code_->names[step.name].text, self);
    case Action::kFunction2:
      return new TwoArgumentsFunctionAction(code_->names[step.name].text,
                                            self);
    default:
      return Action::createOperator(static_cast<Action::Opcode>(step.opcode));
  }
}

Action* FormulaProgram::actionAt(int i) const {
  assert(i >= 0 && i < actionCount());
  while (static_cast<int>(actions_.size()) <= i) {
    actions_.push_back(makeAction(code_->steps[actions_.size()]));
  }
  return actions_[i];
}

void FormulaProgram::clearActions() {
  for (Action* a : actions_) delete a;
  actions_.clear();
  code_.reset();
  ready_ = false;
}

int FormulaProgram::indexOf(const std::string& name) const {
  const int count = static_cast<int>(variables_.size());
  if (count <= kLinearVariables) {
    for (int i = 0; i < count; ++i) {
      if (variables_[i].name == name) return i;
    }
    return -1;
  }
  if (!index_) {
    index_.reset(new std::unordered_map<std::string, int>);
    for (int i = 0; i < count; ++i) index_->emplace(variables_[i].name, i);
  }
  auto it = index_->find(name);
  return it == index_->end() ? -1 : it->second;
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
  const int i = indexOf(name);
  if (i < 0) return -1;
  if (wrapped) firstOfRound_ = i;
  lastVariable_ = i;
  return i;
}

void FormulaProgram::variablesMoved() {
  index_.reset();
  stamp_ = newStamp();
  ready_ = false;
}

int FormulaProgram::setVariableSlowly(const std::string& name, double value) {
  int i = findVariable(name);
  if (i >= 0) {
    variables_[i].value = value;
    return i;
  }
  variables_.push_back(Variable{name, value});
  // The values may have moved, so every handle of the code is resolved
  // again; the index may simply take the new name. Slots keep their
  // numbers, so handles given out stay current.
  i = static_cast<int>(variables_.size()) - 1;
  if (index_) index_->emplace(name, i);
  ready_ = false;
  return i;
}

FormulaProgram::VariableHandle FormulaProgram::bindVariable(
    const std::string& name, double value) {
  const int slot = setVariableSlowly(name, value);
  return VariableHandle(stamp_, slot);
}

void FormulaProgram::removeVariable(const std::string& name) {
  const int i = indexOf(name);
  if (i < 0) return;
  variables_.erase(variables_.begin() + i);
  lastVariable_ = -1;
  firstOfRound_ = 0;
  variablesMoved();
}

void FormulaProgram::removeAllVariables() {
  variables_.clear();
  lastVariable_ = -1;
  firstOfRound_ = 0;
  variablesMoved();
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
  ready_ = false;
  ownFunctions_ = true;
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
// A variable and the one-argument function called on it.
const int kFunctionOfVariable = Action::kAdd + kPaired + kBinaryCount;
// A paired step and the binary operator whose right operand it is: the
// operator takes the stack's top and the pair's result without pushing it.
// Numbered by the pair's operator, then by the outer one.
const int kFused = kFunctionOfVariable + 1;
// A variable, the one-argument function called on it and the binary
// operator whose right operand the call is; numbered by the operator.
const int kFunctionInto = kFused + kBinaryCount * kBinaryCount;
// The step that ends every run code.
const int kEndOfRun = kFunctionInto + kBinaryCount;

// The built-ins that `eval` computes in place when a formula still has
// them under their names.
// At namespace scope, so that no guard is tested on every call of a
// function.
void* const kBuiltinSqrt =
    reinterpret_cast<void*>(static_cast<FormulaProgram::Function1>(std::sqrt));
void* builtinSqrt() { return kBuiltinSqrt; }
void* builtinMax() { return reinterpret_cast<void*>(&maxOf); }
void* builtinMin() { return reinterpret_cast<void*>(&minOf); }

bool isBinaryOperator(int opcode) {
  return opcode >= Action::kAdd && opcode <= Action::kOr;
}

// A step that only pushes a known value: a variable, or a finite literal
// (an infinite one must fail where it stands).
template <typename Step>
bool isOperandLoad(const Step& step) {
  return step.opcode == Action::kVariable ||
         (step.opcode == Action::kNumber && std::isfinite(step.value));
}

}  // namespace

void FormulaProgram::Code::buildRun() const {
  run.clear();
  const size_t n = steps.size();
  for (size_t i = 0; i < n; ++i) {
    const Step& in = steps[i];
    if (i + 2 < n && isOperandLoad(in) && isOperandLoad(steps[i + 1]) &&
        isBinaryOperator(steps[i + 2].opcode)) {
      // Both operands are loaded by the one step, first then second, with
      // their own checks, before the result is pushed. A literal operand
      // has no name.
      const Step& second = steps[i + 1];
      const int inner = steps[i + 2].opcode;
      int opcode = inner + kPaired;
      if (i + 3 < n && isBinaryOperator(steps[i + 3].opcode)) {
        opcode = kFused + (inner - Action::kAdd) * kBinaryCount +
                 (steps[i + 3].opcode - Action::kAdd);
        ++i;
      }
      run.push_back(RunStep{opcode,
                            in.opcode == Action::kVariable ? in.name : -1,
                            second.opcode == Action::kVariable ? second.name
                                                               : -1,
                            in.value, second.value});
      i += 2;
      continue;
    }
    if (i + 1 < n && in.opcode == Action::kVariable &&
        steps[i + 1].opcode == Action::kFunction1) {
      if (i + 2 < n && isBinaryOperator(steps[i + 2].opcode)) {
        run.push_back(RunStep{kFunctionInto + steps[i + 2].opcode -
                                  Action::kAdd,
                              in.name, steps[i + 1].name, 0, 0});
        i += 2;
        continue;
      }
      run.push_back(
          RunStep{kFunctionOfVariable, in.name, steps[i + 1].name, 0, 0});
      ++i;
      continue;
    }
    const bool foldable =
        i + 1 < n && isBinaryOperator(steps[i + 1].opcode) && isOperandLoad(in);
    if (!foldable) {
      run.push_back(RunStep{in.opcode, in.name, -1, in.value, 0});
      continue;
    }
    // Folding keeps the order of the checks: the operand's lookup and
    // finiteness come first, then the operator's operand count.
    const int offset =
        in.opcode == Action::kVariable ? kFoldedVariable : kFoldedLiteral;
    run.push_back(
        RunStep{steps[i + 1].opcode + offset, in.name, -1, in.value, 0});
    ++i;
  }
  run.push_back(RunStep{kEndOfRun, -1, -1, 0, 0});
  runLiteralsFinite = true;
  for (const RunStep& step : run) {
    if (step.opcode == Action::kNumber && !std::isfinite(step.value)) {
      runLiteralsFinite = false;
    }
  }
  runBuilt = true;
}

bool FormulaProgram::resolveHandles() const {
  const std::vector<Name>& names = code_->names;
  handles_.resize(names.size());
  bool all = true;
  for (size_t i = 0; i < names.size(); ++i) {
    Handle& h = handles_[i];
    h.value = nullptr;
    h.function = nullptr;
    const std::string& text = names[i].text;
    switch (names[i].opcode) {
      case Action::kVariable: {
        const int slot = indexOf(text);
        if (slot >= 0) h.value = &variables_[slot].value;
        break;
      }
      case Action::kFunction0:
        h.function = reinterpret_cast<void*>(function0(text));
        break;
      case Action::kFunction1:
        h.function = reinterpret_cast<void*>(function1(text));
        break;
      default:
        h.function = reinterpret_cast<void*>(function2(text));
        break;
    }
    if (!h.value && !h.function) all = false;
  }
  return all;
}

void FormulaProgram::prepare() const {
  if (!code_ || code_->steps.empty()) {
    // The empty program yields 0: a run code that pushes it.
    static const RunStep kZero[] = {{Action::kNumber, -1, -1, 0, 0},
                                    {kEndOfRun, -1, -1, 0, 0}};
    runSteps_ = kZero;
    names_ = nullptr;
    stackNeeded_ = 1;
    handles_.clear();
    sound_ = true;
    ready_ = true;
    return;
  }
  const Code& code = *code_;
  if (!code.runBuilt) code.buildRun();
  const bool resolved = resolveHandles();
  runSteps_ = code.run.data();
  names_ = code.names.data();
  stackNeeded_ = code.maxDepth + 1;
  // The depth the code reaches depends on its steps alone, so the
  // simulation made while compiling tells whether any step could lack an
  // operand or more than one value could be left.
  sound_ = resolved && !code.simulationStopped && code.simulatedDepth == 1 &&
           code.runLiteralsFinite;
  ready_ = true;
}

bool FormulaProgram::computeConstantValue(double* value) const {
  if (!ready_) prepare();
  // Without names nothing outside the code reaches the result.
  if (!sound_ || (code_ && !code_->names.empty())) return false;
  double result;
  try {
    result = run<true>();
  } catch (const EvalError&) {
    return false;
  }
  if (code_) {
    code_->constantValue = result;
    code_->constantKnown = true;
  }
  *value = result;
  return true;
}

double* FormulaProgram::deepStack() const {
  if (static_cast<int>(deepStack_.size()) < stackNeeded_) {
    deepStack_.resize(stackNeeded_);
  }
  return deepStack_.data();
}

template <bool kSound>
double FormulaProgram::run() const {
  // Short programs keep their stack in this frame; only a deeply nested
  // text needs one from the heap. The top of the stack lives in `top`;
  // `below` holds the values under it. A sound program does not count the
  // depth: its first push stores the meaningless initial `top` at the
  // bottom, one slot of the room `stackNeeded_` keeps for it, and no step
  // ever pops that slot.
  double frame[kFrameStack];
  double* below = stackNeeded_ <= kFrameStack ? frame : deepStack();
  int depth = 0;
  double top = 0;
  const Handle* handles = handles_.data();
  const Name* names = names_;
  const RunStep* in = runSteps_;

  // Each step jumps straight to the next one's code, and the run code ends
  // with a step that leaves the loop. Every step checks its operands first
  // and its result last, in the same order as the actions' execute(); a
  // result that cannot be infinite or not a number (a comparison or logic
  // result, the negation of a checked value) is not checked again.
  //
  // In a sound program the only possible error is `MathError`, whichever
  // check finds it, and every value on the stack is finite. A sum,
  // difference or product with an operand that is infinite or not a number
  // is itself infinite or not a number, so there the result's check stands
  // for the operand's; a quotient, power or comparison can be finite with
  // such an operand, so there each operand keeps its own check.
  static const void* const kDispatch[] = {
      &&number, &&variable, &&function0, &&function1, &&function2, &&neg,
      &&logicalNot,
#define VELK_LABELS(SUFFIX)                                               \
  &&add##SUFFIX, &&sub##SUFFIX, &&mul##SUFFIX, &&div##SUFFIX,             \
      &&power##SUFFIX, &&less##SUFFIX, &&greater##SUFFIX,                 \
      &&lessEqual##SUFFIX, &&greaterEqual##SUFFIX, &&equal##SUFFIX,       \
      &&notEqual##SUFFIX, &&logicalAnd##SUFFIX, &&logicalOr##SUFFIX
      VELK_LABELS(), VELK_LABELS(FoldedVariable), VELK_LABELS(FoldedLiteral),
      VELK_LABELS(Paired), &&functionOfVariable,
      VELK_LABELS(_add), VELK_LABELS(_sub), VELK_LABELS(_mul),
      VELK_LABELS(_div), VELK_LABELS(_power), VELK_LABELS(_less),
      VELK_LABELS(_greater), VELK_LABELS(_lessEqual),
      VELK_LABELS(_greaterEqual), VELK_LABELS(_equal), VELK_LABELS(_notEqual),
      VELK_LABELS(_logicalAnd), VELK_LABELS(_logicalOr),
      VELK_LABELS(FunctionInto),
#undef VELK_LABELS
      &&end};
  static_assert(sizeof kDispatch / sizeof kDispatch[0] == kEndOfRun + 1,
                "one entry per run step");

#define VELK_NEXT goto* kDispatch[(++in)->opcode]
#define VELK_NEED(COUNT) \
  if (!kSound && depth < (COUNT)) throw StackUnderflow();
#define VELK_PUSH                  \
  if (kSound) {                    \
    *below++ = top;                \
  } else if (depth++) {            \
    *below++ = top;                \
  }
#define VELK_POP(INTO) \
  if (!kSound) --depth; \
  INTO = *--below;
#define VELK_FINITE(VALUE) \
  if (!isFiniteValue(VALUE)) throw MathError();
// Loads a variable with its checks; a sound program resolved every name
// and leaves the finiteness to the result where PROPAGATES.
#define VELK_LOAD(NAME, INTO, PROPAGATES)                  \
  {                                                        \
    const double* slot = handles[NAME].value;              \
    if (!kSound && !slot) throw VariableNotFound(names[NAME].text); \
    INTO = *slot;                                          \
    if (!(kSound && (PROPAGATES))) VELK_FINITE(INTO)       \
  }
#define VELK_CHECKED VELK_FINITE(top)
#define VELK_UNCHECKED

// Per binary operator: its arithmetic, whether its result is checked and
// whether a non-finite operand always gives a non-finite result.
#define VELK_OP_add(A, B) ((A) + (B))
#define VELK_OP_sub(A, B) ((A) - (B))
#define VELK_OP_mul(A, B) ((A) * (B))
#define VELK_OP_div(A, B) ((A) / (B))
#define VELK_OP_power(A, B) power((A), (B))
#define VELK_OP_less(A, B) ((A) < (B) ? 1.0 : 0.0)
#define VELK_OP_greater(A, B) ((A) > (B) ? 1.0 : 0.0)
#define VELK_OP_lessEqual(A, B) ((A) <= (B) ? 1.0 : 0.0)
#define VELK_OP_greaterEqual(A, B) ((A) >= (B) ? 1.0 : 0.0)
#define VELK_OP_equal(A, B) ((A) == (B) ? 1.0 : 0.0)
#define VELK_OP_notEqual(A, B) ((A) != (B) ? 1.0 : 0.0)
#define VELK_OP_logicalAnd(A, B) (((A) != 0 && (B) != 0) ? 1.0 : 0.0)
#define VELK_OP_logicalOr(A, B) (((A) != 0 || (B) != 0) ? 1.0 : 0.0)
#define VELK_CHECKS_add true
#define VELK_CHECKS_sub true
#define VELK_CHECKS_mul true
#define VELK_CHECKS_div true
#define VELK_CHECKS_power true
#define VELK_CHECKS_less false
#define VELK_CHECKS_greater false
#define VELK_CHECKS_lessEqual false
#define VELK_CHECKS_greaterEqual false
#define VELK_CHECKS_equal false
#define VELK_CHECKS_notEqual false
#define VELK_CHECKS_logicalAnd false
#define VELK_CHECKS_logicalOr false
#define VELK_PROPAGATES_add true
#define VELK_PROPAGATES_sub true
#define VELK_PROPAGATES_mul true
#define VELK_PROPAGATES_div false
#define VELK_PROPAGATES_power false
#define VELK_PROPAGATES_less false
#define VELK_PROPAGATES_greater false
#define VELK_PROPAGATES_lessEqual false
#define VELK_PROPAGATES_greaterEqual false
#define VELK_PROPAGATES_equal false
#define VELK_PROPAGATES_notEqual false
#define VELK_PROPAGATES_logicalAnd false
#define VELK_PROPAGATES_logicalOr false
#define VELK_CHECKS(NAME) VELK_CHECKS_##NAME
#define VELK_PROPAGATES(NAME) VELK_PROPAGATES_##NAME
#define VELK_RESULT(NAME) \
  if (VELK_CHECKS(NAME)) VELK_FINITE(top)

#define VELK_BINARY(NAME)                           \
  NAME : {                                          \
    VELK_NEED(2)                                    \
    double a;                                       \
    VELK_POP(a)                                     \
    top = VELK_OP_##NAME(a, top);                   \
    VELK_RESULT(NAME) VELK_NEXT;                    \
  }                                                 \
  NAME##FoldedVariable : {                          \
    double b;                                       \
    VELK_LOAD(in->name, b, VELK_PROPAGATES(NAME))   \
    VELK_NEED(1)                                    \
    top = VELK_OP_##NAME(top, b);                   \
    VELK_RESULT(NAME) VELK_NEXT;                    \
  }                                                 \
  NAME##FoldedLiteral : {                           \
    VELK_NEED(1)                                    \
    top = VELK_OP_##NAME(top, in->value);           \
    VELK_RESULT(NAME) VELK_NEXT;                    \
  }                                                 \
  NAME##Paired : {                                  \
    double a = in->value;                           \
    if (in->name >= 0) VELK_LOAD(in->name, a, VELK_PROPAGATES(NAME)) \
    double b = in->value2;                          \
    if (in->name2 >= 0) VELK_LOAD(in->name2, b, VELK_PROPAGATES(NAME)) \
    VELK_PUSH                                       \
    top = VELK_OP_##NAME(a, b);                     \
    VELK_RESULT(NAME) VELK_NEXT;                    \
  }

// OUTER's right operand is the pair's INNER result, which is checked
// before OUTER's operand count, as if it had been pushed; a sound program
// leaves that check to OUTER's result where OUTER propagates.
#define VELK_FUSED(OUTER, INNER)                                          \
  OUTER##_##INNER : {                                                     \
    double a = in->value;                                                 \
    if (in->name >= 0) VELK_LOAD(in->name, a, VELK_PROPAGATES(INNER))     \
    double b = in->value2;                                                \
    if (in->name2 >= 0) VELK_LOAD(in->name2, b, VELK_PROPAGATES(INNER))   \
    const double inner = VELK_OP_##INNER(a, b);                           \
    if (VELK_CHECKS(INNER) && !(kSound && VELK_PROPAGATES(OUTER))) {      \
      VELK_FINITE(inner)                                                  \
    }                                                                     \
    VELK_NEED(1)                                                          \
    top = VELK_OP_##OUTER(top, inner);                                    \
    VELK_RESULT(OUTER) VELK_NEXT;                                         \
  }
// OUTER's right operand is the function's result, checked before OUTER's
// operand count as if it had been pushed; a sound program leaves that
// check to OUTER's result where OUTER propagates.
#define VELK_FUNCTION_INTO(OUTER)                                         \
  OUTER##FunctionInto : {                                                 \
    double x;                                                             \
    VELK_LOAD(in->name, x, false)                                         \
    void* f = handles[in->name2].function;                                \
    if (!kSound && !f) throw FunctionNotFound(names[in->name2].text);     \
    const double inner = f == builtinSqrt()                               \
                             ? std::sqrt(x)                               \
                             : reinterpret_cast<Function1>(f)(x);         \
    if (!(kSound && VELK_PROPAGATES(OUTER))) VELK_FINITE(inner)           \
    VELK_NEED(1)                                                          \
    top = VELK_OP_##OUTER(top, inner);                                    \
    VELK_RESULT(OUTER) VELK_NEXT;                                         \
  }
#define VELK_FUSED_ROW(OUTER)                                             \
  VELK_FUSED(OUTER, add) VELK_FUSED(OUTER, sub) VELK_FUSED(OUTER, mul)    \
  VELK_FUSED(OUTER, div) VELK_FUSED(OUTER, power) VELK_FUSED(OUTER, less) \
  VELK_FUSED(OUTER, greater) VELK_FUSED(OUTER, lessEqual)                 \
  VELK_FUSED(OUTER, greaterEqual) VELK_FUSED(OUTER, equal)                \
  VELK_FUSED(OUTER, notEqual) VELK_FUSED(OUTER, logicalAnd)               \
  VELK_FUSED(OUTER, logicalOr)

  goto* kDispatch[in->opcode];

number:
  VELK_PUSH
  top = in->value;
  // A sound program's own literals are all finite.
  if (!kSound) VELK_FINITE(top)
  VELK_NEXT;
variable : {
  double value;
  VELK_LOAD(in->name, value, false)
  VELK_PUSH
  top = value;
  VELK_NEXT;
}
function0 : {
  void* f = handles[in->name].function;
  if (!kSound && !f) throw FunctionNotFound(names[in->name].text);
  VELK_PUSH
  top = reinterpret_cast<Function0>(f)();
  VELK_CHECKED VELK_NEXT;
}
function1 : {
  VELK_NEED(1)
  void* f = handles[in->name].function;
  if (!kSound && !f) throw FunctionNotFound(names[in->name].text);
  // The square root is exact in every library, so the built-in one is
  // computed here rather than called.
  top = f == builtinSqrt() ? std::sqrt(top)
                           : reinterpret_cast<Function1>(f)(top);
  VELK_CHECKED VELK_NEXT;
}
function2 : {
  VELK_NEED(2)
  void* f = handles[in->name].function;
  if (!kSound && !f) throw FunctionNotFound(names[in->name].text);
  double a;
  VELK_POP(a)
  if (f == builtinMax()) {
    top = maxOf(a, top);
  } else if (f == builtinMin()) {
    top = minOf(a, top);
  } else {
    top = reinterpret_cast<Function2>(f)(a, top);
  }
  VELK_CHECKED VELK_NEXT;
}
neg:
  VELK_NEED(1)
  top = -top;
  VELK_NEXT;
logicalNot:
  VELK_NEED(1)
  top = top == 0 ? 1.0 : 0.0;
  VELK_NEXT;
functionOfVariable : {
  double x;
  VELK_LOAD(in->name, x, false)
  void* f = handles[in->name2].function;
  if (!kSound && !f) throw FunctionNotFound(names[in->name2].text);
  VELK_PUSH
  top = f == builtinSqrt() ? std::sqrt(x) : reinterpret_cast<Function1>(f)(x);
  VELK_CHECKED VELK_NEXT;
}
  VELK_BINARY(add)
  VELK_BINARY(sub)
  VELK_BINARY(mul)
  VELK_BINARY(div)
  VELK_BINARY(power)
  VELK_BINARY(less)
  VELK_BINARY(greater)
  VELK_BINARY(lessEqual)
  VELK_BINARY(greaterEqual)
  VELK_BINARY(equal)
  VELK_BINARY(notEqual)
  VELK_BINARY(logicalAnd)
  VELK_BINARY(logicalOr)
  VELK_FUSED_ROW(add)
  VELK_FUSED_ROW(sub)
  VELK_FUSED_ROW(mul)
  VELK_FUSED_ROW(div)
  VELK_FUSED_ROW(power)
  VELK_FUSED_ROW(less)
  VELK_FUSED_ROW(greater)
  VELK_FUSED_ROW(lessEqual)
  VELK_FUSED_ROW(greaterEqual)
  VELK_FUSED_ROW(equal)
  VELK_FUSED_ROW(notEqual)
  VELK_FUSED_ROW(logicalAnd)
  VELK_FUSED_ROW(logicalOr)
  VELK_FUNCTION_INTO(add)
  VELK_FUNCTION_INTO(sub)
  VELK_FUNCTION_INTO(mul)
  VELK_FUNCTION_INTO(div)
  VELK_FUNCTION_INTO(power)
  VELK_FUNCTION_INTO(less)
  VELK_FUNCTION_INTO(greater)
  VELK_FUNCTION_INTO(lessEqual)
  VELK_FUNCTION_INTO(greaterEqual)
  VELK_FUNCTION_INTO(equal)
  VELK_FUNCTION_INTO(notEqual)
  VELK_FUNCTION_INTO(logicalAnd)
  VELK_FUNCTION_INTO(logicalOr)
end:
#undef VELK_FUSED_ROW
#undef VELK_FUNCTION_INTO
#undef VELK_FUSED
#undef VELK_BINARY
#undef VELK_RESULT
#undef VELK_PROPAGATES
#undef VELK_CHECKS
#undef VELK_OP_add
#undef VELK_CHECKS_add
#undef VELK_PROPAGATES_add
#undef VELK_OP_sub
#undef VELK_CHECKS_sub
#undef VELK_PROPAGATES_sub
#undef VELK_OP_mul
#undef VELK_CHECKS_mul
#undef VELK_PROPAGATES_mul
#undef VELK_OP_div
#undef VELK_CHECKS_div
#undef VELK_PROPAGATES_div
#undef VELK_OP_power
#undef VELK_CHECKS_power
#undef VELK_PROPAGATES_power
#undef VELK_OP_less
#undef VELK_CHECKS_less
#undef VELK_PROPAGATES_less
#undef VELK_OP_greater
#undef VELK_CHECKS_greater
#undef VELK_PROPAGATES_greater
#undef VELK_OP_lessEqual
#undef VELK_CHECKS_lessEqual
#undef VELK_PROPAGATES_lessEqual
#undef VELK_OP_greaterEqual
#undef VELK_CHECKS_greaterEqual
#undef VELK_PROPAGATES_greaterEqual
#undef VELK_OP_equal
#undef VELK_CHECKS_equal
#undef VELK_PROPAGATES_equal
#undef VELK_OP_notEqual
#undef VELK_CHECKS_notEqual
#undef VELK_PROPAGATES_notEqual
#undef VELK_OP_logicalAnd
#undef VELK_CHECKS_logicalAnd
#undef VELK_PROPAGATES_logicalAnd
#undef VELK_OP_logicalOr
#undef VELK_CHECKS_logicalOr
#undef VELK_PROPAGATES_logicalOr
#undef VELK_UNCHECKED
#undef VELK_CHECKED
#undef VELK_LOAD
#undef VELK_FINITE
#undef VELK_POP
#undef VELK_PUSH
#undef VELK_NEED
#undef VELK_NEXT
  if (!kSound && depth != 1) throw StackUnderflow();
  return top;
}

template double FormulaProgram::run<true>() const;
template double FormulaProgram::run<false>() const;

double FormulaProgram::evalByActions() const {
  if (actionCount() == 0) return 0;
  std::deque<double> stack;
  for (int i = 0; i < actionCount(); ++i) actionAt(i)->execute(stack);
  if (stack.size() != 1) throw StackUnderflow();
  return stack.back();
}
