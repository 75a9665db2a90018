#include <velkdata/velkdata.h>

#include <iostream>

int main() {
  Formula f("a*b");
  f.setVariable("a", 2);
  f.setVariable("b", 3);
  std::cout << "consumer ok: " << f.eval() << std::endl;
  return 0;
}
