// Compares the formula engine with two established expression parsers on the
// kinds of formulas the cost model holds: compilation, evaluation with every
// variable given a new value before each run (how the formula container
// uses a formula), and evaluation with fixed values.
//
// Each peer is used the way its own documentation has a host use it:
//  - Formula: each variable bound once (bindVariable), then its handle given
//    the new value before every eval(), as the formula container does. The
//    "formula_byname" rows set every variable by name instead.
//  - muparser: DefineVar binds the address of a double once; new values are
//    written there. It compiles lazily on the first Eval, so its compile
//    figure is SetExpr plus one Eval. Its bytecode optimizer is on, as by
//    default. It has no logical not, so "!" is defined as an infix operator,
//    the documented way to add one.
//  - fparser: Parse once with the variable list; each Eval gets a pointer to
//    the current values. Optimize() is opt-in; the "fparser_opt" rows show
//    it separately.
//
// Before timing, every formula is evaluated by all three on every value set
// and the run stops if any result differs: that guards the translations.
// Binding by handle and by name must give the very same bits.

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fparser.hh>
#include <string>
#include <vector>

#include "formula/Formula.h"

namespace {

// Successive iterations cycle through this many value sets, so no result
// can be computed once and reused.
constexpr int kValueSets = 16;

struct Variable {
  std::string name;
  double low;
  double high;
  bool integral;  // flags and counts, so that comparisons flip
};

struct Case {
  std::string label;
  std::string velk;  // this library's syntax
  std::string mu;    // muparser syntax
  std::string fp;    // fparser syntax
  std::vector<Variable> variables;
  // kValueSets rows of one value per variable.
  std::vector<std::vector<double>> values;
};

std::vector<std::vector<double>> makeValues(const std::vector<Variable>& vars) {
  std::vector<std::vector<double>> sets(kValueSets);
  for (int s = 0; s < kValueSets; ++s) {
    for (size_t k = 0; k < vars.size(); ++k) {
      // A fixed scramble so that variables do not rise in step.
      const double t = ((s * 37 + static_cast<int>(k) * 11) % kValueSets) /
                       static_cast<double>(kValueSets - 1);
      double v = vars[k].low + (vars[k].high - vars[k].low) * t;
      if (vars[k].integral) v = std::round(v);
      sets[s].push_back(v);
    }
  }
  return sets;
}

std::vector<Case> makeCases() {
  std::vector<Case> cases = {
      {"product",
       "LENGTH*WIDTH/1000",
       "LENGTH*WIDTH/1000",
       "LENGTH*WIDTH/1000",
       {{"LENGTH", 200, 1600, false}, {"WIDTH", 100, 900, false}},
       {}},
      {"clamp",
       "max(0,HEIGHT-25)",
       "max(0,HEIGHT-25)",
       "max(0,HEIGHT-25)",
       {{"HEIGHT", 5, 60, false}},
       {}},
      {"linear",
       "0.5*A+2*P+0.5*B",
       "0.5*A+2*P+0.5*B",
       "0.5*A+2*P+0.5*B",
       {{"A", 10, 80, false}, {"P", 1, 9, false}, {"B", 10, 80, false}},
       {}},
      {"trig",
       "sqrt(x^2+y^2)*2+sin(a)/cos(b)",
       "sqrt(x^2+y^2)*2+sin(a)/cos(b)",
       "sqrt(x^2+y^2)*2+sin(a)/cos(b)",
       {{"x", -30, 30, false},
        {"y", -20, 40, false},
        {"a", -1.5, 1.5, false},
        {"b", -1.2, 1.2, false}},
       {}},
      {"logic",
       "(a<b)&(c>=2)|!(d=0)",
       "(a<b)&&(c>=2)||!(d==0)",
       "(a<b)&(c>=2)|!(d=0)",
       {{"a", 0, 10, false},
        {"b", 0, 10, false},
        {"c", 0, 4, true},
        {"d", 0, 2, true}},
       {}},
      // A blank cost: material by volume with a scrap allowance, extra holes,
      // machine time with a cap, a surcharge for thick and large blanks, a
      // minimum thickness charge and a discount when there are no holes.
      {"cost40",
       "max(0,(LENGTH+2*MARGIN)*(WIDTH+2*MARGIN)*THICK*DENSITY/1000000-0.35)"
       "*PRICE+(HOLES>4)*(HOLES-4)*HOLECOST+min(RATE*TIME^1.2,RATE*40)"
       "+(THICK>=3)*((LENGTH>800)|(WIDTH>600))*SURCHARGE*0.15"
       "+max(THICK^2*0.8,2.5)-(HOLES=0)*HOLECOST*0.5+RATE*0.25*(TIME>2)",
       "max(0,(LENGTH+2*MARGIN)*(WIDTH+2*MARGIN)*THICK*DENSITY/1000000-0.35)"
       "*PRICE+(HOLES>4)*(HOLES-4)*HOLECOST+min(RATE*TIME^1.2,RATE*40)"
       "+(THICK>=3)*((LENGTH>800)||(WIDTH>600))*SURCHARGE*0.15"
       "+max(THICK^2*0.8,2.5)-(HOLES==0)*HOLECOST*0.5+RATE*0.25*(TIME>2)",
       "max(0,(LENGTH+2*MARGIN)*(WIDTH+2*MARGIN)*THICK*DENSITY/1000000-0.35)"
       "*PRICE+(HOLES>4)*(HOLES-4)*HOLECOST+min(RATE*TIME^1.2,RATE*40)"
       "+(THICK>=3)*((LENGTH>800)|(WIDTH>600))*SURCHARGE*0.15"
       "+max(THICK^2*0.8,2.5)-(HOLES=0)*HOLECOST*0.5+RATE*0.25*(TIME>2)",
       {{"LENGTH", 200, 1600, false},
        {"WIDTH", 100, 900, false},
        {"MARGIN", 5, 40, false},
        {"THICK", 0.5, 6, false},
        {"DENSITY", 2.7, 7.85, false},
        {"PRICE", 0.8, 4.5, false},
        {"HOLES", 0, 12, true},
        {"HOLECOST", 3, 25, false},
        {"RATE", 40, 120, false},
        {"TIME", 0.2, 6, false},
        {"SURCHARGE", 50, 400, false}},
       {}},
  };
  for (Case& c : cases) c.values = makeValues(c.variables);
  return cases;
}

std::string variableList(const Case& c) {
  std::string list;
  for (const Variable& v : c.variables) {
    if (!list.empty()) list += ",";
    list += v.name;
  }
  return list;
}

double logicalNot(double x) { return x == 0 ? 1.0 : 0.0; }

// A muparser parser for `c`, its variables bound to `slots` (one double per
// variable, which must outlive the parser).
void setUpMuparser(mu::Parser& p, const Case& c, std::vector<double>& slots) {
  slots.assign(c.variables.size(), 0.0);
  for (size_t k = 0; k < c.variables.size(); ++k) {
    p.DefineVar(c.variables[k].name, &slots[k]);
  }
  p.DefineInfixOprt("!", &logicalNot);
}

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "formula_bench: %s\n", message.c_str());
  std::exit(1);
}

void setUpFparser(FunctionParser& fp, const Case& c, const std::string& text) {
  if (fp.Parse(text, variableList(c)) >= 0) {
    fail("fparser rejects " + c.label + ": " + fp.ErrorMsg());
  }
}

bool same(double a, double b) {
  return std::fabs(a - b) <= 1e-12 * std::fmax(1.0, std::fabs(a));
}

// Evaluates every case with all three libraries on every value set.
void checkTranslations(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    Formula f(c.velk);
    Formula byHandle(c.velk);
    std::vector<Formula::VariableHandle> handles;
    for (const Variable& v : c.variables) {
      handles.push_back(byHandle.bindVariable(v.name, 0));
    }
    mu::Parser mp;
    std::vector<double> slots;
    setUpMuparser(mp, c, slots);
    FunctionParser fp;
    setUpFparser(fp, c, c.fp);
    try {
      mp.SetExpr(c.mu);
      mp.Eval();
    } catch (const mu::Parser::exception_type& e) {
      fail("muparser rejects " + c.label + ": " + e.GetMsg());
    }
    for (const std::vector<double>& values : c.values) {
      for (size_t k = 0; k < values.size(); ++k) {
        f.setVariable(c.variables[k].name, values[k]);
        if (!byHandle.setVariable(handles[k], values[k])) {
          fail("stale handle in " + c.label);
        }
        slots[k] = values[k];
      }
      double velk = 0;
      double velkByHandle = 0;
      try {
        velk = f.eval();
        velkByHandle = byHandle.eval();
      } catch (const ParserException& e) {
        fail("Formula fails on " + c.label + ": " + e.what());
      }
      if (std::memcmp(&velk, &velkByHandle, sizeof velk) != 0) {
        fail("binding by handle changes the result of " + c.label);
      }
      const double mu = mp.Eval();
      const double fpv = fp.Eval(values.data());
      if (fp.EvalError() != 0 || !same(velk, mu) || !same(velk, fpv)) {
        char buf[160];
        std::snprintf(buf, sizeof buf,
                      "results differ for %s: Formula %.17g, muparser %.17g, "
                      "fparser %.17g (fparser error %d)",
                      c.label.c_str(), velk, mu, fpv, fp.EvalError());
        fail(buf);
      }
    }
  }
}

void compileFormulaSetExpression(benchmark::State& state, const Case* c) {
  Formula f;
  for (auto _ : state) {
    f.setExpression(c->velk);
    benchmark::DoNotOptimize(f);
  }
}

void compileFormulaConstructor(benchmark::State& state, const Case* c) {
  for (auto _ : state) {
    Formula f(c->velk);
    benchmark::DoNotOptimize(f);
  }
}

void compileMuparser(benchmark::State& state, const Case* c) {
  mu::Parser p;
  std::vector<double> slots;
  setUpMuparser(p, *c, slots);
  slots = c->values[0];
  for (auto _ : state) {
    p.SetExpr(c->mu);
    benchmark::DoNotOptimize(p.Eval());
  }
}

void compileFparser(benchmark::State& state, const Case* c) {
  FunctionParser fp;
  const std::string vars = variableList(*c);
  for (auto _ : state) {
    benchmark::DoNotOptimize(fp.Parse(c->fp, vars));
  }
}

void rebindFormula(benchmark::State& state, const Case* c) {
  Formula f(c->velk);
  std::vector<Formula::VariableHandle> handles;
  for (size_t k = 0; k < c->variables.size(); ++k) {
    handles.push_back(f.bindVariable(c->variables[k].name, c->values[0][k]));
  }
  const size_t n = handles.size();
  unsigned i = 0;
  for (auto _ : state) {
    const std::vector<double>& values = c->values[i++ % kValueSets];
    for (size_t k = 0; k < n; ++k) f.setVariable(handles[k], values[k]);
    benchmark::DoNotOptimize(f.eval());
  }
}

void rebindFormulaByName(benchmark::State& state, const Case* c) {
  Formula f(c->velk);
  std::vector<std::string> names;
  for (const Variable& v : c->variables) names.push_back(v.name);
  const size_t n = names.size();
  unsigned i = 0;
  for (auto _ : state) {
    const std::vector<double>& values = c->values[i++ % kValueSets];
    for (size_t k = 0; k < n; ++k) f.setVariable(names[k], values[k]);
    benchmark::DoNotOptimize(f.eval());
  }
}

void rebindMuparser(benchmark::State& state, const Case* c) {
  mu::Parser p;
  std::vector<double> slots;
  setUpMuparser(p, *c, slots);
  p.SetExpr(c->mu);
  const size_t n = slots.size();
  unsigned i = 0;
  for (auto _ : state) {
    const std::vector<double>& values = c->values[i++ % kValueSets];
    for (size_t k = 0; k < n; ++k) slots[k] = values[k];
    benchmark::DoNotOptimize(p.Eval());
  }
}

void rebindFparser(benchmark::State& state, const Case* c, bool optimize) {
  FunctionParser fp;
  setUpFparser(fp, *c, c->fp);
  if (optimize) fp.Optimize();
  unsigned i = 0;
  for (auto _ : state) {
    const std::vector<double>& values = c->values[i++ % kValueSets];
    benchmark::DoNotOptimize(fp.Eval(values.data()));
  }
}

void fixedFormula(benchmark::State& state, const Case* c) {
  Formula f(c->velk);
  for (size_t k = 0; k < c->variables.size(); ++k) {
    f.setVariable(c->variables[k].name, c->values[0][k]);
  }
  for (auto _ : state) benchmark::DoNotOptimize(f.eval());
}

void fixedMuparser(benchmark::State& state, const Case* c) {
  mu::Parser p;
  std::vector<double> slots;
  setUpMuparser(p, *c, slots);
  slots = c->values[0];
  p.SetExpr(c->mu);
  for (auto _ : state) benchmark::DoNotOptimize(p.Eval());
}

void fixedFparser(benchmark::State& state, const Case* c, bool optimize) {
  FunctionParser fp;
  setUpFparser(fp, *c, c->fp);
  if (optimize) fp.Optimize();
  const double* values = c->values[0].data();
  for (auto _ : state) benchmark::DoNotOptimize(fp.Eval(values));
}

void registerAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const Case* p = &c;
    const std::string l = "/" + c.label;
    benchmark::RegisterBenchmark(("compile/formula_setExpression" + l).c_str(),
                                 compileFormulaSetExpression, p);
    benchmark::RegisterBenchmark(("compile/formula_constructor" + l).c_str(),
                                 compileFormulaConstructor, p);
    benchmark::RegisterBenchmark(("compile/muparser_SetExpr_Eval" + l).c_str(),
                                 compileMuparser, p);
    benchmark::RegisterBenchmark(("compile/fparser_Parse" + l).c_str(),
                                 compileFparser, p);
  }
  for (const Case& c : cases) {
    const Case* p = &c;
    const std::string l = "/" + c.label;
    benchmark::RegisterBenchmark(("rebind/formula" + l).c_str(), rebindFormula,
                                 p);
    benchmark::RegisterBenchmark(("rebind/formula_byname" + l).c_str(),
                                 rebindFormulaByName, p);
    benchmark::RegisterBenchmark(("rebind/muparser" + l).c_str(),
                                 rebindMuparser, p);
    benchmark::RegisterBenchmark(("rebind/fparser" + l).c_str(), rebindFparser,
                                 p, false);
    benchmark::RegisterBenchmark(("rebind/fparser_opt" + l).c_str(),
                                 rebindFparser, p, true);
  }
  for (const Case& c : cases) {
    const Case* p = &c;
    const std::string l = "/" + c.label;
    benchmark::RegisterBenchmark(("fixed/formula" + l).c_str(), fixedFormula,
                                 p);
    benchmark::RegisterBenchmark(("fixed/muparser" + l).c_str(), fixedMuparser,
                                 p);
    benchmark::RegisterBenchmark(("fixed/fparser" + l).c_str(), fixedFparser, p,
                                 false);
    benchmark::RegisterBenchmark(("fixed/fparser_opt" + l).c_str(),
                                 fixedFparser, p, true);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Outlives the benchmarks, which hold pointers into it.
  static const std::vector<Case> cases = makeCases();
  checkTranslations(cases);
  registerAll(cases);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
