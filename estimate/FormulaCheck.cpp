#include "estimate/FormulaCheck.h"

#include <boost/make_shared.hpp>
#include <cmath>
#include <exception>
#include <map>
#include <set>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/ComponentCost.h"
#include "costdata/ComponentCostFactory.h"
#include "costdata/ComponentCostsValueSlot.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriver.h"
#include "costdata/ManufacturingStep.h"
#include "costdata/Operation.h"
#include "costdata/Surcharge.h"
#include "costdata/ToolMaterial.h"
#include "formula/Formula.h"
#include "formula/FormulaContainer.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessingUnit.h"

namespace VelkData {

namespace {

typedef boost::shared_ptr<CostDriver> DriverPtr;
typedef boost::shared_ptr<FormulaContainer> ContainerPtr;
typedef boost::shared_ptr<Operation> OperationPtr;

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The variable names of a formula text, in the formula language's name
// syntax; names followed by "(" are functions and left out.
std::vector<std::string> variableNames(const std::string& text) {
  std::vector<std::string> names;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (isDigit(c) ||
        (c == '.' && i + 1 < text.size() && isDigit(text[i + 1]))) {
      while (i < text.size() && (isDigit(text[i]) || text[i] == '.')) ++i;
      if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
          i = j;
          while (i < text.size() && isDigit(text[i])) ++i;
        }
      }
      continue;
    }
    if (isLetter(c)) {
      const size_t start = i;
      while (i < text.size() && (isLetter(text[i]) || isDigit(text[i]))) ++i;
      size_t next = i;
      while (next < text.size() && text[next] == ' ') ++next;
      if (next >= text.size() || text[next] != '(') {
        names.push_back(text.substr(start, i - start));
      }
      continue;
    }
    ++i;
  }
  return names;
}

std::string oneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string join(const std::string& a, const std::string& b) {
  return a.empty() ? b : a + " / " + b;
}

}  // namespace

std::string FormulaCheck::Finding::text() const {
  std::string line = place + ": " + message;
  if (!formula.empty()) line += " in formula \"" + formula + "\"";
  return line;
}

class FormulaCheck::Walker {
 public:
  Walker(const CostDatabase& db, FormulaCheck& out) : db_(db), out_(out) {}

  void run() {
    for (int i = 0; i < db_.CostPropertyCount(); ++i) {
      const DriverPtr d =
          boost::dynamic_pointer_cast<CostDriver>(db_.CostPropertyAt(i));
      if (!d) continue;
      properties_.push_back(d);
      propertyIds_.insert(d->id());
      addDriver("cost property " + d->id(), d, {});
    }

    std::vector<OperationPtr> line;
    std::set<std::string> types;
    const boost::shared_ptr<TamberData::ProcessDatabase> plan = db_.ProcessDB();
    if (plan) {
      for (const OperationPtr& op : plan->Operations()) {
        if (!op) continue;
        line.push_back(op);
        types.insert(op->type());
        for (const DriverPtr& d : op->GetAllCostDrivers()) {
          if (d) lineDriverIds_.insert(d->id());
        }
      }
    }
    for (const std::string& type : db_.OperationTypes()) types.insert(type);

    for (const OperationPtr& op : line) addOperation(op->label(), op, plan);
    if (plan) {
      for (const std::string& type : types) {
        const OperationPtr reference = plan->ReferenceOperation(type);
        if (reference) addOperation("reference " + type, reference, plan);
      }
    }
    addCatalogue();
    addSurcharges(line);

    findCycles();
    for (const Entry& entry : entries_) check(entry);
  }

 private:
  // One formula to check: a driver's, a container's, or a surcharge text
  // evaluated against `evaluationDrivers`.
  struct Entry {
    std::string place;
    DriverPtr driver;
    ContainerPtr container;
    std::string text;
    std::set<std::string> extraNames;
    std::vector<DriverPtr> evaluationDrivers;
    bool surcharge = false;
    bool evaluable = true;
  };

  void addDriver(const std::string& place, const DriverPtr& d,
                 const std::set<std::string>& extraNames) {
    if (!d || !seenDrivers_.insert(d.get()).second) return;
    driverPlaces_[d.get()] = place;
    Entry e;
    e.place = place;
    e.driver = d;
    e.container = d->getFormulaContainer();
    e.extraNames = extraNames;
    entries_.push_back(e);
  }

  void addContainer(const std::string& place, const ContainerPtr& c,
                    const std::set<std::string>& extraNames) {
    if (c && !seenContainers_.insert(c.get()).second) return;
    Entry e;
    e.place = place;
    e.container = c;
    e.extraNames = extraNames;
    entries_.push_back(e);
  }

  void addComponent(const std::string& place,
                    const boost::shared_ptr<TamberData::Component>& c) {
    if (!c || !seenComponents_.insert(c.get()).second) return;
    for (int i = 0; i < c->parameterCount(); ++i) {
      const DriverPtr p = c->parameterAt(i);
      if (p) addDriver(join(place, p->id()), p, {});
    }
  }

  void addOperation(
      const std::string& label, const OperationPtr& op,
      const boost::shared_ptr<TamberData::ProcessDatabase>& plan) {
    for (const DriverPtr& d : op->GetAllCostDrivers()) {
      if (d) addDriver(join(label, d->id()), d, {});
    }
    const boost::shared_ptr<BaseAssembly> assembly = op->baseAssembly();
    if (assembly) {
      for (int i = 0; i < assembly->ComponentCount(); ++i) {
        const boost::shared_ptr<TamberData::Component> c =
            assembly->ComponentAt(i);
        const std::string name =
            c ? c->label() : "component " + std::to_string(i + 1);
        addContainer(join(join(label, assembly->label()), name + " / amount"),
                     assembly->AmountFormulaAt(i), {});
        addComponent(join(label, name), c);
      }
    }
    if (!plan) return;
    for (const boost::shared_ptr<TamberData::ProcessingUnit>& unit :
         plan->getProcUnitsFromOP(op)) {
      if (!unit) continue;
      const std::string place = join(label, unit->label());
      for (int j = 0; j < unit->sourceComponentCount(); ++j) {
        const boost::shared_ptr<TamberData::Component> source =
            unit->sourceComponentAt(j);
        addContainer(
            join(place, "amount of " + (source ? source->label() : "?")),
            unit->amountFormulaAt(j), {});
      }
      for (int j = 0; j < unit->componentCount(); ++j) {
        const boost::shared_ptr<TamberData::Component> c = unit->componentAt(j);
        if (c) addComponent(join(place, c->label()), c);
      }
    }
  }

  // The catalogue's amount formulas read the parameters of the component
  // being costed and the drivers of its operation, which are only bound
  // when a component is costed; here any operation's driver will do.
  void addCatalogue() {
    const boost::shared_ptr<ComponentCostFactory> factory =
        db_.componentCostFactory();
    if (!factory) return;
    for (int i = 0; i < factory->ComponentCostsValueSlotCount(); ++i) {
      const ComponentCostsValueSlot* slot =
          factory->ComponentCostsValueSlotAt(i);
      if (!slot) continue;
      std::set<std::string> names = lineDriverIds_;
      const boost::shared_ptr<TamberData::Component> c = slot->component();
      if (c) {
        for (int p = 0; p < c->parameterCount(); ++p) {
          if (c->parameterAt(p)) names.insert(c->parameterAt(p)->id());
        }
      }
      const std::string place = "catalogue " + slot->Label();
      for (const auto& entry : slot->componentCost().stepAmounts()) {
        if (entry.first) {
          addCatalogueAmount(join(place, entry.first->id()), entry.second,
                             names);
        }
      }
      for (const auto& entry : slot->componentCost().materialAmounts()) {
        if (entry.first) {
          addCatalogueAmount(join(place, entry.first->id()), entry.second,
                             names);
        }
      }
    }
  }

  // Only compiled and bound: the values come from a component's costing.
  void addCatalogueAmount(const std::string& place, const ContainerPtr& c,
                          const std::set<std::string>& names) {
    if (!c || !seenContainers_.insert(c.get()).second) return;
    Entry e;
    e.place = place;
    e.text = c->formulaAt(0);
    e.extraNames = names;
    e.surcharge = true;
    e.evaluable = false;
    entries_.push_back(e);
    for (int i = 1; i < c->formulaCount(); ++i) {
      e.text = c->formulaAt(i);
      entries_.push_back(e);
    }
  }

  void addSurcharge(const std::string& place,
                    const boost::shared_ptr<Surcharge>& s,
                    const OperationPtr& op) {
    if (!s) return;
    Entry e;
    e.place = place;
    e.text = s.get()->getFormulaString();
    e.surcharge = true;
    e.evaluationDrivers = properties_;
    if (op) {
      for (const DriverPtr& d : op->GetAllCostDrivers()) {
        if (d) {
          e.evaluationDrivers.push_back(d);
          e.extraNames.insert(d->id());
        }
      }
    }
    entries_.push_back(e);
  }

  void addSurcharges(const std::vector<OperationPtr>& line) {
    const OperationPtr first = line.empty() ? OperationPtr() : line.front();
    for (int i = 0; i < db_.ManufacturingStepCount(); ++i) {
      const boost::shared_ptr<ManufacturingStep> step =
          db_.ManufacturingStepAt(i);
      if (!step) continue;
      addSurcharge("surcharge of " + step->id(),
                   db_.ManufacturingStepSurcharge(step), first);
      for (const std::string& type : db_.OperationTypes()) {
        addDriver(step->id() + " / factor " + type,
                  step->GetOperationFactor(type), {});
      }
      for (const OperationPtr& op : line) {
        addDriver(step->id() + " / factor " + op->type(),
                  step->GetOperationFactor(op->type()), {});
      }
    }
    for (int i = 0; i < db_.toolMaterialCount(); ++i) {
      const boost::shared_ptr<ToolMaterial> material = db_.toolMaterialAt(i);
      if (material) {
        addSurcharge("surcharge of " + material->id(),
                     db_.MaterialSurcharge(material), first);
      }
    }
    for (const std::string& type : db_.OperationTypes()) {
      OperationPtr ofType;
      for (const OperationPtr& op : line) {
        if (op->type() == type) {
          ofType = op;
          break;
        }
      }
      for (const boost::shared_ptr<Surcharge>& s :
           db_.OperationTypeSurcharges(type)) {
        if (s) addSurcharge("surcharge " + s->id() + " of " + type, s, ofType);
      }
    }
    for (int i = 0; i < db_.TotalCostSurchargeCount(); ++i) {
      const boost::shared_ptr<Surcharge> s = db_.TotalCostSurchargeAt(i);
      if (s) addSurcharge("surcharge " + s->id(), s, OperationPtr());
    }
  }

  void report(const std::string& place, const std::string& message,
              const std::string& formula) {
    out_.findings_.push_back(Finding{place, message, formula});
  }

  // Depth first over the dependency lists; a dependency already on the
  // path closes a cycle.
  void findCycles() {
    std::map<const CostDriver*, int> state;  // 1 on the path, 2 done
    std::vector<DriverPtr> path;
    for (const Entry& entry : entries_) {
      if (entry.driver) visit(entry.driver, state, path);
    }
  }

  void visit(const DriverPtr& d, std::map<const CostDriver*, int>& state,
             std::vector<DriverPtr>& path) {
    int& s = state[d.get()];
    if (s == 2) return;
    if (s == 1) {
      size_t from = 0;
      while (path[from] != d) ++from;
      std::vector<DriverPtr> cycle(path.begin() + from, path.end());
      for (const DriverPtr& member : cycle) inCycle_.insert(member.get());
      size_t first = 0;
      for (size_t i = 1; i < cycle.size(); ++i) {
        if (cycle[i]->id() < cycle[first]->id()) first = i;
      }
      std::string text;
      for (size_t i = 0; i <= cycle.size(); ++i) {
        if (i) text += " -> ";
        text += cycle[(first + i) % cycle.size()]->id();
      }
      const auto place = driverPlaces_.find(cycle[first].get());
      const std::string where =
          place == driverPlaces_.end() ? cycle[first]->id() : place->second;
      if (reportedCycles_.insert(where + text).second) {
        report(where, "dependency cycle: " + text, "");
      }
      return;
    }
    s = 1;
    path.push_back(d);
    const ContainerPtr c = d->getFormulaContainer();
    if (c) {
      for (int i = 0; i < c->dependencyCount(); ++i) {
        const DriverPtr next = c->dependencyAt(i);
        if (next) visit(next, state, path);
      }
    }
    path.pop_back();
    state[d.get()] = 2;
  }

  void check(const Entry& entry) {
    std::vector<std::string> texts;
    if (entry.surcharge) {
      texts.push_back(entry.text);
    } else if (entry.container) {
      for (int i = 0; i < entry.container->formulaCount(); ++i) {
        texts.push_back(entry.container->formulaAt(i));
      }
    }
    if (!entry.driver && !entry.surcharge && texts.empty()) {
      ++out_.formulaCount_;
      report(entry.place, "no formula", "");
      return;
    }
    std::set<std::string> known = entry.extraNames;
    if (entry.container) {
      for (int i = 0; i < entry.container->dependencyCount(); ++i) {
        const DriverPtr d = entry.container->dependencyAt(i);
        if (d) known.insert(d->id());
      }
      const boost::shared_ptr<TamberData::PartFeature> feature =
          entry.container->partFeature();
      if (feature) {
        for (int i = 0; i < feature->userDefinedParametersCount(); ++i) {
          known.insert(feature->userDefinedParameterAt(i));
        }
      }
    }
    if (entry.surcharge) {
      known.insert(propertyIds_.begin(), propertyIds_.end());
    }

    bool sound = true;
    for (const std::string& text : texts) {
      ++out_.formulaCount_;
      if (text.empty()) {
        report(entry.place, "no formula", "");
        sound = false;
        continue;
      }
      try {
        Formula compiled(text);
      } catch (const std::exception& e) {
        report(entry.place, "does not compile: " + oneLine(e.what()), text);
        sound = false;
        continue;
      }
      std::set<std::string> reported;
      for (const std::string& name : variableNames(text)) {
        if (name == "pi" ||
            name.compare(0, FormulaContainer::norixKeyPrefix().size(),
                         FormulaContainer::norixKeyPrefix()) == 0 ||
            known.count(name) || !reported.insert(name).second) {
          continue;
        }
        report(entry.place, "unknown name " + name, text);
        sound = false;
      }
    }
    if (!sound || !entry.evaluable ||
        (entry.driver && inCycle_.count(entry.driver.get()))) {
      return;
    }
    evaluate(entry, texts);
  }

  void evaluate(const Entry& entry, const std::vector<std::string>& texts) {
    std::string reason;
    double value = 0.0;
    try {
      if (entry.driver) {
        value = entry.driver->doubleValue();
      } else if (entry.surcharge) {
        const ContainerPtr c = boost::make_shared<FormulaContainer>();
        c->addFormula(entry.text);
        for (const DriverPtr& d : entry.evaluationDrivers) {
          if (entry.text.find(d->id()) != std::string::npos) {
            c->addDependency(d);
          }
        }
        value = c->evalFormulaDouble();
      } else if (entry.container->compiledFormulaCount() == 0) {
        reason = "no compiled formula";
      } else {
        value = entry.container->evalFormulaDouble();
      }
    } catch (const std::exception& e) {
      reason = oneLine(e.what());
    }
    if (reason.empty() && !std::isfinite(value)) {
      reason = "the value is not a finite number";
    }
    // A formula that reads a cycle fails through it; the cycle itself is
    // the finding.
    if (!inCycle_.empty() &&
        reason.find("Cyclic dependency") != std::string::npos) {
      return;
    }
    if (!reason.empty()) {
      report(entry.place, "value fails: " + reason,
             texts.empty() ? std::string() : texts.front());
    }
  }

  const CostDatabase& db_;
  FormulaCheck& out_;
  std::vector<DriverPtr> properties_;
  std::set<std::string> propertyIds_;
  std::set<std::string> lineDriverIds_;
  std::vector<Entry> entries_;
  std::set<const void*> seenDrivers_;
  std::set<const void*> seenContainers_;
  std::set<const void*> seenComponents_;
  std::map<const CostDriver*, std::string> driverPlaces_;
  std::set<const CostDriver*> inCycle_;
  std::set<std::string> reportedCycles_;
};

FormulaCheck::FormulaCheck(const CostDatabase& db) { Walker(db, *this).run(); }

}  // namespace VelkData
