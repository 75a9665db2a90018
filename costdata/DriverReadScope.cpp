#include "costdata/DriverReadScope.h"

namespace VelkData {

namespace {

struct ReadState {
  unsigned long long lastTag = 0;
  unsigned long long tag = 0;
  unsigned long long restarts = 0;
  int depth = 0;
  bool remembering = false;
};

ReadState& state() {
  static ReadState s;
  return s;
}

}  // namespace

DriverReadScope::DriverReadScope(Kind kind)
    : kind_(kind),
      outerTag_(state().tag),
      outerRemembering_(state().remembering),
      outerRestarts_(state().restarts) {
  ReadState& s = state();
  if (s.depth++ == 0 || kind_ == Fresh) {
    s.tag = ++s.lastTag;
    s.remembering = true;
  }
}

DriverReadScope::~DriverReadScope() {
  ReadState& s = state();
  --s.depth;
  if (s.depth == 0) {
    s.tag = 0;
    s.remembering = false;
  } else if (kind_ == Fresh) {
    // A change inside made what the outer read remembered stale too.
    s.tag = s.restarts == outerRestarts_ ? outerTag_ : ++s.lastTag;
    s.remembering = outerRemembering_;
  }
}

unsigned long long DriverReadScope::current() { return state().tag; }

bool DriverReadScope::remembering() { return state().remembering; }

void DriverReadScope::restart() {
  ReadState& s = state();
  if (s.depth == 0) return;
  s.tag = ++s.lastTag;
  ++s.restarts;
}

void DriverReadScope::stopRemembering() { state().remembering = false; }

}  // namespace VelkData
