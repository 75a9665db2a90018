#include "formula/Formula.h"

namespace {

// The compiler's scratch (tokens, stacks) is reused from one compilation to
// the next instead of being kept by every formula.
FormulaParser& scratchParser() {
  thread_local FormulaParser parser;
  return parser;
}

}  // namespace

Formula::Formula() : expression_("()"), compiled_(true) {}

Formula::Formula(const std::string& expression) : compiled_(false) {
  compile(expression);
}

Formula::Formula(const Formula& other)
    : program_(other.program_),
      expression_(other.expression_),
      compiled_(other.compiled_) {
  program_.runSameCodeAs(other.program_);
}

Formula::Formula(const Formula& source, FreshTables)
    : expression_(source.expression_), compiled_(source.compiled_) {
  program_.runSameCodeAs(source.program_);
}

Formula& Formula::operator=(const Formula& other) {
  if (this != &other) {
    expression_ = other.expression_;
    program_.copyTablesOf(other.program_);
    program_.runSameCodeAs(other.program_);
    compiled_ = other.compiled_;
  }
  return *this;
}

Formula::~Formula() {}

Formula Formula::recompiled() const { return Formula(*this, FreshTables()); }

std::string Formula::getExpression() const { return expression_; }

void Formula::setExpression(const std::string& expression) {
  compile(expression);
}

void Formula::compile(const std::string& expression) {
  FormulaParser& parser = scratchParser();
  try {
    parser.compile(expression);
  } catch (...) {
    // Like a compilation in place: the text is stored, the program empty.
    expression_ = parser.expression();
    program_.clearActions();
    compiled_ = false;
    throw;
  }
  expression_ = parser.expression();
  program_.runSameCodeAs(parser.program());
  // The parser lets go of the code, so that the formula is its only owner.
  parser.program().clearActions();
  compiled_ = true;
}

void Formula::removeVariable(const std::string& name) {
  program_.removeVariable(name);
}

void Formula::removeAllVariables() { program_.removeAllVariables(); }

void Formula::setFunction(const std::string& name, double (*f)()) {
  program_.setFunction(name, f);
}

void Formula::setFunction(const std::string& name, double (*f)(double)) {
  program_.setFunction(name, f);
}

void Formula::setFunction(const std::string& name,
                          double (*f)(double, double)) {
  program_.setFunction(name, f);
}

void Formula::removeFunction(const std::string& name) {
  program_.removeFunction(name);
}

void Formula::removeAllFunctions() { program_.removeAllFunctions(); }
