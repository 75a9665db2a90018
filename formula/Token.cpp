#include "formula/Token.h"

#include <cstdlib>

#include "formula/Action.h"
#include "formula/FormulaParser.h"
#include "formula/ParserException.h"

namespace {

const char kExpectOperand[] =
    "Expecting a variable, function, '(', number, not or negate operator.";
const char kExpectAfterOpen[] =
    "Expecting a variable, function, '(', ')', number, not or negate "
    "operator.";
const char kNumberAfterNumber[] = "One after another number is not allowed.";
const char kNoMatchingOpen[] = "')' found but there is no matching '('.";

// What may stand after an operator or a comma: a name, "(", a number, "!"
// or "-". Anything else (a "+" included, as there is no unary plus) is
// rejected at the operator so the message names the right spot.
bool startsOperand(const Token* t) {
  if (!t) return false;
  switch (t->kind()) {
    case Token::kIdentifier:
    case Token::kOpenBracket:
    case Token::kNumber:
      return true;
    case Token::kOperator: {
      const OperatorToken* op = static_cast<const OperatorToken*>(t);
      return op->isNot() || op->isSub();
    }
    default:
      return false;
  }
}

bool isNumberOrName(const Token* t) {
  return t && (t->kind() == Token::kNumber || t->kind() == Token::kIdentifier);
}

bool isBracketOrName(const Token* t) {
  return t->kind() == Token::kOpenBracket || t->kind() == Token::kIdentifier;
}

}  // namespace

Token::~Token() {}

int Token::priority() const { return 0; }

Action* Token::createAction() const { return nullptr; }

void OperatorToken::process(FormulaParser& parser) {
  if (!startsOperand(parser.next())) throw SyntaxError(kExpectOperand);
  const int own = priority();
  while (!parser.operatorsEmpty() && parser.topOperator()->priority() >= own) {
    Token* top = parser.topOperator();
    if (top->isOperator()) parser.appendAction(top->createAction());
    parser.popOperator();
  }
  parser.pushOperator(this);
  parser.advance();
}

int OperatorToken::priority() const { return 0; }

Action* OperatorToken::createAction() const { return nullptr; }

Action* OrToken::createAction() const { return new OrAction; }
Action* AndToken::createAction() const { return new AndAction; }
Action* EqualToken::createAction() const { return new EqualAction; }
Action* NotEqualToken::createAction() const { return new NotEqualAction; }
Action* LessToken::createAction() const { return new LessAction; }
Action* GreaterToken::createAction() const { return new GreaterAction; }
Action* LessEqualToken::createAction() const { return new LessEqualAction; }
Action* GreaterEqualToken::createAction() const {
  return new GreaterEqualAction;
}
Action* AddToken::createAction() const { return new AddAction; }
Action* MulToken::createAction() const { return new MulAction; }
Action* DivToken::createAction() const { return new DivAction; }
Action* PowerToken::createAction() const { return new PowerAction; }
Action* NotToken::createAction() const { return new NotAction; }

SubToken::SubToken() : OperatorToken("-"), priority_(5), action_(nullptr) {}

SubToken::~SubToken() { delete action_; }

void SubToken::process(FormulaParser& parser) {
  const Token* before = parser.previous();
  const bool binary =
      before && (before->kind() == kNumber || before->kind() == kIdentifier ||
                 before->kind() == kCloseBracket);
  delete action_;
  if (binary) {
    priority_ = 5;
    action_ = new SubAction;
  } else {
    priority_ = 7;
    action_ = new NegAction;
  }
  OperatorToken::process(parser);
}

Action* SubToken::createAction() const {
  if (action_) {
    Action* handed = action_;
    action_ = nullptr;
    return handed;
  }
  if (priority_ == 7) return new NegAction;
  return new SubAction;
}

void NumberToken::process(FormulaParser& parser) {
  if (isNumberOrName(parser.next())) throw SyntaxError(kNumberAfterNumber);
  parser.appendAction(new NumberAction(std::atof(text().c_str())));
  parser.advance();
}

void IdentifierToken::process(FormulaParser& parser) {
  if (isNumberOrName(parser.next())) throw SyntaxError(kNumberAfterNumber);
  parser.advance();
  const Token* here = parser.current();
  if (!here || here->kind() != kOpenBracket) {
    parser.appendAction(new VariableAction(text(), &parser.program()));
    return;
  }
  parser.advance();  // the "(" of the call is consumed, never pushed
  here = parser.current();
  if (here && here->kind() == kCloseBracket) {
    parser.appendAction(
        new NoArgumentFunctionAction(text(), &parser.program()));
    parser.advance();
    return;
  }
  parser.pushOperator(this);
  parser.argumentCounts().push_back(1);
}

void OpenBracketToken::process(FormulaParser& parser) {
  const Token* next = parser.next();
  if (!startsOperand(next) && !(next && next->kind() == kCloseBracket)) {
    throw SyntaxError(kExpectAfterOpen);
  }
  parser.pushOperator(this);
  parser.advance();
}

void CommaToken::process(FormulaParser& parser) {
  if (!startsOperand(parser.next())) throw SyntaxError(kExpectOperand);
  while (!parser.operatorsEmpty() && !isBracketOrName(parser.topOperator())) {
    Token* top = parser.topOperator();
    if (top->isOperator()) parser.appendAction(top->createAction());
    parser.popOperator();
  }
  if (parser.argumentCounts().empty()) {
    throw SyntaxError("',' is allowed within functions only.");
  }
  ++parser.argumentCounts().back();
  parser.advance();
}

void CloseBracketToken::process(FormulaParser& parser) {
  const Token* next = parser.next();
  if (next && next->kind() != kCloseBracket && !next->isOperator()) {
    throw SyntaxError("Expected ')' or operator after ')'.");
  }
  while (!parser.operatorsEmpty() && !isBracketOrName(parser.topOperator())) {
    Token* top = parser.topOperator();
    if (!top->isOperator()) throw SyntaxError(kNoMatchingOpen);
    parser.appendAction(top->createAction());
    parser.popOperator();
  }
  if (parser.operatorsEmpty()) throw SyntaxError(kNoMatchingOpen);
  Token* top = parser.topOperator();
  if (top->kind() == kIdentifier) {
    std::deque<int>& counts = parser.argumentCounts();
    if (counts.empty()) throw SyntaxError(kNoMatchingOpen);
    const int n = counts.back();
    counts.pop_back();
    if (n == 1) {
      parser.appendAction(
          new OneArgumentFunctionAction(top->text(), &parser.program()));
    } else if (n == 2) {
      parser.appendAction(
          new TwoArgumentsFunctionAction(top->text(), &parser.program()));
    } else {
      throw TooManyArgumentsError(top->text());
    }
  }
  parser.popOperator();
  parser.advance();
}
