#ifndef VELKDATA_COSTDATA_COMPONENTCOST_H
#define VELKDATA_COSTDATA_COMPONENTCOST_H

#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <utility>
#include <vector>

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
class ManufacturingStep;
class Operation;
class ToolMaterial;

// What one die component costs in its operation. The cost is made of one
// contribution per manufacturing step (machining hours times the step's
// hourly rate) and one per tool material (amount times the material's cost
// per unit); each contribution has an amount formula that may read the
// component's parameters and the cost drivers of the operation.
//
// The component cost factory keeps component costs by value as templates
// and hands out shared clones of them; reports read costs and formulas.
//
// Copy construction and assignment share the component and the amount
// containers with the source; `clone` gives the copy containers of its own.
// The operation is not kept here: it is the component's own operation.
class ComponentCost {
 public:
  // Amount containers keyed by the step or material object itself (pointer
  // identity, not the record's identifier).
  typedef std::map<boost::shared_ptr<ManufacturingStep>,
                   boost::shared_ptr<FormulaContainer>>
      StepAmountMap;
  typedef std::map<boost::shared_ptr<ToolMaterial>,
                   boost::shared_ptr<FormulaContainer>>
      MaterialAmountMap;
  // Free (key, value) notes, in the order they were added.
  typedef std::vector<std::pair<std::string, std::string>> InformationList;

  // No label, no component, no amounts, no notes.
  ComponentCost();
  // As the default constructor, then `setComponent` (component).
  explicit ComponentCost(
      const boost::shared_ptr<TamberData::Component>& component);
  ComponentCost(const ComponentCost& other) = default;
  ComponentCost& operator=(const ComponentCost& other) = default;
  virtual ~ComponentCost();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  const std::string& label() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }

  // The costed component; an empty pointer unless set.
  boost::shared_ptr<TamberData::Component> component() const {
    return component_;
  }
  // Stores `component`. A non-empty component with an operation passes
  // that operation to `SetOperation`; then every amount formula that names
  // one of the component's parameters records that parameter.
  void setComponent(const boost::shared_ptr<TamberData::Component>& component);

  // The component's own operation; an empty pointer without a component or
  // when the component has no operation.
  boost::shared_ptr<Operation> operation() const;

  // Makes `operation` the component's own operation (`Component::
  // setOperation`) and makes every amount formula that names one of its
  // cost drivers record that driver. Without a component there is nowhere
  // to keep the operation, but the amount formulas are still wired. An
  // empty `operation` writes one debug line and changes nothing.
  void SetOperation(const boost::shared_ptr<Operation>& operation);

  // Stores `amount` as the amount formula (hours for a step) of `step` or
  // `material`, replacing an earlier one, after making it record every
  // parameter of the component that its formula 0 names. The container is
  // shared, not copied. An empty `step`, `material` or `amount` is ignored.
  void SetAmountFormula(const boost::shared_ptr<ManufacturingStep>& step,
                        const boost::shared_ptr<FormulaContainer>& amount);
  void SetAmountFormula(const boost::shared_ptr<ToolMaterial>& material,
                        const boost::shared_ptr<FormulaContainer>& amount);

  // Takes over every amount formula of `other` (steps first, then
  // materials) through `SetAmountFormula`, so that both component costs
  // then share those containers. Entries of this cost that `other` lacks
  // stay.
  void ReplaceAmountFormulas(const ComponentCost& other);

  // The cost of `step`: its hourly rate times the value of its amount
  // formula; 0.0 when the step has no amount formula. When the formula
  // yields no value, one debug line names formula, step and component cost,
  // and the answer is 0.0.
  // Throws whatever other than `NoFormulaResultException` the formula
  // throws.
  double Cost(const boost::shared_ptr<ManufacturingStep>& step) const;
  // The cost of `material`: its cost per volume unit
  // (`ToolMaterial::CostPerVolumeUnit`) times the value of its amount
  // formula; otherwise as for a step.
  double Cost(const boost::shared_ptr<ToolMaterial>& material) const;

  // How `Cost` comes about: "(" + the amount container's detailed recent
  // formula + ") * " + the factor in general format with six significant
  // digits. "No cost formula defined" when there is no amount formula.
  // Never throws `NoFormulaResultException`.
  std::string CostFormula(
      const boost::shared_ptr<ManufacturingStep>& step) const;
  std::string CostFormula(
      const boost::shared_ptr<ToolMaterial>& material) const;

  // The amount formulas, for iteration (reports, the archive).
  const StepAmountMap& stepAmounts() const { return stepAmounts_; }
  const MaterialAmountMap& materialAmounts() const { return materialAmounts_; }

  // Appends the note (`key`, `value`); equal keys may repeat.
  void addInformation(const std::string& key, const std::string& value);
  const InformationList& information() const { return information_; }

  // A new component cost for the same component object, with the same
  // label and notes, and a clone of every amount container. Each clone
  // forgets the component's parameters it inherited and records anew the
  // ones its formula names, so changing a clone's formula never touches
  // this cost.
  // Throws the compile errors of a formula text that no longer compiles.
  boost::shared_ptr<ComponentCost> clone() const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // Makes every amount container whose formula 0 contains the identifier
  // of `driver` record it. An empty pointer or identifier names nothing.
  void UpdateDependencies(const boost::shared_ptr<CostDriver>& driver);
  // Makes `amount` record every parameter of the component it names.
  void wireParameters(const boost::shared_ptr<FormulaContainer>& amount);

  std::string label_;
  boost::shared_ptr<TamberData::Component> component_;
  StepAmountMap stepAmounts_;
  MaterialAmountMap materialAmounts_;
  InformationList information_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COMPONENTCOST_H
