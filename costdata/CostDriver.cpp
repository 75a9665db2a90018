#include "costdata/CostDriver.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "costdata/DriverGraphVersion.h"
#include "costdata/DriverReadScope.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"

namespace VelkData {

namespace {

// The drivers being evaluated on the current path, innermost first, linked
// through the frames of their evaluations, so that a cycle can be named.
// There are no threads, so one path serves.
struct EvaluationLink {
  const CostDriver* driver;
  const EvaluationLink* outer;
};
const EvaluationLink* innermostEvaluation = nullptr;

// Throws the failure of entering `driver` again.
[[noreturn]] __attribute__((noinline, cold)) void throwCycleAt(
    const CostDriver& driver) {
  std::vector<const CostDriver*> path;
  for (const EvaluationLink* link = innermostEvaluation; link;
       link = link->outer) {
    path.push_back(link->driver);
  }
  std::reverse(path.begin(), path.end());
  // Whatever is computed around a cycle depends on where the read
  // entered it, so nothing computed from here on may be reused.
  DriverReadScope::stopRemembering();
  std::string cycle;
  auto it = std::find(path.begin(), path.end(), &driver);
  for (; it != path.end(); ++it) cycle += (*it)->id() + " -> ";
  throw NoFormulaResultException("Cyclic dependency between cost drivers: " +
                                 cycle + driver.id());
}

// Marks a driver as evaluating for the lifetime of the scope. Entering a
// driver that is already on the path would recurse without end, so that
// throws instead, naming the drivers of the cycle.
class EvaluationScope {
 public:
  EvaluationScope(const CostDriver& driver, bool& evaluating)
      : evaluating_(evaluating), link_{&driver, innermostEvaluation} {
    if (evaluating_) throwCycleAt(driver);
    evaluating_ = true;
    innermostEvaluation = &link_;
  }
  ~EvaluationScope() {
    innermostEvaluation = link_.outer;
    evaluating_ = false;
  }
  EvaluationScope(const EvaluationScope&) = delete;
  EvaluationScope& operator=(const EvaluationScope&) = delete;

 private:
  bool& evaluating_;
  EvaluationLink link_;
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

// Counts the plan walks started, so that each walk can mark the drivers it
// reaches without clearing the marks of the one before.
unsigned long long& walksStarted() {
  static unsigned long long count = 0;
  return count;
}

// Which of the drivers of a change have been asked, one flag per driver of
// its plan. Most changes reach few drivers and keep their flags in the
// frame; for larger ones the buffers are kept from one change to the next,
// one per level of nesting, so that a change allocates nothing.
class AskedFlags {
 public:
  explicit AskedFlags(std::size_t count) {
    if (count <= kInPlace) {
      // A fixed size, so that clearing takes a few stores and no call.
      std::memset(inPlace_, 0, kInPlace);
      flags_ = inPlace_;
      return;
    }
    if (pool().size() == depth()) pool().emplace_back();
    pooled_ = &pool()[depth()++];
    pooled_->assign(count, 0);
    flags_ = pooled_->data();
  }
  ~AskedFlags() {
    if (pooled_) --depth();
  }
  AskedFlags(const AskedFlags&) = delete;
  AskedFlags& operator=(const AskedFlags&) = delete;

  unsigned char& operator[](std::size_t i) { return flags_[i]; }

 private:
  static constexpr std::size_t kInPlace = 64;
  // A deque, so that a nested change does not move the flags of the
  // change around it.
  static std::deque<std::vector<unsigned char>>& pool() {
    static std::deque<std::vector<unsigned char>> buffers;
    return buffers;
  }
  static std::size_t& depth() {
    static std::size_t level = 0;
    return level;
  }

  unsigned char inPlace_[kInPlace];
  unsigned char* flags_;
  std::vector<unsigned char>* pooled_ = nullptr;
};

// One frame of an upstream walk: a driver whose dependencies are being
// looked at, the next one to look at and the end of the list. The list is
// read in place, which holds while the graph keeps its shape.
struct UpstreamFrame {
  const CostDriver* driver;
  const boost::shared_ptr<CostDriver>* next;
  const boost::shared_ptr<CostDriver>* end;
};

// The upstream walks under way, innermost last, and their frames on one
// stack kept from read to read; a walk nested in another (a driver read
// by the walk starts one of its own) stacks its frames above the outer
// walk's. The first `used` frames are in use.
struct UpstreamWalks {
  unsigned long long last = 0;
  std::vector<unsigned long long> running;
  std::vector<UpstreamFrame> frames;
  std::size_t used = 0;

  bool isRunning(unsigned long long walk) const {
    return walk != 0 &&
           std::find(running.begin(), running.end(), walk) != running.end();
  }
  // The frames, with room for one more at `depth`; they may move.
  UpstreamFrame* roomAt(std::size_t depth) {
    if (depth == frames.size()) frames.resize(2 * depth + 16);
    return frames.data();
  }
};

UpstreamWalks upstreamWalkState;

UpstreamWalks& upstreamWalks() { return upstreamWalkState; }

// The driver that a walk is reading right after everything it reads: its
// evaluation need not look upstream again.
const CostDriver* upstreamKnownFor = nullptr;

// One upstream walk for the lifetime of the scope: its number, and its
// frames, which go whichever way the walk ends.
class UpstreamWalkScope {
 public:
  UpstreamWalkScope()
      : walks_(upstreamWalks()), walk_(++walks_.last), base_(walks_.used) {
    walks_.running.push_back(walk_);
  }
  ~UpstreamWalkScope() {
    walks_.used = base_;
    walks_.running.pop_back();
  }
  UpstreamWalkScope(const UpstreamWalkScope&) = delete;
  UpstreamWalkScope& operator=(const UpstreamWalkScope&) = delete;

  unsigned long long walk() const { return walk_; }

 private:
  UpstreamWalks& walks_;
  unsigned long long walk_;
  std::size_t base_;
};

// A container without a compiled formula binds nothing, so it reads none
// of its dependencies.
bool readsDependencies(const FormulaContainer* c) {
  return c && c->bindsDependencies();
}

}  // namespace

// The drivers a change of the source reaches, numbered in the order in
// which they are asked (the source is 0), with, for each, the has-impact-on
// entries that lead to another of them. Every pointer is plain: the plan is
// used only while the graph has the shape `shape`, when all of them still
// exist. The weak handles serve a change during which the graph changes
// shape (see `propagateFrom`).
struct CostDriver::ChangePlan {
  struct Edge {
    std::uint32_t entry;   // index in the has-impact-on list
    std::uint32_t target;  // the driver's number
  };
  unsigned long long shape = 0;
  std::vector<CostDriver*> drivers;
  std::vector<boost::weak_ptr<CostDriver>> handles;  // empty for the source
  std::vector<std::uint32_t> firstEdge;              // one more than drivers
  std::vector<Edge> edges;
  // Per driver, whether an entry of its list leads back to a driver
  // earlier in the order (one that closes a cycle).
  std::vector<unsigned char> leadsBack;
  // The driver that keeps the plan and the changes running it.
  mutable unsigned holders = 0;
};

void intrusive_ptr_add_ref(const CostDriver::ChangePlan* plan) {
  ++plan->holders;
}

void intrusive_ptr_release(const CostDriver::ChangePlan* plan) {
  if (--plan->holders == 0) delete plan;
}

CostDriver::CostDriver() : CostDriver(std::string()) {}

CostDriver::CostDriver(const std::string& id) : CostProperty(id) {}

// A copy is not on anybody's path, whatever its source is doing.
CostDriver::CostDriver(const CostDriver& other)
    : CostProperty(other), cachedValue_(other.cachedValue_) {}

CostDriver& CostDriver::operator=(const CostDriver& other) {
  CostProperty::operator=(other);
  cachedValue_ = other.cachedValue_;
  // The value this driver remembered came from its old formulas.
  rememberedRead_ = 0;
  changePlan_.reset();
  DriverGraphVersion::changed();
  return *this;
}

CostDriver::~CostDriver() { DriverGraphVersion::changed(); }

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

void CostDriver::throwRememberedFailure() const {
  throw NoFormulaResultException(rememberedFailure_);
}

inline bool CostDriver::evaluatedInPlace(FormulaContainer* container,
                                         double* value) const {
  if (evaluating_ || !container->evalFirstInPlace(value)) return false;
  rememberValue(DriverReadScope::current(), *value);
  return true;
}

double CostDriver::computeFormula(bool* fresh) const {
  if (fresh) *fresh = true;
  FormulaContainer* const container = ownContainer();
  if (!container) return computeFormulaFully(container);
  double value;
  // A container that reads nothing gives what it gave last time. Only the
  // version is compared here, as every evaluation passes this way.
  if (container->settledShape_ == DriverGraphVersion::current() &&
      settledValue(container, &value)) {
    return value;
  }
  // When every dependency is known in place, nothing upstream needs a walk,
  // and binding and running the formula run nothing else: nothing can come
  // back to this driver, so the evaluation needs no cycle check, and within
  // a read that is open already no read scope either. Any doubt, or a
  // failure, takes the full way, which does it all again.
  if (DriverReadScope::remembering() && evaluatedInPlace(container, &value)) {
    return value;
  }
  return computeFormulaFully(container);
}

__attribute__((noinline)) double CostDriver::computeFormulaFully(
    FormulaContainer* container) const {
  const bool walkedHere = upstreamKnownFor == this;
  upstreamKnownFor = nullptr;
  const bool readOpen = DriverReadScope::remembering();
  DriverReadScope read;
  double value;
  // A read opened just now: the in-place evaluation was not tried yet.
  if (container && !readOpen && DriverReadScope::remembering() &&
      evaluatedInPlace(container, &value)) {
    return value;
  }
  // Usually everything upstream is known already (a change evaluates in
  // topological order, and a walk evaluates deepest first, and says so).
  // Otherwise the walk evaluates it first: binding would read it
  // recursively, and a read of the host's code on the way may drop drivers
  // that the recursion would still be evaluating.
  if (DriverReadScope::remembering() && !evaluating_ && !walkedHere &&
      !upstreamKnown(container)) {
    evaluateUpstream(container);
  }

  const unsigned long long tag = DriverReadScope::current();
  EvaluationScope scope(*this, evaluating_);
  value = 0.0;
  try {
    if (container) value = container->evalFormulaDoubleInRead();
  } catch (const NoFormulaResultException& e) {
    if (DriverReadScope::reuseTag() == tag) {
      rememberedRead_ = tag;
      rememberedFailed_ = true;
      rememberedFailure_ = e.message();
    }
    throw;
  }
  // A nested change (restart) or a cycle met on the way makes the value
  // unfit for reuse. (A failure's text means something only while
  // rememberedFailed_, which this clears.)
  if (DriverReadScope::reuseTag() == tag) rememberValue(tag, value);
  return value;
}

bool CostDriver::settledValue(FormulaContainer* container,
                              double* value) const {
  if (!container->giveSettledValue(*this, value)) return false;
  upstreamKnownFor = nullptr;
  return true;
}

inline bool CostDriver::upstreamKnown(const FormulaContainer* container) {
  if (!readsDependencies(container)) return true;
  // Asked only while the read remembers.
  const unsigned long long tag = DriverReadScope::current();
  double value;
  for (const boost::shared_ptr<CostDriver>& dependency :
       container->dependencies()) {
    if (!dependency || dependency->rememberedRead_ == tag ||
        !dependency->computesOnRead()) {
      continue;
    }
    // A settled one is read here as binding would read it, which then
    // finds it remembered.
    FormulaContainer* const settled = dependency->ownContainer();
    if (!settled || !settled->giveSettledValue(*dependency, &value)) {
      return false;
    }
  }
  return true;
}

void CostDriver::evaluateUpstream(const FormulaContainer* container) const {
  // The frames hold plain pointers, valid while the graph keeps the shape
  // it has now. Drivers on the stack carry the walk's number, so that
  // meeting one again shows a cycle; a number left behind by a walk that
  // ended matches no walk under way.
  UpstreamWalkScope walk;
  UpstreamWalks& walks = upstreamWalks();
  const unsigned long long shape = DriverGraphVersion::current();
  auto frameOf = [](const CostDriver* driver, const FormulaContainer* c) {
    if (!readsDependencies(c)) return UpstreamFrame{driver, nullptr, nullptr};
    const std::vector<boost::shared_ptr<CostDriver>>& list = c->dependencies();
    return UpstreamFrame{driver, list.data(), list.data() + list.size()};
  };
  walks.roomAt(walks.used)[walks.used] = frameOf(this, container);
  ++walks.used;
  upstreamWalk_ = walk.walk();

  const unsigned long long tag = DriverReadScope::current();
  // Binding stops at the first dependency that fails, and so does
  // everything downstream of it: once one has failed, the drivers still on
  // the stack are evaluated without looking at their further dependencies.
  bool failing = false;

  // The stack top and depth live in locals while the walk descends, which
  // calls nothing; they go back to `walks` before any driver is read, since
  // a read may start a walk of its own.
  const std::size_t base = walks.used - 1;
  const unsigned long long number = walk.walk();
  for (;;) {
    UpstreamFrame* frames = walks.frames.data();
    std::size_t used = walks.used;
    // The read is under way and remembering throughout the descent (that
    // is checked after every driver read), so remembered in this read
    // means tagged `tag`.
    UpstreamFrame* top = frames + used - 1;
    while (!failing && top->next != top->end) {
      const CostDriver* dependency = (top->next++)->get();
      if (!dependency || !dependency->computesOnRead()) continue;
      if (dependency->rememberedRead_ == tag) {
        if (dependency->rememberedFailed_) failing = true;
        continue;
      }
      if (dependency->evaluating_ || walks.isRunning(dependency->upstreamWalk_)) {
        // A cycle: the plain recursive evaluation names it.
        walks.used = used;
        DriverReadScope::stopRemembering();
        return;
      }
      dependency->upstreamWalk_ = number;
      frames = walks.roomAt(used);
      top = frames + used++;
      *top = frameOf(dependency, dependency->ownContainer());
    }

    const CostDriver* done = frames[used - 1].driver;
    done->upstreamWalk_ = 0;
    walks.used = --used;
    // The driver that asked is evaluated by its caller.
    if (used == base) break;
    // Everything it reads up to a failure is known now, and binding stops
    // at the failure.
    upstreamKnownFor = done;
    try {
      // Through the class's own read, so that it reports odd results.
      done->doubleValue();
    } catch (const NoFormulaResultException&) {
      failing = true;
    }
    upstreamKnownFor = nullptr;
    // A driver's read may have changed the graph (a host's session is
    // free to): the frames may point nowhere now, and the evaluation that
    // asked finds the rest on its own.
    if (DriverGraphVersion::current() != shape) return;
    if (DriverReadScope::reuseTag() != tag) {
      return;
    }
  }
}

CostDriver::Propagation* CostDriver::runningPropagation_ = nullptr;

// Makes `propagation` the change under way for the lifetime of the scope.
class CostDriver::PropagationScope {
 public:
  explicit PropagationScope(Propagation& propagation)
      : outer_(runningPropagation_) {
    runningPropagation_ = &propagation;
  }
  ~PropagationScope() { runningPropagation_ = outer_; }
  PropagationScope(const PropagationScope&) = delete;
  PropagationScope& operator=(const PropagationScope&) = delete;

 private:
  Propagation* outer_;
};

boost::intrusive_ptr<const CostDriver::ChangePlan> CostDriver::changePlan() {
  if (changePlan_ && changePlan_->shape == DriverGraphVersion::current()) {
    return changePlan_;
  }
  const unsigned long long walk = ++walksStarted();

  // Number the reachable drivers by a depth-first walk that takes each
  // has-impact-on list in reverse. Its reversed finishing order lists every
  // driver after all reachable drivers that list it, and where the
  // dependents form a tree it is exactly the depth-first order in list
  // order. The only entries that point backwards in that order are those
  // that close a cycle. Nothing here runs code of the host, so the plain
  // pointers stay valid throughout.
  struct Entered {
    CostDriver* driver;
    boost::weak_ptr<CostDriver> handle;
  };
  struct Frame {
    std::size_t node;
    std::size_t remaining;
  };
  std::vector<Entered> nodes;
  std::vector<std::size_t> finished;
  std::vector<Frame> stack;
  auto enter = [&](CostDriver* driver,
                   const boost::shared_ptr<CostDriver>& handle) {
    driver->walkMark_ = walk;
    driver->walkIndex_ = nodes.size();
    const FormulaContainer* container = driver->ownContainer();
    stack.push_back(
        Frame{nodes.size(), container ? container->hasImpactOn().size() : 0});
    nodes.push_back(Entered{driver, handle});
  };
  enter(this, boost::shared_ptr<CostDriver>());
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.remaining > 0) {
      const boost::shared_ptr<CostDriver> target =
          nodes[top.node]
              .driver->ownContainer()
              ->hasImpactOn()[--top.remaining]
              .lock();
      if (target && target->walkMark_ != walk) {
        enter(target.get(), target);  // invalidates `top`
      }
      continue;
    }
    finished.push_back(top.node);
    stack.pop_back();
  }

  boost::intrusive_ptr<ChangePlan> plan(new ChangePlan);
  plan->shape = DriverGraphVersion::current();
  const std::size_t count = finished.size();
  std::vector<std::uint32_t> number(count);
  plan->drivers.resize(count);
  plan->handles.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = count - 1 - k;
    number[finished[k]] = static_cast<std::uint32_t>(at);
    plan->drivers[at] = nodes[finished[k]].driver;
    plan->handles[at] = nodes[finished[k]].handle;
  }
  plan->firstEdge.reserve(count + 1);
  plan->leadsBack.assign(count, 0);
  for (std::size_t at = 0; at < count; ++at) {
    plan->firstEdge.push_back(static_cast<std::uint32_t>(plan->edges.size()));
    const FormulaContainer* container = plan->drivers[at]->ownContainer();
    if (!container) continue;
    const std::vector<boost::weak_ptr<CostDriver>>& targets =
        container->hasImpactOn();
    for (std::size_t i = 0; i < targets.size(); ++i) {
      const boost::shared_ptr<CostDriver> target = targets[i].lock();
      if (!target || target->walkMark_ != walk) continue;
      const std::uint32_t to = number[target->walkIndex_];
      if (to <= at) plan->leadsBack[at] = 1;
      plan->edges.push_back(
          ChangePlan::Edge{static_cast<std::uint32_t>(i), to});
    }
  }
  plan->firstEdge.push_back(static_cast<std::uint32_t>(plan->edges.size()));
  changePlan_ = plan;
  return changePlan_;
}

// What a change needs beyond its plan once the graph changes shape under it
// (the host's code runs in sessions and in drivers of its own): the change
// then goes on live. Each driver of the plan that still exists is held from
// then on, and the has-impact-on lists are read as they are. Drivers listed
// since the plan was made are not part of the change. Few changes go live,
// so all of this stays out of the planned loop.
class CostDriver::ChangeRun {
 public:
  ChangeRun(CostDriver& source, const ChangePlan& plan, unsigned char* asked)
      : source_(source), plan_(plan), asked_(asked) {}
  ChangeRun(const ChangeRun&) = delete;
  ChangeRun& operator=(const ChangeRun&) = delete;

  bool live() const { return live_; }

  // Driver `k` of the plan, or null when it no longer exists.
  CostDriver* driverAt(std::size_t k) const {
    if (k == 0) return &source_;
    return live_ ? state_->held[k].get() : plan_.drivers[k];
  }

  void goLive() {
    live_ = true;
    state_.reset(new LiveState);
    const std::size_t count = plan_.drivers.size();
    state_->held.resize(count);
    state_->numbers.emplace(&source_, 0);
    for (std::size_t k = 1; k < count; ++k) {
      boost::shared_ptr<CostDriver>& held = state_->held[k];
      held = plan_.handles[k].lock();
      if (held) state_->numbers.emplace(held.get(), k);
    }
  }

  // Asks the drivers that driver `k` lists. A driver later in the order is
  // marked; an earlier one would close a cycle: it is on the path of the
  // change and, asked at once, ignores the request.
  void passOn(std::size_t k) {
    if (live_) {
      passOnLive(k, 0);
      return;
    }
    for (std::uint32_t e = plan_.firstEdge[k]; e < plan_.firstEdge[k + 1];
         ++e) {
      const ChangePlan::Edge& edge = plan_.edges[e];
      if (edge.target > k) {
        asked_[edge.target] = 1;
        continue;
      }
      CostDriver* target = plan_.drivers[edge.target];
      {
        FlagScope onPath(target->notifying_);
        target->reEvaluateFormula();
      }
      if (DriverGraphVersion::current() != plan_.shape) {
        goLive();
        passOnLive(k, edge.entry + 1);
        return;
      }
    }
  }

 private:
  struct LiveState {
    std::vector<boost::shared_ptr<CostDriver>> held;
    std::unordered_map<const CostDriver*, std::size_t> numbers;
  };

  // `passOn` of a live change, from entry `from` of the list on.
  void passOnLive(std::size_t k, std::size_t from) {
    CostDriver* driver = driverAt(k);
    const boost::shared_ptr<FormulaContainer> container =
        driver ? driver->formulas() : boost::shared_ptr<FormulaContainer>();
    if (!container) return;
    const std::vector<boost::weak_ptr<CostDriver>>& targets =
        container->hasImpactOn();
    // By index: a driver asked to close a cycle may change the list.
    for (std::size_t i = from; i < targets.size(); ++i) {
      const boost::shared_ptr<CostDriver> target = targets[i].lock();
      if (!target) continue;
      const auto found = state_->numbers.find(target.get());
      if (found == state_->numbers.end()) continue;
      if (found->second > k) {
        asked_[found->second] = 1;
        continue;
      }
      FlagScope onPath(target->notifying_);
      target->reEvaluateFormula();
    }
  }

  CostDriver& source_;
  const ChangePlan& plan_;
  unsigned char* const asked_;
  bool live_ = false;
  std::unique_ptr<LiveState> state_;
};

void CostDriver::propagateFrom(CostDriver& source) {
  const FormulaContainer* sourceContainer = source.ownContainer();
  if (!sourceContainer || sourceContainer->hasImpactOn().empty()) return;
  FlagScope sourceOnPath(source.notifying_);
  // Most changes find the plan made for the graph as it is.
  const boost::intrusive_ptr<const ChangePlan> plan =
      source.changePlan_ &&
              source.changePlan_->shape == DriverGraphVersion::current()
          ? source.changePlan_
          : source.changePlan();
  const std::size_t count = plan->drivers.size();
  AskedFlags asked(count);
  unsigned char* const isAsked = &asked[0];

  DriverReadScope read;
  // The source's value changed just now: nothing read before still holds.
  DriverReadScope::restart();
  Propagation propagation;
  PropagationScope running(propagation);
  ChangeRun run(source, *plan, isAsked);

  // While the graph keeps its shape the plan's plain pointers say it all:
  // this loop is the change, as far as nothing changes the graph.
  const std::uint32_t* const firstEdge = plan->firstEdge.data();
  const ChangePlan::Edge* const edges = plan->edges.data();
  const unsigned char* const leadsBack = plan->leadsBack.data();
  auto markListed = [&](std::size_t k) {
    // Only drivers later in the order: asking them is marking them.
    const std::uint32_t end = firstEdge[k + 1];
    for (std::uint32_t e = firstEdge[k]; e < end; ++e) {
      isAsked[edges[e].target] = 1;
    }
  };
  if (leadsBack[0]) {
    run.passOn(0);
  } else {
    markListed(0);
  }
  std::size_t k = 1;
  if (!run.live()) {
    CostDriver* const* const drivers = plan->drivers.data();
    const unsigned long long shape = plan->shape;
    for (; k < count; ++k) {
      if (!isAsked[k]) continue;
      CostDriver* driver = drivers[k];
      propagation.asking = driver;
      propagation.passedOn = false;
      driver->reEvaluateFormula();
      propagation.asking = nullptr;
      if (DriverGraphVersion::current() != shape) {
        run.goLive();
        if (propagation.passedOn) run.passOn(k);
        ++k;
        break;
      }
      if (!propagation.passedOn) continue;
      if (leadsBack[k]) {
        run.passOn(k);
        if (run.live()) {
          ++k;
          break;
        }
        continue;
      }
      markListed(k);
    }
  }
  for (; k < count; ++k) {
    if (!isAsked[k]) continue;
    CostDriver* driver = run.driverAt(k);
    // A driver that no longer exists has nothing to re-evaluate.
    if (!driver) continue;
    propagation.asking = driver;
    propagation.passedOn = false;
    driver->reEvaluateFormula();
    propagation.asking = nullptr;
    if (!run.live() && DriverGraphVersion::current() != plan->shape) {
      run.goLive();
    }
    if (propagation.passedOn) run.passOn(k);
  }
}

void CostDriver::copyValueStateTo(CostDriver& target) const {
  target.cachedValue_ = cachedValue_;
  target.hasValue_ = hasValue_;
}

}  // namespace VelkData
