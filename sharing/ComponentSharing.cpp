// The share constructor of Component: how one shared component is made from
// the components of several operations.

#include <QtGlobal>
#include <boost/pointer_cast.hpp>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "costdata/Component.h"
#include "costdata/CostDriver.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostProperty.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "sharing/componentShareRelationship.h"

namespace TamberData {

namespace {

typedef boost::shared_ptr<Component> ComponentPtr;
typedef boost::shared_ptr<VelkData::CostDriver> DriverPtr;
typedef boost::shared_ptr<VelkData::FormulaContainer> ContainerPtr;

}  // namespace

// Makes parameter k of a shared component from the inputs' parameter k.
// Every member answers false when an input it needs lacks the parameter (or
// its copy is no cost driver); the caller then ends the merge.
class ComponentMerge {
 public:
  enum Mode {
    kCopyFirst = 0,
    kSpan = 1,
    kCopyFirstAgain = 2,
    kCopyLast = 3,
    kLargest = 4,
    kSmallest = 5,
    kSum = 6,
  };

  ComponentMerge(Component& target, const std::vector<ComponentPtr>& inputs)
      : target_(target), inputs_(inputs) {}

  bool merge(int mode, int k) {
    switch (mode) {
      case kSpan:
        return span(k);
      case kCopyLast:
        return copyFrom(inputs_.back().get(), k);
      case kLargest:
        return copyFrom(extreme(k, true), k);
      case kSmallest:
        return copyFrom(extreme(k, false), k);
      case kSum:
        return sum(k);
      case kCopyFirst:
      case kCopyFirstAgain:
      default:
        return copyFrom(inputs_.front().get(), k);
    }
  }

 private:
  static DriverPtr parameterOf(const Component* component, int k) {
    return component ? component->parameterAt(k) : DriverPtr();
  }

  static DriverPtr cloneOf(const DriverPtr& parameter) {
    if (!parameter) return DriverPtr();
    return boost::dynamic_pointer_cast<VelkData::CostDriver>(
        parameter->clone());
  }

  // Clones of the standard minimum and maximum of parameter k; empty where
  // the source has none.
  static void limitsOf(const Component& source, int k, ContainerPtr& min,
                       ContainerPtr& max) {
    min.reset();
    max.reset();
    if (k < 0 || static_cast<std::size_t>(k) >= source.standardLimits_.size())
      return;
    const auto& limits = source.standardLimits_[k];
    if (limits.first) min = limits.first->clone();
    if (limits.second) max = limits.second->clone();
  }

  bool copyFrom(const Component* source, int k) {
    const DriverPtr copy = cloneOf(parameterOf(source, k));
    if (!copy) return false;
    ContainerPtr min, max;
    limitsOf(*source, k, min, max);
    target_.addParameter(copy, source->roundingRuleAt(k), min, max);
    return true;
  }

  // The input whose parameter k holds the largest (or smallest) value. The
  // first input stands until another beats the running value strictly, so
  // ties keep the earlier input.
  const Component* extreme(int k, bool largest) const {
    const Component* chosen = inputs_.front().get();
    double best = largest ? 0.0 : std::numeric_limits<double>::max();
    for (const ComponentPtr& input : inputs_) {
      const DriverPtr parameter = parameterOf(input.get(), k);
      if (!parameter) continue;
      try {
        const float value = parameter->doubleValue();
        if (largest ? value > best : value < best) {
          best = value;
          chosen = input.get();
        }
      } catch (const VelkData::NoFormulaResultException& e) {
        const boost::shared_ptr<VelkData::Operation> operation =
            input->operation();
        qDebug(
            "Error for parameter %s of component %s for operation %s of type "
            "%s!!\nFormula is %s\nError message: %s",
            parameter->id().c_str(), input->label().c_str(),
            operation ? operation->label().c_str() : "",
            operation ? operation->type().c_str() : "",
            parameter->recentFormula().c_str(), e.what());
      }
    }
    return chosen;
  }

  // A clone of `source`'s parameter k under the name `name`, read by the
  // span driver.
  static bool addAuxiliary(VelkData::CostDriver& span, const Component* source,
                           int k, const std::string& name) {
    const DriverPtr auxiliary = cloneOf(parameterOf(source, k));
    if (!auxiliary) return false;
    auxiliary->setId(name);
    span.addDependency(auxiliary);
    return true;
  }

  // "+<pitches>*CD_PR_PI" when the press of `source`'s operation has a pitch
  // driver, which the span then reads; "" otherwise, since a name the
  // formula cannot bind would make the whole span fail.
  static std::string pitchTerm(VelkData::CostDriver& span,
                               const Component* source, int pitches) {
    const boost::shared_ptr<VelkData::Operation> operation =
        source ? source->operation() : boost::shared_ptr<VelkData::Operation>();
    const boost::shared_ptr<VelkData::Press> press =
        operation ? operation->press() : boost::shared_ptr<VelkData::Press>();
    if (!press) return std::string();
    for (int i = 0; i < press->costPropertyCount(); ++i) {
      const DriverPtr pitch = boost::dynamic_pointer_cast<VelkData::CostDriver>(
          press->costPropertyAt(i));
      if (pitch && pitch->id() == "CD_PR_PI") {
        span.addDependency(pitch);
        return "+" + std::to_string(pitches) + "*CD_PR_PI";
      }
    }
    return std::string();
  }

  static bool isCutoff(const Component* component) {
    const boost::shared_ptr<VelkData::Operation> operation =
        component ? component->operation()
                  : boost::shared_ptr<VelkData::Operation>();
    if (!operation) return false;
    try {
      return operation->isCutoff();
    } catch (const VelkData::NoFormulaResultException& e) {
      // An operation whose tool type cannot be read is treated as the
      // common case, a stage that is no cut-off.
      qDebug("Tool type of operation %s unknown, taken as no cut-off: %s",
             operation->label().c_str(), e.what());
      return false;
    }
  }

  // The length of the die half over the run: half the first and half the
  // last stage's own extent plus one pitch per stage in between. A cut-off
  // first stage sits wholly inside the die and counts in full.
  bool span(int k) {
    const Component* first = inputs_.front().get();
    const Component* last = inputs_.back().get();
    const int n = static_cast<int>(inputs_.size());
    const DriverPtr model = parameterOf(first, k);
    if (!model) return false;

    boost::shared_ptr<VelkData::CostDriverDouble> driver(
        new VelkData::CostDriverDouble(model->id()));
    driver->setLabel(model->label());

    std::string text;
    if (!isCutoff(first)) {
      if (!addAuxiliary(*driver, first, k, "CD_MERGE_FIRST")) return false;
      text = "0.5*CD_MERGE_FIRST";
      text += pitchTerm(*driver, first, n - 1);
      if (!addAuxiliary(*driver, last, k, "CD_MERGE_LAST")) return false;
      text += "+0.5*CD_MERGE_LAST";
    } else {
      if (!addAuxiliary(*driver, first, k, "CD_MERGE_CUTOFF")) return false;
      text = "CD_MERGE_CUTOFF";
      if (n > 1) {
        const Component* second = inputs_[1].get();
        if (!addAuxiliary(*driver, second, k, "CD_MERGE_FIRST")) return false;
        text += "+0.5*CD_MERGE_FIRST";
        text += pitchTerm(*driver, second, n - 2);
        if (!addAuxiliary(*driver, last, k, "CD_MERGE_LAST")) return false;
        text += "+0.5*CD_MERGE_LAST";
      }
    }
    driver->formulas()->addFormula(text);

    ContainerPtr min, max;
    limitsOf(*first, k, min, max);
    target_.addParameter(driver, first->roundingRuleAt(k), min, max);
    return true;
  }

  bool sum(int k) {
    const Component* first = inputs_.front().get();
    const DriverPtr model = parameterOf(first, k);
    if (!model) return false;

    boost::shared_ptr<VelkData::CostDriverDouble> driver(
        new VelkData::CostDriverDouble(model->id()));
    const ContainerPtr container = driver->formulas();
    std::string text;
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
      const DriverPtr parameter = parameterOf(inputs_[i].get(), k);
      if (!parameter) return false;
      const ContainerPtr source = parameter->formulas();
      if (source) {
        for (const DriverPtr& reader : source->getHasImpactOnList())
          container->addHasImpactOn(reader);
        for (int d = 0; d < source->dependencyCount(); ++d)
          container->addDependency(source->dependencyAt(d));
      }
      std::string term = parameter->dependencyFormulaAt(0);
      if (term.empty()) {
        // A parameter without formula adds the value it holds; "()" would
        // not even compile.
        try {
          term = VelkData::CostProperty::toString(parameter->doubleValue());
        } catch (const VelkData::NoFormulaResultException& e) {
          qDebug("Parameter %s of component %s has no value, added as 0: %s",
                 parameter->id().c_str(), inputs_[i]->label().c_str(),
                 e.what());
          term = "0";
        }
      }
      if (i > 0) text += "+";
      text += "(" + term + ")";
    }
    container->addFormula(text);

    ContainerPtr min, max;
    limitsOf(*first, k, min, max);
    target_.addParameter(driver, first->roundingRuleAt(k), min, max);
    return true;
  }

  Component& target_;
  const std::vector<ComponentPtr>& inputs_;
};

namespace {

// The name of parameter k of `identity` for messages.
std::string parameterName(const Component& identity, int k) {
  const DriverPtr parameter = identity.parameterAt(k);
  return parameter ? parameter->id() : "#" + std::to_string(k);
}

// The relationship's mode for parameter k; 0 with a debug line where the
// relationship has none or one that no rule answers to.
int mergeModeFor(const VelkData::componentShareRelationship& relationship,
                 const Component& identity, int k) {
  const std::vector<int>& modes = relationship.mergeModes;
  if (static_cast<std::size_t>(k) >= modes.size()) {
    qDebug(
        "Share relationship %s has no merge mode for parameter %s; it is "
        "taken from the first component",
        relationship.getLabel().c_str(), parameterName(identity, k).c_str());
    return ComponentMerge::kCopyFirst;
  }
  const int mode = modes[k];
  if (mode < ComponentMerge::kCopyFirst || mode > ComponentMerge::kSum) {
    qDebug(
        "Share relationship %s has the unknown merge mode %d for parameter "
        "%s; it is taken from the first component",
        relationship.getLabel().c_str(), mode,
        parameterName(identity, k).c_str());
    return ComponentMerge::kCopyFirst;
  }
  return mode;
}

}  // namespace

Component::Component(
    const boost::shared_ptr<VelkData::componentShareRelationship>& relationship,
    const std::vector<ComponentPtr>& components) {
  init();
  if (components.empty()) return;

  ComponentPtr identity = components.front();
  if (relationship) {
    if (relationship->sharedComponent) {
      identity = relationship->sharedComponent;
    } else {
      qDebug(
          "Share relationship %s has no shared component; the first "
          "component stands in",
          relationship->getLabel().c_str());
    }
  }
  if (!identity) return;
  label_ = identity->label();
  componentKey_ = identity->getComponentKey();

  ComponentMerge merge(*this, components);
  const int count = identity->parameterCount();
  for (int k = 0; k < count; ++k) {
    const int mode = relationship ? mergeModeFor(*relationship, *identity, k)
                                  : ComponentMerge::kCopyFirst;
    if (!merge.merge(mode, k)) {
      std::printf("ERROR: component merge carried out with illegal parameter\n");
      std::fflush(stdout);
      return;
    }
  }
}

}  // namespace TamberData
