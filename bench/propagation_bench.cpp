// Change propagation and reads on a lattice of cost drivers, against the
// floor of the same work: every formula of the lattice evaluated once, in
// topological order, with the formula engine alone.
//
// The lattice: layer 0 is one input driver; every later layer holds two
// double drivers, each "(a+b)/2" over both drivers of the layer before,
// linked with addDependency/addHasImpactOn on both ends. Caching is off.
// A driver of layer k is reached along 2^k paths, so any evaluation per
// path shows as time doubling per layer.
//
// Rows, per depth:
//  - change: one setValue on the input (every driver re-evaluates);
//  - read:   doubleValue of a top driver (it and everything upstream);
//  - floor:  each formula bound by name and evaluated once.
// The library's sample database at 4 and 400 operations gives rows of a
// real model, per size:
//  - sample change:   one setValue on the part length "PART_LENGTH", which
//                     the tool dimensions of every operation read. A
//                     has-impact-on list keeps one driver per id, and the
//                     operations repeat their drivers' ids, so a change
//                     reaches only the driver of each id linked last: the
//                     rows measure a small change, mostly its fixed cost;
//  - sample read:     after such a change, each re-evaluated driver read on
//                     its own (as a host fills a table), in topological order;
//  - sample floor:    the formulas of the re-evaluated drivers, bound by name
//                     and evaluated once each in topological order;
//  - sample estimate: a change and then the whole cost estimate.
// After the run a table gives the times and the ratios to the floor.
// Run it from a Release build:
//   bench/propagation_bench --benchmark_min_time=0.2 --benchmark_repetitions=5

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>
#include <cstdio>
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverInt.h"
#include "estimate/CostEstimate.h"
#include "estimate/SampleDatabase.h"
#include "formula/Formula.h"
#include "formula/FormulaContainer.h"
#include "costdata/Operation.h"
#include "processplan/ProcessDatabase.h"

namespace {

using VelkData::CostDriver;
using VelkData::CostDriverDouble;
using VelkData::FormulaContainer;

constexpr int kMinDepth = 4;
constexpr int kMaxDepth = 20;
constexpr int kDepthStep = 2;

std::string idOf(int layer, int k) {
  return "L" + std::to_string(layer) + (k == 0 ? "a" : "b");
}

class Lattice {
 public:
  explicit Lattice(int depth) : input(new CostDriverDouble("L0")) {
    input->setValue(1.0f);
    std::vector<boost::shared_ptr<CostDriverDouble>> below = {input};
    for (int layer = 1; layer <= depth; ++layer) {
      std::vector<boost::shared_ptr<CostDriverDouble>> here;
      for (int k = 0; k < 2; ++k) {
        boost::shared_ptr<CostDriverDouble> d(
            new CostDriverDouble(idOf(layer, k)));
        const std::string a = below[0]->id();
        const std::string b = below.size() > 1 ? below[1]->id() : a;
        d->formulas()->addFormula("(" + a + "+" + b + ")/2");
        for (const auto& source : below) {
          d->addDependency(source);
          source->addHasImpactOn(d);
        }
        here.push_back(d);
        all.push_back(d);
      }
      below = here;
    }
    top = below[0];
  }

  boost::shared_ptr<CostDriverDouble> input;
  boost::shared_ptr<CostDriverDouble> top;
  std::vector<boost::shared_ptr<CostDriverDouble>> all;
};

void BM_Change(benchmark::State& state) {
  Lattice lattice(static_cast<int>(state.range(0)));
  float value = 1.0f;
  for (auto _ : state) {
    value = value == 1.0f ? 2.0f : 1.0f;
    lattice.input->setValue(value);
  }
  if (lattice.top->doubleValue() != value) state.SkipWithError("wrong value");
  state.counters["drivers"] = static_cast<double>(lattice.all.size());
}

void BM_Read(benchmark::State& state) {
  Lattice lattice(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(lattice.top->doubleValue());
  state.counters["drivers"] = static_cast<double>(lattice.all.size());
}

// The same formulas, compiled once, bound by name and evaluated once each
// in topological order, narrowed to float as drivers store them.
void BM_Floor(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  struct Step {
    Formula formula;
    std::string a, b;
    int from;  // index of the first driver of the layer before in `values`
  };
  std::vector<Step> steps;
  for (int layer = 1; layer <= depth; ++layer) {
    for (int k = 0; k < 2; ++k) {
      const std::string a = layer == 1 ? "L0" : idOf(layer - 1, 0);
      const std::string b = layer == 1 ? "L0" : idOf(layer - 1, 1);
      steps.push_back(Step{Formula("(" + a + "+" + b + ")/2"), a, b,
                           layer == 1 ? 0 : 1 + 2 * (layer - 2)});
    }
  }
  std::vector<float> values(1 + steps.size());
  float value = 1.0f;
  for (auto _ : state) {
    value = value == 1.0f ? 2.0f : 1.0f;
    values[0] = value;
    for (size_t i = 0; i < steps.size(); ++i) {
      Step& s = steps[i];
      const int second = s.from == 0 ? 0 : s.from + 1;
      s.formula.setVariable(s.a, values[s.from]);
      s.formula.setVariable(s.b, values[second]);
      values[i + 1] = static_cast<float>(s.formula.eval());
    }
    benchmark::DoNotOptimize(values.data());
  }
  if (values.back() != value) state.SkipWithError("wrong value");
  state.counters["drivers"] = static_cast<double>(steps.size());
}

const int kSampleSizes[] = {4, 400};

// A sample database and what a change of the part length re-evaluates:
// every driver reachable through has-impact-on lists that computes its
// value, in topological order. Built once per size, since building the
// large one takes a while.
struct Sample {
  explicit Sample(int operations)
      : db(VelkData::buildSampleDatabase(operations)) {
    for (int i = 0; i < db->CostPropertyCount(); ++i) {
      if (db->CostPropertyAt(i)->id() == "PART_LENGTH") {
        length = boost::dynamic_pointer_cast<CostDriverDouble>(
            db->CostPropertyAt(i));
      }
    }
    if (!length) return;
    linkDependents();
    // Reversed finishing order of a depth-first walk: every driver after
    // the drivers that list it. Drivers with an explicit or cached value
    // stop the change and are left out, with what only they reach.
    std::set<CostDriver*> seen;
    std::vector<boost::shared_ptr<CostDriver>> finished;
    struct Frame {
      boost::shared_ptr<CostDriver> driver;
      std::vector<boost::shared_ptr<CostDriver>> next;
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{length, length->formulas()->getHasImpactOnList()});
    std::reverse(stack.back().next.begin(), stack.back().next.end());
    while (!stack.empty()) {
      if (stack.back().next.empty()) {
        finished.push_back(stack.back().driver);
        stack.pop_back();
        continue;
      }
      boost::shared_ptr<CostDriver> d = stack.back().next.back();
      stack.back().next.pop_back();
      if (!seen.insert(d.get()).second) continue;
      if (d->hasValue() || d->doCacheValue() || !d->formulas()) continue;
      stack.push_back(Frame{d, d->formulas()->getHasImpactOnList()});
      std::reverse(stack.back().next.begin(), stack.back().next.end());
    }
    finished.pop_back();  // the part length itself
    affected.assign(finished.rbegin(), finished.rend());
  }

  // The sample wires only what formulas read (dependencies), as a model
  // loaded for costing needs. A host that shows values live also links
  // the other direction, so that a change reaches the drivers that read
  // it: here every driver of the press line's operations and of their
  // components' parameters is entered in the has-impact-on list of each
  // driver it reads.
  void linkDependents() {
    std::vector<boost::shared_ptr<CostDriver>> readers;
    const auto plan = db->ProcessDB();
    for (int i = 0; plan && i < plan->OperationCount(); ++i) {
      const boost::shared_ptr<VelkData::Operation> op = plan->OperationAt(i);
      if (!op) continue;
      for (const boost::shared_ptr<CostDriver>& d : op->GetAllCostDrivers()) {
        readers.push_back(d);
      }
      const boost::shared_ptr<VelkData::BaseAssembly> assembly =
          op->baseAssembly();
      for (int c = 0; assembly && c < assembly->ComponentCount(); ++c) {
        const boost::shared_ptr<TamberData::Component> component =
            assembly->ComponentAt(c);
        for (int k = 0; component && k < component->parameterCount(); ++k) {
          readers.push_back(component->parameterAt(k));
        }
      }
    }
    for (const boost::shared_ptr<CostDriver>& reader : readers) {
      if (!reader || !reader->formulas()) continue;
      for (int k = 0; k < reader->formulas()->dependencyCount(); ++k) {
        reader->formulas()->dependencyAt(k)->addHasImpactOn(reader);
      }
    }
  }

  boost::shared_ptr<VelkData::CostDatabase> db;
  boost::shared_ptr<CostDriverDouble> length;
  std::vector<boost::shared_ptr<CostDriver>> affected;
};

Sample& sample(int operations) {
  static std::map<int, std::unique_ptr<Sample>> samples;
  std::unique_ptr<Sample>& s = samples[operations];
  if (!s) s.reset(new Sample(operations));
  return *s;
}

void BM_SampleChange(benchmark::State& state) {
  Sample& s = sample(static_cast<int>(state.range(0)));
  if (!s.length || s.affected.empty()) {
    state.SkipWithError("no part length with dependents");
    return;
  }
  float value = 1200.0f;
  for (auto _ : state) {
    value = value == 1200.0f ? 1250.0f : 1200.0f;
    s.length->setValue(value);
  }
  state.counters["drivers"] = static_cast<double>(s.affected.size());
}

void BM_SampleRead(benchmark::State& state) {
  Sample& s = sample(static_cast<int>(state.range(0)));
  if (!s.length || s.affected.empty()) {
    state.SkipWithError("no part length with dependents");
    return;
  }
  for (auto _ : state) {
    for (const boost::shared_ptr<CostDriver>& d : s.affected) {
      benchmark::DoNotOptimize(d->doubleValue());
    }
  }
  state.counters["drivers"] = static_cast<double>(s.affected.size());
}

// The formulas of the re-evaluated drivers, compiled once, each bound by
// name and evaluated once in topological order. A variable that names a
// driver outside the change is bound to that driver's value, read once
// before timing; the others to the values this loop computed.
void BM_SampleFloor(benchmark::State& state) {
  Sample& s = sample(static_cast<int>(state.range(0)));
  if (!s.length || s.affected.empty()) {
    state.SkipWithError("no part length with dependents");
    return;
  }
  struct Binding {
    std::string name;
    int from;  // index in `values`, or -1 for `constant`
    double constant;
  };
  struct Step {
    Formula formula;
    std::vector<Binding> bindings;
    bool integral;
  };
  std::map<const CostDriver*, int> index;
  std::vector<float> values(s.affected.size() + 1);
  index[s.length.get()] = 0;
  std::vector<Step> steps;
  for (size_t k = 0; k < s.affected.size(); ++k) {
    const boost::shared_ptr<CostDriver>& d = s.affected[k];
    const boost::shared_ptr<FormulaContainer> c = d->formulas();
    if (c->formulaCount() != 1) {
      state.SkipWithError("a driver with other than one formula");
      return;
    }
    Step step{Formula(c->formulaAt(0)), {},
              boost::dynamic_pointer_cast<VelkData::CostDriverInt>(d) !=
                  nullptr};
    for (int i = 0; i < c->dependencyCount(); ++i) {
      const boost::shared_ptr<CostDriver> dep = c->dependencyAt(i);
      auto found = index.find(dep.get());
      step.bindings.push_back(
          found == index.end()
              ? Binding{dep->id(), -1, static_cast<double>(dep->doubleValue())}
              : Binding{dep->id(), found->second, 0.0});
    }
    index[d.get()] = static_cast<int>(k + 1);
    steps.push_back(std::move(step));
  }
  float value = 1200.0f;
  auto run = [&] {
    values[0] = value;
    for (size_t k = 0; k < steps.size(); ++k) {
      Step& step = steps[k];
      for (const Binding& b : step.bindings) {
        step.formula.setVariable(
            b.name, b.from < 0 ? b.constant
                               : static_cast<double>(values[b.from]));
      }
      const double result = step.formula.eval();
      values[k + 1] = step.integral
                          ? static_cast<float>(static_cast<int>(result))
                          : static_cast<float>(result);
    }
  };
  for (auto _ : state) {
    value = value == 1200.0f ? 1250.0f : 1200.0f;
    run();
    benchmark::DoNotOptimize(values.data());
  }
  // The floor computes what the drivers compute.
  s.length->setValue(value);
  for (size_t k = 0; k < s.affected.size(); ++k) {
    if (s.affected[k]->doubleValue() != values[k + 1]) {
      state.SkipWithError(("floor differs at " + s.affected[k]->id()).c_str());
      return;
    }
  }
  state.counters["drivers"] = static_cast<double>(steps.size());
}

void BM_SampleEstimate(benchmark::State& state) {
  Sample& s = sample(static_cast<int>(state.range(0)));
  if (!s.length) {
    state.SkipWithError("no part length");
    return;
  }
  float value = 1200.0f;
  for (auto _ : state) {
    value = value == 1200.0f ? 1250.0f : 1200.0f;
    s.length->setValue(value);
    const VelkData::CostEstimate estimate(*s.db);
    benchmark::DoNotOptimize(estimate.total());
  }
  state.counters["drivers"] = static_cast<double>(s.affected.size());
}

// The rows of one depth or size run next to each other, so that a change
// in the machine's load hits them alike.
void registerRows() {
  for (int depth = kMinDepth; depth <= kMaxDepth; depth += kDepthStep) {
    benchmark::RegisterBenchmark("BM_Change", BM_Change)->Arg(depth);
    benchmark::RegisterBenchmark("BM_Read", BM_Read)->Arg(depth);
    benchmark::RegisterBenchmark("BM_Floor", BM_Floor)->Arg(depth);
  }
  for (int operations : kSampleSizes) {
    benchmark::RegisterBenchmark("BM_SampleChange", BM_SampleChange)
        ->Arg(operations);
    benchmark::RegisterBenchmark("BM_SampleRead", BM_SampleRead)
        ->Arg(operations);
    benchmark::RegisterBenchmark("BM_SampleFloor", BM_SampleFloor)
        ->Arg(operations);
    benchmark::RegisterBenchmark("BM_SampleEstimate", BM_SampleEstimate)
        ->Arg(operations)
        ->Unit(benchmark::kMillisecond);
  }
}

// Keeps the CPU time per iteration of every run, by name, for the table
// (on a shared machine CPU time is the steadier figure). With repetitions
// the median is kept.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate &&
                          run.aggregate_name == "median";
      if (!median && run.run_type != Run::RT_Iteration) continue;
      if (!median && medians.count(run.run_name.str()) > 0) continue;
      if (median) medians.insert(run.run_name.str());
      const double ns = run.GetAdjustedCPUTime() *
                        (1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit));
      times[run.run_name.str()] = ns;
    }
  }
  std::map<std::string, double> times;
  std::set<std::string> medians;
};

}  // namespace

int main(int argc, char** argv) {
  registerRows();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\n%5s %7s %12s %12s %12s %8s %8s\n", "depth", "drivers",
              "change ns", "read ns", "floor ns", "change/", "read/");
  std::printf("%5s %7s %12s %12s %12s %8s %8s\n", "", "", "", "", "", "floor",
              "floor");
  for (int depth = kMinDepth; depth <= kMaxDepth; depth += kDepthStep) {
    const std::string n = "/" + std::to_string(depth);
    auto find = [&](const std::string& name) {
      auto it = reporter.times.find(name + n);
      return it == reporter.times.end() ? 0.0 : it->second;
    };
    const double change = find("BM_Change");
    const double read = find("BM_Read");
    const double floor = find("BM_Floor");
    if (change == 0 || read == 0 || floor == 0) continue;
    std::printf("%5d %7d %12.0f %12.0f %12.0f %8.2f %8.2f\n", depth,
                2 * depth, change, read, floor, change / floor, read / floor);
  }

  std::printf("\n%10s %8s %12s %12s %12s %8s %8s %12s %10s\n", "operations",
              "drivers", "change ns", "read ns", "floor ns", "change/",
              "read/", "estimate ms", "change ns");
  std::printf("%10s %8s %12s %12s %12s %8s %8s %12s %10s\n", "", "", "", "",
              "", "floor", "floor", "", "/driver");
  for (int operations : kSampleSizes) {
    const std::string n = "/" + std::to_string(operations);
    auto find = [&](const std::string& name) {
      auto it = reporter.times.find(name + n);
      return it == reporter.times.end() ? 0.0 : it->second;
    };
    const double change = find("BM_SampleChange");
    const double read = find("BM_SampleRead");
    const double floor = find("BM_SampleFloor");
    const double estimate = find("BM_SampleEstimate");
    if (change == 0 || read == 0 || floor == 0) continue;
    const size_t drivers = sample(operations).affected.size();
    std::printf("%10d %8zu %12.0f %12.0f %12.0f %8.2f %8.2f %12.2f %10.1f\n",
                operations, drivers, change, read, floor, change / floor,
                read / floor, estimate / 1e6, change / drivers);
  }
  return 0;
}
