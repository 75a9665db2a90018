#include <gtest/gtest.h>

#include <QString>
#include <cstring>
#include <typeinfo>

#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using namespace TamberData;
using boost::dynamic_pointer_cast;
using boost::shared_ptr;

namespace {

class ArchiveRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    original_ = velktest::makeSampleDatabase();
    bytes_ = velktest::archiveBytes(*original_);
    loaded_ = velktest::readArchive(bytes_);
  }

  ProcessDatabase& plan() { return *loaded_->ProcessDB(); }
  shared_ptr<Operation> draw() { return plan().OperationAt(0); }
  shared_ptr<PartFeatureGroup> group() {
    return dynamic_pointer_cast<PartFeatureGroup>(
        plan().topLevelPartFeatureAt(0));
  }
  shared_ptr<ProcessingUnit> trimUnit() {
    return group()->childAt(0)->processingUnitAt(0);
  }

  shared_ptr<CostDatabase> original_;
  std::string bytes_;
  shared_ptr<CostDatabase> loaded_;
};

TEST_F(ArchiveRoundTripTest, SecondSaveGivesTheSameBytes) {
  EXPECT_EQ(bytes_, velktest::archiveBytes(*loaded_));
}

TEST_F(ArchiveRoundTripTest, SavingTwiceGivesTheSameBytes) {
  EXPECT_EQ(bytes_, velktest::archiveBytes(*original_));
  EXPECT_EQ(bytes_, velktest::archiveBytes(*velktest::makeSampleDatabase()));
}

TEST_F(ArchiveRoundTripTest, RestoresTheDatabaseFields) {
  EXPECT_EQ("2024-05-17T08:30:00", loaded_->id());
  EXPECT_EQ("EUR", loaded_->Currency());
  EXPECT_FLOAT_EQ(0.05f, loaded_->MaterialCostSurcharge());
  EXPECT_FLOAT_EQ(0.125f, loaded_->ProcessCostSurcharge());
  ASSERT_EQ(2, loaded_->informationCount());
  EXPECT_EQ("Plant", loaded_->informationLabelAt(1));
  EXPECT_EQ("Nord", loaded_->informationDataAt(1));
  EXPECT_EQ("OT_20", loaded_->GetOpTypKey("Trim"));
  ASSERT_EQ(2, loaded_->toolMaterialCount());
  EXPECT_EQ("TM_STEEL", loaded_->toolMaterialAt(0)->id());
  EXPECT_FLOAT_EQ(7.85f, loaded_->toolMaterialAt(0)->Density());
  ASSERT_EQ(2, loaded_->ManufacturingStepCount());
  EXPECT_EQ("MS_GRIND", loaded_->ManufacturingStepAt(1)->id());
  EXPECT_FLOAT_EQ(1.25f,
                  loaded_->ManufacturingStepAt(0)->OperationFactor("Draw"));
  EXPECT_EQ(7, loaded_->CostPropertyCount());
  ASSERT_EQ(1, loaded_->TotalCostSurchargeCount());
  EXPECT_EQ("0.02", loaded_->TotalCostSurchargeAt(0)->getFormulaString());
  EXPECT_DOUBLE_EQ(3.0, loaded_->TotalCostSurchargeAt(0)->userfactor());
  EXPECT_EQ("SU_DRAW", loaded_->OperationTypeSurchargeAt("Draw", 0)->id());
  ASSERT_EQ(2, loaded_->PressCount());
  EXPECT_EQ("Blanking 400", loaded_->PressAt(1)->label());
  ASSERT_EQ(1, loaded_->SharingRelationshipCount());
  shared_ptr<componentShareRelationship> relation =
      loaded_->GetSharingRelationship(0);
  EXPECT_EQ("REL_100_00", relation->label);
  EXPECT_EQ((std::vector<std::vector<int>>{{0, 1}, {1, -1}}),
            relation->mergeTable);
  EXPECT_EQ((std::vector<int>{2, 0}), relation->mergeModes);
  EXPECT_EQ("Bushing", relation->sharedComponent->label());
}

TEST_F(ArchiveRoundTripTest, SurchargesKeyedByRecordsFindTheirRecords) {
  EXPECT_EQ("SU_STEEL",
            loaded_->MaterialSurcharge(loaded_->toolMaterialAt(0))->id());
  EXPECT_EQ("SU_CAST",
            loaded_->MaterialSurcharge(loaded_->toolMaterialAt(1))->id());
  EXPECT_EQ("SU_GRIND",
            loaded_->ManufacturingStepSurcharge(loaded_->ManufacturingStepAt(1))
                ->id());
  EXPECT_DOUBLE_EQ(
      0.5,
      loaded_->MaterialSurcharge(loaded_->toolMaterialAt(1))->userfactor());
}

// A text is compiled once per archive; every container still gets formulas
// of its own, which it binds and changes without the others noticing.
TEST(ArchiveFormulaTest, FormulasOfOneTextStaySeparateAfterReading) {
  CostDatabase db;
  for (const char* id : {"CD_A", "CD_B", "CD_C"}) {
    shared_ptr<CostDriverDouble> driver(new CostDriverDouble(id));
    driver->getFormulaContainer()->addFormula("X*2+1");
    driver->getFormulaContainer()->addFormula("X*2+1");
    db.AddCostProperty(driver);
  }
  shared_ptr<CostDatabase> loaded =
      velktest::readArchive(velktest::archiveBytes(db));
  ASSERT_EQ(3, loaded->CostPropertyCount());
  std::vector<shared_ptr<Formula>> formulas;
  for (int i = 0; i < 3; ++i) {
    shared_ptr<FormulaContainer> container =
        loaded->CostPropertyAt(i)->getFormulaContainer();
    ASSERT_EQ(2, container->compiledFormulaCount());
    formulas.push_back(container->getFormulaAt(0));
    formulas.push_back(container->getFormulaAt(1));
  }
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(formulas[i]);
    EXPECT_EQ("(X*2+1)", formulas[i]->getExpression());
    for (int j = 0; j < i; ++j) EXPECT_NE(formulas[j].get(), formulas[i].get());
    formulas[i]->setVariable("X", i);
  }
  formulas[2]->setExpression("X-1");
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(i == 2 ? 1.0 : i * 2 + 1.0, formulas[i]->eval()) << i;
  }
}

TEST_F(ArchiveRoundTripTest, PriceUnitOfTwoMaterialsStaysOneObject) {
  shared_ptr<PriceUnit> unit = loaded_->PriceUnitAt(0);
  EXPECT_EQ("PU_KG", unit->id());
  EXPECT_TRUE(unit->isWeightUnit());
  EXPECT_EQ(unit.get(), loaded_->toolMaterialAt(0)->priceUnit().get());
  EXPECT_EQ(unit.get(), loaded_->toolMaterialAt(1)->priceUnit().get());
  EXPECT_NE(unit.get(), original_->PriceUnitAt(0).get());
}

TEST_F(ArchiveRoundTripTest, SharedObjectsStayShared) {
  shared_ptr<Component> pin = loaded_->BaseAssemblyAt(0)->ComponentAt(0);
  EXPECT_EQ(pin.get(),
            loaded_->GetSharingRelationship(0)->inputComponents[0].get());
  EXPECT_EQ(draw().get(), pin->operation().get());
  EXPECT_EQ(loaded_->BaseAssemblyAt(0).get(), draw()->baseAssembly().get());
  EXPECT_EQ(draw()->stage().get(), plan().DefaultPress()->stageAt(0).get());
  EXPECT_EQ(plan().DefaultPress().get(), loaded_->PressAt(0).get());
  EXPECT_EQ(plan().CurrentPress().get(), plan().DefaultPress().get());
  EXPECT_EQ(draw().get(), plan().DefaultOperationAt(0).get());
  EXPECT_NE(draw().get(), plan().ReferenceOperation("Draw").get());
  // The unit and its feature point at each other.
  shared_ptr<PartFeature> curve = group()->childAt(0);
  EXPECT_EQ(curve.get(), trimUnit()->partFeature().get());
  EXPECT_EQ(curve.get(), pin->partFeature().get());
  EXPECT_EQ(trimUnit().get(), pin->relatedProcessingUnitAt(0).get());
  // The component cost's amount keys are the database's records.
  const ComponentCost& cost = loaded_->componentCostFactory()
                                  ->ComponentCostsValueSlotAt(0)
                                  ->componentCost();
  EXPECT_EQ(pin.get(), cost.component().get());
  EXPECT_EQ(1u, cost.materialAmounts().count(loaded_->toolMaterialAt(0)));
  EXPECT_EQ(1u, cost.stepAmounts().count(loaded_->ManufacturingStepAt(1)));
}

TEST_F(ArchiveRoundTripTest, ExportedClassesComeBackAsThemselves) {
  // The key names the class where an object of it is first met through a
  // pointer to a base. Classes first met through their own pointer or as a
  // base (CostDriverEnum in the drawing stage, the relationships, the plain
  // PartGeometry) need no key and read back by their static type.
  for (const char* key :
       {"CostDriverBool", "CostDriverDouble", "CostDriverInt",
        "CostDriverIntRange", "CostPropertyString", "PartFeatureGroup",
        "PartGeometryCurve", "PartGeometryPatch", "DrawingStage"}) {
    const std::string counted =
        std::string(1, static_cast<char>(std::strlen(key))) +
        std::string(7, '\0') + key;
    EXPECT_NE(std::string::npos, bytes_.find(counted)) << key;
  }
  EXPECT_EQ(typeid(CostDriverBool), typeid(*loaded_->CostPropertyAt(0)));
  EXPECT_EQ(typeid(CostDriverInt), typeid(*loaded_->CostPropertyAt(1)));
  EXPECT_EQ(typeid(CostDriverIntRange), typeid(*loaded_->CostPropertyAt(2)));
  EXPECT_EQ(typeid(CostDriverEnum), typeid(*loaded_->CostPropertyAt(3)));
  EXPECT_EQ(typeid(CostPropertyString), typeid(*loaded_->CostPropertyAt(4)));
  EXPECT_EQ(typeid(CostDriverDouble), typeid(*loaded_->CostPropertyAt(5)));
  EXPECT_EQ(typeid(VelkUtils::DrawingStage), typeid(*draw()->stage()));
  EXPECT_EQ(typeid(VelkUtils::Stage), typeid(*plan().OperationAt(1)->stage()));
  EXPECT_EQ(typeid(PartFeatureGroup), typeid(*plan().topLevelPartFeatureAt(0)));
  EXPECT_EQ(typeid(PartGeometry), typeid(*plan().topLevelPartFeatureAt(1)));
  EXPECT_EQ(typeid(PartGeometryCurve), typeid(*group()->childAt(0)));
  EXPECT_EQ(typeid(PartGeometryPatch), typeid(*group()->childAt(1)));
  EXPECT_EQ(typeid(componentShareRelationship),
            typeid(*loaded_->GetSharingRelationship(0)));
  EXPECT_EQ(typeid(FormulaContainer),
            typeid(*loaded_->CostPropertyAt(6)->getFormulaContainer()));
}

TEST_F(ArchiveRoundTripTest, CostPropertiesKeepTheirValues) {
  shared_ptr<CostDriverBool> flag =
      dynamic_pointer_cast<CostDriverBool>(loaded_->CostPropertyAt(0));
  EXPECT_TRUE(flag->boolValue());
  EXPECT_FLOAT_EQ(2.0f, flag->trueValue());
  EXPECT_FLOAT_EQ(-1.0f, flag->falseValue());
  EXPECT_EQ("12", loaded_->CostPropertyAt(1)->stringValue());
  EXPECT_EQ("pcs", loaded_->CostPropertyAt(1)->measureUnit());
  EXPECT_DOUBLE_EQ(8.0, loaded_->CostPropertyAt(2)->getMaxValue());
  shared_ptr<CostDriverEnum> grade =
      dynamic_pointer_cast<CostDriverEnum>(loaded_->CostPropertyAt(3));
  EXPECT_EQ("medium", grade->stringValue());
  EXPECT_EQ((std::vector<float>{1.0f, 2.5f, 4.0f}), grade->values());
  EXPECT_EQ("Checked", loaded_->CostPropertyAt(4)->stringValue());
  shared_ptr<CostProperty> thickness = loaded_->CostPropertyAt(5);
  EXPECT_EQ("1500", thickness->stringValue());
  EXPECT_EQ(CostProperty::kLevelBasic, thickness->level());
  EXPECT_FALSE(thickness->isVisible());
  EXPECT_EQ("Sheet thickness", thickness->longHelp());
  // The computed driver reads the loaded thickness through its formula.
  shared_ptr<CostDriver> area =
      dynamic_pointer_cast<CostDriver>(loaded_->CostPropertyAt(6));
  EXPECT_FLOAT_EQ(150.0f, area->doubleValue());
  EXPECT_EQ(thickness.get(),
            area->getFormulaContainer()->dependencyAt(0).get());
}

TEST_F(ArchiveRoundTripTest, OperationKeepsDimensionsStageAndComment) {
  EXPECT_EQ("OP10", draw()->label());
  EXPECT_TRUE(draw()->ShouldBeEmpty());
  EXPECT_FLOAT_EQ(1200.0f, draw()->LengthValue()->doubleValue());
  EXPECT_FLOAT_EQ(800.0f, draw()->LengthMinimum());
  EXPECT_FLOAT_EQ(2000.0f, draw()->LengthMaximum());
  EXPECT_FLOAT_EQ(600.0f, draw()->HeightMaximum());
  EXPECT_EQ("first draw", draw()->getCommentProperty()->stringValue());
  shared_ptr<VelkUtils::DrawingStage> stage =
      dynamic_pointer_cast<VelkUtils::DrawingStage>(draw()->stage());
  EXPECT_EQ("Draw stage", stage->Label());
  EXPECT_EQ(VelkUtils::Stage::kFormingStage, stage->getStageType());
  EXPECT_EQ(3, stage->getStageID());
  EXPECT_EQ((std::vector<double>{0.0, 0.0, 1.0}), stage->getTippingVector());
  EXPECT_EQ((std::vector<std::string>{"Draw"}), stage->AllowedOperationTypes());
  EXPECT_EQ("CD_TABLE", stage->CostPropertyAt(0)->id());
  EXPECT_EQ("CD_DRAWTYPE", stage->drawingTypeDriver()->id());
  EXPECT_EQ(VelkUtils::Stage::kTrimmingStage,
            plan().OperationAt(1)->stage()->getStageType());
}

TEST_F(ArchiveRoundTripTest, ComponentsKeepParametersStateAndChildren) {
  shared_ptr<Component> pin = loaded_->BaseAssemblyAt(0)->ComponentAt(0);
  EXPECT_EQ("CT_100_01", pin->getComponentKey());
  ASSERT_EQ(2, pin->parameterCount());
  EXPECT_EQ(Component::kRoundToNearestStep, pin->roundingRuleAt(1));
  EXPECT_DOUBLE_EQ(80.0, pin->standardMaxAt(0));
  EXPECT_EQ(1u, pin->operations().size());
  shared_ptr<Component> cam = loaded_->BaseAssemblyAt(0)->ComponentAt(1);
  EXPECT_TRUE(cam->frozen());
  EXPECT_TRUE(cam->noDBMatch());
  // The cause is not archived.
  EXPECT_EQ("", cam->getNoDBMatchCause());
  EXPECT_EQ(1, loaded_->BaseAssemblyAt(0)->mergeBehaviorAt(0));
  EXPECT_EQ(4, loaded_->BaseAssemblyAt(0)->AmountAt(0));
}

TEST_F(ArchiveRoundTripTest, ValueRangesKeepLatinOneTexts) {
  const ComponentCostsValueSlot* slot =
      loaded_->componentCostFactory()->ComponentCostsValueSlotAt(0);
  ASSERT_EQ(3, slot->ComponentCostValueRangeCount());
  EXPECT_FLOAT_EQ(80.0f, slot->ComponentCostValueRangeAt(0)->DoubleMax());
  EXPECT_EQ((std::vector<float>{1.0f, 2.0f, 4.0f}),
            slot->ComponentCostValueRangeAt(1)->Values());
  EXPECT_EQ(QStringList() << QString::fromUtf8("mm\xC2\xB2") << "Stahl",
            slot->ComponentCostValueRangeAt(2)->stringValues());
  EXPECT_EQ("Pins up to 80", slot->componentCost().label());
}

TEST_F(ArchiveRoundTripTest, UnitNamesAreWrittenAsLatinOne) {
  // "mm²" is the three bytes 6D 6D B2, preceded by its 8-byte length.
  EXPECT_NE(std::string::npos,
            bytes_.find(std::string("\x03\0\0\0\0\0\0\0mm\xB2", 11)));
  EXPECT_EQ(std::string::npos, bytes_.find("mm\xC2\xB2"));
  CostDatabase::UnitConversionMap conversions = loaded_->UnitConversions();
  EXPECT_DOUBLE_EQ(1e-6, conversions[QString::fromUtf8("mm\xC2\xB2")]);
  EXPECT_DOUBLE_EQ(1000.0, conversions[QString("m")]);
}

TEST_F(ArchiveRoundTripTest, ProcessPlanKeepsFeaturesUnitsAndFactories) {
  EXPECT_EQ("2024-05-17T08:30:01", plan().id());
  EXPECT_TRUE(plan().FeaturesHaveBeenDetected());
  EXPECT_EQ("Group 1", group()->label());
  EXPECT_DOUBLE_EQ(45.0, group()->maxDiameter());
  shared_ptr<PartGeometryCurve> curve =
      dynamic_pointer_cast<PartGeometryCurve>(group()->childAt(0));
  EXPECT_EQ("Curve 1", curve->curveFeature().name());
  EXPECT_EQ(101, curve->getFID());
  EXPECT_DOUBLE_EQ(350.5, curve->length());
  EXPECT_TRUE(curve->cutableFromZ());
  shared_ptr<PartGeometryPatch> hole =
      dynamic_pointer_cast<PartGeometryPatch>(group()->childAt(1));
  EXPECT_EQ(202, hole->getFID());
  EXPECT_DOUBLE_EQ(960.25, hole->area());
  EXPECT_EQ(21, hole->typeID());

  shared_ptr<ProcessingUnit> unit = trimUnit();
  EXPECT_EQ("Trim unit", unit->label());
  EXPECT_EQ(ProcessingUnit::kCam, unit->camType());
  EXPECT_TRUE(unit->camTypeConfirmed());
  EXPECT_EQ(2, unit->sourceComponentCount());
  EXPECT_TRUE(unit->oneSetPerGroupAt(0));
  EXPECT_FALSE(unit->oneSetPerGroupAt(1));
  EXPECT_EQ("trim.png", unit->imageName());
  EXPECT_FALSE(unit->constraints()->Early());
  EXPECT_EQ((std::vector<std::string>{"Flange"}),
            unit->constraints()->unpopularOperationTypes());
  EXPECT_TRUE(unit->constraints()->operationTypeIsForbidden("Draw"));

  std::vector<shared_ptr<ProcessingUnit>> units;
  plan().referenceProcessingUnits(units, "Hole", ProcessingUnit::kFillerCam);
  ASSERT_EQ(1u, units.size());
  EXPECT_EQ("Pierce unit", units[0]->label());
  units.clear();
  plan().referenceProcessingUnits(units, "Hole", ProcessingUnit::kCam);
  ASSERT_EQ(1u, units.size());
  EXPECT_EQ(unit.get(), units[0].get());

  EXPECT_EQ("Trim seq", plan()
                            .processFactoryFeature()
                            ->processingSequences("Trim line")[0]
                            ->Label());
  EXPECT_EQ(1, plan().featureTypeFactory()->definitionCount(
                   FeatureTypeFactory::Patch));
  EXPECT_EQ(1, plan().featureGroupFactory()->referenceGroupCount());
  ASSERT_TRUE(plan().featureParameterFactory()->parameterMapping("Hole"));
  EXPECT_EQ(1, plan().BlankingPressCount());
  EXPECT_EQ(plan().BlankingPressAt(0).get(),
            plan().DefaultBlankingPress().get());
  EXPECT_FALSE(plan().CurrentBlankingPress());
}

TEST_F(ArchiveRoundTripTest, ReadingRestoresTheUnitIdCounter) {
  ProcessingUnit::procUnitCount = 3;
  shared_ptr<CostDatabase> again = velktest::readArchive(bytes_);
  // The sample's units took ids 40 and 41; the counter was 42 when saved.
  EXPECT_EQ(40, again->ProcessDB()
                    ->topLevelPartFeatureAt(0)
                    ->childAt(0)
                    ->processingUnitAt(0)
                    ->getProcID());
  EXPECT_EQ(42, ProcessingUnit::procUnitCount);
  ProcessingUnit next;
  EXPECT_EQ(42, next.getProcID());
}

TEST_F(ArchiveRoundTripTest, ReadingRestoresThePostNumbers) {
  ProcessFactoryFeature::m_featureCount.clear();
  velktest::readArchive(bytes_);
  EXPECT_EQ(7, ProcessFactoryFeature::getPostNumber("Post"));
}

TEST_F(ArchiveRoundTripTest, DatabaseWithoutRelationshipsReadsAnEmptyList) {
  CostDatabase empty;
  shared_ptr<CostDatabase> target = velktest::readArchive(bytes_);
  ASSERT_EQ(1, target->SharingRelationshipCount());
  CostDatabase::SerializedDB* serialized = nullptr;
  {
    velktest::StdoutCapture quiet;
    serialized = CostDatabase::ToCharArray(empty);
  }
  // Reading into a filled database replaces its lists.
  velktest::DebugCapture log;
  EXPECT_TRUE(
      CostDatabase::FromCharArray(serialized->data, serialized->size, *target));
  CostDatabase::ReleaseSerializedDB(serialized);
  EXPECT_EQ(0, target->SharingRelationshipCount());
  EXPECT_EQ(0, target->toolMaterialCount());
  EXPECT_FALSE(target->ProcessDB());
}

}  // namespace
