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
// After the run a table gives the times and the ratios to the floor.
// Run it from a Release build:
//   bench/propagation_bench --benchmark_min_time=0.2 --benchmark_repetitions=5

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "costdata/CostDriverDouble.h"
#include "formula/Formula.h"
#include "formula/FormulaContainer.h"

namespace {

using VelkData::CostDriver;
using VelkData::CostDriverDouble;

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

// The three rows of one depth run next to each other, so that a change in
// the machine's load hits them alike.
void registerRows() {
  for (int depth = kMinDepth; depth <= kMaxDepth; depth += kDepthStep) {
    benchmark::RegisterBenchmark("BM_Change", BM_Change)->Arg(depth);
    benchmark::RegisterBenchmark("BM_Read", BM_Read)->Arg(depth);
    benchmark::RegisterBenchmark("BM_Floor", BM_Floor)->Arg(depth);
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
  return 0;
}
