#ifndef VELKDATA_TESTS_COSTDATA_DRIVERGRAPH_H
#define VELKDATA_TESTS_COSTDATA_DRIVERGRAPH_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/CostDriver.h"
#include "costdata/CostDriverDouble.h"
#include "formula/FormulaContainer.h"

namespace velktest {

// A double driver that appends its id to a shared log whenever it is asked
// to re-evaluate, so a test can assert the order of a notification as one
// string ("b c d").
class RecordingDriver : public VelkData::CostDriverDouble {
 public:
  RecordingDriver(const std::string& id, std::string* log)
      : CostDriverDouble(id), log_(log) {}

  void reEvaluateFormula() override {
    if (!log_->empty()) *log_ += " ";
    *log_ += id();
    CostDriverDouble::reEvaluateFormula();
  }

 private:
  std::string* log_;
};

// Links drivers in both directions, the way owners do, and unlinks them
// again on destruction: has-impact-on entries point back up the graph, so
// a linked graph never frees itself.
class DriverGraph {
 public:
  DriverGraph() = default;
  DriverGraph(const DriverGraph&) = delete;
  DriverGraph& operator=(const DriverGraph&) = delete;
  ~DriverGraph() {
    for (const boost::shared_ptr<VelkData::CostDriver>& d : linked_) {
      if (!d->formulas()) continue;
      d->formulas()->removeAllDependencies();
      for (const auto& entry : d->formulas()->getHasImpactOnList()) {
        d->formulas()->removeHasImpactOn(entry);
      }
    }
  }

  // `reader`'s formula reads `source`.
  void link(const boost::shared_ptr<VelkData::CostDriver>& source,
            const boost::shared_ptr<VelkData::CostDriver>& reader) {
    reader->addDependency(source);
    source->addHasImpactOn(reader);
    linked_.push_back(source);
    linked_.push_back(reader);
  }

  // Only the notification direction: `reader` re-evaluates when `source`
  // changes, without reading it.
  void notifies(const boost::shared_ptr<VelkData::CostDriver>& source,
                const boost::shared_ptr<VelkData::CostDriver>& reader) {
    source->addHasImpactOn(reader);
    linked_.push_back(source);
  }

 private:
  std::vector<boost::shared_ptr<VelkData::CostDriver>> linked_;
};

// A double driver computed from `formula`.
inline boost::shared_ptr<VelkData::CostDriverDouble> computedDouble(
    const std::string& id, const std::string& formula) {
  boost::shared_ptr<VelkData::CostDriverDouble> d(
      new VelkData::CostDriverDouble(id));
  d->formulas()->addFormula(formula);
  return d;
}

}  // namespace velktest

#endif  // VELKDATA_TESTS_COSTDATA_DRIVERGRAPH_H
