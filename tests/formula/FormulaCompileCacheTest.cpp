#include <gtest/gtest.h>

#include "formula/FormulaCompileCache_p.h"
#include "support/TestUtil.h"

namespace {

const double kPi = 3.141592653589793;

double twice(double x) { return 2 * x; }
double square(double x) { return x * x; }

TEST(FormulaCompileCacheTest, CompilesEachDistinctTextOnce) {
  FormulaCompileCache cache;
  boost::shared_ptr<Formula> a = cache.compile("x*2+y");
  boost::shared_ptr<Formula> b = cache.compile("x*2+y");
  boost::shared_ptr<Formula> c = cache.compile("3");
  EXPECT_EQ(2, cache.size());
  ASSERT_TRUE(a && b && c);
  EXPECT_NE(a.get(), b.get());
  EXPECT_TRUE(a->compiled());
  EXPECT_EQ("(x*2+y)", b->getExpression());
  EXPECT_EQ(3.0, c->eval());
}

// Formulas of one text share only their program: what one holder binds or
// changes never shows on another, nor on formulas handed out later.
TEST(FormulaCompileCacheTest, FormulasOfOneTextStayIndependent) {
  FormulaCompileCache cache;
  boost::shared_ptr<Formula> a = cache.compile("g(x)+pi");
  boost::shared_ptr<Formula> b = cache.compile("g(x)+pi");
  a->setVariable("x", 3);
  a->setFunction("g", &twice);
  a->removeVariable("pi");
  a->setVariable("pi", 0);
  EXPECT_EQ(6.0, a->eval());
  EXPECT_THROW_MSG(b->eval(), VariableNotFound, "Variable not found: x");
  b->setVariable("x", 3);
  EXPECT_THROW_MSG(b->eval(), FunctionNotFound, "Function not found: g");
  b->setFunction("g", &square);
  EXPECT_DOUBLE_EQ(9 + kPi, b->eval());

  a->setExpression("x-1");
  EXPECT_EQ(2.0, a->eval());
  EXPECT_EQ("(g(x)+pi)", b->getExpression());
  EXPECT_DOUBLE_EQ(9 + kPi, b->eval());
  boost::shared_ptr<Formula> c = cache.compile("g(x)+pi");
  EXPECT_EQ("(g(x)+pi)", c->getExpression());
  EXPECT_THROW_MSG(c->eval(), VariableNotFound, "Variable not found: x");
}

TEST(FormulaCompileCacheTest, TextThatFailsThrowsEveryTimeAndIsNotKept) {
  FormulaCompileCache cache;
  for (int i = 0; i < 2; ++i) {
    EXPECT_THROW_MSG(cache.compile("1+"), SyntaxError,
                     "Expecting a variable, function, '(', number, not or "
                     "negate operator.");
  }
  EXPECT_EQ(0, cache.size());
  EXPECT_EQ(3.0, cache.compile("1+2")->eval());
}

}  // namespace
