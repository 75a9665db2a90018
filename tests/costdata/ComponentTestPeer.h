#ifndef VELKDATA_TESTS_COSTDATA_COMPONENTTESTPEER_H
#define VELKDATA_TESTS_COSTDATA_COMPONENTTESTPEER_H

#include <string>

#include "costdata/Component.h"

namespace TamberData {

// Reaches what the tests need of a component beyond its interface.
class ComponentTestPeer {
 public:
  static std::string keyFromLabel(const std::string& label) {
    return Component::getComponentKeyFromLabel(label);
  }

  // Writes `component` as class version 2 wrote it: its first operation
  // between the standard limits and the part feature, no child components
  // and no operation list. Defined beside the writer of old archives
  // (persistence/narrow/NarrowSampleWriter.cpp).
  template <class Archive>
  static void saveVersionTwo(Archive& archive, const Component& component);
};

}  // namespace TamberData

#endif  // VELKDATA_TESTS_COSTDATA_COMPONENTTESTPEER_H
