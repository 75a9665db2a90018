#ifndef VELKDATA_COSTDATA_BASEASSEMBLY_H
#define VELKDATA_COSTDATA_BASEASSEMBLY_H

#include <QObject>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "velkdata/TrUtf8.h"

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace TamberData {
class Component;
}  // namespace TamberData

namespace VelkData {

class CostDriver;
class FormulaContainer;

// A named set of die components that always come together, such as the die
// set of an operation with its lower and upper die shoe. Each component is
// held with the formula of how many of it are needed and a merge behaviour,
// a small integer that the host and the die-set sharing interpret.
//
// The cost database holds the catalogue of base assemblies; an operation
// refers to one of them. Both hold it through boost::shared_ptr.
class BaseAssembly : public QObject {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  // An assembly with empty texts, for the archive.
  BaseAssembly();
  // An empty assembly labelled `label` serving operations of type
  // `operationType`.
  BaseAssembly(const std::string& label, const std::string& operationType);
  ~BaseAssembly() override;

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // The identifier of the assembly.
  const std::string& label() const { return label_; }
  // The operation type the assembly serves; "DIESET" for the assembly of an
  // auxiliary die-set operation.
  const std::string& OperationType() const { return operationType_; }

  // Appends `component` with the formula of its amount and its merge
  // behaviour.
  void AddComponent(const boost::shared_ptr<TamberData::Component>& component,
                    const boost::shared_ptr<FormulaContainer>& amountFormula,
                    int mergeBehavior);
  int ComponentCount() const;
  // The component at `i`; an empty pointer when `i` is outside
  // [0, ComponentCount()).
  boost::shared_ptr<TamberData::Component> ComponentAt(int i) const;
  // The amount formula of component `i`; an empty pointer when `i` is
  // outside [0, ComponentCount()).
  boost::shared_ptr<FormulaContainer> AmountFormulaAt(int i) const;
  // How many of component `i` are needed: the amount formula's value,
  // truncated toward zero.
  // Throws `NoFormulaResultException` when the formula yields no value or a
  // value that is no count (not a number, beyond the int range), and when
  // `i` is outside [0, ComponentCount()) or there is no formula.
  int AmountAt(int i) const;
  // The merge behaviour of component `i`; -1 when `i` is outside the list.
  int mergeBehaviorAt(int i) const;

  // Removes the first entry holding this very component object from the
  // three lists. Returns whether there was one; an equal but different
  // component object does not count.
  bool RemoveComponent(const boost::shared_ptr<TamberData::Component>& c);
  // Removes entry `i` from the three lists; an `i` outside the list is
  // ignored.
  void RemoveComponentAt(int i);

  // Makes every amount formula record each of `drivers` whose id occurs in
  // one of its formula texts (plain substring test). An operation calls
  // this when the assembly is attached to it.
  void SetAmountDependencies(
      const std::vector<boost::shared_ptr<CostDriver>>& drivers);

  // The first active component whose key begins with "CT_300" (lower die
  // set) or "CT_301" (upper die set); an empty pointer when there is none.
  boost::shared_ptr<TamberData::Component> getLowerDieSet() const;
  boost::shared_ptr<TamberData::Component> getUpperDieSet() const;

  // Whether the operation type is exactly "DIESET" (letter case counts).
  bool isDieset() const;

  // A new assembly with the same texts and merge behaviours, holding clones
  // of the components and of the amount formulas.
  // Throws the compile errors of a formula text that no longer compiles.
  boost::shared_ptr<BaseAssembly> clone() const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void save(Archive& archive, const unsigned int version) const;
  template <class Archive>
  void load(Archive& archive, const unsigned int version);
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  boost::shared_ptr<TamberData::Component> firstActiveWithKeyPrefix(
      const std::string& prefix) const;

  std::string label_;
  std::string operationType_;
  std::vector<boost::shared_ptr<TamberData::Component>> components_;
  std::vector<boost::shared_ptr<FormulaContainer>> amountFormulas_;
  std::vector<std::int32_t> mergeBehaviors_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_BASEASSEMBLY_H
