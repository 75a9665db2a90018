#include <velkdata/velkdata.h>

#include <QtGlobal>
#include <iostream>

int main() {
  Formula f("a*b");
  f.setVariable("a", 2);
  f.setVariable("b", 3);
  // The Qt the process actually loaded, which must be the one the library
  // was built against.
  std::cout << "consumer ok: " << f.eval() << " (Qt " << qVersion() << ")"
            << std::endl;
  return 0;
}
