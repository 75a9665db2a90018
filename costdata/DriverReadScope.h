#ifndef VELKDATA_COSTDATA_DRIVERREADSCOPE_H
#define VELKDATA_COSTDATA_DRIVERREADSCOPE_H

namespace VelkData {

// One top-level read or change of cost drivers, from its outermost entry
// (a driver's value, a container's evaluation, a notification) until that
// entry returns.
//
// Nothing in the value state of a driver changes while a read is under
// way, so within one read every computed driver yields the same value (or
// the same failure) however often and along whichever path it is read.
// Drivers therefore remember what they computed, tagged with the read in
// which they computed it, and reuse it for the rest of that read: each
// driver is computed at most once per read. A value remembered in an earlier
// read is stale and never used.
//
// Two things end that guarantee early. A change of value state nested inside
// the read (a notification started while reading) makes everything
// remembered so far stale: `restart` forgets it. Reading round a cycle of
// dependencies makes values depend on the path they were read along:
// `stopRemembering` switches reuse off for the rest of the read, which then
// evaluates as if nothing were remembered.
//
// Scopes nest freely; only the outermost opens and closes the read. A
// `Fresh` scope nests a read of its own that reuses nothing of the read
// around it, for values that must be read again (a message that shows the
// values at the time of writing); the outer read goes on when it closes.
// There are no threads, so the state is process-wide.
class DriverReadScope {
 public:
  enum Kind { Join, Fresh };

  // Scopes open and close around every driver read, so they are inline.
  explicit DriverReadScope(Kind kind = Join) : kind_(kind) {
    // Only a fresh read goes back to the read around it when it closes.
    if (kind == Fresh) {
      outerTag_ = state_.tag;
      outerRemembering_ = state_.remembering;
      outerRestarts_ = state_.restarts;
    }
    if (state_.depth++ == 0 || kind == Fresh) {
      state_.tag = ++state_.lastTag;
      state_.remembering = true;
    }
  }
  ~DriverReadScope() {
    if (--state_.depth == 0) {
      state_.tag = 0;
      state_.remembering = false;
    } else if (kind_ == Fresh) {
      closeFresh();
    }
  }
  DriverReadScope(const DriverReadScope&) = delete;
  DriverReadScope& operator=(const DriverReadScope&) = delete;

  // The tag of the read under way; 0 only while none is open.
  static unsigned long long current() { return state_.tag; }
  // Whether drivers may reuse and remember values in the read under way.
  static bool remembering() { return state_.remembering; }
  // The tag of what drivers remember in the read under way, or a value no
  // driver carries while nothing may be reused.
  static unsigned long long reuseTag() {
    return state_.remembering ? state_.tag : ~0ULL;
  }
  // Forgets what the read under way remembered: its tag changes. Inline,
  // since every change starts with it.
  static void restart() {
    if (state_.depth == 0) return;
    state_.tag = ++state_.lastTag;
    ++state_.restarts;
  }
  // Switches reuse off until the outermost scope closes.
  static void stopRemembering() { state_.remembering = false; }

 private:
  struct State {
    unsigned long long lastTag = 0;
    unsigned long long tag = 0;
    unsigned long long restarts = 0;
    int depth = 0;
    bool remembering = false;
  };
  static State state_;

  void closeFresh();

  Kind kind_;
  // Set and read for a fresh read only: a scope opens around every driver
  // read, and most are joined reads.
  unsigned long long outerTag_;
  bool outerRemembering_;
  unsigned long long outerRestarts_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_DRIVERREADSCOPE_H
