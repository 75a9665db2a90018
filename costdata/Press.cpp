#include "costdata/Press.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "costdata/CostDriver.h"
#include "costdata/CostDriverDouble.h"
#include "costdata/CostProperty.h"
#include "external/Stage.h"
#include "formula/FormulaContainer.h"

namespace VelkData {

namespace {

char* heapCopy(const std::string& text) {
  char* block = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(block, text.c_str(), text.size() + 1);
  return block;
}

// The first driver among `properties` with identifier `id`, or null.
boost::shared_ptr<CostDriver> findDriver(
    const std::vector<boost::shared_ptr<CostProperty>>& properties,
    const std::string& id) {
  for (const auto& p : properties) {
    if (p && p->id() == id) {
      boost::shared_ptr<CostDriver> d =
          boost::dynamic_pointer_cast<CostDriver>(p);
      if (d) return d;
    }
  }
  return boost::shared_ptr<CostDriver>();
}

// The first driver with identifier `id` among the cost properties of
// `stage`, or null.
boost::shared_ptr<CostDriver> findStageDriver(
    const boost::shared_ptr<VelkUtils::Stage>& stage, const std::string& id) {
  if (!stage) return boost::shared_ptr<CostDriver>();
  for (int i = 0; i < stage->CostPropertyCount(); ++i) {
    boost::shared_ptr<CostProperty> p = stage->CostPropertyAt(i);
    if (p && p->id() == id) {
      boost::shared_ptr<CostDriver> d =
          boost::dynamic_pointer_cast<CostDriver>(p);
      if (d) return d;
    }
  }
  return boost::shared_ptr<CostDriver>();
}

double valueOf(const boost::shared_ptr<CostDriver>& driver) {
  return driver ? driver->doubleValue() : 0.0;
}

// True when some "CD_PR_02" driver's truncated value passes `test`.
template <typename Test>
bool pressKindMatches(
    const std::vector<boost::shared_ptr<CostProperty>>& properties, Test test) {
  for (const auto& p : properties) {
    if (!p || p->id() != "CD_PR_02") continue;
    boost::shared_ptr<CostDriver> d =
        boost::dynamic_pointer_cast<CostDriver>(p);
    if (d && test(static_cast<int>(d->doubleValue()))) return true;
  }
  return false;
}

}  // namespace

Press::Press() : pressInfo_(nullptr) {}

Press::Press(const std::string& label, int stageCount)
    : label_(label), pressInfo_(nullptr) {
  if (stageCount >= 1) stages_.resize(stageCount);
}

Press::Press(const Press& other)
    : label_(other.label_),
      stages_(other.stages_),
      costProperties_(other.costProperties_),
      pressInfo_(nullptr) {}

Press& Press::operator=(const Press& other) {
  label_ = other.label_;
  stages_ = other.stages_;
  costProperties_ = other.costProperties_;
  return *this;
}

Press::~Press() { freePressInfo(); }

boost::shared_ptr<VelkUtils::Stage> Press::stageAt(int index) const {
  if (index < 0 || index >= stageCount()) {
    return boost::shared_ptr<VelkUtils::Stage>();
  }
  return stages_[index];
}

void Press::setStageAt(int index,
                       const boost::shared_ptr<VelkUtils::Stage>& stage) {
  if (index >= 0 && index < stageCount()) stages_[index] = stage;
}

void Press::removeStageAt(int index) {
  if (index >= 0 && index < stageCount()) {
    stages_.erase(stages_.begin() + index);
  }
}

void Press::addCostProperty(const boost::shared_ptr<CostProperty>& property) {
  costProperties_.push_back(property);
}

boost::shared_ptr<CostProperty> Press::costPropertyAt(int index) const {
  if (index < 0 || index >= costPropertyCount()) {
    return boost::shared_ptr<CostProperty>();
  }
  return costProperties_[index];
}

bool Press::isFlexible() const {
  return pressKindMatches(costProperties_, [](int kind) { return kind > 9; });
}

bool Press::isBlankingPress() const {
  if (isFlexible()) return false;
  return pressKindMatches(costProperties_, [](int kind) { return kind == 5; });
}

double Press::pitch() const {
  return valueOf(findDriver(costProperties_, "CD_PR_PI"));
}

void Press::setPitch(double pitch) {
  boost::shared_ptr<CostDriver> driver =
      findDriver(costProperties_, "CD_PR_PI");
  if (driver) {
    driver->setValue(static_cast<float>(pitch));
    return;
  }
  boost::shared_ptr<CostDriverDouble> created(new CostDriverDouble("CD_PR_PI"));
  boost::shared_ptr<FormulaContainer> formulas(new FormulaContainer);
  std::ostringstream text;
  text << pitch;
  formulas->addFormula(text.str());
  created->setFormulaContainer(formulas);
  addCostProperty(created);
}

double Press::tableLength() const {
  if (!isFlexible()) return 0.0;
  return valueOf(findStageDriver(stageAt(0), "CD_ST_12"));
}

double Press::tableWidth() const {
  if (!isFlexible()) return 0.0;
  return valueOf(findStageDriver(stageAt(0), "CD_ST_13"));
}

double Press::tableHeight() const {
  if (!isFlexible()) return 0.0;
  return valueOf(findStageDriver(stageAt(0), "CD_ST_08"));
}

double Press::tableLength(int index) const {
  return valueOf(findStageDriver(stageAt(index), "CD_ST_06"));
}

double Press::tableWidth(int index) const {
  boost::shared_ptr<VelkUtils::Stage> stage = stageAt(index);
  boost::shared_ptr<CostDriver> width = findStageDriver(stage, "CD_ST_07");
  if (!width) width = findStageDriver(stage, "CD_ST_13");
  return valueOf(width);
}

double Press::tableHeight(int index) const {
  return valueOf(findStageDriver(stageAt(index), "CD_ST_08"));
}

bool Press::transPressAddStage() {
  if (!isFlexible()) return false;
  boost::shared_ptr<VelkUtils::Stage> added;
  if (!stages_.empty() && stages_.back()) {
    added = stages_.back()->clone();
    added->setStageID(0);
  }
  stages_.push_back(added);
  return true;
}

bool Press::transPressRemoveStage() {
  if (!isFlexible() || stages_.empty()) return false;
  stages_.pop_back();
  return true;
}

void Press::freePressInfo() {
  if (!pressInfo_) return;
  char* texts[] = {pressInfo_->pressKind, pressInfo_->label, pressInfo_->pr03,
                   pressInfo_->pr04,      pressInfo_->pr05,  pressInfo_->pr06,
                   pressInfo_->pr07,      pressInfo_->pr11};
  for (char* t : texts) std::free(t);
  delete pressInfo_;
  pressInfo_ = nullptr;
}

VELKO_PRESSINFO* Press::getVELKOPressInfo() {
  freePressInfo();
  pressInfo_ = new VELKO_PRESSINFO();
  pressInfo_->kind = -2;
  pressInfo_->stageCount = stageCount();
  pressInfo_->label = heapCopy(label_);
  char** const fields[] = {&pressInfo_->pressKind, &pressInfo_->pr04,
                           &pressInfo_->pr07,      &pressInfo_->pr05,
                           &pressInfo_->pr03,      &pressInfo_->pr11,
                           &pressInfo_->pr06};
  static const char* const kIds[] = {"CD_PR_02", "CD_PR_04", "CD_PR_07",
                                     "CD_PR_05", "CD_PR_03", "CD_PR_11",
                                     "CD_PR_06"};
  for (char** field : fields) *field = heapCopy("");

  for (const auto& property : costProperties_) {
    if (!property) continue;
    for (int k = 0; k < 7; ++k) {
      if (property->id() != kIds[k]) continue;
      try {
        const std::string text = property->stringValue();
        if (!text.empty()) {
          std::free(*fields[k]);
          *fields[k] = heapCopy(text);
        }
      } catch (const NoFormulaResultException& e) {
        std::fprintf(stdout, "PressParameter not set correctly %s\n", e.what());
      }
      break;
    }
  }
  return pressInfo_;
}

}  // namespace VelkData
