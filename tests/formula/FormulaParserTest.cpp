#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "formula/Formula.h"
#include "formula/FormulaParser.h"
#include "formula/Token.h"
#include "support/TestUtil.h"

namespace {

// Renders a compiled program as "2 2 ^ neg" so the postfix order is visible.
std::string program(const std::string& text) {
  FormulaParser parser;
  parser.compile(text);
  const FormulaProgram& p = parser.program();
  static const char* const kNames[] = {
      "num", "var", "f0", "f1", "f2", "neg", "not", "+",  "-", "*",
      "/",   "^",   "<",  ">",  "<=", ">=",  "=",   "!=", "&", "|"};
  std::string out;
  for (int i = 0; i < p.actionCount(); ++i) {
    Action* a = p.actionAt(i);
    if (!out.empty()) out += " ";
    switch (a->opcode()) {
      case Action::kNumber: {
        std::ostringstream s;
        s << static_cast<NumberAction*>(a)->value();
        out += s.str();
        break;
      }
      case Action::kVariable:
        out += static_cast<VariableAction*>(a)->name();
        break;
      case Action::kFunction0:
        out += static_cast<NoArgumentFunctionAction*>(a)->name() + "/0";
        break;
      case Action::kFunction1:
        out += static_cast<OneArgumentFunctionAction*>(a)->name() + "/1";
        break;
      case Action::kFunction2:
        out += static_cast<TwoArgumentsFunctionAction*>(a)->name() + "/2";
        break;
      default:
        out += kNames[a->opcode()];
    }
  }
  return out;
}

TEST(FormulaParserTest, WrapsTextsThatAreNotEnclosed) {
  const struct {
    const char* text;
    const char* stored;
  } cases[] = {
      {"", "()"},
      {"1+2", "(1+2)"},
      {"  (1+2)  ", "  (1+2)  "},
      {"(1)+(2)", "((1)+(2))"},
      {"(a)+(b)", "((a)+(b))"},
      {"((a)+(b))", "((a)+(b))"},
      {"()", "()"},
      {"(1))", "((1)))"},
      {")(", "()()"},
      {"((1)", "(((1))"},
      {" \t\n", "( \t\n)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.stored, FormulaParser::wrap(c.text));
  }
}

TEST(FormulaParserTest, CompilesToPostfixInPriorityOrder) {
  const struct {
    const char* text;
    const char* postfix;
  } cases[] = {
      {"a+b*c", "a b c * +"},
      {"(a+b)*c", "a b + c *"},
      {"-2^2", "2 2 ^ neg"},
      {"max(1,2)", "1 2 max/2"},
      {"2^3^2", "2 3 ^ 2 ^"},
      {"a<b<c", "a b < c <"},
      {"a-b-c", "a b - c -"},
      {"2*-3", "2 3 neg *"},
      {"a--b", "a b neg -"},
      {"--a", "neg a neg"},
      {"!!a", "not a not"},
      {"f()", "f/0"},
      {"f(x)", "x f/1"},
      {"f(x,y+1)", "x y 1 + f/2"},
      {"max(1,sin(x))", "1 x sin/1 max/2"},
      {"a|b&c=d", "a b c d = & |"},
      {"a!=b>=c", "a b c >= !="},
      {"1e", "1"},
      {"1E+3", "1000"},
      {".5", "0.5"},
      {"", ""},
      {"2(3)", "2 3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.postfix, program(c.text));
  }
}

TEST(FormulaParserTest, RejectsMalformedTextsWithExactMessages) {
  const char kOperand[] =
      "Expecting a variable, function, '(', number, not or negate operator.";
  const char kAfterOpen[] =
      "Expecting a variable, function, '(', ')', number, not or negate "
      "operator.";
  const char kTwoNumbers[] = "One after another number is not allowed.";
  const char kNoOpen[] = "')' found but there is no matching '('.";
  const struct {
    const char* text;
    std::string message;
  } cases[] = {
      {"2 3", kTwoNumbers},
      {"2 x", kTwoNumbers},
      {"x y", kTwoNumbers},
      {"x 2", kTwoNumbers},
      {"1.5.3", kTwoNumbers},
      {"1.", "Expected digit after '.', number: 1."},
      {"3+1.x", "Expected digit after '.', number: 1."},
      {"+2", kAfterOpen},
      {"(+2)", kAfterOpen},
      {"max(1,+2)", kOperand},
      {"2*+3", kOperand},
      {"a==b", kOperand},
      {"a&&b", kOperand},
      {"2*", kOperand},
      {"1,2", "',' is allowed within functions only."},
      {"(1))", kNoOpen},
      {"((1)", "Missing ')'."},
      {"(1)(2)", "Expected ')' or operator after ')'."},
      {"max((a),b)", "Expected ')' or operator after ')'."},
      {"max(sin(x),1)", "Expected ')' or operator after ')'."},
      {"2%3", "Invalid character: %"},
      {"a;b", "Invalid character: ;"},
      {"{1}", "Invalid character: {"},
      {"\"x\"", "Invalid character: \""},
      {"a\x80", std::string("Invalid character: \x80")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_THROW_MSG(Formula f(c.text), SyntaxError, c.message);
  }
}

TEST(FormulaParserTest, CallsWithThreeArgumentsFailAtCompileTime) {
  EXPECT_THROW_MSG(Formula f("f(x,y,z)"), TooManyArgumentsError,
                   "Too many arguments for function: f");
  try {
    Formula f("max(1,2,3)");
    FAIL() << "no exception";
  } catch (const EvalError& e) {
    EXPECT_EQ("max", static_cast<const TooManyArgumentsError&>(e).name());
  }
}

TEST(FormulaParserTest, FailedCompilationKeepsTextAndLeavesNoProgram) {
  Formula f("1+2");
  EXPECT_THROW(f.setExpression("1+"), SyntaxError);
  EXPECT_EQ("(1+)", f.getExpression());
  EXPECT_EQ(0.0, f.eval());
  f.setExpression("4*2");
  EXPECT_EQ(8.0, f.eval());
}

TEST(FormulaParserTest, EmbeddedNulEndsTheText) {
  // The closing bracket of the wrapping lies behind the NUL, so it is never
  // read; the bad character behind the NUL is never reached either.
  const std::string text("1+2\0%", 5);
  EXPECT_THROW_MSG(Formula f(text), SyntaxError, "Missing ')'.");
}

}  // namespace

namespace {

// Short literals skip the C library's conversion; they must still give
// exactly what it gives.
TEST(FormulaParserTest, NumberLiteralsConvertExactlyLikeAtof) {
  const char* const literals[] = {
      "0",
      "7",
      "0.5",
      "0.1",
      "2.675",
      "123456789012345",
      "1.005",
      ".3",
      "9007199254740993",
      "0.000001",
      "99999999999999.9",
      "1234567.8901234",
      "1e3",
      "2.5E-3",
      "00012.50",
      "0.30000000000000004",
  };
  for (const char* literal : literals) {
    SCOPED_TRACE(literal);
    Formula f(literal);
    EXPECT_EQ(std::atof(literal), f.eval());
  }
}

}  // namespace
