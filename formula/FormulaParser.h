#ifndef VELKDATA_FORMULA_FORMULAPARSER_H
#define VELKDATA_FORMULA_FORMULAPARSER_H

#include <deque>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "formula/FormulaProgram.h"
#include "formula/Token.h"

// The compiler of formula texts: a tokenizer and a shunting-yard loop in
// which each token's `process` moves itself to the program or onto the
// operator stack. A `Formula` borrows one for each compilation and keeps
// only the compiled program; a parser used on its own keeps its program,
// whose variable and function tables survive recompilations.
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
  // True when `text` needs no wrapping: its first non-white character is
  // "(" and the bracket that closes it is its last non-white character.
  static bool isEnclosed(const std::string& text);

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
  // Appends the step of the operator token `op` to the program.
  void appendOperator(const Token* op) {
    program_.appendOperator(static_cast<const OperatorToken*>(op)->opcode());
  }

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

  // Tokens live only for one compilation; they are carved out of blocks
  // the parser keeps, instead of one heap allocation each.
  void* allocateToken(size_t size);
  template <class T, class... Args>
  void addToken(Args&&... args) {
    tokens_.push_back(new (allocateToken(sizeof(T)))
                          T(std::forward<Args>(args)...));
  }

  std::string expression_;
  int cursor_;
  int tokenIndex_;
  FormulaProgram program_;
  std::deque<Token*> operators_;  // borrowed from tokens_
  std::vector<Token*> tokens_;    // owned, placed in tokenBlocks_
  std::deque<int> argumentCounts_;
  std::vector<std::unique_ptr<char[]>> tokenBlocks_;
  size_t tokenBlock_;   // block being filled
  size_t tokenOffset_;  // first free byte in it
};

#endif  // VELKDATA_FORMULA_FORMULAPARSER_H
