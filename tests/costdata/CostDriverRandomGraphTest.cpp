#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverInt.h"
#include "costdata/DriverGraph.h"
#include "formula/FormulaContainer.h"

// Random acyclic graphs of double and integer drivers, some explicit, some
// cached, under random changes. Every stored value and every read must be
// what the plain depth-first rule gives: notify each has-impact-on entry in
// list order, each re-evaluating from a fresh read of its whole upstream
// graph and passing the change on. That rule is kept here as the reference.

namespace {

using VelkData::CostDriver;
using VelkData::CostDriverDouble;
using VelkData::CostDriverInt;
using velktest::DriverGraph;

// Appends its node number to `calls` each time it is asked to re-evaluate.
template <class Base>
class Recorded : public Base {
 public:
  Recorded(const std::string& id, int node, std::vector<int>* calls)
      : Base(id), node_(node), calls_(calls) {}
  void reEvaluateFormula() override {
    calls_->push_back(node_);
    Base::reEvaluateFormula();
  }

 private:
  int node_;
  std::vector<int>* calls_;
};

int truncated(double value) { return static_cast<int>(value); }

// The plain model: each node is a driver whose formula is
// constant + dep*coefficient + dep*coefficient ...
struct ReferenceGraph {
  struct Node {
    bool integral = false;
    double constant = 0;
    std::vector<std::pair<int, double>> terms;  // dependency, coefficient
    std::vector<int> readers;                   // has-impact-on, list order
    bool hasValue = false;
    float value = 0;  // a double driver's stored value
    int intValue = 0;
    bool cached = false;
    double cachedValue = 0;
    bool notifying = false;
  };

  double evaluate(int n) const {
    double result = nodes[n].constant;
    for (const auto& term : nodes[n].terms) {
      result = result + static_cast<double>(read(term.first)) * term.second;
    }
    return result;
  }

  float read(int n) const {
    const Node& node = nodes[n];
    if (node.cached) return static_cast<float>(node.cachedValue);
    if (node.hasValue) {
      return node.integral ? static_cast<float>(node.intValue) : node.value;
    }
    const double result = evaluate(n);
    return node.integral ? static_cast<float>(truncated(result))
                         : static_cast<float>(result);
  }

  void store(int n, double result) {
    if (nodes[n].integral) {
      nodes[n].intValue = truncated(result);
    } else {
      nodes[n].value = static_cast<float>(result);
    }
  }

  void notify(int n) {
    nodes[n].notifying = true;
    for (int reader : nodes[n].readers) reEvaluate(reader);
    nodes[n].notifying = false;
  }

  void reEvaluate(int n) {
    calls.push_back(n);
    if (nodes[n].hasValue || nodes[n].notifying) return;
    store(n, evaluate(n));
    notify(n);
  }

  void setValue(int n, float v) {
    store(n, v);
    nodes[n].hasValue = true;
    notify(n);
  }

  void setDependentValue(int n, float v) {
    if (nodes[n].integral) {
      nodes[n].intValue = truncated(v);
      nodes[n].hasValue = false;
    } else {
      if (nodes[n].hasValue) return;
      nodes[n].value = v;
    }
    notify(n);
  }

  void cache(int n) {
    for (const auto& term : nodes[n].terms) cache(term.first);
    if (nodes[n].cached) return;
    nodes[n].cachedValue = read(n);
    nodes[n].cached = true;
  }

  // Whether every driver reachable from `source` is reachable along one
  // path only.
  bool treeFrom(int source) const {
    std::vector<int> incoming(nodes.size(), 0);
    std::vector<bool> seen(nodes.size(), false);
    std::vector<int> todo = {source};
    seen[source] = true;
    while (!todo.empty()) {
      const int n = todo.back();
      todo.pop_back();
      for (int reader : nodes[n].readers) {
        if (++incoming[reader] > 1) return false;
        if (!seen[reader]) {
          seen[reader] = true;
          todo.push_back(reader);
        }
      }
    }
    return true;
  }

  std::vector<Node> nodes;
  std::vector<int> calls;
};

class RandomGraph {
 public:
  // Recorded drivers tell the order of re-evaluation; plain ones are what
  // hosts mostly build, and what the evaluation reads without a virtual
  // call once a read has computed them.
  RandomGraph(std::mt19937& random, bool recorded)
      : random_(random), recorded_(recorded) {
    const int count = pick(2, 14);
    const double density = pick(1, 5) / 10.0;
    std::vector<std::pair<int, int>> edges;
    for (int j = 0; j < count; ++j) {
      for (int i = 0; i < j; ++i) {
        if (chance(density)) edges.push_back(std::make_pair(i, j));
      }
    }
    std::shuffle(edges.begin(), edges.end(), random_);

    reference.nodes.resize(count);
    static const double coefficients[] = {0.5, 1, 2, 0.25};
    for (int n = 0; n < count; ++n) {
      reference.nodes[n].integral = chance(0.25);
      reference.nodes[n].constant = pick(0, 3);
    }
    for (const auto& edge : edges) {
      reference.nodes[edge.second].terms.push_back(
          std::make_pair(edge.first, coefficients[pick(0, 3)]));
      reference.nodes[edge.first].readers.push_back(edge.second);
    }
    for (int n = 0; n < count; ++n) {
      const std::string id = "n" + std::to_string(n);
      std::ostringstream formula;
      formula << reference.nodes[n].constant;
      for (const auto& term : reference.nodes[n].terms) {
        formula << "+n" << term.first << "*" << term.second;
      }
      boost::shared_ptr<CostDriver> d;
      if (reference.nodes[n].integral) {
        d.reset(recorded_ ? new Recorded<CostDriverInt>(id, n, &calls)
                          : new CostDriverInt(id));
      } else {
        d.reset(recorded_ ? new Recorded<CostDriverDouble>(id, n, &calls)
                          : new CostDriverDouble(id));
      }
      d->formulas()->addFormula(formula.str());
      drivers.push_back(d);
    }
    for (const auto& edge : edges) {
      graph.link(drivers[edge.first], drivers[edge.second]);
    }
  }

  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
  }
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
  float anyValue() { return pick(-8, 40) / 4.0f; }

  // Applies one random change to both models; returns what it did.
  std::string change() {
    const int n = pick(0, static_cast<int>(drivers.size()) - 1);
    const float v = anyValue();
    calls.clear();
    reference.calls.clear();
    std::ostringstream what;
    what << "n" << n << ": ";
    switch (pick(0, 9)) {
      case 0:
      case 1:
      case 2:
        what << "setValue " << v;
        drivers[n]->setValue(v);
        reference.setValue(n, v);
        break;
      case 3:
      case 4:
        what << "setDependentValue " << v;
        if (reference.nodes[n].integral) {
          boost::static_pointer_cast<CostDriverInt>(drivers[n])
              ->setDependentValue(v);
        } else {
          boost::static_pointer_cast<CostDriverDouble>(drivers[n])
              ->setDependentValue(v);
        }
        reference.setDependentValue(n, v);
        break;
      case 5:
      case 6:
        what << "resetValue";
        drivers[n]->resetValue();
        reference.nodes[n].hasValue = false;
        break;
      case 7:
        what << "cache";
        drivers[n]->setDoCacheValue(true);
        reference.cache(n);
        break;
      default:
        what << "reEvaluateFormula";
        drivers[n]->reEvaluateFormula();
        reference.reEvaluate(n);
        break;
    }
    source = n;
    return what.str();
  }

  // Compares stored values and reads of every driver, and the drivers asked
  // to re-evaluate by the last change.
  void expectAgreement(bool sourceWasAsked) {
    for (size_t n = 0; n < drivers.size(); ++n) {
      SCOPED_TRACE("n" + std::to_string(n));
      const ReferenceGraph::Node& node = reference.nodes[n];
      if (node.integral) {
        EXPECT_EQ(node.intValue,
                  boost::static_pointer_cast<CostDriverInt>(drivers[n])
                      ->storedValue());
      } else {
        EXPECT_EQ(node.value,
                  boost::static_pointer_cast<CostDriverDouble>(drivers[n])
                      ->storedValue());
      }
      EXPECT_EQ(reference.read(static_cast<int>(n)), drivers[n]->doubleValue());
    }
    if (!recorded_) return;

    if (reference.treeFrom(source)) {
      EXPECT_EQ(reference.calls, calls);
      return;
    }
    // Each driver the rule asks is asked once, after every asked driver
    // that lists it.
    std::vector<int> distinct = reference.calls;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()),
                   distinct.end());
    std::vector<int> sorted = calls;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(distinct, sorted);
    std::vector<int> position(drivers.size(), -1);
    for (size_t k = sourceWasAsked ? 1 : 0; k < calls.size(); ++k) {
      position[calls[k]] = static_cast<int>(k);
    }
    for (int from : calls) {
      for (int to : reference.nodes[from].readers) {
        if (position[to] >= 0 && position[from] >= 0) {
          EXPECT_LT(position[from], position[to])
              << "n" << from << " before n" << to;
        }
      }
    }
  }

  std::mt19937& random_;
  bool recorded_;
  std::vector<int> calls;
  ReferenceGraph reference;
  DriverGraph graph;
  std::vector<boost::shared_ptr<CostDriver>> drivers;
  int source = 0;
};

// Gives 300 random graphs 12 random changes each and checks every change;
// `counted` sees each graph after each change that asked any driver.
template <class Counted>
void runRandomChanges(unsigned seed, bool recorded, Counted counted) {
  std::mt19937 random(seed);
  for (int g = 0; g < 300; ++g) {
    RandomGraph graph(random, recorded);
    for (int step = 0; step < 12; ++step) {
      const std::string what = graph.change();
      SCOPED_TRACE("graph " + std::to_string(g) + ", step " +
                   std::to_string(step) + ", " + what);
      const bool direct = what.find("reEvaluateFormula") != std::string::npos;
      graph.expectAgreement(direct);
      if (!graph.reference.calls.empty()) counted(graph);
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(CostDriverRandomGraphTest, ChangesAgreeWithTheDepthFirstRule) {
  int treeChanges = 0;
  int otherChanges = 0;
  runRandomChanges(20261209, true, [&](RandomGraph& graph) {
    (graph.reference.treeFrom(graph.source) ? treeChanges : otherChanges)++;
  });
  // Both kinds of change were exercised in earnest.
  EXPECT_GT(treeChanges, 300);
  EXPECT_GT(otherChanges, 300);
}

TEST(CostDriverRandomGraphTest, PlainDriversAgreeWithTheDepthFirstRule) {
  int changes = 0;
  runRandomChanges(20261210, false, [&](RandomGraph&) { ++changes; });
  EXPECT_GT(changes, 1000);
}

}  // namespace
