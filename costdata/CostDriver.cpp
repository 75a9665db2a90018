#include "costdata/CostDriver.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <unordered_map>
#include <utility>
#include <vector>

#include "costdata/DriverReadScope.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"

namespace VelkData {

namespace {

// The drivers being evaluated on the current path, outermost first, so that
// a cycle can be named. There are no threads, so one list serves.
std::vector<const CostDriver*>& evaluationPath() {
  static std::vector<const CostDriver*> path;
  return path;
}

// Marks a driver as evaluating for the lifetime of the scope. Entering a
// driver that is already on the path would recurse without end, so that
// throws instead, naming the drivers of the cycle.
class EvaluationScope {
 public:
  EvaluationScope(const CostDriver& driver, bool& evaluating)
      : evaluating_(evaluating) {
    std::vector<const CostDriver*>& path = evaluationPath();
    if (evaluating_) {
      // Whatever is computed around a cycle depends on where the read
      // entered it, so nothing computed from here on may be reused.
      DriverReadScope::stopRemembering();
      std::string cycle;
      auto it = std::find(path.begin(), path.end(), &driver);
      for (; it != path.end(); ++it) cycle += (*it)->id() + " -> ";
      throw NoFormulaResultException(
          "Cyclic dependency between cost drivers: " + cycle + driver.id());
    }
    evaluating_ = true;
    path.push_back(&driver);
  }
  ~EvaluationScope() {
    evaluationPath().pop_back();
    evaluating_ = false;
  }
  EvaluationScope(const EvaluationScope&) = delete;
  EvaluationScope& operator=(const EvaluationScope&) = delete;

 private:
  bool& evaluating_;
};

// Sets a flag for the lifetime of the scope and then restores it.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), previous_(flag) {
    flag_ = true;
  }
  ~FlagScope() { flag_ = previous_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

// The change under way: the driver it is asking to re-evaluate right now,
// and whether that driver passed the change on.
struct Propagation {
  const CostDriver* asking = nullptr;
  bool passedOn = false;
};

Propagation*& runningPropagation() {
  static Propagation* running = nullptr;
  return running;
}

// Makes `propagation` the change under way for the lifetime of the scope.
class PropagationScope {
 public:
  explicit PropagationScope(Propagation& propagation)
      : outer_(runningPropagation()) {
    runningPropagation() = &propagation;
  }
  ~PropagationScope() { runningPropagation() = outer_; }
  PropagationScope(const PropagationScope&) = delete;
  PropagationScope& operator=(const PropagationScope&) = delete;

 private:
  Propagation* outer_;
};

// One driver reachable from the source of a change.
struct Reached {
  CostDriver* driver;
  // Keeps the driver alive while the change runs, whatever it unlinks.
  boost::shared_ptr<CostDriver> owner;
  boost::shared_ptr<FormulaContainer> container;
  // Its place in the order in which drivers are asked.
  std::size_t position;
  bool asked;
};

// Counts the changes started, so that each walk can mark the drivers it
// reaches without clearing the marks of the one before.
unsigned long long& walksStarted() {
  static unsigned long long count = 0;
  return count;
}

}  // namespace

CostDriver::CostDriver() : CostDriver(std::string()) {}

CostDriver::CostDriver(const std::string& id)
    : CostProperty(id),
      cachedValue_(0.0),
      evaluating_(false),
      notifying_(false),
      switchingCache_(false),
      rememberedRead_(0),
      rememberedValue_(0.0),
      rememberedFailed_(false),
      upstreamOpen_(false),
      walkMark_(0),
      walkIndex_(0) {}

// A copy is not on anybody's path, whatever its source is doing.
CostDriver::CostDriver(const CostDriver& other)
    : CostProperty(other),
      cachedValue_(other.cachedValue_),
      evaluating_(false),
      notifying_(false),
      switchingCache_(false),
      rememberedRead_(0),
      rememberedValue_(0.0),
      rememberedFailed_(false),
      upstreamOpen_(false),
      walkMark_(0),
      walkIndex_(0) {}

CostDriver& CostDriver::operator=(const CostDriver& other) {
  CostProperty::operator=(other);
  cachedValue_ = other.cachedValue_;
  // The value this driver remembered came from its old formulas.
  rememberedRead_ = 0;
  return *this;
}

CostDriver::~CostDriver() = default;

std::string CostDriver::valueSources() const {
  const std::string generators = CostProperty::valueSources();

  std::string drivers;
  boost::shared_ptr<FormulaContainer> container = formulas();
  if (container && container->formulaCount() > 0) {
    const std::string formula = container->recentFormula();
    for (int i = 0; i < container->dependencyCount(); ++i) {
      boost::shared_ptr<CostDriver> dependency = container->dependencyAt(i);
      // An empty id is a substring of every text and names nothing.
      if (!dependency || dependency->id().empty()) continue;
      if (formula.find(dependency->id()) == std::string::npos) continue;
      drivers += drivers.empty() ? "Cost drivers: " : ", ";
      drivers += dependency->label();
    }
  }

  if (generators.empty()) return drivers;
  if (drivers.empty()) return generators;
  return generators + "\n" + drivers;
}

void CostDriver::setDoCacheValue(bool flag) {
  // Coming round a cycle of dependencies: the outer call finishes the job.
  if (switchingCache_) return;
  FlagScope onPath(switchingCache_);

  boost::shared_ptr<FormulaContainer> container = formulas();
  if (container) {
    for (int i = 0; i < container->dependencyCount(); ++i) {
      boost::shared_ptr<CostDriver> dependency = container->dependencyAt(i);
      if (dependency) dependency->setDoCacheValue(flag);
    }
  }

  if (flag && !doCacheValue_) {
    try {
      cachedValue_ = doubleValue();
    } catch (const std::exception&) {
      // Without a value there is nothing to freeze; the driver stays live.
      return;
    }
  }
  doCacheValue_ = flag;
}

bool CostDriver::hasValue() const { return hasValue_; }

void CostDriver::addDependency(const boost::shared_ptr<CostDriver>& driver) {
  if (formulas()) formulas()->addDependency(driver);
}

void CostDriver::addHasImpactOn(const boost::shared_ptr<CostDriver>& driver) {
  if (formulas()) formulas()->addHasImpactOn(driver);
}

void CostDriver::setDependency(
    const boost::shared_ptr<TamberData::PartFeature>& f) {
  if (formulas()) formulas()->addPartFeatureDependency(f);
}

double CostDriver::evaluateFormula(bool* fresh) const {
  DriverReadScope read;
  if (fresh) *fresh = false;
  if (remembered()) {
    if (rememberedFailed_) throw NoFormulaResultException(rememberedFailure_);
    return rememberedValue_;
  }
  if (fresh) *fresh = true;
  const boost::shared_ptr<FormulaContainer> container = formulas();
  if (DriverReadScope::remembering() && !evaluating_) {
    evaluateUpstream(container);
  }

  const unsigned long long tag = DriverReadScope::current();
  EvaluationScope scope(*this, evaluating_);
  double value = 0.0;
  try {
    if (container) value = container->evalFormulaDouble();
  } catch (const NoFormulaResultException& e) {
    if (DriverReadScope::remembering() && DriverReadScope::current() == tag) {
      rememberedRead_ = tag;
      rememberedFailed_ = true;
      rememberedFailure_ = e.message();
    }
    throw;
  }
  // A nested change (restart) or a cycle met on the way makes the value
  // unfit for reuse.
  if (DriverReadScope::remembering() && DriverReadScope::current() == tag) {
    rememberedRead_ = tag;
    rememberedFailed_ = false;
    if (!rememberedFailure_.empty()) rememberedFailure_.clear();
    rememberedValue_ = value;
  }
  return value;
}

void CostDriver::evaluateUpstream(
    const boost::shared_ptr<FormulaContainer>& container) const {
  // A container without a compiled formula binds nothing, so it reads none
  // of its dependencies.
  auto reads = [](const FormulaContainer* c) {
    return c && c->formulaCount() > 0 && c->compiledFormulaCount() > 0;
  };
  if (!reads(container.get())) return;
  // Usually everything upstream is known already (a change evaluates in
  // topological order, and a walk evaluates deepest first).
  bool known = true;
  for (const boost::shared_ptr<CostDriver>& dependency :
       container->dependencies()) {
    if (dependency && dependency->computesOnRead() &&
        !dependency->remembered()) {
      known = false;
      break;
    }
  }
  if (known) return;

  struct Frame {
    const CostDriver* driver;
    boost::shared_ptr<const CostDriver> owner;  // empty for this driver
    boost::shared_ptr<FormulaContainer> container;
    std::size_t next;
  };
  std::vector<Frame> stack;
  // Drivers on the stack are marked open, so that meeting one again shows a
  // cycle; the marks go whichever way the walk ends.
  struct OpenMarks {
    std::vector<Frame>& frames;
    ~OpenMarks() {
      for (const Frame& f : frames) f.driver->upstreamOpen_ = false;
    }
  } marks{stack};
  stack.push_back(Frame{this, {}, container, 0});
  upstreamOpen_ = true;

  const unsigned long long tag = DriverReadScope::current();
  // Binding stops at the first dependency that fails, and so does
  // everything downstream of it: once one has failed, the drivers still on
  // the stack are evaluated without looking at their further dependencies.
  bool failing = false;

  while (!stack.empty()) {
    Frame& top = stack.back();
    if (!failing && reads(top.container.get()) &&
        top.next < top.container->dependencies().size()) {
      const boost::shared_ptr<CostDriver>& dependency =
          top.container->dependencies()[top.next++];
      if (!dependency || !dependency->computesOnRead()) continue;
      if (dependency->remembered()) {
        if (dependency->rememberedFailed_) failing = true;
        continue;
      }
      if (dependency->evaluating_ || dependency->upstreamOpen_) {
        // A cycle: the plain recursive evaluation names it.
        DriverReadScope::stopRemembering();
        return;
      }
      dependency->upstreamOpen_ = true;
      stack.push_back(Frame{dependency.get(), dependency,
                            dependency->formulas(), 0});  // invalidates `top`
      continue;
    }

    const CostDriver* done = top.driver;
    const boost::shared_ptr<const CostDriver> keep = std::move(top.owner);
    done->upstreamOpen_ = false;
    stack.pop_back();
    // The driver that asked is evaluated by its caller.
    if (stack.empty()) break;
    try {
      // Through the class's own read, so that it reports odd results.
      done->doubleValue();
    } catch (const NoFormulaResultException&) {
      failing = true;
    }
    if (!DriverReadScope::remembering() || DriverReadScope::current() != tag) {
      return;
    }
  }
}

void CostDriver::notifyDependents() {
  Propagation* running = runningPropagation();
  if (running && running->asking == this) {
    running->passedOn = true;
    return;
  }
  propagateFrom(*this);
}

void CostDriver::propagateFrom(CostDriver& source) {
  if (!source.formulas()) return;
  FlagScope sourceOnPath(source.notifying_);
  const unsigned long long walk = ++walksStarted();

  // Number the reachable drivers by a depth-first walk that takes each
  // has-impact-on list in reverse. Its reversed finishing order lists every
  // driver after all reachable drivers that list it, and where the
  // dependents form a tree it is exactly the depth-first order in list
  // order. The only entries that point backwards in that order are those
  // that close a cycle.
  std::vector<Reached> nodes;
  std::vector<std::size_t> finished;
  struct Frame {
    std::size_t node;
    std::size_t remaining;
  };
  std::vector<Frame> stack;

  auto enter = [&](CostDriver* driver,
                   const boost::shared_ptr<CostDriver>& owner) {
    const std::size_t node = nodes.size();
    driver->walkMark_ = walk;
    driver->walkIndex_ = node;
    boost::shared_ptr<FormulaContainer> container = driver->formulas();
    const std::size_t count = container ? container->hasImpactOn().size() : 0;
    nodes.push_back(Reached{driver, owner, std::move(container), 0, false});
    stack.push_back(Frame{node, count});
  };
  enter(&source, boost::shared_ptr<CostDriver>());
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.remaining > 0) {
      const boost::shared_ptr<CostDriver> target =
          nodes[top.node].container->hasImpactOn()[--top.remaining].lock();
      if (target && target->walkMark_ != walk) {
        enter(target.get(), target);  // invalidates `top`
      }
      continue;
    }
    finished.push_back(top.node);
    stack.pop_back();
  }
  for (std::size_t k = 0; k < finished.size(); ++k) {
    nodes[finished[k]].position = finished.size() - 1 - k;
  }

  // A change started from inside this one renumbers the drivers it walks;
  // from then on the numbers are looked up here instead.
  std::unordered_map<const CostDriver*, std::size_t> index;
  auto lookup = [&](const CostDriver* driver) -> Reached* {
    if (walksStarted() == walk) {
      return driver->walkMark_ == walk ? &nodes[driver->walkIndex_] : nullptr;
    }
    if (index.empty()) {
      for (std::size_t i = 0; i < nodes.size(); ++i) {
        index.emplace(nodes[i].driver, i);
      }
    }
    auto found = index.find(driver);
    return found == index.end() ? nullptr : &nodes[found->second];
  };

  DriverReadScope read;
  // The source's value changed just now: nothing read before still holds.
  DriverReadScope::restart();
  Propagation propagation;
  PropagationScope running(propagation);

  // Marks the drivers that `node` lists as asked. A driver earlier in the
  // order would close a cycle: it is on the path of the change and, asked
  // at once, ignores the request. Drivers listed since the walk are not
  // part of this change.
  auto passOn = [&](const Reached& node) {
    if (!node.container) return;
    const std::vector<boost::weak_ptr<CostDriver>>& targets =
        node.container->hasImpactOn();
    // By index: a driver asked to close a cycle may change the list.
    for (std::size_t i = 0; i < targets.size(); ++i) {
      const boost::shared_ptr<CostDriver> target = targets[i].lock();
      Reached* reached = target ? lookup(target.get()) : nullptr;
      if (!reached) continue;
      if (reached->position > node.position) {
        reached->asked = true;
        continue;
      }
      FlagScope onPath(target->notifying_);
      target->reEvaluateFormula();
    }
  };

  passOn(nodes[0]);
  // `finished` ends with the source.
  for (std::size_t k = finished.size() - 1; k-- > 0;) {
    Reached& node = nodes[finished[k]];
    if (!node.asked) continue;
    propagation.asking = node.driver;
    propagation.passedOn = false;
    node.driver->reEvaluateFormula();
    propagation.asking = nullptr;
    if (propagation.passedOn) passOn(node);
  }
}

void CostDriver::copyValueStateTo(CostDriver& target) const {
  target.cachedValue_ = cachedValue_;
  target.hasValue_ = hasValue_;
}

}  // namespace VelkData
