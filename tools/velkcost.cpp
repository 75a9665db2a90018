// velkcost: the command-line face of the library.
//
//   velkcost eval "FORMULA" [name=value ...]
//   velkcost demo
#include <velkdata/velkdata.h>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

int usage() {
  std::cerr << "usage: velkcost eval \"FORMULA\" [name=value ...]\n"
               "       velkcost demo\n";
  return 2;
}

// Prints the value of `text` with the given bindings, or the error message.
int evaluate(const std::string& text, int argc, char** argv, int first) {
  try {
    Formula formula(text);
    for (int i = first; i < argc; ++i) {
      const std::string binding = argv[i];
      const size_t eq = binding.find('=');
      if (eq == std::string::npos || eq == 0) {
        std::cerr << "not a binding (name=value): " << binding << "\n";
        return 2;
      }
      char* end = nullptr;
      const std::string value = binding.substr(eq + 1);
      const double number = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0') {
        std::cerr << "not a number: " << value << "\n";
        return 2;
      }
      formula.setVariable(binding.substr(0, eq), number);
    }
    std::cout << formula.eval() << "\n";
    return 0;
  } catch (const ParserException& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}

int demo() {
  struct Case {
    const char* text;
    const char* bindings[3];
  };
  const Case cases[] = {
      {"LENGTH*WIDTH/1000", {"LENGTH=1200", "WIDTH=800", nullptr}},
      {"max(0,HEIGHT-25)", {"HEIGHT=40", nullptr, nullptr}},
      {"0.5*A+2*P+0.5*B", {"A=3", "P=4", "B=5"}},
      {"sqrt(x^2+y^2)", {"x=3", "y=4", nullptr}},
      {"10/(a-a)", {"a=3", nullptr, nullptr}},
  };
  int failures = 0;
  for (const Case& c : cases) {
    std::cout << c.text;
    char* argv[3];
    int argc = 0;
    for (const char* b : c.bindings) {
      if (!b) break;
      std::cout << "  " << b;
      argv[argc++] = const_cast<char*>(b);
    }
    std::cout << "  ->  " << std::flush;
    if (evaluate(c.text, argc, argv, 0) != 0) ++failures;
  }
  return failures == 1 ? 0 : 1;  // the last case fails on purpose
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  if (command == "eval" && argc >= 3) return evaluate(argv[2], argc, argv, 3);
  if (command == "demo") return demo();
  return usage();
}
