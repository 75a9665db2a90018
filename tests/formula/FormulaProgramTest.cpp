#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "formula/Formula.h"
#include "formula/FormulaParser.h"
#include "formula/FormulaProgram.h"
#include "support/TestUtil.h"

namespace {

TEST(FormulaProgramTest, HandBuiltActionsRunLikeCompiledOnes) {
  FormulaProgram p;
  p.setVariable("x", 4);
  p.appendAction(new VariableAction("x", &p));
  p.appendNumber(2);
  p.appendAction(new PowerAction);
  p.appendName(Action::kFunction1, "sqrt");
  EXPECT_EQ(4.0, p.eval());
  EXPECT_EQ(4.0, p.evalByActions());
  ASSERT_EQ(4, p.actionCount());
  EXPECT_EQ(Action::kVariable, p.actionAt(0)->opcode());
  EXPECT_EQ(Action::kNumber, p.actionAt(1)->opcode());
  EXPECT_EQ(Action::kFunction1, p.actionAt(3)->opcode());
  EXPECT_EQ("sqrt",
            static_cast<OneArgumentFunctionAction*>(p.actionAt(3))->name());
  p.clearActions();
  EXPECT_EQ(0, p.actionCount());
  EXPECT_EQ(0.0, p.eval());
}

// Folding a variable or literal into the operator after it must not change
// which error comes first.
TEST(FormulaProgramTest, FoldedOperandsKeepTheOrderOfErrors) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"y+z", "Variable not found: y"},
      {"x+z", "Variable not found: z"},
      {"x*big", "Illegal calculation (division by zero, sqrt(-1) etc.)."},
      {"big*y", "Illegal calculation (division by zero, sqrt(-1) etc.)."},
      {"1/0+z", "Illegal calculation (division by zero, sqrt(-1) etc.)."},
      {"big*0", "Illegal calculation (division by zero, sqrt(-1) etc.)."},
      {"2*1e999", "Illegal calculation (division by zero, sqrt(-1) etc.)."},
      {"-x+1", "-1"},
      {"!x|0", "0"},
      {"2^-x", "Stack underflow. Check formula syntax."},
      {"x-3<x", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Formula f(c.text);
    f.setVariable("x", 2);
    f.setVariable("big", INFINITY);
    std::string got;
    try {
      std::ostringstream s;
      s << f.eval();
      got = s.str();
    } catch (const EvalError& e) {
      got = e.what();
    }
    EXPECT_EQ(c.message, got);
  }
}

TEST(FormulaProgramTest, RebindingInAnyOrderFindsEveryName) {
  Formula f("a*10000+b*1000+c*100+d*10+e");
  const char* names[] = {"a", "b", "c", "d", "e"};
  const int orders[][5] = {
      {0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}, {2, 0, 4, 1, 3}, {0, 1, 2, 3, 4}};
  for (int round = 0; round < 4; ++round) {
    for (int k = 0; k < 5; ++k) {
      const int i = orders[round][k];
      f.setVariable(names[i], i + 1 + round);
    }
    const double r = round;
    EXPECT_EQ((1 + r) * 10000 + (2 + r) * 1000 + (3 + r) * 100 + (4 + r) * 10 +
                  (5 + r),
              f.eval());
  }
  f.setVariable("f", 9);  // a new name in the middle of a round
  f.setVariable("a", 0);
  EXPECT_EQ(5000.0 + 600 + 70 + 8, f.eval());
}

}  // namespace

namespace {

// Squares are mostly computed without calling pow; the result must still
// be pow's to the last bit, near the midpoints between doubles too.
TEST(FormulaProgramTest, SquaresAreBitForBitThoseOfPow) {
  Formula f("x^2");
  std::mt19937_64 random(12);
  std::uniform_real_distribution<double> mantissa(1.0, 2.0);
  std::uniform_int_distribution<int> exponent(-520, 520);
  std::uniform_int_distribution<uint64_t> odd(1u << 26, (1u << 27) - 1);
  int checked = 0;
  auto check = [&](double x) {
    f.setVariable("x", x);
    const double expected = std::pow(x, 2.0);
    if (!std::isfinite(expected)) return;
    const double got = f.eval();
    uint64_t a, b;
    std::memcpy(&a, &got, sizeof a);
    std::memcpy(&b, &expected, sizeof b);
    ASSERT_EQ(b, a) << "x = " << std::hexfloat << x;
    ++checked;
  };
  for (int i = 0; i < 200000; ++i) {
    const double x = std::ldexp(mantissa(random), exponent(random));
    check(i % 2 ? x : -x);
    // An odd 27-bit integer has a square of 53 or 54 bits: the 54-bit ones
    // lie exactly halfway between two doubles.
    check(std::ldexp(static_cast<double>(odd(random) | 1), exponent(random)));
  }
  for (double x : {0.0, -0.0, 1.0, -3.0, 0.1, 1e-300, 1e150, 1e160}) check(x);
  EXPECT_GT(checked, 390000);
}

TEST(FormulaProgramTest, SharedCodeIsCopiedBeforeItChanges) {
  FormulaProgram a;
  a.setVariable("x", 3);
  a.appendName(Action::kVariable, "x");
  a.appendNumber(2);
  a.appendOperator(Action::kMul);
  FormulaProgram b;
  b.setVariable("x", 5);
  b.runSameCodeAs(a);
  EXPECT_EQ(6.0, a.eval());
  EXPECT_EQ(10.0, b.eval());
  b.appendNumber(1);
  b.appendOperator(Action::kAdd);
  EXPECT_EQ(6.0, a.eval());
  EXPECT_EQ(3, a.actionCount());
  EXPECT_EQ(11.0, b.eval());
  EXPECT_EQ(11.0, b.evalByActions());
  a.clearActions();
  EXPECT_EQ(0.0, a.eval());
  EXPECT_EQ(11.0, b.eval());
}

TEST(FormulaProgramTest, KeptConstantFollowsTheCodeItBelongsTo) {
  FormulaProgram a;
  a.appendNumber(2);
  double value = 0;
  ASSERT_TRUE(a.constantValue(&value));
  EXPECT_EQ(2.0, value);
  // Programs that share the code share what it computes.
  FormulaProgram b;
  b.runSameCodeAs(a);
  ASSERT_TRUE(b.constantValue(&value));
  EXPECT_EQ(2.0, value);
  // Appending to code that no other program runs changes it in place.
  b.clearActions();
  b.appendNumber(4);
  ASSERT_TRUE(b.constantValue(&value));
  EXPECT_EQ(4.0, value);
  b.appendNumber(3);
  b.appendOperator(Action::kAdd);
  ASSERT_TRUE(b.constantValue(&value));
  EXPECT_EQ(7.0, value);
  EXPECT_EQ(b.eval(), value);
  ASSERT_TRUE(a.constantValue(&value));
  EXPECT_EQ(2.0, value);
  // A step that lacks an operand makes no constant.
  b.appendOperator(Action::kMul);
  EXPECT_FALSE(b.constantValue(&value));
}

}  // namespace

namespace {

// A random text of the language over the variables a, b, c and the unknown
// name u, with the operators, functions and literals whose checks differ
// between the evaluator's paths. Now and then it breaks the grammar's
// intent (a unary operator after an operator) so that operands run short.
class TextMaker {
 public:
  explicit TextMaker(unsigned seed) : random_(seed) {}

  std::string make(int depth) {
    if (depth == 0 || pick(4) == 0) return leaf();
    switch (pick(8)) {
      case 0:
        return "-" + make(depth - 1);
      case 1:
        return "!(" + make(depth - 1) + ")";
      case 2: {
        static const char* const kOne[] = {"sqrt", "sin", "abs", "log", "u"};
        return std::string(kOne[pick(5)]) + "(" + make(depth - 1) + ")";
      }
      case 3: {
        static const char* const kTwo[] = {"max", "min", "pow", "mod"};
        // A comma may not follow ")", so the first argument is a leaf.
        return std::string(kTwo[pick(4)]) + "(" + leaf() + "," +
               make(depth - 1) + ")";
      }
      default: {
        static const char* const kBinary[] = {"+", "-", "*", "/", "^", "<",
                                              ">", "<=", ">=", "=", "!=",
                                              "&", "|"};
        std::string op = kBinary[pick(13)];
        if (op == "^" && pick(2) == 0) return make(depth - 1) + "^2";
        if (pick(25) == 0) op += "-";  // `2^-1`: runs short of operands
        return "(" + make(depth - 1) + op + make(depth - 1) + ")";
      }
    }
  }

 private:
  int pick(int n) { return static_cast<int>(random_() % n); }
  std::string leaf() {
    static const char* const kLeaves[] = {"a", "b", "c", "a", "b", "c",
                                          "2", "0", "0.5", "3", "1e308",
                                          "u", "1e999"};
    // The unknown name and the infinite literal stay rare.
    const int n = pick(40) == 0 ? 13 : 11;
    return kLeaves[pick(n)];
  }
  std::mt19937 random_;
};

std::string outcome(const std::function<double()>& run) {
  try {
    const double v = run();
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    std::ostringstream s;
    s << "= " << std::hex << bits;
    return s.str();
  } catch (const EvalError& e) {
    return e.what();
  }
}

// The evaluator omits checks for programs that can fail only with a math
// error and merges the checks of sums, differences and products. Whatever
// the path, value bits and error must be those of the actions run one by
// one, and binding by handle must change nothing.
TEST(FormulaProgramTest, EveryPathAgreesWithTheActions) {
  TextMaker maker(2024);
  const double values[] = {0.0,   -0.0,     1.0,      -3.5,     2.0, 0.1,
                           1e308, -1e-310, INFINITY, -INFINITY, NAN, 7.25};
  std::mt19937 random(7);
  int compiled = 0;
  int failures = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string text = maker.make(1 + i % 5);
    SCOPED_TRACE(text);
    FormulaParser reference;
    try {
      reference.compile(text);
    } catch (const ParserException&) {
      continue;
    }
    ++compiled;
    Formula byName(text);
    Formula byHandle(text);
    Formula::VariableHandle handles[3];
    const char* const names[] = {"a", "b", "c"};
    for (int k = 0; k < 3; ++k) handles[k] = byHandle.bindVariable(names[k], 0);
    for (int round = 0; round < 4; ++round) {
      for (int k = 0; k < 3; ++k) {
        const double v = values[random() % 12];
        reference.program().setVariable(names[k], v);
        byName.setVariable(names[k], v);
        ASSERT_TRUE(byHandle.setVariable(handles[k], v));
      }
      const std::string expected =
          outcome([&] { return reference.program().evalByActions(); });
      if (expected[0] != '=') ++failures;
      EXPECT_EQ(expected, outcome([&] { return byName.eval(); }));
      EXPECT_EQ(expected, outcome([&] { return byHandle.eval(); }));
    }
  }
  // Values and failures must both be well represented.
  EXPECT_GT(compiled, 2000);
  EXPECT_GT(failures, 1000);
}

}  // namespace
