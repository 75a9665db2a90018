#include "formula/FormulaParser.h"

#include <string>

#include "formula/ParserException.h"
#include "formula/Token.h"

namespace {

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

}  // namespace

FormulaParser::FormulaParser() : cursor_(0), tokenIndex_(0) {}

FormulaParser::FormulaParser(const FormulaParser& other)
    : cursor_(0), tokenIndex_(0), program_(other.program_) {
  expression_ = other.expression_;
  try {
    compileExpression();
  } catch (const ParserException&) {
    // The source failed the same way; like it, the copy keeps the text and
    // an empty program.
  }
}

FormulaParser::~FormulaParser() { clearTokens(); }

std::string FormulaParser::wrap(const std::string& text) {
  int open = 0;
  int close = 0;
  bool first = true;
  bool enclosed = true;
  bool closedOnce = false;  // the counts became equal again after the start
  for (char c : text) {
    if (isWhite(c)) continue;
    if (first) {
      first = false;
      if (c != '(') {
        enclosed = false;
        break;
      }
    } else if (closedOnce) {
      enclosed = false;  // something follows the outer pair
      break;
    }
    if (c == '(') ++open;
    if (c == ')') ++close;
    if (close > open) {
      enclosed = false;
      break;
    }
    if (open == close) closedOnce = true;
  }
  if (first || open == 0 || open != close) enclosed = false;
  return enclosed ? text : "(" + text + ")";
}

void FormulaParser::compile(const std::string& text) {
  expression_ = wrap(text);
  compileExpression();
}

void FormulaParser::compileExpression() {
  program_.clearActions();
  operators_.clear();
  argumentCounts_.clear();
  clearTokens();
  cursor_ = 0;
  tokenIndex_ = 0;
  try {
    tokenize();
    while (tokenIndex_ < static_cast<int>(tokens_.size())) {
      tokens_[tokenIndex_]->process(*this);
    }
    if (!operators_.empty()) throw SyntaxError("Missing ')'.");
  } catch (...) {
    // A half-built program must never be run, so a failed compilation
    // leaves none behind.
    program_.clearActions();
    operators_.clear();
    argumentCounts_.clear();
    clearTokens();
    throw;
  }
  clearTokens();
}

void FormulaParser::clearTokens() {
  for (Token* t : tokens_) delete t;
  tokens_.clear();
  operators_.clear();
}

void FormulaParser::tokenize() {
  const std::string& s = expression_;
  const int length = static_cast<int>(s.size());
  while (cursor_ < length) {
    const char c = s[cursor_];
    if (c == '\0') return;  // an embedded NUL ends the text
    if (isWhite(c)) {
      ++cursor_;
      continue;
    }
    const char after = cursor_ + 1 < length ? s[cursor_ + 1] : '\0';
    Token* token = nullptr;
    int width = 1;
    switch (c) {
      case '!':
        if (after == '=') {
          token = new NotEqualToken;
          width = 2;
        } else {
          token = new NotToken;
        }
        break;
      case '<':
        if (after == '=') {
          token = new LessEqualToken;
          width = 2;
        } else {
          token = new LessToken;
        }
        break;
      case '>':
        if (after == '=') {
          token = new GreaterEqualToken;
          width = 2;
        } else {
          token = new GreaterToken;
        }
        break;
      case '&':
        token = new AndToken;
        break;
      case '|':
        token = new OrToken;
        break;
      case '=':
        token = new EqualToken;
        break;
      case '(':
        token = new OpenBracketToken;
        break;
      case ')':
        token = new CloseBracketToken;
        break;
      case ',':
        token = new CommaToken;
        break;
      case '*':
        token = new MulToken;
        break;
      case '+':
        token = new AddToken;
        break;
      case '-':
        token = new SubToken;
        break;
      case '/':
        token = new DivToken;
        break;
      case '^':
        token = new PowerToken;
        break;
      default:
        break;
    }
    if (token) {
      tokens_.push_back(token);
      cursor_ += width;
      continue;
    }
    if (isDigit(c) || c == '.') {
      readNumber();
      continue;
    }
    if (isLetter(c)) {
      const int start = cursor_;
      while (cursor_ < length &&
             (isLetter(s[cursor_]) || isDigit(s[cursor_]))) {
        ++cursor_;
      }
      tokens_.push_back(new IdentifierToken(s.substr(start, cursor_ - start)));
      continue;
    }
    ++cursor_;
    throw SyntaxError(std::string("Invalid character: ") + c);
  }
}

void FormulaParser::readNumber() {
  const std::string& s = expression_;
  const int length = static_cast<int>(s.size());
  const int start = cursor_;
  auto at = [&](int i) { return i < length ? s[i] : '\0'; };
  if (at(cursor_) != '.') {
    while (isDigit(at(cursor_))) ++cursor_;
  }
  if (at(cursor_) == '.') {
    ++cursor_;
    if (!isDigit(at(cursor_))) {
      throw SyntaxError("Expected digit after '.', number: " +
                        s.substr(start, cursor_ - start));
    }
    while (isDigit(at(cursor_))) ++cursor_;
  }
  if (at(cursor_) == 'e' || at(cursor_) == 'E') {
    ++cursor_;
    if (at(cursor_) == '+' || at(cursor_) == '-') ++cursor_;
    while (isDigit(at(cursor_))) ++cursor_;
  }
  tokens_.push_back(new NumberToken(s.substr(start, cursor_ - start)));
}
