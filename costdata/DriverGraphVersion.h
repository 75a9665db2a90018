#ifndef VELKDATA_COSTDATA_DRIVERGRAPHVERSION_H
#define VELKDATA_COSTDATA_DRIVERGRAPHVERSION_H

namespace VelkData {

// A number that changes whenever the shape of the cost-driver graph may
// have changed anywhere: a dependency or has-impact-on list edited, a
// formula container replaced, assigned or destroyed, a driver assigned or
// destroyed.
//
// Walking the graph through shared pointers costs an atomic reference
// count per step, more than evaluating a typical formula. Code that walks
// the graph often therefore keeps plain pointers, and what it learnt from a
// walk, for as long as the version it saw is current: while it is, every
// driver and container it saw still exists and still has the lists it had.
// There are no threads, so the number is process-wide.
class DriverGraphVersion {
 public:
  // The version now; never 0, so that 0 can stand for "never seen".
  static unsigned long long current() { return version_; }
  // Call after anything that may change the shape of the graph.
  static void changed() { ++version_; }

 private:
  static unsigned long long version_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_DRIVERGRAPHVERSION_H
