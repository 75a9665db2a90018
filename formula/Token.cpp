#include "formula/Token.h"

#include <cstdint>
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

// The value of a number literal as the C library's atof reads it. A
// literal of at most 15 digits without exponent is m / 10^k with m and 10^k
// exact doubles, and IEEE division rounds that quotient correctly, as atof
// does; everything else goes to atof.
double literalValue(const std::string& text) {
  static const double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3, 1e4,  1e5,
                                        1e6,  1e7,  1e8,  1e9, 1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15};
  if (text.size() <= 16) {
    uint64_t mantissa = 0;
    int digits = 0;
    int fraction = -1;  // digits after the point, -1 before it
    bool simple = true;
    for (char c : text) {
      if (c >= '0' && c <= '9') {
        mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
        ++digits;
        if (fraction >= 0) ++fraction;
      } else if (c == '.' && fraction < 0) {
        fraction = 0;
      } else {
        simple = false;
        break;
      }
    }
    if (simple && digits > 0 && digits <= 15) {
      const double m = static_cast<double>(mantissa);
      return fraction > 0 ? m / kPowersOfTen[fraction] : m;
    }
  }
  return std::atof(text.c_str());
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
    if (top->isOperator()) parser.appendOperator(top);
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

SubToken::SubToken()
    : OperatorToken("-"), priority_(5), opcode_(Action::kSub) {}

void SubToken::process(FormulaParser& parser) {
  const Token* before = parser.previous();
  const bool binary =
      before && (before->kind() == kNumber || before->kind() == kIdentifier ||
                 before->kind() == kCloseBracket);
  priority_ = binary ? 5 : 7;
  opcode_ = binary ? Action::kSub : Action::kNeg;
  OperatorToken::process(parser);
}

Action* SubToken::createAction() const {
  return Action::createOperator(opcode_);
}

void NumberToken::process(FormulaParser& parser) {
  if (isNumberOrName(parser.next())) throw SyntaxError(kNumberAfterNumber);
  parser.program().appendNumber(literalValue(text()));
  parser.advance();
}

void IdentifierToken::process(FormulaParser& parser) {
  if (isNumberOrName(parser.next())) throw SyntaxError(kNumberAfterNumber);
  parser.advance();
  const Token* here = parser.current();
  if (!here || here->kind() != kOpenBracket) {
    parser.program().appendName(Action::kVariable, text());
    return;
  }
  parser.advance();  // the "(" of the call is consumed, never pushed
  here = parser.current();
  if (here && here->kind() == kCloseBracket) {
    parser.program().appendName(Action::kFunction0, text());
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
    if (top->isOperator()) parser.appendOperator(top);
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
    parser.appendOperator(top);
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
      parser.program().appendName(Action::kFunction1, top->text());
    } else if (n == 2) {
      parser.program().appendName(Action::kFunction2, top->text());
    } else {
      throw TooManyArgumentsError(top->text());
    }
  }
  parser.popOperator();
  parser.advance();
}
