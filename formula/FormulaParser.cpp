#include "formula/FormulaParser.h"

#include <cassert>
#include <cstddef>
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

namespace {
const size_t kTokenBlockSize = 4096;
const size_t kTokenAlignment = alignof(std::max_align_t);
}  // namespace

FormulaParser::FormulaParser()
    : cursor_(0), tokenIndex_(0), tokenBlock_(0), tokenOffset_(0) {}

FormulaParser::FormulaParser(const FormulaParser& other)
    : cursor_(0),
      tokenIndex_(0),
      program_(other.program_),
      tokenBlock_(0),
      tokenOffset_(0) {
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
  return isEnclosed(text) ? text : "(" + text + ")";
}

bool FormulaParser::isEnclosed(const std::string& text) {
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
  return enclosed && !first && open > 0 && open == close;
}

void FormulaParser::compile(const std::string& text) {
  // Built in place so that recompiling reuses the stored text's buffer.
  if (isEnclosed(text)) {
    expression_.assign(text);
  } else {
    expression_.clear();
    expression_.reserve(text.size() + 2);
    expression_ += '(';
    expression_ += text;
    expression_ += ')';
  }
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
  for (Token* t : tokens_) t->~Token();
  tokens_.clear();
  operators_.clear();
  tokenBlock_ = 0;
  tokenOffset_ = 0;
}

void* FormulaParser::allocateToken(size_t size) {
  size = (size + kTokenAlignment - 1) / kTokenAlignment * kTokenAlignment;
  assert(size <= kTokenBlockSize);
  if (tokenBlock_ < tokenBlocks_.size() &&
      tokenOffset_ + size > kTokenBlockSize) {
    ++tokenBlock_;
    tokenOffset_ = 0;
  }
  if (tokenBlock_ == tokenBlocks_.size()) {
    tokenBlocks_.emplace_back(new char[kTokenBlockSize]);
    tokenOffset_ = 0;
  }
  void* place = tokenBlocks_[tokenBlock_].get() + tokenOffset_;
  tokenOffset_ += size;
  return place;
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
    int width = 1;
    switch (c) {
      case '!':
        if (after == '=') {
          addToken<NotEqualToken>();
          width = 2;
        } else {
          addToken<NotToken>();
        }
        break;
      case '<':
        if (after == '=') {
          addToken<LessEqualToken>();
          width = 2;
        } else {
          addToken<LessToken>();
        }
        break;
      case '>':
        if (after == '=') {
          addToken<GreaterEqualToken>();
          width = 2;
        } else {
          addToken<GreaterToken>();
        }
        break;
      case '&':
        addToken<AndToken>();
        break;
      case '|':
        addToken<OrToken>();
        break;
      case '=':
        addToken<EqualToken>();
        break;
      case '(':
        addToken<OpenBracketToken>();
        break;
      case ')':
        addToken<CloseBracketToken>();
        break;
      case ',':
        addToken<CommaToken>();
        break;
      case '*':
        addToken<MulToken>();
        break;
      case '+':
        addToken<AddToken>();
        break;
      case '-':
        addToken<SubToken>();
        break;
      case '/':
        addToken<DivToken>();
        break;
      case '^':
        addToken<PowerToken>();
        break;
      default:
        width = 0;
        break;
    }
    if (width) {
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
      addToken<IdentifierToken>(s.substr(start, cursor_ - start));
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
  addToken<NumberToken>(s.substr(start, cursor_ - start));
}
