// Saving and loading cost databases through `ToCharArray` and
// `FromCharArray`, against the floor: Boost's own binary archives over plain
// structs that hold the same fields, with the same sharing, and none of the
// model's work (no polymorphic classes, no checks, no formulas compiled).
// The floor's root holds only the operations, not the database's and the
// process plan's other (here empty) collections and factories; that fixed
// part of the model's archive weighs on the ratios at 10 operations only.
// The plain archive is also read through the checked reader, to tell the
// cost of its checks from that of the model.
//
//   bench/archive_bench --benchmark_min_time=0.2 --benchmark_repetitions=3
//                       --benchmark_enable_random_interleaving=true
//
// Each case runs with 10, 100 and 1000 operations; items are operations, so
// the time per item should stay flat as the database grows, and
// "bytes_per_op" gives the archive's size per operation. At the end a
// summary gives, per size, the CPU time per operation of each case (the
// median of the repetitions) and the ratios of the model to the floor.
// Ratios taken within one run hold up on a busy machine far better than
// times do; random interleaving spreads the machine's moods over all cases.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <boost/archive/binary_iarchive.hpp>
#include <boost/archive/binary_oarchive.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/utility.hpp>
#include <boost/serialization/vector.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "persistence/CheckedIArchive.h"
#include "velkdata/velkdata.h"

namespace {

using boost::shared_ptr;
using namespace VelkData;

// --- The model -----------------------------------------------------------

shared_ptr<FormulaContainer> formula(const std::string& text) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->addFormula(text);
  return container;
}

shared_ptr<CostDriverDouble> driver(const std::string& id, float value) {
  shared_ptr<CostDriverDouble> result(new CostDriverDouble(id));
  result->setLabel(id + " label");
  result->setValue(value);
  result->setMeasureUnit("mm");
  result->setConversionFactor(1000.0f);
  result->setAccuracy(0.5f);
  return result;
}

// One operation: a cost driver, its three dimensions with their limit
// formulas, a stage, and a base assembly of one component with one
// parameter.
shared_ptr<Operation> operation(int i) {
  const std::string n = std::to_string(i);
  shared_ptr<Operation> op(new Operation("OP" + n, "Draw"));
  op->AddCostDriver(driver("CD_OPF" + n, 0.75f));
  op->SetLength(driver("CD_LEN" + n, 1200.0f), formula("800"), formula("2000"));
  op->SetWidth(driver("CD_WID" + n, 900.0f), formula("500"), formula("1500"));
  op->SetHeight(driver("CD_HGT" + n, 400.0f), formula("100"), formula("600"));
  op->SetStage(shared_ptr<VelkUtils::Stage>(new VelkUtils::Stage("S" + n)));
  shared_ptr<TamberData::Component> pin(
      new TamberData::Component("Pin " + n, "CT_100_" + n));
  pin->addParameter(driver("P_DIA" + n, 40.0f), TamberData::Component::kRoundUp,
                    formula("20"), formula("80"));
  shared_ptr<BaseAssembly> assembly(new BaseAssembly("Set " + n, "Draw"));
  assembly->AddComponent(pin, formula("4"), 1);
  op->setBaseAssembly(assembly);
  return op;
}

shared_ptr<CostDatabase> database(int operations) {
  shared_ptr<CostDatabase> db(new CostDatabase);
  shared_ptr<TamberData::ProcessDatabase> plan(new TamberData::ProcessDatabase);
  for (int i = 0; i < operations; ++i) plan->AddOperation(operation(i));
  db->SetProcessDB(plan);
  return db;
}

// ToCharArray announces every archive on standard output.
class MutedStdout {
 public:
  MutedStdout() : saved_(std::cout.rdbuf(nullptr)) {}
  ~MutedStdout() { std::cout.rdbuf(saved_); }

 private:
  std::streambuf* saved_;
};

std::string save(const CostDatabase& db) {
  MutedStdout muted;
  CostDatabase::SerializedDB* record = CostDatabase::ToCharArray(db);
  std::string bytes(record->data, static_cast<std::size_t>(record->size));
  CostDatabase::ReleaseSerializedDB(record);
  return bytes;
}

void BM_SaveDatabase(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  shared_ptr<CostDatabase> db = database(n);
  std::size_t bytes = 0;
  for (auto _ : state) {
    MutedStdout muted;
    CostDatabase::SerializedDB* record = CostDatabase::ToCharArray(*db);
    bytes = static_cast<std::size_t>(record->size);
    CostDatabase::ReleaseSerializedDB(record);
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["bytes_per_op"] = static_cast<double>(bytes) / n;
}

void BM_LoadDatabase(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::string bytes = save(*database(n));
  for (auto _ : state) {
    CostDatabase db;
    if (!CostDatabase::FromCharArray(&bytes[0], static_cast<int>(bytes.size()),
                                     db))
      state.SkipWithError("the archive was not read");
    benchmark::DoNotOptimize(db);
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["bytes_per_op"] = static_cast<double>(bytes.size()) / n;
}

// The same database from a file, through `ToFile` and `FromFile`.
void BM_LoadDatabaseFile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  char path[] = "/tmp/archive_bench_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) {
    state.SkipWithError("no temporary file");
    return;
  }
  close(fd);
  shared_ptr<CostDatabase> written = database(n);
  written->ToFile(*written, path);
  for (auto _ : state) {
    CostDatabase db;
    if (!CostDatabase::FromFile(QString::fromLatin1(path), db))
      state.SkipWithError("the file was not read");
    benchmark::DoNotOptimize(db);
  }
  std::remove(path);
  state.SetItemsProcessed(state.iterations() * n);
}

// --- The floor -------------------------------------------------------------

namespace plain {

struct Feature {
  std::string type;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& type;
  }
};

struct Driver;

struct Formulas {
  shared_ptr<Feature> feature;
  std::vector<shared_ptr<Driver>> dependencies;
  std::vector<std::string> strings;
  int compiled = 0;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& feature& dependencies& strings& compiled;
  }
};

// CostProperty, CostDriver and CostDriverDouble in one.
struct Driver {
  std::string id, label, longHelp, category;
  bool isVisible = true;
  shared_ptr<Formulas> formulas;
  bool doCacheValue = false, hasValue = false;
  int level = 0;
  double minValue = 0, maxValue = 0, cachedValue = 0;
  float value = 0, accuracy = 0, conversionFactor = 0;
  std::string measureUnit;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& id& label& longHelp& category& isVisible& formulas;
    ar& doCacheValue& hasValue& level& minValue& maxValue& cachedValue;
    ar& value& accuracy& conversionFactor& measureUnit;
  }
};

struct Triplet {
  shared_ptr<Driver> value;
  shared_ptr<Formulas> minimum, maximum;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& value& minimum& maximum;
  }
};

struct Stage {
  std::string label;
  std::vector<shared_ptr<Driver>> properties;
  std::vector<std::string> allowed;
  int id = 0;
  std::vector<double> tipping;
  int type = 0;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& label& properties& allowed& id& tipping& type;
  }
};

struct Operation;
struct Unit {
  int index = 0;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& index;
  }
};

struct Component {
  std::string label;
  std::vector<int> rounding;
  std::vector<shared_ptr<Driver>> parameters;
  std::vector<std::pair<shared_ptr<Formulas>, shared_ptr<Formulas>>> limits;
  shared_ptr<Feature> feature;
  std::vector<shared_ptr<Unit>> units;
  std::string key;
  int state = 0;
  bool noDBMatch = false;
  std::vector<shared_ptr<Component>> children;
  std::vector<shared_ptr<Operation>> operations;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& label& rounding& parameters& limits& feature& units& key;
    ar& state& noDBMatch& children& operations;
  }
};

struct Assembly {
  std::string label, operationType;
  std::vector<shared_ptr<Component>> components;
  std::vector<shared_ptr<Formulas>> amounts;
  std::vector<int> mergeBehaviors;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& label& operationType& components& amounts& mergeBehaviors;
  }
};

struct Operation {
  std::string label, type;
  shared_ptr<Assembly> assembly;
  std::vector<shared_ptr<Driver>> drivers;
  Triplet length, width, height;
  bool shouldBeEmpty = false;
  shared_ptr<Stage> stage;
  shared_ptr<Driver> comment;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& label& type& assembly& drivers& length& width& height;
    ar& shouldBeEmpty& stage& comment;
  }
};

struct Database {
  std::string id;
  std::vector<shared_ptr<Operation>> operations;
  template <class A>
  void serialize(A& ar, const unsigned int) {
    ar& id& operations;
  }
};

shared_ptr<Formulas> formula(const std::string& text) {
  shared_ptr<Formulas> result(new Formulas);
  result->strings.push_back(text);
  result->compiled = 1;
  return result;
}

shared_ptr<Driver> driver(const std::string& id, float value) {
  shared_ptr<Driver> result(new Driver);
  result->id = id;
  result->label = id + " label";
  result->value = value;
  result->measureUnit = "mm";
  result->conversionFactor = 1000.0f;
  result->accuracy = 0.5f;
  result->formulas.reset(new Formulas);
  return result;
}

Triplet triplet(const std::string& id, float value, const std::string& min,
                const std::string& max) {
  Triplet result;
  result.value = driver(id, value);
  result.minimum = formula(min);
  result.maximum = formula(max);
  return result;
}

Database database(int operations) {
  Database db;
  db.id = "2024-05-17T08:30:00";
  for (int i = 0; i < operations; ++i) {
    const std::string n = std::to_string(i);
    shared_ptr<Operation> op(new Operation);
    op->label = "OP" + n;
    op->type = "Draw";
    op->drivers.push_back(driver("CD_OPF" + n, 0.75f));
    op->length = triplet("CD_LEN" + n, 1200.0f, "800", "2000");
    op->width = triplet("CD_WID" + n, 900.0f, "500", "1500");
    op->height = triplet("CD_HGT" + n, 400.0f, "100", "600");
    op->stage.reset(new Stage);
    op->stage->label = "S" + n;
    shared_ptr<Component> pin(new Component);
    pin->label = "Pin " + n;
    pin->key = "CT_100_" + n;
    pin->rounding.push_back(1);
    pin->parameters.push_back(driver("P_DIA" + n, 40.0f));
    pin->limits.emplace_back(formula("20"), formula("80"));
    op->assembly.reset(new Assembly);
    op->assembly->label = "Set " + n;
    op->assembly->operationType = "Draw";
    op->assembly->components.push_back(pin);
    op->assembly->amounts.push_back(formula("4"));
    op->assembly->mergeBehaviors.push_back(1);
    db.operations.push_back(op);
  }
  return db;
}

std::string save(const Database& db) {
  std::ostringstream os(std::ios::binary);
  boost::archive::binary_oarchive archive(os);
  archive << db;
  return os.str();
}

}  // namespace plain

void BM_SavePlain(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const plain::Database db = plain::database(n);
  std::size_t bytes = 0;
  for (auto _ : state) bytes = plain::save(db).size();
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["bytes_per_op"] = static_cast<double>(bytes) / n;
}

void BM_LoadPlain(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string bytes = plain::save(plain::database(n));
  for (auto _ : state) {
    std::istringstream is(bytes, std::ios::binary);
    boost::archive::binary_iarchive archive(is);
    plain::Database db;
    archive >> db;
    benchmark::DoNotOptimize(db);
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["bytes_per_op"] = static_cast<double>(bytes.size()) / n;
}

// The same plain archive through the library's checked reader: what its
// checks cost on their own.
void BM_LoadPlainChecked(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string bytes = plain::save(plain::database(n));
  for (auto _ : state) {
    std::istringstream is(bytes, std::ios::binary);
    CheckedIArchive archive(is);
    plain::Database db;
    archive >> db;
    benchmark::DoNotOptimize(db);
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["bytes_per_op"] = static_cast<double>(bytes.size()) / n;
}

}  // namespace

BENCHMARK(BM_SaveDatabase)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_SavePlain)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_LoadDatabase)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_LoadDatabaseFile)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_LoadPlain)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_LoadPlainChecked)->Arg(10)->Arg(100)->Arg(1000);

namespace {

// The console report, followed by the summary of ratios.
class RatioSummary : public benchmark::ConsoleReporter {
 public:
  RatioSummary() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      // Single runs when they are reported, else the medians of them.
      const bool single = run.run_type == Run::RT_Iteration;
      if (!single && run.aggregate_name != "median") continue;
      const int n = std::stoi(run.run_name.args);
      // CPU time: on a shared machine the wall clock also counts the time
      // spent waiting for a core.
      const double nanoseconds =
          run.GetAdjustedCPUTime() * 1e9 /
          benchmark::GetTimeUnitMultiplier(run.time_unit);
      (single ? perOperation_ : medians_)[run.run_name.function_name][n]
          .push_back(nanoseconds / n);
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    out << "\nCPU time per operation (median of runs), ratio to the floor\n"
        << std::setw(6) << "ops" << std::setw(11) << "save ns" << std::setw(11)
        << "floor ns" << std::setw(8) << "ratio" << std::setw(11) << "load ns"
        << std::setw(11) << "floor ns" << std::setw(8) << "ratio"
        << std::setw(11) << "file ns" << std::setw(8) << "ratio"
        << std::setw(14) << "checked/stock"
        << "\n";
    for (int n : {10, 100, 1000}) {
      const double save = median("BM_SaveDatabase", n);
      const double savePlain = median("BM_SavePlain", n);
      const double load = median("BM_LoadDatabase", n);
      const double loadPlain = median("BM_LoadPlain", n);
      const double loadFile = median("BM_LoadDatabaseFile", n);
      const double loadChecked = median("BM_LoadPlainChecked", n);
      out << std::fixed << std::setprecision(0) << std::setw(6) << n
          << std::setw(11) << save << std::setw(11) << savePlain
          << std::setprecision(2) << std::setw(8) << save / savePlain
          << std::setprecision(0) << std::setw(11) << load << std::setw(11)
          << loadPlain << std::setprecision(2) << std::setw(8)
          << load / loadPlain << std::setprecision(0) << std::setw(11)
          << loadFile << std::setprecision(2) << std::setw(8)
          << loadFile / loadPlain << std::setw(14) << loadChecked / loadPlain
          << "\n";
    }
    out << "Growth of the time per operation from 10 to 1000 operations: save "
        << growth("BM_SaveDatabase") << " (floor " << growth("BM_SavePlain")
        << "), load " << growth("BM_LoadDatabase") << " (floor "
        << growth("BM_LoadPlain") << ")\n";
  }

 private:
  // NaN when the case did not run, so that a filtered run says so.
  double median(const std::string& name, int n) const {
    for (const auto* times : {&perOperation_, &medians_}) {
      const auto family = times->find(name);
      if (family == times->end()) continue;
      const auto size = family->second.find(n);
      if (size == family->second.end()) continue;
      std::vector<double> sorted = size->second;
      std::sort(sorted.begin(), sorted.end());
      const std::size_t middle = sorted.size() / 2;
      return sorted.size() % 2 ? sorted[middle]
                               : (sorted[middle - 1] + sorted[middle]) / 2;
    }
    return std::nan("");
  }
  double growth(const std::string& name) const {
    return median(name, 1000) / median(name, 10);
  }

  typedef std::map<std::string, std::map<int, std::vector<double>>> Times;
  Times perOperation_;
  Times medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioSummary summary;
  benchmark::RunSpecifiedBenchmarks(&summary);
  benchmark::Shutdown();
  return 0;
}
