#ifndef VELKDATA_FORMULA_FORMULACONTAINER_H
#define VELKDATA_FORMULA_FORMULACONTAINER_H

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/DriverGraphVersion.h"
#include "formula/Formula.h"
#include "formula/NoFormulaResultException.h"

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkCOM {
class XoloClient;
}

namespace TamberData {
class PartFeature;
}

namespace VelkData {

class CostDriver;

// The holder of every formula of the cost model. Each object whose value is
// computed (a cost driver, a surcharge, a component amount, a standard
// limit) owns one container through a shared pointer.
//
// A container keeps one or more alternative formula texts with their
// compiled `Formula`s. Before a formula is evaluated its variables are bound
// from three sources, in this order: the cost drivers it depends on (by
// `id`), the session values named with the "Norix_" prefix, and the
// parameters of the part feature (by their user-defined names). The
// alternatives are tried in order until one yields a value; every failure
// reaches the caller as `NoFormulaResultException`.
//
// The container also keeps two lists of drivers that form the dependency
// graph: the dependencies (drivers its formulas read) and has-impact-on
// (drivers whose formulas read the owner). Ownership follows the
// dependencies: a container owns the drivers it reads, and holds the
// drivers that read it only weakly, so drivers that read each other never
// keep each other alive. A has-impact-on entry whose driver no longer
// exists is skipped by every reader of the list. The part feature is held
// weakly as well, since the feature owns, through its units and their
// components, the drivers whose containers read it.
//
// Copying a container shares its compiled formulas with the copy; `clone`
// compiles fresh ones.
class FormulaContainer {
 public:
  // An empty container: no formula, stage -1, recent index 0, no session.
  FormulaContainer();
  FormulaContainer(const FormulaContainer& other);
  FormulaContainer& operator=(const FormulaContainer& other);
  virtual ~FormulaContainer();

  // A new container filled by `copyTo`: its own compiled formulas, the same
  // drivers, session, stage and part feature.
  // Throws the compile errors of a text that no longer compiles.
  virtual boost::shared_ptr<FormulaContainer> clone() const;

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

  // Compiles `text` and appends it with its formula. The empty text is
  // ignored. Throws `SyntaxError` or `TooManyArgumentsError` unchanged.
  void addFormula(const std::string& text);

  // Compiles `text` and replaces text and formula `i` with it. The empty
  // text and a negative `i` are ignored; an `i` beyond the list appends
  // text and formula as `addFormula` does.
  // Throws `SyntaxError` or `TooManyArgumentsError` unchanged.
  void setFormulaAt(int i, const std::string& text);

  // Appends `text` without compiling it (a text-valued container needs no
  // formula).
  void addFormulaString(const std::string& text);

  // Empties the text list; the compiled formulas stay.
  void deleteFormulaStrings();

  // Number of texts.
  int formulaCount() const { return static_cast<int>(formulaStrings_.size()); }

  // Number of compiled formulas; differs from `formulaCount` only after
  // `addFormulaString` or `deleteFormulaStrings`.
  int compiledFormulaCount() const {
    return static_cast<int>(formulas_.size());
  }

  // Text `i`; "" when `i` is out of range.
  std::string formulaAt(int i) const;

  // Compiled formula `i`; an empty pointer when `i` is out of range.
  boost::shared_ptr<Formula> getFormulaAt(int i) const;

  // All texts joined with "; ".
  std::string printFormulaStrings() const;

  // Replaces every occurrence of `from` in text `i` by `to` and recompiles
  // the text. The search goes on behind each inserted `to`, so `to` may
  // contain `from`. Nothing happens for an out-of-range `i` or an empty
  // `from`. Throws the compile errors of the new text.
  void replaceInFormulaAt(int i, const std::string& from,
                          const std::string& to);

  // Sets variable `name` of formula `i`; ignored for an out-of-range `i`.
  // The next evaluation rebinds the variables this container knows about.
  void setVariableForFormulaAt(int i, const std::string& name, double value);

  // Records `driver` as read by the formulas, replacing any dependency with
  // the same id. An empty pointer is ignored.
  void addDependency(const boost::shared_ptr<CostDriver>& driver);

  // Replaces the dependency with the id of `driver` by `driver`; nothing
  // happens when no dependency has that id.
  void replaceDependencyIFAvailable(
      const boost::shared_ptr<CostDriver>& driver);

  // Removes every dependency equal to (having the id of) `driver`.
  void removeDependency(const boost::shared_ptr<CostDriver>& driver);
  void removeAllDependencies();

  int dependencyCount() const;
  // Dependency `i`; an empty pointer when `i` is out of range.
  boost::shared_ptr<CostDriver> dependencyAt(int i) const;

  // The dependency and has-impact-on lists themselves, for walking the
  // graph without copying them; valid until the list changes.
  const std::vector<boost::shared_ptr<CostDriver>>& dependencies() const {
    return dependencies_;
  }
  // Has-impact-on entries are weak; one may have expired.
  const std::vector<boost::weak_ptr<CostDriver>>& hasImpactOn() const {
    return hasImpactOn_;
  }
  // Whether an evaluation reads the dependencies: only a text with a
  // compiled formula binds them.
  bool bindsDependencies() const {
    return !formulaStrings_.empty() && !formulas_.empty();
  }

  // Records `driver` as reading the owner of this container, replacing any
  // entry with the same id. An empty pointer is ignored.
  void addHasImpactOn(const boost::shared_ptr<CostDriver>& driver);
  // Removes every entry equal to (having the id of) `driver`.
  void removeHasImpactOn(const boost::shared_ptr<CostDriver>& driver);
  // A copy of the has-impact-on list without the drivers that no longer
  // exist, so callers may change the list while walking the copy.
  std::vector<boost::shared_ptr<CostDriver>> getHasImpactOnList() const;

  // Sets the part feature whose parameters feed the formulas, replacing any
  // earlier one; an empty pointer unsets it.
  void addPartFeatureDependency(
      const boost::shared_ptr<TamberData::PartFeature>& feature);
  // The part feature; an empty pointer when none is set or it no longer
  // exists. The container does not keep the feature alive.
  boost::shared_ptr<TamberData::PartFeature> partFeature() const;

  // The session that answers "Norix_" values. Not owned; the caller keeps
  // it alive while it is set. Null until set or first needed by an
  // evaluation, which then takes `XoloClient::getInstance`.
  void setQorSession(VelkCOM::XoloClient* session);
  VelkCOM::XoloClient* QorSession() const;

  void setQorStage(int stage);
  // Sets the stage to the number of the session's stage tagged `tag` (the
  // last one when several carry the tag); -1 when there is no session or no
  // such stage.
  void setQorStage(const std::string& tag);
  // The stage passed to the session; -1 when none is set.
  int qorStage() const;

  // The value of the first formula that binds and evaluates; 0 when there
  // is no formula. Throws `NoFormulaResultException` when every formula
  // fails; with a single formula its message tells why.
  double evalFormulaDouble();

  // The value of a text-valued container, read from the first text only: a
  // text naming "Norix_" values is answered by the session, any other text
  // is itself the value; "" without text.
  // Throws `VelkCOM::NorixError` when the text needs a session and none is
  // set; the session's own exceptions propagate.
  std::string evalFormulaString();

  // The text last tried by an evaluation; the only text when there is just
  // one; otherwise "No formula defined".
  std::string recentFormula() const;

  // How the value came about: the recent formula with the values of its
  // drivers and session names written in, followed by " = " and the value.
  // When the evaluation fails, a text naming the failure and the
  // dependencies instead. Never throws `NoFormulaResultException`.
  std::string detailedRecentFormula();

  // Writes the dependencies with their text and numeric values to standard
  // output, for debugging.
  void print() const;

  // Adds the dependencies and has-impact-on entries to `target`, replaces
  // its texts and formulas by a copy of these texts compiled afresh, and
  // copies session, stage and part feature. An empty `target` is ignored.
  void copyTo(const boost::shared_ptr<FormulaContainer>& target) const;

  // `value` in the default stream format, six significant digits:
  // 0.1 -> "0.1", 1.0/3 -> "0.333333", 1e7 -> "1e+07".
  static std::string toString(double value);
  // The number at the start of `text` (stream extraction); 0 when there is
  // none. `ok`, when given, tells whether a number was read.
  static double toDouble(const std::string& text, bool* ok = nullptr);
  // Whether the first character of `text` is an ASCII letter or digit;
  // false for "".
  static bool isLetterOrNumber(const std::string& text);
  // The prefix of the names that the session answers: "Norix_".
  static std::string norixKeyPrefix();

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  void setCDValuesOfFormulaAt(int i);
  // `evalFormulaDouble` within a read already open: a driver's evaluation
  // opens one around it.
  friend class CostDriver;
  double evalFormulaDoubleInRead();
  // A container that reads nothing (no dependency, no session value, no
  // feature, and a first formula that names no variable or function) has
  // the same value at every evaluation until its texts, its dependencies or
  // that formula change. Gives that value when an earlier evaluation found
  // the container so and nothing has changed since. A driver takes it
  // through `giveSettledValue`.
  bool settledValue(double* value) const {
    return settledShape_ == DriverGraphVersion::current() &&
           partFeature_.expired() && !formulas_.empty() &&
           formulas_[0]->constantValue(value);
  }
  // Gives the settled value to `driver`, the container's owner, unless it
  // is being evaluated (only its evaluation can tell whether a driver on
  // its path reads it again). The container then stands as the evaluation
  // that the value stands for leaves it (see `tookFirstFormula`), and the
  // read under way remembers the value.
  bool giveSettledValue(const CostDriver& driver, double* value);
  // Notes whether the container is settled in that sense, as it is now.
  void settleIfConstant();
  // Evaluates the first formula when that needs nothing but running it:
  // its round is current, it has no session or feature step, it calls no
  // function of the host's, and every dependency is read in place (see
  // `readInPlace`), so that nothing else runs, nothing upstream is left to
  // compute and nothing can read the driver again. The container then stands
  // as that evaluation leaves it. False when any of that does not hold or
  // the formula fails; the full evaluation then does it all again, and
  // reports the failure.
  bool evalFirstInPlace(double* value);
  bool bindFirstInPlace();
  // What a successful evaluation of the first formula leaves behind, when
  // it was not made the full way: the first formula is the recent one, and
  // the session installed now, if the container had none, is its own.
  void tookFirstFormula();
  // Sets `value` to what `dependency->doubleValue()` gives when that is
  // known without running anything: a driver of exactly the double class
  // with a cached, explicit or remembered (under `tag`, which is
  // DriverReadScope::reuseTag()) value, or one whose container is settled.
  static bool readInPlace(const CostDriver* dependency, unsigned long long tag,
                          double* value);
  // Sets `value` to what `dependency->doubleValue()` gives. Returns true
  // when the value was remembered under `tag` (DriverReadScope::reuseTag())
  // and read without running anything; otherwise the driver was read, which
  // may have run anything, and `tag` is brought up to date.
  static bool readDependency(const CostDriver* dependency,
                             unsigned long long& tag, double* value);
  // Binds dependencies `from` on by name, as the round under way; when the
  // graph still has the shape `shape` and every dependency is bound, later
  // rounds may bind through the handles.
  void bindDependenciesByName(int i, size_t from, unsigned long long shape);
  void setXoloValuesOfFormulaAt(int i);
  void setPartFeatureValuesOfFormulaAt(int i);
  // Sets variable `name` of formula `i` as the next binding of the round
  // under way, through the handle that binding used the round before.
  // REQUIRES: 0 <= i < compiledFormulaCount()
  void bindVariable(int i, const std::string& name, double value) {
    // Inline: every read of a driver binds each of its dependencies.
    if (static_cast<size_t>(i) < rounds_.size() &&
        nextBinding_ < rounds_[i].handles.size()) {
      Formula::VariableHandle& handle = rounds_[i].handles[nextBinding_++];
      handle = formulas_[i]->setVariable(name, value, handle);
      return;
    }
    bindVariableFirst(i, name, value);
  }
  // `bindVariable` at a position no round has reached before.
  void bindVariableFirst(int i, const std::string& name, double value);
  double evalFormulaAt(int i);
  // Rethrows the `EvalError` being handled as `NoFormulaResultException`,
  // with the message for formula `i`; other errors unchanged.
  [[noreturn]] void failedEvaluationAt(int i);

  // The session names of text `i` in the order binding asks for them, one
  // per occurrence of the prefix. Kept between evaluations, since the scan
  // is as dear as the evaluation of a short formula; found again after any
  // change of the texts.
  // REQUIRES: 0 <= i < formulaCount()
  const std::vector<std::string>& sessionNamesOf(int i) {
    if (!sessionNamesKnown_) scanSessionNames();
    return sessionNames_[i];
  }
  void scanSessionNames();
  // Forgets the session names, after a change of the texts.
  void textsChanged() {
    sessionNamesKnown_ = false;
    sessionNames_.clear();
  }

  // `text` with each dependency id written as "(id = value)".
  std::string substituteDependencies(const std::string& text) const;
  // "FormulaContainer are: \n" and one id per line; "" without
  // dependencies.
  std::string dependencyList() const;

  // Assigning or destroying a container may change the shape of the driver
  // graph; this member says so, so that the copy operations can stay the
  // member-wise ones.
  struct ShapeNotice {
    ShapeNotice() = default;
    ShapeNotice(const ShapeNotice&) = default;
    ShapeNotice& operator=(const ShapeNotice&);
    ~ShapeNotice();
  };

  // Per formula: the variable handles of its last binding round, in the
  // order of binding, and the `DriverGraphVersion` under which a round last
  // bound every dependency by name (0: none). The round repeats before
  // every evaluation, so a position mostly finds the handle of its own
  // name. A handle serves only while its formula vouches for it and for
  // the name (a replaced formula, removed variables or another name at
  // that position each fall back to binding by name), so the cache needs
  // no upkeep when formulas or dependencies change. While the version is
  // current the dependencies and their ids are as they were, and the round
  // writes through the handles without comparing names.
  //
  // A round is read before every evaluation, so what it reads sits in one
  // cache line: the version, the formula it bound (formulas_[i] while the
  // version is current, since replacing a formula changes the shape) and
  // the first two handles, as most formulas read one or two drivers.
  class RoundHandles {
   public:
    std::size_t size() const { return size_; }
    Formula::VariableHandle& operator[](std::size_t p) {
      return p < kInPlace ? inPlace_[p] : more_[p - kInPlace];
    }
    // Grows to `n` handles; the new ones are never current.
    void growTo(std::size_t n) {
      for (std::size_t p = size_; p < n && p < kInPlace; ++p) {
        inPlace_[p] = Formula::VariableHandle();
      }
      if (n > kInPlace) more_.resize(n - kInPlace);
      if (n > size_) size_ = n;
    }

   private:
    static constexpr std::size_t kInPlace = 2;
    std::size_t size_ = 0;
    Formula::VariableHandle inPlace_[kInPlace];
    std::vector<Formula::VariableHandle> more_;
  };
  struct alignas(64) BindingRound {
    unsigned long long shape = 0;
    Formula* formula = nullptr;
    RoundHandles handles;
  };

  // The members every evaluation reads come first, so that they share as
  // few cache lines as possible.
  ShapeNotice shapeNotice_;
  // Whether `sessionNames_` holds the names of the texts as they are, and
  // whether any text names one.
  bool sessionNamesKnown_ = false;
  bool anySessionName_ = false;
  int stage_;
  int recentIndex_;
  // Kept to 32 bits, so that the settled version fits where the members
  // every evaluation reads stay put.
  unsigned nextBinding_ = 0;
  // The version under which the container was last found settled; see
  // `settledValue`.
  unsigned long long settledShape_ = 0;
  VelkCOM::XoloClient* session_;
  std::vector<boost::shared_ptr<CostDriver>> dependencies_;
  std::vector<std::string> formulaStrings_;
  std::vector<boost::shared_ptr<Formula>> formulas_;
  std::vector<BindingRound> rounds_;
  boost::weak_ptr<TamberData::PartFeature> partFeature_;
  std::vector<boost::weak_ptr<CostDriver>> hasImpactOn_;

  // Per text, see `sessionNamesOf`.
  std::vector<std::vector<std::string>> sessionNames_;
};

}  // namespace VelkData

#endif  // VELKDATA_FORMULA_FORMULACONTAINER_H
