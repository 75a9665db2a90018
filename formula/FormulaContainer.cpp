#include "formula/FormulaContainer.h"

#include <QtDebug>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <locale>
#include <map>
#include <sstream>
#include <typeinfo>

#include "costdata/CostDriver.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/DriverGraphVersion.h"
#include "costdata/DriverReadScope.h"
#include "external/XoloClient.h"
#include "external/XoloExceptions.h"
#include "processplan/PartFeature.h"
#include "processplan/ValueNotFoundException.h"

namespace VelkData {

namespace {

// Replaces every occurrence of `from` by `to`, searching on behind each
// inserted `to` so that a `to` containing `from` cannot loop.
std::string replaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  if (from.empty()) return text;
  std::string::size_type pos = text.find(from);
  while (pos != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos = text.find(from, pos + to.size());
  }
  return text;
}

bool isNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// End of the session name that starts at `pos` (where the prefix was
// found): the prefix and every letter, digit or '_' after it.
std::string::size_type nameEnd(const std::string& text,
                               std::string::size_type pos) {
  std::string::size_type end = pos + FormulaContainer::norixKeyPrefix().size();
  while (end < text.size() && isNameChar(text[end])) ++end;
  return end;
}

// Removes the entries with the id of `driver`; the ids decide equality of
// cost properties.
void eraseSameId(std::vector<boost::shared_ptr<CostDriver>>& list,
                 const boost::shared_ptr<CostDriver>& driver) {
  const std::string id = driver->id();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&id](const boost::shared_ptr<CostDriver>& d) {
                              return d->id() == id;
                            }),
             list.end());
}

// The same for a list of weakly held drivers; entries whose driver no
// longer exists go as well.
void eraseSameId(std::vector<boost::weak_ptr<CostDriver>>& list,
                 const boost::shared_ptr<CostDriver>& driver) {
  const std::string id = driver->id();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&id](const boost::weak_ptr<CostDriver>& entry) {
                              const boost::shared_ptr<CostDriver> d =
                                  entry.lock();
                              return !d || d->id() == id;
                            }),
             list.end());
}

}  // namespace

FormulaContainer::ShapeNotice& FormulaContainer::ShapeNotice::operator=(
    const ShapeNotice&) {
  DriverGraphVersion::changed();
  return *this;
}

FormulaContainer::ShapeNotice::~ShapeNotice() {
  DriverGraphVersion::changed();
}

FormulaContainer::FormulaContainer()
    : stage_(-1), recentIndex_(0), session_(nullptr) {}

FormulaContainer::FormulaContainer(const FormulaContainer& other) = default;

FormulaContainer& FormulaContainer::operator=(const FormulaContainer& other) =
    default;

FormulaContainer::~FormulaContainer() {}

boost::shared_ptr<FormulaContainer> FormulaContainer::clone() const {
  boost::shared_ptr<FormulaContainer> copy(new FormulaContainer);
  copyTo(copy);
  return copy;
}

void FormulaContainer::virtualDummyFunction() {}

void FormulaContainer::addFormula(const std::string& text) {
  if (text.empty()) return;
  boost::shared_ptr<Formula> formula(new Formula(text));
  formulas_.push_back(formula);
  formulaStrings_.push_back(text);
  textsChanged();
  // Binding rounds read the formula list in place while the graph keeps
  // its shape.
  DriverGraphVersion::changed();
}

void FormulaContainer::setFormulaAt(int i, const std::string& text) {
  if (text.empty() || i < 0) return;
  boost::shared_ptr<Formula> formula(new Formula(text));
  textsChanged();
  DriverGraphVersion::changed();  // see addFormula
  if (i >= formulaCount()) {
    // Appending keeps texts and formulas index for index, so the new text
    // evaluates instead of silently yielding 0.
    if (formulas_.size() == formulaStrings_.size()) {
      formulas_.push_back(formula);
    }
    formulaStrings_.push_back(text);
    return;
  }
  formulaStrings_[i] = text;
  if (i < compiledFormulaCount()) formulas_[i] = formula;
}

void FormulaContainer::addFormulaString(const std::string& text) {
  formulaStrings_.push_back(text);
  textsChanged();
}

void FormulaContainer::deleteFormulaStrings() {
  formulaStrings_.clear();
  textsChanged();
}

std::string FormulaContainer::formulaAt(int i) const {
  if (i < 0 || i >= formulaCount()) return std::string();
  return formulaStrings_[i];
}

boost::shared_ptr<Formula> FormulaContainer::getFormulaAt(int i) const {
  if (i < 0 || i >= compiledFormulaCount()) return {};
  return formulas_[i];
}

std::string FormulaContainer::printFormulaStrings() const {
  std::string out;
  for (size_t i = 0; i < formulaStrings_.size(); ++i) {
    if (i > 0) out += "; ";
    out += formulaStrings_[i];
  }
  return out;
}

void FormulaContainer::replaceInFormulaAt(int i, const std::string& from,
                                          const std::string& to) {
  if (i < 0 || i >= formulaCount() || from.empty()) return;
  setFormulaAt(i, replaceAll(formulaStrings_[i], from, to));
}

void FormulaContainer::setVariableForFormulaAt(int i, const std::string& name,
                                               double value) {
  if (i < 0 || i >= compiledFormulaCount()) return;
  formulas_[i]->setVariable(name, value);
}

void FormulaContainer::addDependency(
    const boost::shared_ptr<CostDriver>& driver) {
  if (!driver) return;
  eraseSameId(dependencies_, driver);
  dependencies_.push_back(driver);
  DriverGraphVersion::changed();
}

void FormulaContainer::replaceDependencyIFAvailable(
    const boost::shared_ptr<CostDriver>& driver) {
  if (!driver) return;
  const std::string id = driver->id();
  for (const boost::shared_ptr<CostDriver>& d : dependencies_) {
    if (d->id() == id) {
      eraseSameId(dependencies_, driver);
      dependencies_.push_back(driver);
      DriverGraphVersion::changed();
      return;
    }
  }
}

void FormulaContainer::removeDependency(
    const boost::shared_ptr<CostDriver>& driver) {
  if (!driver) return;
  eraseSameId(dependencies_, driver);
  DriverGraphVersion::changed();
}

void FormulaContainer::removeAllDependencies() {
  dependencies_.clear();
  DriverGraphVersion::changed();
}

int FormulaContainer::dependencyCount() const {
  return static_cast<int>(dependencies_.size());
}

boost::shared_ptr<CostDriver> FormulaContainer::dependencyAt(int i) const {
  if (i < 0 || i >= dependencyCount()) return {};
  return dependencies_[i];
}

void FormulaContainer::addHasImpactOn(
    const boost::shared_ptr<CostDriver>& driver) {
  if (!driver) return;
  eraseSameId(hasImpactOn_, driver);
  hasImpactOn_.push_back(driver);
  DriverGraphVersion::changed();
}

void FormulaContainer::removeHasImpactOn(
    const boost::shared_ptr<CostDriver>& driver) {
  if (!driver) return;
  eraseSameId(hasImpactOn_, driver);
  DriverGraphVersion::changed();
}

std::vector<boost::shared_ptr<CostDriver>>
FormulaContainer::getHasImpactOnList() const {
  std::vector<boost::shared_ptr<CostDriver>> readers;
  readers.reserve(hasImpactOn_.size());
  for (const boost::weak_ptr<CostDriver>& entry : hasImpactOn_) {
    if (boost::shared_ptr<CostDriver> reader = entry.lock()) {
      readers.push_back(reader);
    }
  }
  return readers;
}

void FormulaContainer::addPartFeatureDependency(
    const boost::shared_ptr<TamberData::PartFeature>& feature) {
  partFeature_ = feature;
}

boost::shared_ptr<TamberData::PartFeature> FormulaContainer::partFeature()
    const {
  return partFeature_.lock();
}

void FormulaContainer::setQorSession(VelkCOM::XoloClient* session) {
  session_ = session;
}

VelkCOM::XoloClient* FormulaContainer::QorSession() const { return session_; }

void FormulaContainer::setQorStage(int stage) { stage_ = stage; }

void FormulaContainer::setQorStage(const std::string& tag) {
  stage_ = -1;
  if (!session_) return;
  std::vector<std::pair<int, std::string>> tags;
  session_->StageTags(tags);
  for (const std::pair<int, std::string>& entry : tags) {
    if (entry.second == tag) stage_ = entry.first;
  }
}

int FormulaContainer::qorStage() const { return stage_; }

void FormulaContainer::bindVariableFirst(int i, const std::string& name,
                                         double value) {
  if (rounds_.size() <= static_cast<size_t>(i)) rounds_.resize(i + 1);
  RoundHandles& round = rounds_[i].handles;
  round.growTo(nextBinding_ + 1);
  Formula::VariableHandle& handle = round[nextBinding_++];
  handle = formulas_[i]->setVariable(name, value, handle);
}

inline bool FormulaContainer::readInPlace(const CostDriver* dependency,
                                          unsigned long long tag,
                                          double* value) {
  // Every evaluated driver reads each of its dependencies, and in a change
  // or a walk these have nearly always been computed in the same read, or
  // hold a value of their own (an input such as a part dimension), or read
  // nothing. A driver of exactly the double class then gives that value as
  // a float and does nothing else, so that is read in place. That class's
  // type info is defined once, in this library, so equal addresses mean
  // that class and no class derived from it; any other driver takes its
  // class's own read.
  if (&typeid(*dependency) != &typeid(CostDriverDouble)) return false;
  if (dependency->doCacheValue_) {
    *value = static_cast<double>(static_cast<float>(dependency->cachedValue_));
    return true;
  }
  if (dependency->hasValue_) {
    *value = static_cast<double>(
        static_cast<const CostDriverDouble*>(dependency)->storedValue());
    return true;
  }
  double remembered;
  if (dependency->rememberedComputation(tag, &remembered)) {
    *value = static_cast<double>(static_cast<float>(remembered));
    return true;
  }
  // What its read would do, without the way through the read.
  FormulaContainer* const container = dependency->ownContainer();
  if (container && container->settledShape_ == DriverGraphVersion::current() &&
      container->giveSettledValue(*dependency, &remembered)) {
    *value = static_cast<double>(static_cast<float>(remembered));
    return true;
  }
  return false;
}

inline bool FormulaContainer::readDependency(const CostDriver* dependency,
                                             unsigned long long& tag,
                                             double* value) {
  if (readInPlace(dependency, tag, value)) return true;
  *value = static_cast<double>(dependency->doubleValue());
  // The read may have run anything, a change or a cycle among it.
  tag = DriverReadScope::reuseTag();
  return false;
}

inline bool FormulaContainer::bindFirstInPlace() {
  const unsigned long long shape = DriverGraphVersion::current();
  if (rounds_.empty() || rounds_[0].shape != shape ||
      compiledFormulaCount() == 0 || !sessionNamesKnown_ || anySessionName_ ||
      !partFeature_.expired()) {
    return false;
  }
  const boost::shared_ptr<CostDriver>* const dependencies = dependencies_.data();
  const size_t count = dependencies_.size();
  BindingRound& round = rounds_[0];
  Formula* const formula = round.formula;
  // Running it must not run anything else either.
  if (formula->mayCallHostFunctions()) return false;
  const unsigned long long tag = DriverReadScope::reuseTag();
  for (size_t p = 0; p < count; ++p) {
    double value;
    if (!readInPlace(dependencies[p].get(), tag, &value) ||
        !formula->setVariable(round.handles[p], value)) {
      return false;
    }
  }
  nextBinding_ = static_cast<unsigned>(count);
  tookFirstFormula();
  return true;
}

bool FormulaContainer::evalFirstInPlace(double* value) {
  if (!bindFirstInPlace()) return false;
  try {
    *value = rounds_[0].formula->eval();
    return true;
  } catch (const EvalError&) {
    return false;
  }
}

inline void FormulaContainer::setCDValuesOfFormulaAt(int i) {
  // The first of the three binding steps starts the round.
  nextBinding_ = 0;
  if (i < 0 || i >= compiledFormulaCount()) return;
  const unsigned long long shape = DriverGraphVersion::current();
  if (static_cast<size_t>(i) >= rounds_.size() || rounds_[i].shape != shape) {
    bindDependenciesByName(i, 0, shape);
    return;
  }
  // Nothing has changed the dependencies, their ids or the formulas since
  // a round bound every dependency by name, so those lists may be read in
  // place and position p holds the handle of dependency p; whether the
  // formula still has that slot, its stamp says. (Handle lists only grow,
  // but may move.) Any doubt sends the rest of the round the way of names.
  const boost::shared_ptr<CostDriver>* const dependencies = dependencies_.data();
  const size_t count = dependencies_.size();
  BindingRound* round = &rounds_[i];
  Formula* const formula = round->formula;
  unsigned long long tag = DriverReadScope::reuseTag();
  for (size_t p = 0; p < count; ++p) {
    const CostDriver* d = dependencies[p].get();
    double value;
    bool bound = true;
    if (!readDependency(d, tag, &value)) {
      // The read may have run the host's code, which may change anything;
      // a nested evaluation of this container may have moved the rounds.
      bound = DriverGraphVersion::current() == shape;
      round = &rounds_[i];
    }
    if (__builtin_expect(
            !bound || !formula->setVariable(round->handles[p], value), 0)) {
      rounds_[i].shape = 0;
      nextBinding_ = static_cast<unsigned>(p);
      bindVariable(i, d->id(), value);
      bindDependenciesByName(i, p + 1, shape);
      return;
    }
  }
  nextBinding_ = static_cast<unsigned>(count);
}

void FormulaContainer::bindDependenciesByName(int i, size_t from,
                                              unsigned long long shape) {
  if (rounds_.size() <= static_cast<size_t>(i)) rounds_.resize(i + 1);
  // By index, not by iterator: a read may change the list.
  unsigned long long tag = DriverReadScope::reuseTag();
  for (size_t p = from; p < dependencies_.size(); ++p) {
    const CostDriver* d = dependencies_[p].get();
    double value;
    readDependency(d, tag, &value);
    bindVariable(i, d->id(), value);
  }
  if (DriverGraphVersion::current() == shape &&
      nextBinding_ == dependencies_.size()) {
    rounds_[i].shape = shape;
    rounds_[i].formula = formulas_[i].get();
    // Once per shape, not at every evaluation.
    if (i == 0 && dependencies_.empty()) settleIfConstant();
  }
}

void FormulaContainer::scanSessionNames() {
  const std::string prefix = norixKeyPrefix();
  sessionNames_.assign(formulaStrings_.size(), std::vector<std::string>());
  anySessionName_ = false;
  for (size_t k = 0; k < formulaStrings_.size(); ++k) {
    const std::string& text = formulaStrings_[k];
    std::string::size_type pos = text.find(prefix);
    while (pos != std::string::npos) {
      const std::string::size_type end = nameEnd(text, pos);
      sessionNames_[k].push_back(text.substr(pos, end - pos));
      anySessionName_ = true;
      pos = text.find(prefix, end);
    }
  }
  sessionNamesKnown_ = true;
}

void FormulaContainer::setXoloValuesOfFormulaAt(int i) {
  if (!session_) session_ = VelkCOM::XoloClient::getInstance();
  if (!sessionNamesKnown_) scanSessionNames();
  if (!anySessionName_) return;
  if (i < 0 || i >= formulaCount() || sessionNamesOf(i).empty()) return;
  if (!session_) {
    throw VelkCOM::NorixError(
        "QorSession is not set when trying to set formula" +
        formulaStrings_[i]);
  }
  // Copies: the session is the host's code and may change this container.
  const std::string text = formulaStrings_[i];
  const std::vector<std::string> names = sessionNamesOf(i);
  for (const std::string& name : names) {
    try {
      const double value = session_->GetDataByName(name, stage_);
      if (i < compiledFormulaCount()) bindVariable(i, name, value);
    } catch (const VelkCOM::NorixNameNotFound& e) {
      qDebug("NorixNameNotFound for name %s in formula %s: %s", name.c_str(),
             text.c_str(), e.what());
      throw;
    }
  }
}

void FormulaContainer::setPartFeatureValuesOfFormulaAt(int i) {
  // Checked first: most containers have no feature, and locking costs.
  if (partFeature_.expired()) return;
  const boost::shared_ptr<TamberData::PartFeature> feature = partFeature();
  if (!feature || i < 0 || i >= compiledFormulaCount() || i >= formulaCount()) {
    return;
  }
  // The feature only answers numbers; it cannot change the text.
  const std::string& text = formulaStrings_[i];
  const int count = feature->userDefinedParametersCount();
  for (int k = 0; k < count; ++k) {
    const std::string userName = feature->userDefinedParameterAt(k);
    // A plain substring test: "L" also binds where the text says "LENGTH".
    if (userName.empty() || text.find(userName) == std::string::npos) {
      continue;
    }
    const std::string systemName = feature->systemDefinedParameterAt(k);
    try {
      bindVariable(i, userName, feature->value(systemName));
    } catch (const TamberData::ValueNotFoundException& e) {
      // The variable stays unbound; if the formula really reads it, the
      // evaluation reports it as undefined.
      qDebug("TamberData::ValueNotFoundException: %s\n", e.what());
      qDebug("Parameter %s not defined for Feature %s and Formula: %s\n",
             systemName.c_str(), feature->label().c_str(), text.c_str());
    }
  }
}

void FormulaContainer::failedEvaluationAt(int i) {
  try {
    throw;
  } catch (const FunctionNotFound& e) {
    throw NoFormulaResultException("Could not find function " + e.name());
  } catch (const VariableNotFound& e) {
    throw NoFormulaResultException("Variable " + e.name() + " in formula " +
                                   formulaAt(i) + " is undefined.\n" +
                                   dependencyList());
  } catch (const StackUnderflow&) {
    throw NoFormulaResultException("StackUnderflow");
  } catch (const MathError&) {
    throw NoFormulaResultException("MathError in formula " +
                                   substituteDependencies(formulaAt(i)));
  }
}

inline double FormulaContainer::evalFormulaAt(int i) {
  // While its round's version is current, the round names the formula.
  const Formula* formula;
  if (static_cast<size_t>(i) < rounds_.size() &&
      rounds_[i].shape == DriverGraphVersion::current()) {
    formula = rounds_[i].formula;
  } else {
    if (i < 0 || i >= compiledFormulaCount()) return 0;
    formula = formulas_[i].get();
  }
  try {
    return formula->eval();
  } catch (const EvalError&) {
    // Kept out of line, so that this stays small enough to inline.
    failedEvaluationAt(i);
    throw;
  }
}

void FormulaContainer::settleIfConstant() {
  // Binding comes before the session step, which would scan the texts.
  if (!sessionNamesKnown_) scanSessionNames();
  double value;
  if (!anySessionName_ && partFeature_.expired() &&
      !formulas_.empty() && formulas_[0] &&
      formulas_[0]->constantValue(&value)) {
    settledShape_ = DriverGraphVersion::current();
  }
}

void FormulaContainer::tookFirstFormula() {
  recentIndex_ = 0;
  if (!session_) session_ = VelkCOM::XoloClient::getInstance();
}

bool FormulaContainer::giveSettledValue(const CostDriver& driver,
                                        double* value) {
  // Only its own evaluation can tell that a driver on the path of the
  // evaluation reads this one again.
  if (driver.evaluating_ || !settledValue(value)) return false;
  tookFirstFormula();
  if (DriverReadScope::remembering()) {
    driver.rememberValue(DriverReadScope::current(), *value);
  }
  return true;
}

double FormulaContainer::evalFormulaDouble() {
  // One read for all alternatives and all drivers they bind, so that a
  // driver reached along several paths is computed once.
  DriverReadScope read;
  return evalFormulaDoubleInRead();
}

double FormulaContainer::evalFormulaDoubleInRead() {
  const int count = formulaCount();
  // With alternatives the next formula gets its chance; a single formula
  // is worth a message that tells why it failed. Built only on failure,
  // since every read of a driver comes through here.
  auto failed = [this, count](const char* what, const std::string& message) {
    if (count == 1) {
      throw NoFormulaResultException(std::string(what) +
                                     " when setting parameters for formula " +
                                     formulaStrings_[0] + ": " + message);
    }
  };
  for (int i = 0; i < count; ++i) {
    recentIndex_ = i;
    try {
      setCDValuesOfFormulaAt(i);
      // The other two steps are skipped here when they have nothing to do,
      // as most containers have neither session names nor a feature.
      if (!session_) session_ = VelkCOM::XoloClient::getInstance();
      if (!sessionNamesKnown_ || anySessionName_) setXoloValuesOfFormulaAt(i);
      if (!partFeature_.expired()) setPartFeatureValuesOfFormulaAt(i);
      return evalFormulaAt(i);
    } catch (const NoFormulaResultException& e) {
      failed("NoFormulaResultException", e.message());
    } catch (const VelkCOM::NorixNameNotFound& e) {
      failed("NorixNameNotFound", e.what());
    } catch (const VelkCOM::NorixError& e) {
      failed("NorixError", e.what());
    }
  }
  recentIndex_ = -1;
  if (count == 0) return 0;
  throw NoFormulaResultException("Could not evaluate any of the " +
                                 toString(count) + " formula");
}

std::string FormulaContainer::evalFormulaString() {
  if (formulaStrings_.empty()) {
    recentIndex_ = -1;
    return std::string();
  }
  recentIndex_ = 0;
  const std::string& text = formulaStrings_[0];
  if (text.find(norixKeyPrefix()) == std::string::npos) return text;
  if (!session_) {
    throw VelkCOM::NorixError(
        "QorSession is not set when trying to set formula " + text);
  }
  return session_->GetStringDataByName(text, stage_);
}

std::string FormulaContainer::recentFormula() const {
  if (recentIndex_ >= 0 && recentIndex_ < formulaCount()) {
    return formulaStrings_[recentIndex_];
  }
  if (formulaCount() == 1) return formulaStrings_[0];
  return "No formula defined";
}

std::string FormulaContainer::detailedRecentFormula() {
  double value = 0;
  std::string formula;
  try {
    print();
    value = evalFormulaDouble();
    formula = recentFormula();
  } catch (const NoFormulaResultException& e) {
    return "NoFormulaResultException (" + e.message() +
           ") Could not evaluate formula " + recentFormula() + "\n" +
           dependencyList();
  }
  if (formula.empty()) return formula;
  formula = substituteDependencies(formula);
  if (session_) {
    const std::string prefix = norixKeyPrefix();
    std::map<std::string, std::string> shown;
    std::string::size_type pos = formula.find(prefix);
    while (pos != std::string::npos) {
      const std::string::size_type end = nameEnd(formula, pos);
      const std::string name = formula.substr(pos, end - pos);
      std::map<std::string, std::string>::iterator it = shown.find(name);
      if (it == shown.end()) {
        std::string text;
        try {
          text = toString(session_->GetDataByName(name, stage_));
        } catch (const VelkCOM::Velk_Exception&) {
          // Only for display: the session forgot a name since evaluating.
          text = "UNDEFINED ";
        }
        it = shown.insert(std::make_pair(name, text)).first;
      }
      const std::string inserted = "(" + name + " = " + it->second + ")";
      formula.replace(pos, end - pos, inserted);
      pos = formula.find(prefix, pos + inserted.size());
    }
  }
  return formula + " = " + toString(value);
}

void FormulaContainer::print() const {
  std::string out = "FormulaContainer Information\n";
  for (const boost::shared_ptr<CostDriver>& d : dependencies_) {
    std::string text;
    std::string number;
    try {
      text = d->stringValue();
    } catch (const std::exception&) {
      text = "UNDEFINED";
    }
    try {
      number = toString(d->doubleValue());
    } catch (const std::exception&) {
      number = "UNDEFINED";
    }
    out +=
        d->id() + ": String Value " + text + " Double Value " + number + "\n";
  }
  std::fputs(out.c_str(), stdout);
  std::fflush(stdout);
}

void FormulaContainer::copyTo(
    const boost::shared_ptr<FormulaContainer>& target) const {
  if (!target || target.get() == this) return;
  // Compile first, so that a text that no longer compiles leaves the
  // target untouched. A formula that still holds the compiled text lends
  // its program instead: compiling the text again would give the same one.
  std::vector<boost::shared_ptr<Formula>> fresh;
  const size_t compiled = std::min(formulas_.size(), formulaStrings_.size());
  for (size_t i = 0; i < compiled; ++i) {
    const boost::shared_ptr<Formula>& own = formulas_[i];
    if (own && own->compiled() &&
        own->getExpression() == FormulaParser::wrap(formulaStrings_[i])) {
      fresh.push_back(boost::shared_ptr<Formula>(new Formula(own->recompiled())));
    } else {
      fresh.push_back(
          boost::shared_ptr<Formula>(new Formula(formulaStrings_[i])));
    }
  }
  for (const boost::shared_ptr<CostDriver>& d : dependencies_) {
    target->addDependency(d);
  }
  for (const boost::shared_ptr<CostDriver>& d : getHasImpactOnList()) {
    target->addHasImpactOn(d);
  }
  target->formulaStrings_ = formulaStrings_;
  target->sessionNames_ = sessionNames_;
  target->sessionNamesKnown_ = sessionNamesKnown_;
  target->anySessionName_ = anySessionName_;
  target->formulas_ = fresh;
  target->session_ = session_;
  target->stage_ = stage_;
  target->partFeature_ = partFeature_;
  // The target's binding rounds must not trust their handle lists.
  DriverGraphVersion::changed();
}

std::string FormulaContainer::toString(double value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << value;
  return out.str();
}

double FormulaContainer::toDouble(const std::string& text, bool* ok) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double value = 0;
  in >> value;
  if (ok) *ok = !in.fail();
  return in.fail() ? 0 : value;
}

bool FormulaContainer::isLetterOrNumber(const std::string& text) {
  return !text.empty() && std::isalnum(static_cast<unsigned char>(text[0]));
}

std::string FormulaContainer::norixKeyPrefix() { return "Norix_"; }

std::string FormulaContainer::substituteDependencies(
    const std::string& text) const {
  // The values as they are now, which need not be the ones just bound.
  DriverReadScope fresh(DriverReadScope::Fresh);
  std::string out = text;
  for (const boost::shared_ptr<CostDriver>& d : dependencies_) {
    const std::string id = d->id();
    std::string value;
    try {
      value = toString(d->doubleValue());
    } catch (const std::exception&) {
      value = "UNDEFINED ";
    }
    out = replaceAll(out, id, "(" + id + " = " + value + ")");
  }
  return out;
}

std::string FormulaContainer::dependencyList() const {
  if (dependencies_.empty()) return std::string();
  std::string out = "FormulaContainer are: \n";
  for (const boost::shared_ptr<CostDriver>& d : dependencies_) {
    out += d->id() + "\n";
  }
  return out;
}

}  // namespace VelkData
