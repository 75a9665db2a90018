#ifndef VELKDATA_FORMULA_PARSEREXCEPTION_H
#define VELKDATA_FORMULA_PARSEREXCEPTION_H

#include <exception>
#include <string>

// The formula engine's own exception family. Compile errors are
// `SyntaxError` (or `TooManyArgumentsError`); evaluation errors derive from
// `EvalError`. Every what() text is part of the interface and stays fixed.
class ParserException : public std::exception {
 public:
  explicit ParserException(const std::string& message) : message_(message) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

class SyntaxError : public ParserException {
 public:
  using ParserException::ParserException;
};

class EvalError : public ParserException {
 public:
  using ParserException::ParserException;
};

// Thrown when a formula reads a variable the formula does not know.
class VariableNotFound : public EvalError {
 public:
  explicit VariableNotFound(const std::string& name)
      : EvalError("Variable not found: " + name), name_(name) {}
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

// Thrown when no function of the written arity carries the name.
class FunctionNotFound : public EvalError {
 public:
  explicit FunctionNotFound(const std::string& name)
      : EvalError("Function not found: " + name), name_(name) {}
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

// Thrown by the compiler for a call with three or more arguments.
class TooManyArgumentsError : public EvalError {
 public:
  explicit TooManyArgumentsError(const std::string& name)
      : EvalError("Too many arguments for function: " + name), name_(name) {}
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

class StackUnderflow : public EvalError {
 public:
  StackUnderflow() : EvalError("Stack underflow. Check formula syntax.") {}
};

// Any infinite or not-a-number intermediate result.
class MathError : public EvalError {
 public:
  MathError()
      : EvalError("Illegal calculation (division by zero, sqrt(-1) etc.).") {}
};

#endif  // VELKDATA_FORMULA_PARSEREXCEPTION_H
