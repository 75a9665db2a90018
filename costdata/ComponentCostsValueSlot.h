#ifndef VELKDATA_COSTDATA_COMPONENTCOSTSVALUESLOT_H
#define VELKDATA_COSTDATA_COMPONENTCOSTSVALUESLOT_H

#include <QObject>
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostValueRange.h"
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

class FormulaContainer;
class ManufacturingStep;
class ToolMaterial;

// One entry of the component cost catalogue: a template component cost
// (with its component and amount formulas) and, index for index with the
// parameters of that component, the value range each parameter must fall
// in for the entry to apply. The component cost factory holds its slots by
// value; hosts build slots and hand copies to the factory.
//
// A QObject for its class information only. Unlike a plain QObject it is
// copyable: copies carry the ranges and a copy of the template cost (which
// shares component and amount containers with the source) and a fresh
// object base.
class ComponentCostsValueSlot : public QObject {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  // No ranges and an empty template cost; for the archive.
  ComponentCostsValueSlot();
  // A slot whose template is a copy of `cost` labelled `label`; no ranges.
  ComponentCostsValueSlot(const std::string& label, const ComponentCost& cost);
  ComponentCostsValueSlot(const ComponentCostsValueSlot& other);
  ComponentCostsValueSlot& operator=(const ComponentCostsValueSlot& other);
  ~ComponentCostsValueSlot() override;

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

  // The slot's label, which is the template cost's label.
  const std::string& Label() const;
  // The template cost's component; an empty pointer when it has none.
  boost::shared_ptr<TamberData::Component> component() const;
  // The template cost itself, for reports and the archive.
  const ComponentCost& componentCost() const { return componentCost_; }

  // Appends a copy of `range` as the range of the next parameter.
  void AddComponentCostValueRange(const ComponentCostValueRange& range);
  int ComponentCostValueRangeCount() const;
  // The stored range `i` (not a copy); null when `i` is outside
  // [0, ComponentCostValueRangeCount()). The pointer is valid until the
  // next range is added or the slot is assigned or destroyed.
  ComponentCostValueRange* ComponentCostValueRangeAt(int i);
  const ComponentCostValueRange* ComponentCostValueRangeAt(int i) const;

  // A clone of the template cost (`ComponentCost::clone`): same component
  // object, amount containers of its own.
  // Throws the compile errors of a formula text that no longer compiles.
  boost::shared_ptr<ComponentCost> CopyComponentCost() const;

  // These forward to the template cost: `ComponentCost::SetAmountFormula`,
  // `addInformation` and `ReplaceAmountFormulas` (with `other`'s template).
  void SetAmountFormula(const boost::shared_ptr<ManufacturingStep>& step,
                        const boost::shared_ptr<FormulaContainer>& amount);
  void SetAmountFormula(const boost::shared_ptr<ToolMaterial>& material,
                        const boost::shared_ptr<FormulaContainer>& amount);
  void AddComponentCostInformation(const std::string& key,
                                   const std::string& value);
  void ReplaceComponentCostAmountFormulas(const ComponentCostsValueSlot& other);

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::vector<ComponentCostValueRange> ranges_;
  ComponentCost componentCost_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COMPONENTCOSTSVALUESLOT_H
