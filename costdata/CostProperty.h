#ifndef VELKDATA_COSTDATA_COSTPROPERTY_H
#define VELKDATA_COSTDATA_COSTPROPERTY_H

#include <boost/shared_ptr.hpp>
#include <string>

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkCOM {
class XoloClient;
}

namespace VelkData {

class FormulaContainer;

// The abstract base of every named, formula-backed value of the cost model:
// the cost drivers (numbers, integers, yes/no choices, enumerations) and the
// text-valued `CostPropertyString`. Operations, components, presses and the
// cost database hold properties through shared pointers.
//
// A property carries its identity (`id`, the name by which formulas refer to
// it) and presentation, an informative range, and a formula container that
// computes the value whenever no value was set explicitly. Its value is in
// one of three states, checked in this order:
//   cached   - caching is on; the value frozen when it was switched on;
//   explicit - `hasValue` is true; a value set by the user or the host;
//   computed - the container's formulas, evaluated on every read.
// Two properties are equal when their ids are equal.
class CostProperty {
 public:
  // How prominently the host presents a property; lower levels are shown to
  // more users.
  enum LevelType {
    kLevelBasic = 1,
    kLevelStandard = 2,
    kLevelAdvanced = 3,
    kLevelExpert = 4,
    kLevelDetail = 5,
  };

  // Both constructors make a new empty formula container.
  CostProperty();
  explicit CostProperty(const std::string& id);
  // Copies share the formula container with their source; `clone` does not.
  CostProperty(const CostProperty& other);
  CostProperty& operator=(const CostProperty& other);
  // Virtual so that deleting through a base pointer is safe as well.
  virtual ~CostProperty();

  // The value as text. May throw `NoFormulaResultException` when the value
  // has to be computed and no formula yields one.
  virtual std::string stringValue() const = 0;
  // The unit the value is shown in; "" here.
  virtual std::string measureUnit() const;
  // Switches the cache on (freezing the current value) or off.
  virtual void setDoCacheValue(bool flag) = 0;
  // A new independent property of the same class and id: same presentation
  // and value, its own compiled copy of the formulas.
  virtual boost::shared_ptr<CostProperty> clone() const = 0;
  // Whether a value was set explicitly, so that the formula is not used.
  virtual bool hasValue() const = 0;
  // Which simulation generators the recent formula reads, e.g.
  // "Geometry generator (Draw or Form stage), Blank generator"; "" when it
  // reads none, "No value defined" when there is no formula.
  virtual std::string valueSources() const;
  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();
  // The formula container; may be empty after `setFormulaContainer`.
  virtual boost::shared_ptr<FormulaContainer> formulas() const;

  const std::string& id() const { return id_; }
  // Formulas bind drivers by id, so a new id counts as a change of the
  // graph's shape (see `DriverGraphVersion`).
  void setId(const std::string& id);
  const std::string& label() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }
  const std::string& longHelp() const { return longHelp_; }
  void setLongHelp(const std::string& help) { longHelp_ = help; }
  const std::string& category() const { return category_; }
  void setCategory(const std::string& category) { category_ = category; }
  LevelType level() const { return level_; }
  void setLevel(LevelType level) { level_ = level; }
  bool isVisible() const { return visible_; }
  void setIsVisible(bool visible) { visible_ = visible; }

  // The permitted range is information for the host; no setter enforces it.
  // Defaults: the smallest positive normal double and the largest double.
  double getMinValue() const { return minValue_; }
  void setMinValue(double value) { minValue_ = value; }
  double getMaxValue() const { return maxValue_; }
  void setMaxValue(double value) { maxValue_ = value; }

  // Whether the value is served from the cache.
  bool doCacheValue() const { return doCacheValue_; }

  // Returns from the explicit to the computed state.
  void resetValue() { hasValue_ = false; }

  // The same as `formulas`.
  boost::shared_ptr<FormulaContainer> getFormulaContainer() const;
  // Replaces the container; the property then computes from `container`.
  void setFormulaContainer(const boost::shared_ptr<FormulaContainer>& c);
  // The container's recent formula; "" without container.
  std::string recentFormula() const;
  // The number of compiled formulas; 0 without container.
  int dependencyFormulaCount() const;
  // Formula text `i`; "" without container or for an out-of-range `i`.
  std::string dependencyFormulaAt(int i) const;
  // Sets variable `name` of formula `i`; ignored without container or for
  // an out-of-range `i`.
  void setParameterForFormulaAt(int i, const std::string& name, double value);
  // Stores the session (not owned) in the container; ignored without one.
  void setQorSession(VelkCOM::XoloClient* session);

  // Copies identity, presentation and range to `target`, passes the caching
  // flag through the target's `setDoCacheValue`, and gives the target a
  // clone of this container. The value itself is left to the subclasses.
  // An empty `target` is ignored. Throws the compile errors of a formula
  // text that no longer compiles.
  void copyTo(const boost::shared_ptr<CostProperty>& target) const;

  // `value` in the default stream format, six significant digits.
  static std::string toString(double value);

  // Equality is identity by id, whatever else differs.
  bool operator==(const CostProperty& other) const { return id_ == other.id_; }
  bool operator!=(const CostProperty& other) const { return !(*this == other); }

 protected:
  // The container itself, without the reference count that `formulas`
  // costs, for the paths that evaluate drivers many times over. Those
  // paths compute from this container whatever `formulas` is made to
  // return.
  FormulaContainer* ownContainer() const { return formulas_.get(); }

  bool doCacheValue_;
  bool hasValue_;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  boost::shared_ptr<FormulaContainer> formulas_;
  double minValue_;
  double maxValue_;
  std::string id_;
  std::string label_;
  std::string longHelp_;
  std::string category_;
  bool visible_;
  LevelType level_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTPROPERTY_H
