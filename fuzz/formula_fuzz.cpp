// libFuzzer target for the formula engine: the input bytes are one formula
// text. Compile errors (`SyntaxError`, `TooManyArgumentsError`) and
// evaluation errors (`EvalError`) are the engine's answers to bad input;
// anything else that leaves it (another exception, a crash, a hang, a leak)
// or a disagreement between two ways of reaching the same answer is a
// finding.
//
// The disagreements checked:
//  - `Formula(text)` against `setExpression(text)` on a formula that was
//    compiled and evaluated before (stale name bindings must not survive);
//  - a copy and an assigned formula against their source;
//  - the program's fast evaluation against the reference run through each
//    action's `execute`, before and after a variable is removed.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formula/Formula.h"
#include "formula/FormulaParser.h"
#include "formula/FormulaProgram.h"
#include "formula/ParserException.h"

namespace {

double fortyTwo() { return 42; }
double half(double x) { return x / 2; }

// What one compilation or evaluation came to: a value, or the message of
// the engine's exception. Any other exception is left to escape, so that
// libFuzzer reports it.
struct Outcome {
  bool failed = false;
  double value = 0;
  std::string message;

  bool operator==(const Outcome& o) const {
    if (failed != o.failed) return false;
    if (failed) return message == o.message;
    // Bitwise, so that 0 and -0 count as different.
    return std::memcmp(&value, &o.value, sizeof value) == 0;
  }
  std::string describe() const {
    if (failed) return "error \"" + message + "\"";
    char buf[64];
    std::snprintf(buf, sizeof buf, "value %.17g", value);
    return buf;
  }
};

[[noreturn]] void mismatch(const char* what, const std::string& text,
                           const Outcome& a, const Outcome& b) {
  std::fprintf(stderr, "MISMATCH (%s) for formula [%s]: %s vs %s\n", what,
               text.c_str(), a.describe().c_str(), b.describe().c_str());
  std::abort();
}

void check(const char* what, const std::string& text, const Outcome& a,
           const Outcome& b) {
  if (!(a == b)) mismatch(what, text, a, b);
}

template <typename F>
Outcome evaluate(F&& run) {
  Outcome o;
  try {
    o.value = run();
    // A value that escapes the finiteness check would reach every cost.
    if (!std::isfinite(o.value)) {
      std::fprintf(stderr, "non-finite result %g\n", o.value);
      std::abort();
    }
  } catch (const EvalError& e) {
    o.failed = true;
    o.message = e.what();
  }
  return o;
}

template <typename F>
Outcome compile(F&& run) {
  Outcome o;
  try {
    run();
  } catch (const ParserException& e) {
    o.failed = true;
    o.message = e.what();
  }
  return o;
}

template <typename T>
void bind(T& target) {
  target.setVariable("x", 3);
  target.setVariable("y", -4.5);
  target.setVariable("a", 0.25);
  target.setVariable("b", 1e6);
  target.setVariable("HEIGHT", 40);
  target.setFunction("answer", &fortyTwo);
  target.setFunction("half", &half);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  Formula* constructed = nullptr;
  const Outcome constructedCompile =
      compile([&] { constructed = new Formula(text); });

  // A formula that already ran another text, then gets this one.
  Formula recompiled("max(x,HEIGHT-25)*half(b)+answer()");
  bind(recompiled);
  const Outcome before = evaluate([&] { return recompiled.eval(); });
  if (before.failed) mismatch("warm-up", text, before, before);
  const Outcome recompiledCompile =
      compile([&] { recompiled.setExpression(text); });
  check("constructor vs setExpression compile", text, constructedCompile,
        recompiledCompile);
  if (constructedCompile.failed) return 0;

  bind(*constructed);
  const Outcome value = evaluate([&] { return constructed->eval(); });
  check("constructor vs setExpression eval", text, value,
        evaluate([&] { return recompiled.eval(); }));
  // Evaluating twice must not depend on the first run.
  check("second eval", text, value,
        evaluate([&] { return constructed->eval(); }));

  const Formula copy(*constructed);
  check("copy", text, value, evaluate([&] { return copy.eval(); }));
  Formula assigned("1");
  assigned = *constructed;
  check("assignment", text, value, evaluate([&] { return assigned.eval(); }));
  delete constructed;
  // The copies own their programs: they still run after the source is gone.
  check("copy after source deleted", text, value,
        evaluate([&] { return copy.eval(); }));

  // Fast path against the per-action reference, with the same tables.
  FormulaParser parser;
  bind(parser.program());
  parser.compile(text);
  const FormulaProgram& program = parser.program();
  check("fast vs reference", text, evaluate([&] { return program.eval(); }),
        evaluate([&] { return program.evalByActions(); }));
  check("program vs formula", text, value,
        evaluate([&] { return program.eval(); }));

  // Removing a variable renumbers the table; no cached binding may outlive
  // it, in either the copy or the program.
  parser.program().removeVariable("x");
  check("fast vs reference after removeVariable", text,
        evaluate([&] { return program.eval(); }),
        evaluate([&] { return program.evalByActions(); }));
  parser.program().setVariable("x", 7);
  parser.program().removeFunction("half");
  check("fast vs reference after rebinding", text,
        evaluate([&] { return program.eval(); }),
        evaluate([&] { return program.evalByActions(); }));
  return 0;
}
