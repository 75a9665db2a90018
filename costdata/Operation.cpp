#include "costdata/Operation.h"

#include <QtGlobal>
#include <boost/pointer_cast.hpp>
#include <cmath>

#include "costdata/BaseAssembly.h"
#include "costdata/Component.h"
#include "costdata/CostDriver.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostDriverEnum.h"
#include "costdata/CostProperty.h"
#include "costdata/Press.h"
#include "external/DrawingStage.h"
#include "external/Stage.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "processplan/Constraint.h"
#include "processplan/ProcessingUnit.h"

namespace VelkData {

namespace {

const char kToolTypeId[] = "CD_OP_50";
const char kDiesetTypeId[] = "CD_OP_70";
const float kCutoffToolType = 106.0f;

bool containsText(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Drivers without id come from archives of incomplete data; an empty id
// would be found in every formula text, so it names nothing here.
bool namesNothing(const boost::shared_ptr<CostDriver>& driver) {
  return !driver || driver->id().empty();
}

boost::shared_ptr<FormulaContainer> cloneOf(
    const boost::shared_ptr<FormulaContainer>& container) {
  if (!container) return boost::shared_ptr<FormulaContainer>();
  return container->clone();
}

}  // namespace

Operation::Operation() : Operation(std::string(), std::string()) {}

Operation::Operation(const std::string& label, const std::string& type)
    : label_(label),
      type_(type),
      shouldBeEmpty_(false),
      press_(new Press("", 0)) {}

Operation::Operation(const Operation& other) = default;

Operation& Operation::operator=(const Operation& other) = default;

Operation::~Operation() = default;

void Operation::virtualDummyFunction() {}

void Operation::SetLabel(const std::string& label) {
  label_ = label;
  SetStageLabel(label);
}

void Operation::SetStageLabel(const std::string& label) {
  if (stage_) stage_->setLabel(label);
}

void Operation::setBaseAssembly(
    const boost::shared_ptr<BaseAssembly>& assembly) {
  baseAssembly_ = assembly;
}

void Operation::setBaseAssembly(const boost::shared_ptr<BaseAssembly>& assembly,
                                const boost::shared_ptr<Operation>& operation) {
  baseAssembly_ = assembly;
  if (!assembly) return;
  assembly->SetAmountDependencies(GetAllCostDrivers());
  for (int i = 0; i < assembly->ComponentCount(); ++i) {
    boost::shared_ptr<TamberData::Component> component =
        assembly->ComponentAt(i);
    if (component) component->setOperation(operation);
  }
}

void Operation::AddCostDriver(const boost::shared_ptr<CostDriver>& driver) {
  if (!driver) return;
  // The driver is wired before it joins the list, so it never records
  // itself.
  UpdateDependencies(driver);
  costDrivers_.push_back(driver);
}

int Operation::CostDriverCount() const {
  return static_cast<int>(costDrivers_.size());
}

boost::shared_ptr<CostDriver> Operation::CostDriverAt(int i) const {
  if (i < 0 || i >= CostDriverCount()) return boost::shared_ptr<CostDriver>();
  return costDrivers_[i];
}

std::vector<boost::shared_ptr<CostDriver>> Operation::GetAllCostDrivers()
    const {
  return costDrivers_;
}

void Operation::addDependency(const boost::shared_ptr<CostDriver>& driver) {
  if (namesNothing(driver)) return;
  for (const boost::shared_ptr<CostDriver>& existing : costDrivers_) {
    addDependency(driver, existing);
  }
  for (const Triplet* triple : {&height_, &length_, &width_}) {
    if (!triple->value) continue;
    addDependency(driver, triple->minimum);
    addDependency(driver, triple->maximum);
  }
}

void Operation::addDependency(const boost::shared_ptr<CostDriver>& driver,
                              const boost::shared_ptr<CostDriver>& dependent) {
  if (namesNothing(driver) || !dependent) return;
  for (int i = 0; i < dependent->dependencyFormulaCount(); ++i) {
    if (containsText(dependent->dependencyFormulaAt(i), driver->id())) {
      dependent->addDependency(driver);
    }
  }
}

void Operation::addDependency(
    const boost::shared_ptr<CostDriver>& driver,
    const boost::shared_ptr<FormulaContainer>& container) {
  if (namesNothing(driver) || !container) return;
  for (int i = 0; i < container->formulaCount(); ++i) {
    if (containsText(container->formulaAt(i), driver->id())) {
      container->addDependency(driver);
    }
  }
}

void Operation::UpdateDependencies(
    const boost::shared_ptr<CostDriver>& driver) {
  addDependency(driver);
  for (const boost::shared_ptr<CostDriver>& existing : costDrivers_) {
    addDependency(existing, driver);
    refreshStageDescription();
  }
}

void Operation::UpdateDependencies(
    const boost::shared_ptr<FormulaContainer>& container) {
  if (!container) return;
  for (const boost::shared_ptr<CostDriver>& existing : costDrivers_) {
    addDependency(existing, container);
  }
  refreshStageDescription();
}

boost::shared_ptr<CostDriverDouble> Operation::LengthValue() const {
  return length_.value;
}

boost::shared_ptr<CostDriverDouble> Operation::WidthValue() const {
  return width_.value;
}

boost::shared_ptr<CostDriverDouble> Operation::HeightValue() const {
  return height_.value;
}

void Operation::SetLength(const boost::shared_ptr<CostDriverDouble>& value,
                          const boost::shared_ptr<FormulaContainer>& minimum,
                          const boost::shared_ptr<FormulaContainer>& maximum) {
  setDimension(length_, value, minimum, maximum,
               &VelkUtils::Stage::setToolLength);
}

void Operation::SetWidth(const boost::shared_ptr<CostDriverDouble>& value,
                         const boost::shared_ptr<FormulaContainer>& minimum,
                         const boost::shared_ptr<FormulaContainer>& maximum) {
  setDimension(width_, value, minimum, maximum,
               &VelkUtils::Stage::setToolWidth);
}

void Operation::SetHeight(const boost::shared_ptr<CostDriverDouble>& value,
                          const boost::shared_ptr<FormulaContainer>& minimum,
                          const boost::shared_ptr<FormulaContainer>& maximum) {
  setDimension(height_, value, minimum, maximum,
               &VelkUtils::Stage::setToolHeight);
}

void Operation::setDimension(Triplet& triple,
                             const boost::shared_ptr<CostDriverDouble>& value,
                             const boost::shared_ptr<FormulaContainer>& minimum,
                             const boost::shared_ptr<FormulaContainer>& maximum,
                             void (VelkUtils::Stage::*writeToStage)(double)) {
  triple.value = value;
  triple.minimum = minimum;
  triple.maximum = maximum;
  if (value) {
    if (stage_) ((*stage_).*writeToStage)(value->doubleValue());
    AddCostDriver(value);
  }
  UpdateDependencies(maximum);
  UpdateDependencies(minimum);
}

float Operation::evaluateLimit(
    const boost::shared_ptr<FormulaContainer>& container,
    const char* format) const {
  if (!container) return 0.0f;
  try {
    return static_cast<float>(container->evalFormulaDouble());
  } catch (const NoFormulaResultException& e) {
    qDebug(format, label_.c_str(), e.what());
    return 0.0f;
  }
}

float Operation::LengthMinimum() const {
  return evaluateLimit(
      length_.minimum,
      "Could not evaluate length minimum for operation %s: %s\n");
}

float Operation::LengthMaximum() const {
  return evaluateLimit(
      length_.maximum,
      "Could not evaluate length maximum for operation %s: %s\n");
}

float Operation::WidthMinimum() const {
  return evaluateLimit(
      width_.minimum,
      "Could not evaluate width minimum for operation %s: %s\n");
}

float Operation::WidthMaximum() const {
  return evaluateLimit(
      width_.maximum,
      "Could not evaluate width maximum for operation %s: %s\n");
}

float Operation::HeightMinimum() const {
  return evaluateLimit(
      height_.minimum,
      "Could not evaluate height minimum for operation %s: %s\n");
}

float Operation::HeightMaximum() const {
  return evaluateLimit(
      height_.maximum,
      "Could not evaluate height maximum for operation %s: %s\n");
}

void Operation::refreshStageDescription() {
  if (stage_ && commentProperty_) {
    stage_->setDescription(commentProperty_->stringValue());
  }
}

void Operation::refreshStageDimensions() {
  if (!stage_) return;
  if (length_.value) stage_->setToolLength(length_.value->doubleValue());
  if (height_.value) stage_->setToolHeight(height_.value->doubleValue());
  if (width_.value) stage_->setToolWidth(width_.value->doubleValue());
}

void Operation::SetStage(const boost::shared_ptr<VelkUtils::Stage>& stage) {
  if (stage) {
    for (int i = 0; i < stage->CostPropertyCount(); ++i) {
      addDependency(
          boost::dynamic_pointer_cast<CostDriver>(stage->CostPropertyAt(i)));
    }
  }
  stage_ = stage;
  refreshStageDimensions();
  refreshStageDescription();
}

void Operation::SetStage(
    const boost::shared_ptr<VelkUtils::Stage>& stage,
    const std::vector<boost::shared_ptr<BaseAssembly>>& assemblies,
    const boost::shared_ptr<Operation>& operation) {
  SetStage(stage);
  boost::shared_ptr<VelkUtils::DrawingStage> drawing =
      boost::dynamic_pointer_cast<VelkUtils::DrawingStage>(stage);
  if (!drawing) return;

  // Drawing types are numbered from 1 in the order of the assembly list;
  // the type's text is the fallback for a number the list does not cover.
  int index = static_cast<int>(drawing->DrawingTypeValue()) - 1;
  const std::string name = drawing->DrawingTypeString();
  const int count = static_cast<int>(assemblies.size());
  if (index < 0 || index >= count) {
    index = -1;
    for (int i = 0; i < count; ++i) {
      if (assemblies[i] && containsText(assemblies[i]->label(), name)) {
        index = i;
        break;
      }
    }
    if (index < 0) return;
  }
  if (!baseAssembly_ || !containsText(baseAssembly_->label(), name)) {
    setBaseAssembly(assemblies[index], operation);
  }
}

boost::shared_ptr<VelkUtils::Stage> Operation::stage() {
  if (stage_) {
    stage_->setTypeString(type_);
    refreshStageDimensions();
    refreshStageDescription();
  }
  return stage_;
}

std::vector<double> Operation::tippingVector() const {
  if (!stage_) return {0.0, 0.0, 1.0};
  return stage_->getTippingVector();
}

void Operation::setTippingVector(const std::vector<double>& tipping) {
  if (stage_) stage_->setTippingVector(tipping);
}

std::vector<double> Operation::DirAngle2DirVector(
    const std::vector<double>& angles) {
  if (angles.size() != 2) return {0.0, 0.0, 0.0};
  const double theta = angles[0];
  const double phi = angles[1];
  return {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
          std::cos(theta)};
}

std::vector<double> Operation::DirVector2DirAngle(
    const std::vector<double>& /*vector*/) {
  return {0.0, 0.0, 0.0};
}

boost::shared_ptr<CostDriverEnum> Operation::firstEnumDriver(
    const std::string& id) const {
  for (const boost::shared_ptr<CostDriver>& driver : costDrivers_) {
    if (driver && driver->id() == id) {
      return boost::dynamic_pointer_cast<CostDriverEnum>(driver);
    }
  }
  return boost::shared_ptr<CostDriverEnum>();
}

int Operation::getToolType() const {
  boost::shared_ptr<CostDriverEnum> driver = getToolType_p();
  if (!driver) return -1;
  return static_cast<int>(driver->doubleValue());
}

boost::shared_ptr<CostDriverEnum> Operation::getToolType_p() const {
  return firstEnumDriver(kToolTypeId);
}

void Operation::setToolType(int type) {
  boost::shared_ptr<CostDriverEnum> driver = getToolType_p();
  if (driver) driver->setValue(static_cast<float>(type));
}

int Operation::getDiesetType() const {
  if (!press_ || !press_->isFlexible()) return -1;
  boost::shared_ptr<CostDriverEnum> driver = firstEnumDriver(kDiesetTypeId);
  if (!driver) return -1;
  return static_cast<int>(driver->doubleValue());
}

bool Operation::isCutoff() const {
  for (const boost::shared_ptr<CostDriver>& driver : costDrivers_) {
    if (!driver || driver->id() != kToolTypeId) continue;
    boost::shared_ptr<CostDriverEnum> toolType =
        boost::dynamic_pointer_cast<CostDriverEnum>(driver);
    if (toolType && toolType->doubleValue() == kCutoffToolType) return true;
  }
  return false;
}

bool Operation::checkType(
    const std::vector<boost::shared_ptr<TamberData::ProcessingUnit>>& units)
    const {
  for (const boost::shared_ptr<TamberData::ProcessingUnit>& unit : units) {
    if (!unit) continue;
    if (shouldBeEmpty_) return false;
    boost::shared_ptr<TamberData::Constraint> constraints = unit->constraints();
    if (constraints && constraints->operationIsForbidden(type_)) return false;
  }
  return true;
}

boost::shared_ptr<Operation> Operation::clone() const {
  boost::shared_ptr<Operation> copy(new Operation(label_, type_));

  // The dimension value drivers are left to SetLength and its siblings
  // below, which clone and add them once.
  auto isDimensionValue = [this](const boost::shared_ptr<CostDriver>& d) {
    for (const Triplet* triple : {&length_, &width_, &height_}) {
      if (triple->value && *triple->value == *d) return true;
    }
    return false;
  };
  for (const boost::shared_ptr<CostDriver>& driver : costDrivers_) {
    if (!driver || isDimensionValue(driver)) continue;
    copy->AddCostDriver(
        boost::dynamic_pointer_cast<CostDriver>(driver->clone()));
  }

  if (stage_) copy->SetStage(stage_);
  if (baseAssembly_) copy->setBaseAssembly(baseAssembly_->clone());
  if (commentProperty_) copy->setCommentProperty(commentProperty_->clone());
  if (stage_) copy->setTippingVector(tippingVector());

  // Each dimension is copied on its own, so a width or height survives
  // even on an operation that has no length.
  const struct {
    const Triplet* source;
    void (Operation::*set)(const boost::shared_ptr<CostDriverDouble>&,
                           const boost::shared_ptr<FormulaContainer>&,
                           const boost::shared_ptr<FormulaContainer>&);
  } dimensions[] = {{&length_, &Operation::SetLength},
                    {&width_, &Operation::SetWidth},
                    {&height_, &Operation::SetHeight}};
  for (const auto& dimension : dimensions) {
    const Triplet& triple = *dimension.source;
    if (!triple.value && !triple.minimum && !triple.maximum) continue;
    boost::shared_ptr<CostDriverDouble> value;
    if (triple.value) {
      value =
          boost::dynamic_pointer_cast<CostDriverDouble>(triple.value->clone());
    }
    ((*copy).*dimension.set)(value, cloneOf(triple.minimum),
                             cloneOf(triple.maximum));
  }

  copy->SetShouldBeEmtpy(shouldBeEmpty_);
  copy->setPress(press_);
  return copy;
}

}  // namespace VelkData
