// The die-set sharing members of CostDatabase: the per-operation index of
// processing units, operation replacement that keeps its units, and the
// merging of die sets and base assemblies over a run of operations.

#include <QString>
#include <QtGlobal>
#include <boost/pointer_cast.hpp>
#include <string>
#include <vector>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDatabase.h"
#include "costdata/CostDriver.h"
#include "costdata/CostProperty.h"
#include "costdata/Operation.h"
#include "costdata/Press.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "processplan/IteratorFeature.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessDatabase.h"
#include "processplan/ProcessingUnit.h"
#include "sharing/componentShareRelationship.h"

namespace VelkData {

namespace {

using TamberData::Component;
using TamberData::ProcessDatabase;
using TamberData::ProcessingUnit;

typedef boost::shared_ptr<Component> ComponentPtr;
typedef std::vector<ComponentPtr> ComponentList;
typedef boost::shared_ptr<ProcessingUnit> UnitPtr;
typedef boost::shared_ptr<Operation> OperationPtr;
typedef boost::shared_ptr<BaseAssembly> AssemblyPtr;
typedef boost::shared_ptr<CostDriver> DriverPtr;
typedef boost::shared_ptr<FormulaContainer> ContainerPtr;

const char kDiesetType[] = "DIESET";
const char kDiesetValueId[] = "CD_OP_70";
const char kSpannedOperationsId[] = "CD_OP_02";
const char kPitchId[] = "CD_PR_PI";

// Every processing unit of the plan, features depth first, each feature's
// units in order.
std::vector<UnitPtr> allUnits(const ProcessDatabase& plan) {
  std::vector<UnitPtr> units;
  for (TamberData::IteratorFeature it(plan); !it.isDone(); it.next()) {
    const boost::shared_ptr<TamberData::PartFeature> feature =
        it.currentItem();
    if (!feature) continue;
    for (const UnitPtr& unit : feature->getProcessingUnits()) {
      if (unit) units.push_back(unit);
    }
  }
  return units;
}

bool isRange(const ProcessDatabase& plan, int first, int last) {
  return first >= 0 && first < last && last < plan.OperationCount();
}

DriverPtr firstDriver(const Operation& operation, const std::string& id) {
  for (const DriverPtr& driver : operation.GetAllCostDrivers()) {
    if (driver && driver->id() == id) return driver;
  }
  return DriverPtr();
}

DriverPtr pitchDriverOf(const Operation& operation) {
  const boost::shared_ptr<Press> press = operation.press();
  if (!press) return DriverPtr();
  for (int i = 0; i < press->costPropertyCount(); ++i) {
    const DriverPtr driver =
        boost::dynamic_pointer_cast<CostDriver>(press->costPropertyAt(i));
    if (driver && driver->id() == kPitchId) return driver;
  }
  return DriverPtr();
}

std::string keysOf(const ComponentList& components) {
  std::string keys;
  for (const ComponentPtr& component : components) {
    if (!keys.empty()) keys += ", ";
    keys += component ? component->getComponentKey() : std::string("(none)");
  }
  return keys;
}

ContainerPtr constantAmount() {
  ContainerPtr amount(new FormulaContainer());
  amount->addFormula("1");
  return amount;
}

// The run shows one die-set value: the first operation's, which the host
// may edit; the others follow it and are hidden.
void handOverDiesetValue(const ProcessDatabase& plan, int first, int last) {
  double remembered = -1.0;
  for (int i = first; i <= last; ++i) {
    const OperationPtr operation = plan.OperationAt(i);
    if (!operation) continue;
    for (const DriverPtr& driver : operation->GetAllCostDrivers()) {
      if (!driver || driver->id() != kDiesetValueId) continue;
      if (i == first) {
        driver->setIsVisible(true);
        try {
          remembered = driver->doubleValue();
        } catch (const NoFormulaResultException& e) {
          qDebug("Die-set value %s of operation %s cannot be read: %s",
                 kDiesetValueId, operation->label().c_str(), e.what());
        }
      } else {
        driver->setValue(static_cast<float>(remembered));
        driver->setIsVisible(false);
      }
    }
  }
}

// One die half over the run: its die set per operation and the assembly
// that holds it.
struct DieHalf {
  ComponentList dieSets;
  std::vector<AssemblyPtr> assemblies;
};

// False when some operation of the run has no such die set.
bool collectDieHalf(const ProcessDatabase& plan, int first, int last,
                    bool upper, DieHalf& half) {
  for (int i = first; i <= last; ++i) {
    const OperationPtr operation = plan.OperationAt(i);
    const AssemblyPtr assembly =
        operation ? operation->baseAssembly() : AssemblyPtr();
    const ComponentPtr dieSet =
        !assembly ? ComponentPtr()
        : upper   ? assembly->getUpperDieSet()
                  : assembly->getLowerDieSet();
    if (!dieSet) return false;
    half.dieSets.push_back(dieSet);
    half.assemblies.push_back(assembly);
  }
  return true;
}

// The n-th component (n counted from 0) with `key` in `components`; empty
// when there are fewer.
ComponentPtr nthWithKey(const ComponentList& components,
                        const std::string& key, int n) {
  for (const ComponentPtr& component : components) {
    if (component && component->getComponentKey() == key && n-- == 0)
      return component;
  }
  return ComponentPtr();
}

ComponentList componentsOf(const BaseAssembly& assembly) {
  ComponentList components;
  for (int i = 0; i < assembly.ComponentCount(); ++i)
    components.push_back(assembly.ComponentAt(i));
  return components;
}

// A component that the base assemblies of several operations hold, as
// `collectDiesetCompsInFakeOperations` finds it.
struct HeldComponent {
  ComponentPtr component;
  ContainerPtr amount;       // of its first holder
  int mergeBehavior;         // of its first holder
  std::vector<int> holders;  // operation indexes, ascending, no repeats
  bool allPositive;          // every holding entry has a positive behaviour
};

}  // namespace

void CostDatabase::updatePUDatabase() {
  puDatabase_.clear();
  if (!processDB_) return;
  const std::vector<OperationPtr> operations = processDB_->Operations();
  puDatabase_.resize(operations.size());
  for (const UnitPtr& unit : allUnits(*processDB_)) {
    const OperationPtr operation = unit->operation();
    // An unassigned unit would otherwise land on an empty place of the line.
    if (!operation) continue;
    for (std::size_t k = 0; k < operations.size(); ++k) {
      if (operations[k] == operation) {
        puDatabase_[k].push_back(unit);
        break;
      }
    }
  }
}

std::vector<UnitPtr> CostDatabase::getPUsForOP(int op) const {
  if (op < 0 || static_cast<std::size_t>(op) >= puDatabase_.size())
    return std::vector<UnitPtr>();
  return puDatabase_[op];
}

int CostDatabase::getNumberOfPUsForOP(int op) const {
  if (op < 0 || static_cast<std::size_t>(op) >= puDatabase_.size()) return 0;
  return static_cast<int>(puDatabase_[op].size());
}

int CostDatabase::getNumberOfOccupiedOPs() const {
  // Hosts count the stages after the first one this way; entry 0 is left
  // out on purpose.
  for (int i = static_cast<int>(puDatabase_.size()) - 1; i >= 1; --i) {
    if (!puDatabase_[i].empty()) return i + 1;
  }
  return 0;
}

void CostDatabase::replaceOPandUpdatePUs(int op, const OperationPtr& operation) {
  if (!processDB_ || !operation || op < 0 || op >= processDB_->OperationCount())
    return;
  const OperationPtr old = processDB_->OperationAt(op);
  std::vector<UnitPtr> moving;
  if (old) {
    for (const UnitPtr& unit : allUnits(*processDB_)) {
      if (unit->operation() == old) moving.push_back(unit);
    }
  }
  for (const AssemblyPtr& assembly : baseAssemblies_) {
    if (assembly && assembly->OperationType() == operation->type()) {
      operation->setBaseAssembly(assembly->clone(), operation);
      break;
    }
  }
  processDB_->ReplaceOperationAt(op, operation, true);
  for (const UnitPtr& unit : moving) unit->setOperation(operation);
}

bool CostDatabase::partHasXOrientation() const {
  const DriverPtr along =
      boost::dynamic_pointer_cast<CostDriver>(CostPropertyByID("CD_PA_35"));
  const DriverPtr across =
      boost::dynamic_pointer_cast<CostDriver>(CostPropertyByID("CD_PA_36"));
  if (!along || !across) return false;
  try {
    return along->doubleValue() < across->doubleValue();
  } catch (const NoFormulaResultException& e) {
    qDebug("Part orientation unknown: %s", e.what());
    return false;
  }
}

void CostDatabase::shareDieSets(int first, int last) {
  if (!processDB_ || !isRange(*processDB_, first, last)) return;
  DieHalf upper;
  if (!collectDieHalf(*processDB_, first, last, true, upper)) return;
  handOverDiesetValue(*processDB_, first, last);

  for (int pass = 0; pass < 2; ++pass) {
    DieHalf half;
    if (pass == 0) {
      half = upper;
    } else if (!collectDieHalf(*processDB_, first, last, false, half)) {
      return;
    }
    const std::vector<boost::shared_ptr<componentShareRelationship>> matching =
        GetMatchingSharingRelationships(half.dieSets);
    if (matching.empty()) {
      qDebug("No share relationship matches the components %s; they stay "
             "unshared",
             keysOf(half.dieSets).c_str());
      continue;
    }
    const ComponentPtr shared(new Component(matching.front(), half.dieSets));
    // One amount for the whole die half: it is one physical part.
    const ContainerPtr amount = constantAmount();
    // Each die set's own assembly receives the shared one; it is the
    // assembly of that die set's operation, and the one at hand even where
    // a die set's operation entry has gone stale.
    for (const AssemblyPtr& assembly : half.assemblies)
      assembly->AddComponent(shared, amount, 2);
  }
}

void CostDatabase::shareBaseassemblies(int first, int last) {
  if (!processDB_ || !isRange(*processDB_, first, last)) return;
  std::vector<OperationPtr> operations;
  std::vector<AssemblyPtr> assemblies;
  for (int i = first; i <= last; ++i) {
    const OperationPtr operation = processDB_->OperationAt(i);
    const AssemblyPtr assembly =
        operation ? operation->baseAssembly() : AssemblyPtr();
    if (!assembly) return;
    operations.push_back(operation);
    assemblies.push_back(assembly);
  }
  // Shared components are appended as the groups are made, and carry the
  // keys of their groups; the groups are taken from the assemblies as they
  // were.
  std::vector<ComponentList> before;
  for (const AssemblyPtr& assembly : assemblies)
    before.push_back(componentsOf(*assembly));

  const AssemblyPtr& head = assemblies.front();
  const ComponentList& seeds = before.front();
  for (std::size_t p = 0; p < seeds.size(); ++p) {
    const ComponentPtr& seed = seeds[p];
    const int behavior = head->mergeBehaviorAt(static_cast<int>(p));
    if (!seed || (behavior != 1 && behavior != 2)) continue;

    const std::string& key = seed->getComponentKey();
    int occurrence = 0;
    for (std::size_t q = 0; q < p; ++q) {
      if (seeds[q] && seeds[q]->getComponentKey() == key) ++occurrence;
    }
    ComponentList group(1, seed);
    for (std::size_t a = 1; a < before.size(); ++a) {
      const ComponentPtr member = nthWithKey(before[a], key, occurrence);
      if (member) group.push_back(member);
    }

    if (behavior == 1) {
      const ComponentPtr shared(new Component(
          boost::shared_ptr<componentShareRelationship>(), group));
      const ContainerPtr seedAmount =
          head->AmountFormulaAt(static_cast<int>(p));
      const ContainerPtr amount =
          seedAmount ? seedAmount->clone() : ContainerPtr();
      if (amount &&
          amount->formulaAt(0).find(kSpannedOperationsId) !=
              std::string::npos) {
        const Operation& operation = *operations.front();
        const DriverPtr spanned = firstDriver(operation, kSpannedOperationsId);
        const DriverPtr pitch = pitchDriverOf(operation);
        if (spanned) amount->addDependency(spanned);
        if (pitch) {
          amount->addDependency(pitch);
          // The shared part reaches over one pitch per further stage.
          amount->replaceInFormulaAt(
              0, kSpannedOperationsId,
              std::string("(") + kSpannedOperationsId + "+" +
                  std::to_string(group.size() - 1) + "*" + kPitchId + ")");
        } else {
          qDebug("Press of operation %s has no %s; the amount of %s is left "
                 "as it is",
                 operation.label().c_str(), kPitchId, key.c_str());
        }
      }
      shared->setOperations(operations);
      for (const AssemblyPtr& assembly : assemblies)
        assembly->AddComponent(shared, amount, 1);
    } else {
      const std::vector<boost::shared_ptr<componentShareRelationship>>
          matching = GetMatchingSharingRelationships(group);
      if (matching.empty()) {
        qDebug("No share relationship matches the components %s; they stay "
               "unshared",
               keysOf(group).c_str());
        continue;
      }
      const ComponentPtr shared(new Component(matching.front(), group));
      const ContainerPtr amount = constantAmount();
      for (const AssemblyPtr& assembly : assemblies)
        assembly->AddComponent(shared, amount, 2);
    }
  }
  handOverDiesetValue(*processDB_, first, last);
}

void CostDatabase::collectDiesetCompsInFakeOperations() {
  if (!processDB_) return;
  const std::vector<OperationPtr> line = processDB_->Operations();
  for (const OperationPtr& operation : line) {
    if (operation && operation->baseAssembly() &&
        operation->baseAssembly()->isDieset()) {
      return;
    }
  }

  // Components in the order the line meets them, with their holders.
  std::vector<HeldComponent> held;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const AssemblyPtr assembly =
        line[i] ? line[i]->baseAssembly() : AssemblyPtr();
    if (!assembly) continue;
    for (int j = 0; j < assembly->ComponentCount(); ++j) {
      const ComponentPtr component = assembly->ComponentAt(j);
      if (!component) continue;
      const int behavior = assembly->mergeBehaviorAt(j);
      HeldComponent* entry = nullptr;
      for (HeldComponent& candidate : held) {
        if (candidate.component == component) entry = &candidate;
      }
      if (!entry) {
        held.push_back(HeldComponent{component, assembly->AmountFormulaAt(j),
                                     behavior, std::vector<int>(), true});
        entry = &held.back();
      }
      if (entry->holders.empty() ||
          entry->holders.back() != static_cast<int>(i)) {
        entry->holders.push_back(static_cast<int>(i));
      }
      if (behavior <= 0) entry->allPositive = false;
    }
  }

  // A die set is the run of operations its components serve.
  std::vector<std::vector<int>> dieSetHolders;
  std::vector<std::vector<const HeldComponent*>> dieSets;
  for (const HeldComponent& entry : held) {
    if (entry.holders.size() < 2 || !entry.allPositive) continue;
    std::size_t d = 0;
    while (d < dieSetHolders.size() && dieSetHolders[d] != entry.holders) ++d;
    if (d == dieSetHolders.size()) {
      dieSetHolders.push_back(entry.holders);
      dieSets.emplace_back();
    }
    dieSets[d].push_back(&entry);
  }

  for (std::size_t d = 0; d < dieSets.size(); ++d) {
    const std::string label =
        std::string(kDiesetType) + " " + std::to_string(d + 1);
    const OperationPtr operation(new Operation(label, kDiesetType));
    const AssemblyPtr assembly(new BaseAssembly(label, kDiesetType));
    for (const HeldComponent* entry : dieSets[d]) {
      assembly->AddComponent(entry->component->clone(),
                             entry->amount ? entry->amount->clone()
                                           : ContainerPtr(),
                             entry->mergeBehavior);
    }
    // Frozen only once every clone is made, so the clones keep the state
    // the sources had.
    for (const HeldComponent* entry : dieSets[d]) entry->component->freeze();
    // Attached without binding: bound clones would point back at the
    // auxiliary operation, and that cycle would outlive its removal.
    operation->setBaseAssembly(assembly);
    processDB_->AddOperation(operation);
  }
}

void CostDatabase::removeDiesetFakeOperations() {
  if (!processDB_) return;
  int firstAuxiliary = processDB_->OperationCount();
  for (int i = 0; i < processDB_->OperationCount(); ++i) {
    const OperationPtr operation = processDB_->OperationAt(i);
    if (operation && operation->baseAssembly() &&
        operation->baseAssembly()->isDieset()) {
      firstAuxiliary = i;
      break;
    }
  }
  while (processDB_->OperationCount() > firstAuxiliary)
    processDB_->RemoveOperationAt(processDB_->OperationCount() - 1);

  for (const OperationPtr& operation : processDB_->Operations()) {
    const AssemblyPtr assembly =
        operation ? operation->baseAssembly() : AssemblyPtr();
    if (!assembly) continue;
    for (int j = 0; j < assembly->ComponentCount(); ++j) {
      const ComponentPtr component = assembly->ComponentAt(j);
      if (!component || assembly->mergeBehaviorAt(j) <= 0) continue;
      if (component->state() >= 4 && component->state() <= 7)
        component->deFreeze();
    }
  }
}

}  // namespace VelkData
