#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <functional>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "formula/Formula.h"
#include "support/TestUtil.h"

namespace {

const double kPi = 3.141592653589793;

// Evaluates `text` three ways, the fast path, the reference path through
// each action's execute() and a copy of the formula, and insists that they
// agree on the value or on the error text.
std::string evaluate(const std::string& text,
                     const std::function<void(Formula&)>& bind = nullptr) {
  Formula f(text);
  if (bind) bind(f);
  FormulaParser reference;
  reference.compile(text);
  Formula copy(f);

  auto run = [](const std::function<double()>& fn) {
    try {
      std::ostringstream s;
      s.precision(17);
      s << fn();
      return s.str();
    } catch (const EvalError& e) {
      return std::string("error: ") + e.what();
    }
  };
  const std::string fast = run([&] { return f.eval(); });
  const std::string again = run([&] { return f.eval(); });
  const std::string copied = run([&] { return copy.eval(); });
  EXPECT_EQ(fast, again) << "second evaluation differs for " << text;
  EXPECT_EQ(fast, copied) << "copy differs for " << text;
  if (!bind) {
    const std::string slow =
        run([&] { return reference.program().evalByActions(); });
    EXPECT_EQ(fast, slow) << "action path differs for " << text;
  }
  return fast;
}

std::string num(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

const char kMath[] =
    "error: Illegal calculation (division by zero, sqrt(-1) etc.).";
const char kUnderflow[] = "error: Stack underflow. Check formula syntax.";

TEST(FormulaTest, EvaluatesTheLanguage) {
  const struct {
    const char* text;
    std::string expected;
  } cases[] = {
      {"", "0"},
      {"()", "0"},
      {"1+2*3", "7"},
      {"(1+2)*3", "9"},
      {"2^3^2", "64"},
      {"-2^2", "-4"},
      {"2*-3", "-6"},
      {"7-2-1", "4"},
      {"8/2/2", "2"},
      {"3>2", "1"},
      {"2>3", "0"},
      {"2<=2", "1"},
      {"2>=3", "0"},
      {"!5", "0"},
      {"!0", "1"},
      {"2&0", "0"},
      {"2&-1", "1"},
      {"2|0", "1"},
      {"0|0", "0"},
      {"1=1.0", "1"},
      {"1!=1", "0"},
      {"1<2=1", "1"},
      {"mod(7,3)", "1"},
      {"pow(2,3)", "8"},
      {"atan2(1,0)", num(kPi / 2)},
      {"max(2,5)", "5"},
      {"min(2,5)", "2"},
      {"abs(-3)", "3"},
      {"ceil(1.2)+floor(1.8)", "3"},
      {"ln(exp(2))", "2"},
      {"log(1)+log10(100)", "2"},
      {"sqrt(16)", "4"},
      {"pi*2", "6.2831853071795862"},
      {"1e", "1"},
      {"1E+3", "1000"},
      {".5", "0.5"},
      {"1/0", kMath},
      {"0/0", kMath},
      {"sqrt(-1)", kMath},
      {"log(0)", kMath},
      {"1e999", kMath},
      {"exp(1000)", kMath},
      {"2(3)", kUnderflow},
      {"2^-1", kUnderflow},
      {"!!1", kUnderflow},
      {"--1", kUnderflow},
      {"x+1", "error: Variable not found: x"},
      {"SQRT(4)", "error: Function not found: SQRT"},
      {"sin(1,2)", "error: Function not found: sin"},
      {"max(3)", "error: Function not found: max"},
      {"pi()", "error: Function not found: pi"},
      {"--x", kUnderflow},  // the negation runs before x is looked up
      {"1/0+x", kMath},
      {"x+1/0", "error: Variable not found: x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.expected, evaluate(c.text));
  }
}

TEST(FormulaTest, MaxAndMinReturnTheSecondArgumentOnTies) {
  Formula f("max(a,b)");
  f.setVariable("a", -0.0);
  f.setVariable("b", 0.0);
  EXPECT_FALSE(std::signbit(f.eval()));
  f.setExpression("min(a,b)");
  f.setVariable("a", 0.0);
  f.setVariable("b", -0.0);
  EXPECT_TRUE(std::signbit(f.eval()));
}

TEST(FormulaTest, VariablesAreResolvedWhenEvaluated) {
  Formula f("x+1");
  EXPECT_THROW_MSG(f.eval(), VariableNotFound, "Variable not found: x");
  f.setVariable("x", 2);
  EXPECT_EQ(3.0, f.eval());
  f.setVariable("x", 5);
  EXPECT_EQ(6.0, f.eval());
  f.setVariable("X", 100);  // names are case-sensitive
  EXPECT_EQ(6.0, f.eval());
  f.removeVariable("x");
  EXPECT_THROW_MSG(f.eval(), VariableNotFound, "Variable not found: x");
  f.setVariable("x", 1);
  EXPECT_EQ(2.0, f.eval());
}

TEST(FormulaTest, RemovingAVariableKeepsTheOthersBound) {
  Formula f("a*100+b*10+c");
  f.setVariable("a", 1);
  f.setVariable("b", 2);
  f.setVariable("c", 3);
  EXPECT_EQ(123.0, f.eval());
  f.removeVariable("a");
  f.setVariable("a", 4);
  EXPECT_EQ(423.0, f.eval());
  f.removeVariable("b");
  EXPECT_THROW_MSG(f.eval(), VariableNotFound, "Variable not found: b");
  f.setVariable("b", 5);
  f.setVariable("c", 6);
  EXPECT_EQ(456.0, f.eval());
}

TEST(FormulaTest, VariableHoldingInfinityIsAMathError) {
  Formula f("x*0");
  f.setVariable("x", INFINITY);
  EXPECT_THROW_MSG(f.eval(), MathError,
                   "Illegal calculation (division by zero, sqrt(-1) etc.).");
}

TEST(FormulaTest, RemoveAllVariablesRemovesPi) {
  Formula f("pi");
  EXPECT_EQ(kPi, f.eval());
  f.removeAllVariables();
  EXPECT_THROW_MSG(f.eval(), VariableNotFound, "Variable not found: pi");
}

double fortyTwo() { return 42; }
double twice(double x) { return 2 * x; }
double diff(double a, double b) { return a - b; }

TEST(FormulaTest, FunctionTablesAreSeparatePerArity) {
  Formula f("g()+g(1)+g(10,4)");
  EXPECT_THROW_MSG(f.eval(), FunctionNotFound, "Function not found: g");
  f.setFunction("g", &fortyTwo);
  f.setFunction("g", &twice);
  EXPECT_THROW_MSG(f.eval(), FunctionNotFound, "Function not found: g");
  f.setFunction("g", &diff);
  EXPECT_EQ(42.0 + 2.0 + 6.0, f.eval());
  f.removeFunction("g");
  EXPECT_THROW_MSG(f.eval(), FunctionNotFound, "Function not found: g");
}

TEST(FormulaTest, OverridingABuiltinAffectsOnlyThatFormula) {
  Formula a("sqrt(9)");
  Formula b("sqrt(9)");
  a.setFunction("sqrt", &twice);
  EXPECT_EQ(18.0, a.eval());
  EXPECT_EQ(3.0, b.eval());
  b.removeAllFunctions();
  EXPECT_THROW_MSG(b.eval(), FunctionNotFound, "Function not found: sqrt");
  EXPECT_EQ(18.0, a.eval());
  Formula c("sqrt(9)");
  EXPECT_EQ(3.0, c.eval());
}

TEST(FormulaTest, KnowsWhetherItMayCallTheHostsFunctions) {
  Formula a("sqrt(9)");
  Formula untouched(a);
  EXPECT_FALSE(a.mayCallHostFunctions());
  a.setFunction("g", &twice);
  EXPECT_TRUE(a.mayCallHostFunctions());
  EXPECT_FALSE(untouched.mayCallHostFunctions());
  // The tables go with copies and assignments, and stay with new texts.
  Formula copy(a);
  EXPECT_TRUE(copy.mayCallHostFunctions());
  Formula assigned("1");
  assigned = a;
  EXPECT_TRUE(assigned.mayCallHostFunctions());
  a.setExpression("g(2)");
  EXPECT_TRUE(a.mayCallHostFunctions());
  assigned = untouched;
  EXPECT_FALSE(assigned.mayCallHostFunctions());
  // A recompiled formula starts from the built-in tables.
  EXPECT_FALSE(a.recompiled().mayCallHostFunctions());
  // Any change of the tables counts, a removal too.
  untouched.removeFunction("sqrt");
  EXPECT_TRUE(untouched.mayCallHostFunctions());
}

TEST(FormulaTest, TablesSurviveRecompilation) {
  Formula f("x");
  f.setVariable("x", 7);
  f.setFunction("g", &twice);
  f.setExpression("g(x)+1");
  EXPECT_EQ(15.0, f.eval());
  EXPECT_EQ("(g(x)+1)", f.getExpression());
}

TEST(FormulaTest, CopiesOwnTheirProgramAndTables) {
  Formula source("x*2");
  source.setVariable("x", 3);
  Formula copy(source);
  copy.setVariable("x", 10);
  copy.setExpression("x+1");
  EXPECT_EQ(6.0, source.eval());
  EXPECT_EQ("(x*2)", source.getExpression());
  EXPECT_EQ(11.0, copy.eval());

  Formula assigned;
  assigned = source;
  source.setVariable("x", 4);
  EXPECT_EQ(6.0, assigned.eval());
  assigned = assigned;
  EXPECT_EQ(6.0, assigned.eval());
}

TEST(FormulaTest, CopyOfAFailedCompilationIsEmptyToo) {
  Formula f;
  EXPECT_THROW(f.setExpression("(1"), SyntaxError);
  Formula copy(f);
  EXPECT_EQ("((1)", copy.getExpression());
  EXPECT_EQ(0.0, copy.eval());
}

TEST(FormulaTest, DeepNestingEvaluates) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "(1+";
  text += "1";
  for (int i = 0; i < 200; ++i) text += ")";
  EXPECT_EQ("201", evaluate(text));
  std::string chain = "1";
  for (int i = 0; i < 300; ++i) chain = "max(" + chain + "+0,1)";
  EXPECT_EQ("1", evaluate(chain));
}

}  // namespace

namespace {

double half(double x) { return x / 2; }

// Copies share the compiled program; nothing a caller does to one side may
// show on the other.
TEST(FormulaSharingTest, CopiesStayIndependentWhileSharingTheirProgram) {
  Formula source("x*2+y");
  source.setVariable("x", 3);
  source.setVariable("y", 1);
  Formula copy(source);
  EXPECT_EQ(7.0, copy.eval());

  // New names move the copy's table; the source's handles must not follow.
  copy.setVariable("a", 100);
  copy.setVariable("x", 10);
  copy.removeVariable("y");
  EXPECT_EQ(7.0, source.eval());
  EXPECT_THROW_MSG(copy.eval(), VariableNotFound, "Variable not found: y");
  copy.setVariable("y", 5);
  EXPECT_EQ(25.0, copy.eval());

  // A new text on one side leaves the other with the old program.
  source.setExpression("x-y");
  EXPECT_EQ(25.0, copy.eval());
  EXPECT_EQ("(x*2+y)", copy.getExpression());
  EXPECT_EQ(2.0, source.eval());

  Formula assigned;
  assigned = copy;
  copy.setExpression("g(x)");
  copy.setFunction("g", &half);
  EXPECT_EQ(5.0, copy.eval());
  EXPECT_EQ(25.0, assigned.eval());
  EXPECT_THROW_MSG(Formula(copy).setExpression("1+"), SyntaxError,
                   "Expecting a variable, function, '(', number, not or "
                   "negate operator.");
  EXPECT_EQ(5.0, copy.eval());
}

TEST(FormulaSharingTest, RecompiledStartsWithTheTablesOfANewFormula) {
  Formula source("g(x)+pi");
  source.setVariable("x", 8);
  source.setFunction("g", &half);
  source.removeVariable("pi");
  Formula fresh = source.recompiled();
  EXPECT_TRUE(fresh.compiled());
  EXPECT_EQ("(g(x)+pi)", fresh.getExpression());
  EXPECT_THROW_MSG(fresh.eval(), VariableNotFound, "Variable not found: x");
  fresh.setVariable("x", 8);
  EXPECT_THROW_MSG(fresh.eval(), FunctionNotFound, "Function not found: g");
  fresh.setFunction("g", &half);
  EXPECT_EQ(4 + kPi, fresh.eval());
  // The source kept its own tables: "pi" is still gone there.
  EXPECT_THROW_MSG(source.eval(), VariableNotFound, "Variable not found: pi");
}

TEST(FormulaSharingTest, FailedCompilationIsNotCompiled) {
  Formula f("1+2");
  EXPECT_TRUE(f.compiled());
  EXPECT_THROW(f.setExpression("(1"), SyntaxError);
  EXPECT_FALSE(f.compiled());
  EXPECT_FALSE(Formula(f).compiled());
  f.setExpression("3");
  EXPECT_TRUE(f.compiled());
  EXPECT_TRUE(Formula().compiled());
}

// Tokens and the compiler's stacks used to stay with every formula, more
// than 4 KB each; a compiled formula keeps only its program and tables,
// about 1 KB for this text. The allocator's own count is what is measured, so the check
// is left out where a sanitizer owns the heap.
TEST(FormulaSharingTest, CompiledFormulasKeepNoCompilerScratch) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's heap keeps no counts";
#else
  const std::string text = "max(0,(LENGTH+2*MARGIN)*WIDTH/1000-0.35)*PRICE";
  Formula warmUp(text);  // the first compilation makes the scratch
  const int count = 500;
  std::vector<std::unique_ptr<Formula>> formulas;
  formulas.reserve(count);
  const size_t before = mallinfo2().uordblks;
  for (int i = 0; i < count; ++i) formulas.emplace_back(new Formula(text));
  const size_t perFormula = (mallinfo2().uordblks - before) / count;
  EXPECT_LT(perFormula, 2048u);
  // Copies share the program and hold only their tables.
  std::vector<std::unique_ptr<Formula>> copies;
  copies.reserve(count);
  const size_t beforeCopies = mallinfo2().uordblks;
  for (int i = 0; i < count; ++i) {
    copies.emplace_back(new Formula(*formulas[i]));
  }
  EXPECT_LT((mallinfo2().uordblks - beforeCopies) / count, perFormula);
#endif
}

}  // namespace

namespace {

// Handles let a host skip the lookup by name; they must never write into
// a variable other than the one they were made for.
TEST(FormulaHandleTest, HandleWritesItsVariable) {
  Formula f("x*10+y");
  const Formula::VariableHandle x = f.bindVariable("x", 1);
  const Formula::VariableHandle y = f.bindVariable("y", 2);
  EXPECT_EQ(12.0, f.eval());
  EXPECT_TRUE(f.setVariable(x, 3));
  EXPECT_TRUE(f.setVariable(y, 4));
  EXPECT_EQ(34.0, f.eval());
  // Setting by name and by handle reach the same variable.
  f.setVariable("x", 5);
  EXPECT_EQ(54.0, f.eval());
  EXPECT_TRUE(f.setVariable(x, 6));
  EXPECT_EQ(64.0, f.eval());
  // Binding a name that exists returns a handle of that same slot.
  const Formula::VariableHandle again = f.bindVariable("x", 7);
  EXPECT_TRUE(f.setVariable(again, 8));
  EXPECT_EQ(84.0, f.eval());
}

TEST(FormulaHandleTest, HandlesStayCurrentWhileNothingIsRemoved) {
  Formula f("x");
  const Formula::VariableHandle x = f.bindVariable("x", 1);
  for (int i = 0; i < 40; ++i) f.setVariable("v" + std::to_string(i), i);
  f.setExpression("x+v39");
  f.setFunction("twice", twice);
  f.removeFunction("sin");
  f.removeVariable("not there");
  EXPECT_TRUE(f.setVariable(x, 2));
  EXPECT_EQ(41.0, f.eval());
  // A failed compilation keeps the tables too.
  EXPECT_THROW(f.setExpression("x*"), SyntaxError);
  EXPECT_TRUE(f.setVariable(x, 3));
  f.setExpression("x");
  EXPECT_EQ(3.0, f.eval());
}

TEST(FormulaHandleTest, RemovingVariablesMakesHandlesStale) {
  Formula f("a*100+b*10+c");
  const Formula::VariableHandle a = f.bindVariable("a", 1);
  const Formula::VariableHandle b = f.bindVariable("b", 2);
  const Formula::VariableHandle c = f.bindVariable("c", 3);
  f.removeVariable("a");
  // b and c moved to other slots; the old handles must not write anywhere.
  EXPECT_FALSE(f.setVariable(b, 8));
  EXPECT_FALSE(f.setVariable(c, 9));
  f.setVariable("a", 4);
  EXPECT_EQ(423.0, f.eval());

  const Formula::VariableHandle c2 = f.bindVariable("c", 5);
  f.removeAllVariables();
  EXPECT_FALSE(f.setVariable(a, 1));
  EXPECT_FALSE(f.setVariable(c2, 1));
  // A stale write does not bring the variable back.
  EXPECT_THROW_MSG(f.eval(), VariableNotFound, "Variable not found: a");
  // Only f lost its variables.
  EXPECT_EQ(kPi, Formula("pi").eval());
}

TEST(FormulaHandleTest, HandlesBelongToTheFormulaThatMadeThem) {
  Formula f("x");
  const Formula::VariableHandle x = f.bindVariable("x", 1);
  EXPECT_FALSE(f.setVariable(Formula::VariableHandle(), 2));

  Formula copy(f);
  EXPECT_FALSE(copy.setVariable(x, 2));
  EXPECT_EQ(1.0, copy.eval());
  Formula fresh = f.recompiled();
  EXPECT_FALSE(fresh.setVariable(x, 2));

  Formula other("x+1");
  const Formula::VariableHandle otherX = other.bindVariable("x", 10);
  other = f;  // replaces other's tables
  EXPECT_FALSE(other.setVariable(otherX, 2));
  EXPECT_FALSE(other.setVariable(x, 2));
  EXPECT_EQ(1.0, other.eval());
  EXPECT_TRUE(f.setVariable(x, 3));
  EXPECT_EQ(3.0, f.eval());

  // A formula made where a destroyed one lived is another formula.
  alignas(Formula) unsigned char place[sizeof(Formula)];
  Formula* first = new (place) Formula("y");
  const Formula::VariableHandle y = first->bindVariable("y", 1);
  first->~Formula();
  Formula* second = new (place) Formula("y");
  second->setVariable("y", 5);
  EXPECT_FALSE(second->setVariable(y, 6));
  EXPECT_EQ(5.0, second->eval());
  second->~Formula();
}

TEST(FormulaHandleTest, HintIsUsedOnlyForItsOwnName) {
  Formula f("a-b");
  Formula::VariableHandle a = f.setVariable("a", 10, Formula::VariableHandle());
  // The hint of "a" offered for "b" must not overwrite a.
  Formula::VariableHandle b = f.setVariable("b", 3, a);
  EXPECT_EQ(7.0, f.eval());
  EXPECT_TRUE(f.setVariable(b, 4));
  EXPECT_EQ(6.0, f.eval());
  a = f.setVariable("a", 20, a);
  EXPECT_EQ(16.0, f.eval());
  f.removeVariable("a");
  // A stale hint: bound by name again, and the new handle is current.
  b = f.setVariable("b", 5, b);
  a = f.setVariable("a", 30, a);
  EXPECT_EQ(25.0, f.eval());
  EXPECT_TRUE(f.setVariable(a, 40));
  EXPECT_TRUE(f.setVariable(b, 1));
  EXPECT_EQ(39.0, f.eval());
}

TEST(FormulaConstantValueTest, OnlyProgramsThatNameNothingHaveOne) {
  double value = -1;
  EXPECT_TRUE(Formula("2*(3+4)").constantValue(&value));
  EXPECT_EQ(14.0, value);
  EXPECT_TRUE(Formula("").constantValue(&value));
  EXPECT_EQ(0.0, value);

  Formula withVariable("x*2");
  withVariable.setVariable("x", 3);
  EXPECT_FALSE(withVariable.constantValue(&value));
  EXPECT_FALSE(Formula("2*pi").constantValue(&value));
  EXPECT_FALSE(Formula("sin(1)").constantValue(&value));
  // A failing program has no value to keep.
  EXPECT_FALSE(Formula("1/0").constantValue(&value));
}

TEST(FormulaConstantValueTest, FollowsTheCodeOfTheFormula) {
  Formula f("1/3");
  double value = 0;
  ASSERT_TRUE(f.constantValue(&value));
  EXPECT_EQ(f.eval(), value);
  f.setExpression("5+1");
  ASSERT_TRUE(f.constantValue(&value));
  EXPECT_EQ(6.0, value);
  f.setExpression("y+1");
  EXPECT_FALSE(f.constantValue(&value));
  f.setExpression("7");
  ASSERT_TRUE(f.constantValue(&value));
  EXPECT_EQ(7.0, value);
  // Tables do not reach a program that names nothing.
  f.setVariable("q", 1);
  f.removeAllFunctions();
  ASSERT_TRUE(f.constantValue(&value));
  EXPECT_EQ(7.0, value);
}

}  // namespace
