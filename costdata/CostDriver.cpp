#include "costdata/CostDriver.h"

#include <algorithm>
#include <exception>
#include <vector>

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

}  // namespace

CostDriver::CostDriver() : CostDriver(std::string()) {}

CostDriver::CostDriver(const std::string& id)
    : CostProperty(id),
      cachedValue_(0.0),
      evaluating_(false),
      notifying_(false),
      switchingCache_(false) {}

// A copy is not on anybody's path, whatever its source is doing.
CostDriver::CostDriver(const CostDriver& other)
    : CostProperty(other),
      cachedValue_(other.cachedValue_),
      evaluating_(false),
      notifying_(false),
      switchingCache_(false) {}

CostDriver& CostDriver::operator=(const CostDriver& other) {
  CostProperty::operator=(other);
  cachedValue_ = other.cachedValue_;
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

double CostDriver::evaluateFormula() const {
  EvaluationScope scope(*this, evaluating_);
  boost::shared_ptr<FormulaContainer> container = formulas();
  return container ? container->evalFormulaDouble() : 0.0;
}

void CostDriver::notifyDependents() {
  boost::shared_ptr<FormulaContainer> container = formulas();
  if (!container) return;
  FlagScope onPath(notifying_);
  for (const boost::shared_ptr<CostDriver>& dependent :
       container->getHasImpactOnList()) {
    if (dependent) dependent->reEvaluateFormula();
  }
}

void CostDriver::copyValueStateTo(CostDriver& target) const {
  target.cachedValue_ = cachedValue_;
  target.hasValue_ = hasValue_;
}

}  // namespace VelkData
