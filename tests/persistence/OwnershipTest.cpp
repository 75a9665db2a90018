#include <gtest/gtest.h>

#include <QString>
#include <boost/weak_ptr.hpp>
#include <set>
#include <string>
#include <vector>

#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using namespace TamberData;
using boost::shared_ptr;

namespace {

// Weak pointers to every object reachable from a starting point through the
// public getters. With `upward` off, references that point back up the
// containment tree (a component's operations, part feature and related
// units, a unit's part feature, a container's part feature) and sideways
// (an operation's press, a unit's operation, the drivers a formula reads)
// are not followed, so that walking an operation collects what it owns and no more.
class ObjectCollector {
 public:
  explicit ObjectCollector(bool upward) : upward_(upward) {}

  const std::vector<boost::weak_ptr<void>>& objects() const {
    return objects_;
  }
  std::vector<std::string> alive() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < objects_.size(); ++i) {
      if (!objects_[i].expired()) names.push_back(names_[i]);
    }
    return names;
  }

  void add(const shared_ptr<CostDatabase>& db) {
    if (!visit(db, "database")) return;
    for (int i = 0; i < db->CostPropertyCount(); ++i) add(db->CostPropertyAt(i));
    for (int i = 0; i < db->ManufacturingStepCount(); ++i) {
      visit(db->ManufacturingStepAt(i), "step");
    }
    for (int i = 0; i < db->toolMaterialCount(); ++i) {
      visit(db->toolMaterialAt(i), "material");
    }
    for (int i = 0; i < db->PriceUnitCount(); ++i) {
      visit(db->PriceUnitAt(i), "price unit");
    }
    for (int i = 0; i < db->BaseAssemblyCount(); ++i) {
      add(db->BaseAssemblyAt(i));
    }
    for (int i = 0; i < db->PressCount(); ++i) add(db->PressAt(i));
    for (int i = 0; i < db->TotalCostSurchargeCount(); ++i) {
      visit(db->TotalCostSurchargeAt(i), "surcharge");
    }
    add(db->ProcessDB());
  }

  void add(const shared_ptr<ProcessDatabase>& plan) {
    if (!visit(plan, "plan")) return;
    for (int i = 0; i < plan->OperationCount(); ++i) add(plan->OperationAt(i));
    for (int i = 0; i < plan->DefaultOperationCount(); ++i) {
      add(plan->DefaultOperationAt(i));
    }
    for (int i = 0; i < plan->topLevelPartFeatureCount(); ++i) {
      add(plan->topLevelPartFeatureAt(i));
    }
    add(plan->DefaultPress());
    add(plan->CurrentPress());
    for (int i = 0; i < plan->BlankingPressCount(); ++i) {
      add(plan->BlankingPressAt(i));
    }
  }

  void add(const shared_ptr<Operation>& operation) {
    if (!visit(operation, "operation " + (operation ? operation->label() : "")))
      return;
    for (const shared_ptr<CostDriver>& driver : operation->GetAllCostDrivers()) {
      add(driver);
    }
    add(operation->baseAssembly());
    // Presses belong to the press list; operations only name them.
    if (upward_) add(operation->press());
  }

  void add(const shared_ptr<BaseAssembly>& assembly) {
    if (!visit(assembly, "base assembly")) return;
    for (int i = 0; i < assembly->ComponentCount(); ++i) {
      add(assembly->ComponentAt(i));
      add(assembly->AmountFormulaAt(i));
    }
  }

  void add(const shared_ptr<Component>& component) {
    if (!visit(component, "component " + (component ? component->label() : "")))
      return;
    for (int i = 0; i < component->parameterCount(); ++i) {
      add(component->parameterAt(i));
    }
    for (const shared_ptr<Component>& child : component->getChildComps()) {
      add(child);
    }
    if (!upward_) return;
    for (const shared_ptr<Operation>& operation : component->operations()) {
      add(operation);
    }
    add(component->partFeature());
    for (int i = 0; i < component->relatedProcessingUnitCount(); ++i) {
      add(component->relatedProcessingUnitAt(i));
    }
  }

  void add(const shared_ptr<PartFeature>& feature) {
    if (!visit(feature, "feature " + (feature ? feature->label() : ""))) return;
    for (int i = 0; i < feature->childrenCount(); ++i) add(feature->childAt(i));
    for (int i = 0; i < feature->processingUnitCount(); ++i) {
      add(feature->processingUnitAt(i));
    }
  }

  void add(const shared_ptr<ProcessingUnit>& unit) {
    if (!visit(unit, "unit " + (unit ? unit->label() : ""))) return;
    for (int i = 0; i < unit->componentCount(); ++i) add(unit->componentAt(i));
    for (int j = 0; j < unit->sourceComponentCount(); ++j) {
      add(unit->sourceComponentAt(j));
      add(unit->amountFormulaAt(j));
    }
    visit(unit->constraints(), "constraint");
    // The line owns the operation; the unit only runs on it.
    if (!upward_) return;
    add(unit->operation());
    add(unit->partFeature());
  }

  void add(const shared_ptr<CostProperty>& property) {
    if (!visit(property, "driver " + (property ? property->id() : ""))) return;
    add(property->getFormulaContainer());
  }

  void add(const shared_ptr<FormulaContainer>& container) {
    if (!visit(container, "container")) return;
    // A formula may read drivers of other owners, such as the operation's.
    if (!upward_) return;
    for (int i = 0; i < container->dependencyCount(); ++i) {
      add(container->dependencyAt(i));
    }
    add(container->partFeature());
  }

  void add(const shared_ptr<Press>& press) {
    if (!visit(press, "press")) return;
    for (int i = 0; i < press->costPropertyCount(); ++i) {
      add(press->costPropertyAt(i));
    }
  }

 private:
  template <class T>
  bool visit(const shared_ptr<T>& object, const std::string& name) {
    if (!object || !seen_.insert(object.get()).second) return false;
    objects_.push_back(boost::weak_ptr<void>(object));
    names_.push_back(name);
    return true;
  }

  bool upward_;
  std::set<const void*> seen_;
  std::vector<boost::weak_ptr<void>> objects_;
  std::vector<std::string> names_;
};

shared_ptr<FormulaContainer> formula(const std::string& text) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->addFormula(text);
  return container;
}

shared_ptr<CostDriverDouble> valueDriver(const std::string& id, float value) {
  shared_ptr<CostDriverDouble> driver(new CostDriverDouble(id));
  driver->setValue(value);
  return driver;
}

shared_ptr<CostDriverDouble> computedDriver(const std::string& id,
                                            const std::string& text) {
  shared_ptr<CostDriverDouble> driver(new CostDriverDouble(id));
  driver->getFormulaContainer()->addFormula(text);
  return driver;
}

// An operation with a factor "CD_F", a die set of one guide pin whose
// diameter reads the factor, and the pin wired to the operation.
shared_ptr<Operation> makeOperation(const std::string& label,
                                    const std::string& type, float factor) {
  shared_ptr<Operation> operation(new Operation(label, type));
  operation->AddCostDriver(valueDriver("CD_F", factor));
  shared_ptr<Component> pin(new Component("Guide pin", "CT_100_01"));
  pin->addParameter(computedDriver("P_DIA", "CD_F*10"), Component::kRoundUp,
                    formula("1"), formula("CD_F*100"));
  shared_ptr<BaseAssembly> dieSet(new BaseAssembly("Die set", type));
  dieSet->AddComponent(pin, formula("2*CD_F"), 1);
  operation->setBaseAssembly(dieSet, operation);
  return operation;
}

// A press line of three operations and one top-level feature whose unit
// runs on the last operation with a component of its own.
struct Line {
  shared_ptr<CostDatabase> db;
  shared_ptr<ProcessDatabase> plan;
};

Line makeLine() {
  Line line;
  line.db.reset(new CostDatabase);
  line.plan.reset(new ProcessDatabase);
  line.db->SetProcessDB(line.plan);
  line.plan->AddOperation(makeOperation("OP10", "Draw", 1.0f));
  line.plan->AddOperation(makeOperation("OP20", "Draw", 2.0f));
  line.plan->AddOperation(makeOperation("OP30", "Trim", 3.0f));
  line.plan->SetReferenceOperation("Trim", makeOperation("REF", "Trim", 5.0f));

  shared_ptr<PartFeature> feature(new PartGeometry);
  shared_ptr<Component> trimSteel(new Component("Trim steel", "CT_200_01"));
  trimSteel->addParameter(computedDriver("P_LEN", "CD_F*7"),
                          Component::kRoundUp, formula("1"), formula("99"));
  shared_ptr<ProcessingUnit> unit(new ProcessingUnit(
      "Trim unit", "Trim line", shared_ptr<Constraint>(),
      ProcessingUnit::kNoCam, "trim.png"));
  unit->addSourceComponent(trimSteel, formula("2"), true);
  feature->addProcessingUnit(unit, feature);
  trimSteel->addRelatedProcessingUnit(unit);
  trimSteel->setPartFeature(feature);
  velktest::StdoutCapture quiet;
  unit->setOperation(line.plan->OperationAt(2));
  line.plan->addTopLevelPartFeature(feature);
  return line;
}

// What an operation owns: itself, its drivers, die set and components.
ObjectCollector ownedBy(const shared_ptr<Operation>& operation) {
  ObjectCollector owned(false);
  owned.add(operation);
  return owned;
}

::testing::AssertionResult allFreed(const ObjectCollector& collector) {
  const std::vector<std::string> alive = collector.alive();
  if (alive.empty()) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << alive.size() << " of " << collector.objects().size()
          << " objects still alive:";
  for (const std::string& name : alive) failure << " [" << name << "]";
  return failure;
}

// --- Dropping a whole database ------------------------------------------

TEST(DatabaseOwnershipTest, DroppedSampleDatabaseFreesEveryObject) {
  ObjectCollector all(true);
  {
    shared_ptr<CostDatabase> db = velktest::makeSampleDatabase();
    all.add(db);
  }
  // The walk must have reached the whole graph for the check to mean much.
  EXPECT_GT(all.objects().size(), 60u);
  EXPECT_TRUE(allFreed(all));
}

TEST(DatabaseOwnershipTest, DroppedHandBuiltLineFreesEveryObject) {
  ObjectCollector all(true);
  {
    Line line = makeLine();
    all.add(line.db);
    all.add(line.plan->ReferenceOperation("Trim"));
  }
  EXPECT_GT(all.objects().size(), 30u);
  EXPECT_TRUE(allFreed(all));
}

TEST(DatabaseOwnershipTest, DroppedDatabaseLoadedFromGoldenArchiveFreesEveryObject) {
  ObjectCollector all(true);
  {
    shared_ptr<CostDatabase> db(new CostDatabase);
    velktest::DebugCapture log;
    ASSERT_TRUE(CostDatabase::FromFile(
        QString::fromStdString(std::string(VELKDATA_TEST_DATA_DIR) +
                               "/sample.vdb"),
        *db))
        << log.joined();
    all.add(db);
  }
  EXPECT_GT(all.objects().size(), 60u);
  EXPECT_TRUE(allFreed(all));
}

// --- Drivers that read each other ----------------------------------------

TEST(DriverOwnershipTest, DriversReadingEachOtherAreFreedTogether) {
  boost::weak_ptr<CostDriver> weakSource;
  boost::weak_ptr<CostDriver> weakReader;
  {
    shared_ptr<CostDriverDouble> source = valueDriver("CD_S", 2.0f);
    shared_ptr<CostDriverDouble> reader = computedDriver("CD_R", "CD_S*3");
    reader->addDependency(source);
    source->addHasImpactOn(reader);
    EXPECT_EQ(6.0f, reader->doubleValue());
    weakSource = source;
    weakReader = reader;
  }
  EXPECT_TRUE(weakSource.expired());
  EXPECT_TRUE(weakReader.expired());
}

TEST(DriverOwnershipTest, ReaderIsOwnedByNobodyButItsHolder) {
  shared_ptr<CostDriverDouble> source = valueDriver("CD_S", 2.0f);
  boost::weak_ptr<CostDriver> weakReader;
  {
    shared_ptr<CostDriverDouble> reader = computedDriver("CD_R", "CD_S*3");
    reader->addDependency(source);
    source->addHasImpactOn(reader);
    weakReader = reader;
    ASSERT_EQ(1u, source->formulas()->getHasImpactOnList().size());
  }
  EXPECT_TRUE(weakReader.expired());
  // The entry of the freed reader is passed over, by readers of the list
  // and by a change of the value alike.
  EXPECT_TRUE(source->formulas()->getHasImpactOnList().empty());
  source->setValue(5.0f);
  EXPECT_EQ(5.0f, source->doubleValue());
  shared_ptr<CostDriverDouble> other = computedDriver("CD_O", "CD_S+1");
  other->addDependency(source);
  source->addHasImpactOn(other);
  ASSERT_EQ(1u, source->formulas()->hasImpactOn().size());
  EXPECT_EQ(6.0f, other->doubleValue());
}

// --- Operations dropped from the press line ------------------------------

TEST(OperationOwnershipTest, OperationsDroppedFromTheLineAreFreed) {
  struct Case {
    const char* name;
    void (*drop)(ProcessDatabase& plan);
  };
  const Case cases[] = {
      {"RemoveOperationAt", [](ProcessDatabase& plan) {
         plan.RemoveOperationAt(1);
       }},
      {"RemoveOperation", [](ProcessDatabase& plan) {
         EXPECT_EQ(1, plan.RemoveOperation(plan.OperationAt(1)));
       }},
      {"ReplaceOperationAt", [](ProcessDatabase& plan) {
         plan.ReplaceOperationAt(1, makeOperation("OP20", "Draw", 4.0f), true);
       }},
      {"ChangeOperationTypeAt", [](ProcessDatabase& plan) {
         std::string message;
         EXPECT_TRUE(plan.ChangeOperationTypeAt(1, "Trim", message)) << message;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Line line = makeLine();
    ObjectCollector dropped = ownedBy(line.plan->OperationAt(1));
    {
      velktest::StdoutCapture quiet;
      velktest::DebugCapture log;
      c.drop(*line.plan);
    }
    EXPECT_GE(dropped.objects().size(), 8u);
    EXPECT_TRUE(allFreed(dropped));
    // The rest of the line is untouched.
    EXPECT_EQ(10.0f, line.plan->OperationAt(0)
                         ->baseAssembly()
                         ->ComponentAt(0)
                         ->parameterAt(0)
                         ->doubleValue());
  }
}

TEST(OperationOwnershipTest, OperationKeptByTheHostStaysUsable) {
  Line line = makeLine();
  shared_ptr<Operation> kept = line.plan->OperationAt(1);
  {
    velktest::StdoutCapture quiet;
    line.plan->RemoveOperationAt(1);
  }
  ASSERT_EQ(2, line.plan->OperationCount());
  EXPECT_NE(kept, line.plan->OperationAt(1));

  shared_ptr<Component> pin = kept->baseAssembly()->ComponentAt(0);
  EXPECT_EQ(kept, pin->operation());
  EXPECT_FALSE(pin->isReferenceComponent());
  EXPECT_EQ(20.0f, pin->parameterAt(0)->doubleValue());
  EXPECT_DOUBLE_EQ(200.0, pin->standardMaxAt(0));
  // A new factor still reaches the components' drivers.
  boost::dynamic_pointer_cast<CostDriverDouble>(kept->CostDriverAt(0))
      ->setValue(6.0f);
  EXPECT_EQ(60.0f, pin->parameterAt(0)->doubleValue());
  EXPECT_DOUBLE_EQ(600.0, pin->standardMaxAt(0));
}

TEST(OperationOwnershipTest, ComponentOfAFreedOperationAnswersNoOperation) {
  shared_ptr<Component> pin;
  {
    shared_ptr<Operation> operation = makeOperation("OP10", "Draw", 1.0f);
    pin = operation->baseAssembly()->ComponentAt(0);
    EXPECT_EQ(operation, pin->operation());
  }
  EXPECT_FALSE(pin->operation());
  ASSERT_EQ(1u, pin->operations().size());
  EXPECT_FALSE(pin->operations()[0]);
  // Gone counts as unset: the component reads as a reference component.
  EXPECT_TRUE(pin->isReferenceComponent());
}

// --- Part features dropped from the plan ---------------------------------

TEST(FeatureOwnershipTest, RemovedTopLevelFeatureIsFreedWithItsUnits) {
  Line line = makeLine();
  ObjectCollector dropped(false);
  dropped.add(line.plan->topLevelPartFeatureAt(0));
  line.plan->removeTopLevelPartFeatureAt(0);
  EXPECT_GE(dropped.objects().size(), 6u);
  EXPECT_TRUE(allFreed(dropped));
  // The operation the unit ran on stays in the line, with nothing left of
  // the unit in it.
  EXPECT_EQ(3, line.plan->OperationCount());
  EXPECT_EQ(30.0f, line.plan->OperationAt(2)
                       ->baseAssembly()
                       ->ComponentAt(0)
                       ->parameterAt(0)
                       ->doubleValue());
}

TEST(FeatureOwnershipTest, UnitKeptByTheHostAnswersNoFeatureOnceItIsFreed) {
  Line line = makeLine();
  shared_ptr<ProcessingUnit> unit =
      line.plan->topLevelPartFeatureAt(0)->processingUnitAt(0);
  shared_ptr<Component> source = unit->sourceComponentAt(0);
  ASSERT_TRUE(unit->hasFeature());
  EXPECT_EQ(line.plan->topLevelPartFeatureAt(0), source->partFeature());
  EXPECT_TRUE(source->isShared());

  line.plan->removeTopLevelPartFeatureAt(0);
  EXPECT_FALSE(unit->hasFeature());
  EXPECT_FALSE(unit->partFeature());
  EXPECT_FALSE(source->partFeature());
  // The unit is kept by the host, so the component still shares it.
  EXPECT_TRUE(source->isShared());
  EXPECT_EQ(unit, source->relatedProcessingUnitAt(0));
  // The unit's instantiated components still answer for its operation.
  ASSERT_GT(unit->componentCount(), 0);
  EXPECT_EQ(line.plan->OperationAt(2), unit->componentAt(0)->operation());
  EXPECT_EQ(21.0f, unit->componentAt(0)->parameterAt(0)->doubleValue());

  unit.reset();
  EXPECT_FALSE(source->isShared());
  EXPECT_FALSE(source->relatedProcessingUnitAt(0));
  EXPECT_EQ(1, source->relatedProcessingUnitCount());
}

// --- The archive ----------------------------------------------------------

TEST(ArchiveOwnershipTest, RoundTripKeepsSharedObjectsShared) {
  shared_ptr<CostDatabase> db =
      velktest::readArchive(velktest::archiveBytes(*velktest::makeSampleDatabase()));
  ProcessDatabase& plan = *db->ProcessDB();
  shared_ptr<Operation> draw = plan.OperationAt(0);
  shared_ptr<PartFeature> curve = plan.topLevelPartFeatureAt(0)->childAt(0);
  shared_ptr<ProcessingUnit> unit = curve->processingUnitAt(0);
  shared_ptr<Component> pin = draw->baseAssembly()->ComponentAt(0);

  EXPECT_EQ(db->BaseAssemblyAt(0), draw->baseAssembly());
  EXPECT_EQ(draw, plan.DefaultOperationAt(0));
  EXPECT_EQ(draw, pin->operation());
  EXPECT_EQ(curve, pin->partFeature());
  ASSERT_EQ(1, pin->relatedProcessingUnitCount());
  EXPECT_EQ(unit, pin->relatedProcessingUnitAt(0));
  EXPECT_EQ(curve, unit->partFeature());
  EXPECT_EQ(pin, unit->sourceComponentAt(1));
  EXPECT_EQ(plan.OperationAt(1), unit->operation());
  EXPECT_EQ(plan.CurrentPress(), plan.DefaultPress());
  // Everything named weakly is owned elsewhere in the model as well, so the
  // database keeps nothing for it.
  EXPECT_EQ(0, db->loadedObjectCount());
}

TEST(ArchiveOwnershipTest, ObjectNamedOnlyWeaklyIsKeptByTheLoadedDatabase) {
  shared_ptr<CostDatabase> original = velktest::makeSampleDatabase();
  // An assembly in the catalogue whose component names an operation that
  // nothing else holds once the host lets go of it.
  shared_ptr<Operation> loose = makeOperation("OP90", "Flange", 1.5f);
  original->AddBaseAssembly(loose->baseAssembly());
  const std::string bytes = velktest::archiveBytes(*original);

  boost::weak_ptr<Operation> loaded;
  {
    shared_ptr<CostDatabase> db = velktest::readArchive(bytes);
    EXPECT_EQ(1, db->loadedObjectCount());
    shared_ptr<Component> pin =
        db->BaseAssemblyAt(db->BaseAssemblyCount() - 1)->ComponentAt(0);
    ASSERT_TRUE(pin->operation());
    EXPECT_EQ("OP90", pin->operation()->label());
    EXPECT_EQ(15.0f, pin->parameterAt(0)->doubleValue());
    loaded = pin->operation();
    // Saving again gives the same bytes: the operation is still written.
    EXPECT_EQ(bytes, velktest::archiveBytes(*db));
  }
  EXPECT_TRUE(loaded.expired());
}

TEST(ArchiveOwnershipTest, OperationsRemovedFromALoadedDatabaseAreFreed) {
  Line line = makeLine();
  shared_ptr<CostDatabase> db =
      velktest::readArchive(velktest::archiveBytes(*line.db));
  ObjectCollector dropped = ownedBy(db->ProcessDB()->OperationAt(1));
  {
    velktest::StdoutCapture quiet;
    db->ProcessDB()->RemoveOperationAt(1);
  }
  EXPECT_TRUE(allFreed(dropped));
}

}  // namespace
