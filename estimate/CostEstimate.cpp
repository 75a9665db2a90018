#include "estimate/CostEstimate.h"

#include <boost/make_shared.hpp>
#include <climits>
#include <cmath>
#include <exception>
#include <map>
#include <set>
#include <utility>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostFactory.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriver.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Operation.h"
#include "costdata/Surcharge.h"
#include "costdata/ToolMaterial.h"
#include "formula/FormulaContainer.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessingUnit.h"

namespace VelkData {

namespace {

typedef boost::shared_ptr<CostDriver> DriverPtr;
typedef boost::shared_ptr<Operation> OperationPtr;
typedef boost::shared_ptr<TamberData::Component> ComponentPtr;

// The outcome of one evaluation: a finite value, or the reason there is
// none.
struct Evaluation {
  bool ok = false;
  double value = 0.0;
  std::string reason;
};

// Failure messages of the formula engine end in a line break and may span
// lines; an issue is one line.
std::string oneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

Evaluation failed(const std::string& reason) {
  Evaluation e;
  e.reason = oneLine(reason);
  return e;
}

Evaluation checkedValue(double value) {
  if (!std::isfinite(value)) return failed("the value is not a finite number");
  Evaluation e;
  e.ok = true;
  e.value = value;
  return e;
}

// Evaluates a container of the model. A container without compiled
// formula would answer 0 and hide that nothing was computed.
Evaluation evaluate(const boost::shared_ptr<FormulaContainer>& container) {
  if (!container || container->compiledFormulaCount() == 0) {
    return failed("no formula");
  }
  try {
    return checkedValue(container->evalFormulaDouble());
  } catch (const std::exception& e) {
    return failed(e.what());
  }
}

Evaluation evaluate(const CostDriver& driver) {
  try {
    return checkedValue(driver.doubleValue());
  } catch (const std::exception& e) {
    return failed(e.what());
  }
}

std::string formulaText(const boost::shared_ptr<FormulaContainer>& container) {
  return container ? container->formulaAt(0) : std::string();
}

std::string formulaText(const CostDriver& driver) {
  return driver.dependencyFormulaAt(0);
}

}  // namespace

std::string CostEstimate::Issue::text() const {
  std::string place;
  for (const std::string* part : {&operation, &component, &item}) {
    if (part->empty()) continue;
    if (!place.empty()) place += " / ";
    place += *part;
  }
  std::string line = place.empty() ? reason : place + ": " + reason;
  if (!formula.empty()) line += " in formula \"" + formula + "\"";
  return line;
}

// Walks the press line once and fills the estimate.
class CostEstimate::Builder {
 public:
  Builder(const CostDatabase& db, CostEstimate& out) : db_(db), out_(out) {
    for (int i = 0; i < db.CostPropertyCount(); ++i) {
      DriverPtr driver =
          boost::dynamic_pointer_cast<CostDriver>(db.CostPropertyAt(i));
      if (driver && !driver->id().empty()) properties_.push_back(driver);
    }
    for (int i = 0; i < db.toolMaterialCount(); ++i) {
      materialOrder_[db.toolMaterialAt(i).get()] = i;
    }
    for (int i = 0; i < db.ManufacturingStepCount(); ++i) {
      stepOrder_[db.ManufacturingStepAt(i).get()] = i;
    }
  }

  void run() {
    out_.currency_ = db_.Currency();
    out_.materialFraction_ =
        generalFraction(db_.MaterialCostSurcharge(), "material surcharge");
    out_.processFraction_ =
        generalFraction(db_.ProcessCostSurcharge(), "process surcharge");

    const boost::shared_ptr<TamberData::ProcessDatabase> plan = db_.ProcessDB();
    if (!plan) {
      report(Issue{"", "", "", "", "the database has no process plan"});
    } else {
      factory_ = db_.componentCostFactory();
      if (!factory_) {
        report(Issue{"", "", "", "",
                     "the database has no component cost catalogue"});
      }
      for (const OperationPtr& op : plan->Operations()) {
        if (op) costOperation(*plan, op);
      }
    }

    double sum = 0.0;
    for (const OperationEstimate& op : out_.operations_) sum += op.subtotal;
    out_.operationsTotal_ = sum;
    double fractions = 0.0;
    for (int i = 0; i < db_.TotalCostSurchargeCount(); ++i) {
      const boost::shared_ptr<Surcharge> s = db_.TotalCostSurchargeAt(i);
      if (!s) continue;
      AppliedSurcharge applied = applySurcharge(*s, OperationPtr(), "");
      applied.cost = sum * applied.fraction;
      fractions += applied.fraction;
      out_.totalSurcharges_.push_back(applied);
    }
    out_.total_ = sum * (1.0 + fractions);
  }

 private:
  void report(const Issue& issue) { out_.issues_.push_back(issue); }

  double generalFraction(double value, const std::string& what) {
    if (std::isfinite(value)) return value;
    report(Issue{"", "", what, "",
                 "the database's general " + what + " is not a number"});
    return 0.0;
  }

  // The surcharge's formula evaluated on a container of our own, so that
  // binding it to `op` leaves the database's container as it is.
  AppliedSurcharge applySurcharge(const Surcharge& s, const OperationPtr& op,
                                  const std::string& componentLabel) {
    AppliedSurcharge applied;
    applied.id = s.id();
    applied.label = s.label();
    const std::string text = s.getFormulaString();
    Evaluation e;
    if (text.empty()) {
      e = failed("the surcharge has no formula");
    } else {
      boost::shared_ptr<FormulaContainer> container =
          boost::make_shared<FormulaContainer>();
      try {
        container->addFormula(text);
        for (const DriverPtr& d : properties_) {
          if (text.find(d->id()) != std::string::npos) {
            container->addDependency(d);
          }
        }
        if (op) {
          for (const DriverPtr& d : op->GetAllCostDrivers()) {
            if (d && !d->id().empty() &&
                text.find(d->id()) != std::string::npos) {
              container->addDependency(d);
            }
          }
        }
        e = evaluate(container);
      } catch (const std::exception& ex) {
        e = failed(ex.what());
      }
    }
    if (e.ok) {
      applied.fraction = e.value;
    } else {
      applied.complete = false;
      report(Issue{op ? op->label() : std::string(), componentLabel,
                   "surcharge " + s.id(), text, e.reason});
    }
    return applied;
  }

  // Surcharges of materials and steps are the same for every component of
  // one operation; each is evaluated, and a failure reported, once there.
  double cachedSurcharge(const boost::shared_ptr<Surcharge>& s,
                         const OperationPtr& op, bool* complete) {
    if (!s) return 0.0;
    auto found = surchargeCache_.find(s.get());
    if (found == surchargeCache_.end()) {
      const AppliedSurcharge applied = applySurcharge(*s, op, "");
      found =
          surchargeCache_
              .insert(std::make_pair(
                  s.get(), std::make_pair(applied.fraction, applied.complete)))
              .first;
    }
    if (!found->second.second) *complete = false;
    return found->second.first;
  }

  void costOperation(const TamberData::ProcessDatabase& plan,
                     const OperationPtr& op) {
    surchargeCache_.clear();
    factorCache_.clear();
    OperationEstimate result;
    result.label = op->label();
    result.type = op->type();
    const size_t issuesBefore = out_.issues_.size();

    const boost::shared_ptr<BaseAssembly> assembly = op->baseAssembly();
    if (assembly) {
      for (int i = 0; i < assembly->ComponentCount(); ++i) {
        const ComponentPtr component = assembly->ComponentAt(i);
        if (!component) continue;
        ComponentEstimate c = startComponent(*component, assembly->label());
        const Evaluation amount = evaluate(assembly->AmountFormulaAt(i));
        if (!amount.ok || amount.value < 0.0 ||
            amount.value >= static_cast<double>(INT_MAX)) {
          report(Issue{op->label(), component->label(), "amount",
                       formulaText(assembly->AmountFormulaAt(i)),
                       amount.ok ? "the amount is no count of components"
                                 : amount.reason});
          c.complete = false;
          result.components.push_back(c);
          continue;
        }
        c.amount = static_cast<int>(amount.value);
        costComponent(component, op, c);
        result.components.push_back(c);
      }
    }
    for (const boost::shared_ptr<TamberData::ProcessingUnit>& unit :
         plan.getProcUnitsFromOP(op)) {
      if (!unit) continue;
      // A unit whose amount formula fails made no components for it; that
      // must not pass for a die that needs none.
      for (int j = 0; j < unit->sourceComponentCount(); ++j) {
        const Evaluation amount = evaluate(unit->amountFormulaAt(j));
        if (amount.ok) continue;
        const ComponentPtr source = unit->sourceComponentAt(j);
        report(Issue{op->label(), source ? source->label() : std::string(),
                     "amount in " + unit->label(),
                     formulaText(unit->amountFormulaAt(j)), amount.reason});
      }
      for (int j = 0; j < unit->componentCount(); ++j) {
        const ComponentPtr component = unit->componentAt(j);
        if (!component) continue;
        ComponentEstimate c = startComponent(*component, unit->label());
        c.amount = 1;
        costComponent(component, op, c);
        result.components.push_back(c);
      }
    }

    for (const ComponentEstimate& c : result.components) {
      result.materialCost += c.materialCost;
      result.processCost += c.processCost;
    }
    result.generalMaterialSurcharge =
        result.materialCost * out_.materialFraction_;
    result.generalProcessSurcharge = result.processCost * out_.processFraction_;
    const double base = result.materialCost + result.generalMaterialSurcharge +
                        result.processCost + result.generalProcessSurcharge;
    double fractions = 0.0;
    for (const boost::shared_ptr<Surcharge>& s :
         db_.OperationTypeSurcharges(op->type())) {
      if (!s) continue;
      AppliedSurcharge applied = applySurcharge(*s, op, "");
      applied.cost = base * applied.fraction;
      fractions += applied.fraction;
      result.typeSurcharges.push_back(applied);
    }
    result.subtotal = base * (1.0 + fractions);
    result.complete = out_.issues_.size() == issuesBefore;
    out_.operations_.push_back(result);
  }

  static ComponentEstimate startComponent(
      const TamberData::Component& component, const std::string& source) {
    ComponentEstimate c;
    c.label = component.label();
    c.key = component.getComponentKey();
    c.source = source;
    return c;
  }

  void costComponent(const ComponentPtr& component, const OperationPtr& op,
                     ComponentEstimate& c) {
    if (component->omitted()) {
      c.note = "omitted";
      return;
    }
    if (component->Deactivated()) {
      c.note = "deactivated";
      return;
    }
    const auto costed = costedIn_.find(component.get());
    if (costed != costedIn_.end()) {
      c.note = "shared with " + costed->second;
      return;
    }
    costedIn_[component.get()] = op->label();
    if (c.amount == 0 || !factory_) {
      if (!factory_) c.complete = false;
      return;
    }

    // The catalogue flags the component it is asked about, and the
    // operation must feed the parameters: both happen on a copy.
    ComponentPtr copy;
    std::vector<boost::shared_ptr<ComponentCost>> pieces;
    try {
      copy = component->clone();
      copy->setOperation(op);
    } catch (const std::exception& e) {
      fail(c, op, "", "", oneLine(e.what()));
      return;
    }
    bool parametersOk = true;
    for (int i = 0; i < copy->parameterCount(); ++i) {
      const DriverPtr parameter = copy->parameterAt(i);
      if (!parameter) continue;
      const Evaluation value = evaluate(*parameter);
      if (!value.ok) {
        fail(c, op, parameter->id(), formulaText(*parameter), value.reason);
        parametersOk = false;
      }
    }
    if (!parametersOk) return;
    try {
      pieces = factory_->componentCosts(copy);
    } catch (const std::exception& e) {
      fail(c, op, "", "", oneLine(e.what()));
      return;
    }
    if (copy->noDBMatch()) {
      fail(c, op, "", "",
           "no catalogue entry (" + copy->getNoDBMatchCause() + ")");
    }
    c.pieces = static_cast<int>(pieces.size());
    Orders orders;
    for (const boost::shared_ptr<ComponentCost>& piece : pieces) {
      if (piece) costPiece(*piece, op, c, orders);
    }
    for (const CostItem& item : c.materials) c.materialCost += item.cost;
    for (const CostItem& item : c.steps) c.processCost += item.cost;
  }

  void fail(ComponentEstimate& c, const OperationPtr& op,
            const std::string& item, const std::string& formula,
            const std::string& reason) {
    c.complete = false;
    report(Issue{op->label(), c.label, item, formula, reason});
  }

  // The item of `c` for the record at `order` (the record's place in the
  // database), inserted in database order.
  static CostItem& itemFor(std::vector<CostItem>& items,
                           std::vector<int>& orders, int order,
                           const std::string& id, const std::string& label) {
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].id == id) return items[i];
    }
    size_t at = 0;
    while (at < orders.size() && orders[at] <= order) ++at;
    orders.insert(orders.begin() + at, order);
    CostItem item;
    item.id = id;
    item.label = label;
    return *items.insert(items.begin() + at, item);
  }

  int orderOf(const std::map<const void*, int>& order, const void* record) {
    const auto found = order.find(record);
    return found == order.end() ? INT_MAX : found->second;
  }

  // The database places of the items of one component, index for index.
  struct Orders {
    std::vector<int> materials;
    std::vector<int> steps;
  };

  void costPiece(const ComponentCost& piece, const OperationPtr& op,
                 ComponentEstimate& c, Orders& orders) {
    std::vector<int>& materialOrders = orders.materials;
    for (const auto& entry : piece.materialAmounts()) {
      const boost::shared_ptr<ToolMaterial>& material = entry.first;
      if (!material) continue;
      CostItem& item = itemFor(c.materials, materialOrders,
                               orderOf(materialOrder_, material.get()),
                               material->id(), material->label());
      item.rate = material->CostPerVolumeUnit();
      bool complete = true;
      item.surcharge =
          cachedSurcharge(db_.MaterialSurcharge(material), op, &complete);
      const Evaluation amount = evaluate(entry.second);
      if (!amount.ok) {
        fail(c, op, material->id(), formulaText(entry.second), amount.reason);
        complete = false;
      } else {
        const double quantity = c.amount * amount.value;
        item.quantity += quantity;
        item.cost += quantity * item.rate * (1.0 + item.surcharge);
      }
      if (!complete) {
        item.complete = false;
        c.complete = false;
      }
    }
    std::vector<int>& stepOrders = orders.steps;
    for (const auto& entry : piece.stepAmounts()) {
      const boost::shared_ptr<ManufacturingStep>& step = entry.first;
      if (!step) continue;
      CostItem& item =
          itemFor(c.steps, stepOrders, orderOf(stepOrder_, step.get()),
                  step->id(), step->label());
      item.rate = step->CostPerHour();
      bool complete = true;
      item.surcharge =
          cachedSurcharge(db_.ManufacturingStepSurcharge(step), op, &complete);
      item.factor = stepFactor(*step, op, c, &complete);
      const Evaluation hours = evaluate(entry.second);
      if (!hours.ok) {
        fail(c, op, step->id(), formulaText(entry.second), hours.reason);
        complete = false;
      } else {
        const double quantity = c.amount * hours.value;
        item.quantity += quantity;
        item.cost +=
            quantity * item.rate * item.factor * (1.0 + item.surcharge);
      }
      if (!complete) {
        item.complete = false;
        c.complete = false;
      }
    }
  }

  // The step's factor for the operation's type: 1 without one.
  double stepFactor(const ManufacturingStep& step, const OperationPtr& op,
                    ComponentEstimate& c, bool* complete) {
    const DriverPtr factor = step.GetOperationFactor(op->type());
    if (!factor) return 1.0;
    auto found = factorCache_.find(&step);
    if (found == factorCache_.end()) {
      const Evaluation value = evaluate(*factor);
      if (!value.ok) {
        report(Issue{op->label(), c.label, step.id() + " factor",
                     formulaText(*factor), value.reason});
      }
      found = factorCache_
                  .insert(std::make_pair(&step,
                                         std::make_pair(value.value, value.ok)))
                  .first;
    }
    if (!found->second.second) *complete = false;
    return found->second.first;
  }

  const CostDatabase& db_;
  CostEstimate& out_;
  boost::shared_ptr<ComponentCostFactory> factory_;
  std::vector<DriverPtr> properties_;
  std::map<const void*, int> materialOrder_;
  std::map<const void*, int> stepOrder_;
  std::map<const TamberData::Component*, std::string> costedIn_;
  std::map<const Surcharge*, std::pair<double, bool>> surchargeCache_;
  std::map<const ManufacturingStep*, std::pair<double, bool>> factorCache_;
};

CostEstimate::CostEstimate(const CostDatabase& db) { Builder(db, *this).run(); }

}  // namespace VelkData
