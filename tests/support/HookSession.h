#ifndef VELKDATA_TESTS_SUPPORT_HOOKSESSION_H
#define VELKDATA_TESTS_SUPPORT_HOOKSESSION_H

#include <functional>
#include <string>

#include "external/XoloClient.h"

namespace velktest {

// A session that runs `hook` once, the next time it is asked for a value,
// and answers 1. Lets a test run the host's code in the middle of a read.
class HookSession : public VelkCOM::XoloClient {
 public:
  double GetDataByName(const std::string&, int) override {
    if (hook) {
      const std::function<void()> once = hook;
      hook = nullptr;
      once();
    }
    return 1.0;
  }
  std::function<void()> hook;
};

}  // namespace velktest

#endif  // VELKDATA_TESTS_SUPPORT_HOOKSESSION_H
