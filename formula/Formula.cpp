#include "formula/Formula.h"

Formula::Formula() : parser_(new FormulaParser) { parser_->compile(""); }

Formula::Formula(const std::string& expression) : parser_(new FormulaParser) {
  parser_->compile(expression);
}

Formula::Formula(const Formula& other)
    : parser_(new FormulaParser(*other.parser_)) {}

Formula& Formula::operator=(const Formula& other) {
  if (this != &other) parser_.reset(new FormulaParser(*other.parser_));
  return *this;
}

Formula::~Formula() {}

std::string Formula::getExpression() const { return parser_->expression(); }

void Formula::setExpression(const std::string& expression) {
  parser_->compile(expression);
}

void Formula::removeVariable(const std::string& name) {
  parser_->program().removeVariable(name);
}

void Formula::removeAllVariables() { parser_->program().removeAllVariables(); }

void Formula::setFunction(const std::string& name, double (*f)()) {
  parser_->program().setFunction(name, f);
}

void Formula::setFunction(const std::string& name, double (*f)(double)) {
  parser_->program().setFunction(name, f);
}

void Formula::setFunction(const std::string& name,
                          double (*f)(double, double)) {
  parser_->program().setFunction(name, f);
}

void Formula::removeFunction(const std::string& name) {
  parser_->program().removeFunction(name);
}

void Formula::removeAllFunctions() { parser_->program().removeAllFunctions(); }
