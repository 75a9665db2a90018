#ifndef VELKDATA_FORMULA_TOKEN_H
#define VELKDATA_FORMULA_TOKEN_H

#include <cstddef>
#include <string>

#include "formula/Action.h"

class Action;
class FormulaParser;

// One lexical token of a formula text. The compiler visits the tokens in
// order and calls `process`, which checks the successor, moves the token to
// the program or onto the operator stack, and advances the token index.
// Owned by the parser's token list for the duration of one compilation.
class Token {
 public:
  // The dynamic class of a token, for the compiler's "what may follow" tests.
  enum Kind {
    kOperator,
    kNumber,
    kIdentifier,
    kOpenBracket,
    kCloseBracket,
    kComma
  };

  virtual ~Token();
  // Consumes this token in `parser`. Throws `SyntaxError` or
  // `TooManyArgumentsError`.
  virtual void process(FormulaParser& parser) = 0;
  // Binding strength; 0 for everything that is not an operator.
  virtual int priority() const;
  // A new action for this token, owned by the caller; null for non-operators.
  virtual Action* createAction() const;

  const std::string& text() const { return text_; }
  Kind kind() const { return kind_; }
  bool isOperator() const { return kind_ == kOperator; }

 protected:
  Token(Kind kind, const std::string& text) : text_(text), kind_(kind) {}

 private:
  std::string text_;
  Kind kind_;
};

// Every operator follows the same rule: check the successor, pop operators
// of greater or equal priority into the program, push itself.
class OperatorToken : public Token {
 public:
  explicit OperatorToken(const std::string& text) : Token(kOperator, text) {}
  void process(FormulaParser& parser) override;
  int priority() const override;
  Action* createAction() const override;
  // Which concrete operator this is, so the subtraction token and the
  // "not" test need no string compares.
  virtual bool isNot() const { return false; }
  virtual bool isSub() const { return false; }
  // The step this operator compiles to (what `createAction` would make).
  virtual Action::Opcode opcode() const = 0;
};

#define VELK_OPERATOR_TOKEN(Name, Text, Priority, Code)             \
  class Name : public OperatorToken {                               \
   public:                                                          \
    Name() : OperatorToken(Text) {}                                 \
    int priority() const override { return Priority; }              \
    Action* createAction() const override;                          \
    Action::Opcode opcode() const override { return Action::Code; } \
  };
VELK_OPERATOR_TOKEN(OrToken, "|", 1, kOr)
VELK_OPERATOR_TOKEN(AndToken, "&", 2, kAnd)
VELK_OPERATOR_TOKEN(EqualToken, "=", 3, kEqual)
VELK_OPERATOR_TOKEN(NotEqualToken, "!=", 3, kNotEqual)
VELK_OPERATOR_TOKEN(LessToken, "<", 4, kLess)
VELK_OPERATOR_TOKEN(GreaterToken, ">", 4, kGreater)
VELK_OPERATOR_TOKEN(LessEqualToken, "<=", 4, kLessEqual)
VELK_OPERATOR_TOKEN(GreaterEqualToken, ">=", 4, kGreaterEqual)
VELK_OPERATOR_TOKEN(AddToken, "+", 5, kAdd)
VELK_OPERATOR_TOKEN(MulToken, "*", 6, kMul)
VELK_OPERATOR_TOKEN(DivToken, "/", 6, kDiv)
VELK_OPERATOR_TOKEN(PowerToken, "^", 9, kPower)
#undef VELK_OPERATOR_TOKEN

class NotToken : public OperatorToken {
 public:
  NotToken() : OperatorToken("!") {}
  int priority() const override { return 8; }
  Action* createAction() const override;
  bool isNot() const override { return true; }
  Action::Opcode opcode() const override { return Action::kNot; }
};

// "-" is binary after a number, a name or ")", a negation anywhere else;
// `process` decides which before following the operator rule.
class SubToken : public OperatorToken {
 public:
  SubToken();
  void process(FormulaParser& parser) override;
  int priority() const override { return priority_; }
  // A new `SubAction` or `NegAction`, as decided by `process`; owned by the
  // caller.
  Action* createAction() const override;
  bool isSub() const override { return true; }
  Action::Opcode opcode() const override { return opcode_; }

 private:
  int priority_;
  Action::Opcode opcode_;
};

class NumberToken : public Token {
 public:
  explicit NumberToken(const std::string& text) : Token(kNumber, text) {}
  void process(FormulaParser& parser) override;
};

class IdentifierToken : public Token {
 public:
  explicit IdentifierToken(const std::string& text)
      : Token(kIdentifier, text) {}
  void process(FormulaParser& parser) override;
};

class OpenBracketToken : public Token {
 public:
  OpenBracketToken() : Token(kOpenBracket, "(") {}
  void process(FormulaParser& parser) override;
};

class CloseBracketToken : public Token {
 public:
  CloseBracketToken() : Token(kCloseBracket, ")") {}
  void process(FormulaParser& parser) override;
};

class CommaToken : public Token {
 public:
  CommaToken() : Token(kComma, ",") {}
  void process(FormulaParser& parser) override;
};

#endif  // VELKDATA_FORMULA_TOKEN_H
