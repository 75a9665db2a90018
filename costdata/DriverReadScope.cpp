#include "costdata/DriverReadScope.h"

namespace VelkData {

DriverReadScope::State DriverReadScope::state_;

void DriverReadScope::closeFresh() {
  // A change inside made what the outer read remembered stale too.
  state_.tag = state_.restarts == outerRestarts_ ? outerTag_ : ++state_.lastTag;
  state_.remembering = outerRemembering_;
}

}  // namespace VelkData
