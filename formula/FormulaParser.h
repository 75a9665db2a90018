#ifndef VELKDATA_FORMULA_FORMULAPARSER_H
#define VELKDATA_FORMULA_FORMULAPARSER_H

#include <deque>
#include <string>
#include <vector>

#include "formula/FormulaProgram.h"

class Token;

// The compiler of one `Formula`: a tokenizer and a shunting-yard loop in
// which each token's `process` moves itself to the program or onto the
// operator stack. Owned by its `Formula`; the program it fills keeps its
// variable and function tables across recompilations.
class FormulaParser {
 public:
  FormulaParser();
  // Copies the program's tables and compiles the same expression.
  FormulaParser(const FormulaParser& other);
  FormulaParser& operator=(const FormulaParser&) = delete;
  ~FormulaParser();

  // Stores `text` (wrapped in brackets unless it is already enclosed),
  // clears the program's actions and compiles. Throws `SyntaxError` or
  // `TooManyArgumentsError` on the first error; the action list is then
  // left empty.
  void compile(const std::string& text);

  const std::string& expression() const { return expression_; }
  FormulaProgram& program() { return program_; }
  const FormulaProgram& program() const { return program_; }

  // The text as stored: `text` itself when enclosed in one pair of round
  // brackets, else "(" + text + ")".
  static std::string wrap(const std::string& text);

  // Compiler state, used by the tokens' `process`.
  int tokenIndex() const { return tokenIndex_; }
  void advance(int count = 1) { tokenIndex_ += count; }
  // The token at the index, or null past the end.
  Token* current() const { return tokenAt(tokenIndex_); }
  Token* next() const { return tokenAt(tokenIndex_ + 1); }
  Token* previous() const { return tokenAt(tokenIndex_ - 1); }

  bool operatorsEmpty() const { return operators_.empty(); }
  Token* topOperator() const { return operators_.back(); }
  void pushOperator(Token* token) { operators_.push_back(token); }
  void popOperator() { operators_.pop_back(); }
  std::deque<int>& argumentCounts() { return argumentCounts_; }
  void appendAction(Action* action) { program_.appendAction(action); }

 private:
  Token* tokenAt(int i) const {
    return i >= 0 && i < static_cast<int>(tokens_.size()) ? tokens_[i]
                                                          : nullptr;
  }
  // Compiles the stored expression as it stands.
  void compileExpression();
  void tokenize();
  void readNumber();
  void clearTokens();

  std::string expression_;
  int cursor_;
  int tokenIndex_;
  FormulaProgram program_;
  std::deque<Token*> operators_;  // borrowed from tokens_
  std::vector<Token*> tokens_;    // owned
  std::deque<int> argumentCounts_;
};

#endif  // VELKDATA_FORMULA_FORMULAPARSER_H
