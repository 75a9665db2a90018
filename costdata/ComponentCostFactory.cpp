#include "costdata/ComponentCostFactory.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "costdata/Component.h"
#include "costdata/CostDriver.h"
#include "costdata/Operation.h"
#include "formula/NoFormulaResultException.h"

namespace VelkData {

namespace {

typedef boost::shared_ptr<CostDriver> DriverPtr;
typedef boost::shared_ptr<TamberData::Component> ComponentPtr;

// Splitting stops at this many pieces: far more than any die needs, and the
// bound keeps values that subtraction cannot shrink (an infinite value, or
// one so large that a piece is below its precision) from looping forever.
const int kMaxPieces = 10000;

std::string formatGeneral(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%g", value);
  return buffer;
}

// The cause stored on a component whose parameter cannot be read: only a
// parameter the user can see is worth naming.
std::string unreadableCause(const DriverPtr& parameter) {
  if (parameter && parameter->isVisible()) {
    return "Database mismatch for " + parameter->label();
  }
  return "Database mismatch";
}

// Reads the value of every parameter of `component` in order. At the first
// one that yields no value, `cause` names it and the answer is false.
bool readValues(const TamberData::Component& component,
                std::vector<float>* values, std::string* cause) {
  values->clear();
  for (int i = 0; i < component.parameterCount(); ++i) {
    const DriverPtr parameter = component.parameterAt(i);
    if (!parameter) {
      *cause = unreadableCause(parameter);
      return false;
    }
    try {
      values->push_back(parameter->doubleValue());
    } catch (const NoFormulaResultException&) {
      *cause = unreadableCause(parameter);
      return false;
    }
  }
  return true;
}

void reportUnsplittable(const TamberData::Component& component, int i,
                        const std::string& reason) {
  const DriverPtr parameter = component.parameterAt(i);
  const std::string id = parameter ? parameter->id() : std::string();
  qDebug("Cannot split parameter %s of component %s: %s", id.c_str(),
         component.label().c_str(), reason.c_str());
}

// The pieces the values of `component` fall into, and the index of the
// parameter they belong to (-1 with the one piece 0.0 when nothing is
// split). A parameter whose limits cannot be computed, or whose piece
// size would never bring the value down, is reported and left whole.
std::vector<double> splitValues(const TamberData::Component& component,
                                const std::vector<float>& values,
                                int* splitIndex) {
  std::vector<double> pieces;
  *splitIndex = -1;
  for (int i = 0; i < static_cast<int>(values.size()); ++i) {
    double value = values[i];
    double max = 0.0;
    try {
      max = component.standardMaxAt(i);
    } catch (const NoFormulaResultException& e) {
      reportUnsplittable(component, i, e.message());
      continue;
    }
    // Comparisons with NaN are false, so a NaN value or limit splits
    // nothing and is left to the range check.
    if (!(value > max)) continue;
    double min = 0.0;
    try {
      min = component.standardMinAt(i);
    } catch (const NoFormulaResultException& e) {
      reportUnsplittable(component, i, e.message());
      continue;
    }
    const double pieceSize = (min == 0.0) ? max : min;
    if (!(pieceSize > 0.0)) {
      reportUnsplittable(
          component, i,
          "piece size " + formatGeneral(pieceSize) + " is not positive");
      continue;
    }
    std::vector<double> parameterPieces;
    while (value - max > 0.0 &&
           static_cast<int>(parameterPieces.size()) < kMaxPieces) {
      parameterPieces.push_back(pieceSize);
      value -= pieceSize;
    }
    if (value - max > 0.0) {
      reportUnsplittable(component, i,
                         "value " + formatGeneral(values[i]) +
                             " needs more than " + std::to_string(kMaxPieces) +
                             " pieces");
      continue;
    }
    parameterPieces.push_back(value);
    pieces.insert(pieces.end(), parameterPieces.begin(), parameterPieces.end());
    *splitIndex = i;
  }
  if (pieces.empty()) pieces.push_back(0.0);
  return pieces;
}

// A slot that may cost the component, remembered for the reporting pass.
struct Candidate {
  const ComponentCostsValueSlot* slot;
  std::vector<float> rounded;
};

}  // namespace

ComponentCostFactory::ComponentCostFactory() {}

ComponentCostFactory::~ComponentCostFactory() {}

void ComponentCostFactory::virtualDummyFunction() {}

void ComponentCostFactory::addComponentCostsValueSlot(
    const ComponentCostsValueSlot& slot) {
  slots_.push_back(slot);
}

int ComponentCostFactory::ComponentCostsValueSlotCount() const {
  return static_cast<int>(slots_.size());
}

ComponentCostsValueSlot* ComponentCostFactory::ComponentCostsValueSlotAt(
    int i) {
  if (i < 0 || i >= ComponentCostsValueSlotCount()) return nullptr;
  return &slots_[i];
}

const ComponentCostsValueSlot* ComponentCostFactory::ComponentCostsValueSlotAt(
    int i) const {
  if (i < 0 || i >= ComponentCostsValueSlotCount()) return nullptr;
  return &slots_[i];
}

bool ComponentCostFactory::replaceComponentCostsValueSlot(
    const boost::shared_ptr<ComponentCostsValueSlot>& slot) {
  if (!slot) return false;
  bool found = false;
  for (ComponentCostsValueSlot& stored : slots_) {
    if (stored.Label() != slot->Label()) continue;
    const int count = stored.ComponentCostValueRangeCount();
    if (count != slot->ComponentCostValueRangeCount()) continue;
    bool equal = true;
    for (int i = 0; i < count && equal; ++i) {
      equal = stored.ComponentCostValueRangeAt(i)->Equals(
          *slot->ComponentCostValueRangeAt(i));
    }
    if (!equal) continue;
    stored.ReplaceComponentCostAmountFormulas(*slot);
    found = true;
  }
  return found;
}

boost::shared_ptr<ComponentCost>
ComponentCostFactory::referenceComponentCostByType(
    const std::string& label) const {
  for (const ComponentCostsValueSlot& slot : slots_) {
    const ComponentPtr component = slot.component();
    if (component && component->label() == label) {
      return slot.CopyComponentCost();
    }
  }
  return boost::shared_ptr<ComponentCost>();
}

std::vector<boost::shared_ptr<ComponentCost>>
ComponentCostFactory::componentCosts(const ComponentPtr& component) {
  std::vector<boost::shared_ptr<ComponentCost>> result;
  if (!component) return result;
  component->ResetNoDBMatchFlag();

  std::vector<float> values;
  std::string cause;
  if (!readValues(*component, &values, &cause)) {
    component->SetNoDBMatchFlag(cause);
    return result;
  }

  int splitIndex = -1;
  const std::vector<double> pieces =
      splitValues(*component, values, &splitIndex);

  for (double piece : pieces) {
    // The values with the piece in place; read on the first candidate,
    // since cloning is only worth it when some slot may apply.
    std::vector<float> pieceValues = values;
    bool pieceValuesRead = splitIndex < 0;
    bool pieceReadable = true;
    std::string pieceCause;

    std::vector<Candidate> candidates;
    bool matched = false;
    for (const ComponentCostsValueSlot& slot : slots_) {
      const ComponentPtr slotComponent = slot.component();
      if (!slotComponent || !(*slotComponent == *component)) continue;

      if (!pieceValuesRead) {
        pieceValuesRead = true;
        // Parameters computed from the split one must follow the piece, so
        // the values are read again from a clone that holds it.
        const ComponentPtr split = component->clone();
        split->parameterAt(splitIndex)->setValue(static_cast<float>(piece));
        pieceReadable = readValues(*split, &pieceValues, &pieceCause);
      }
      if (!pieceReadable) {
        candidates.push_back(Candidate{&slot, std::vector<float>()});
        continue;
      }

      std::vector<float> rounded(pieceValues.size());
      for (size_t i = 0; i < pieceValues.size(); ++i) {
        const ComponentCostValueRange* range =
            slot.ComponentCostValueRangeAt(static_cast<int>(i));
        // A value without a range stays as it is; the check refuses it.
        const double step = range ? range->DoubleAccuracy() : 0.0;
        rounded[i] = static_cast<float>(
            roundValue(pieceValues[i], step,
                       component->roundingRuleAt(static_cast<int>(i))));
      }

      std::string message;
      if (checkComponentCost(*component, rounded, slot, message, false)) {
        const boost::shared_ptr<ComponentCost> cost = slot.CopyComponentCost();
        const ComponentPtr filled = component->clone();
        const int count = std::min(filled->parameterCount(),
                                   static_cast<int>(rounded.size()));
        for (int i = 0; i < count; ++i) {
          const DriverPtr parameter = filled->parameterAt(i);
          if (parameter) parameter->setValue(rounded[i]);
        }
        cost->setComponent(filled);
        result.push_back(cost);
        matched = true;
        break;
      }
      candidates.push_back(Candidate{&slot, rounded});
    }
    if (matched) continue;

    // Without any candidate there is no check to take a cause from.
    std::string lastCause = "Database mismatch";
    for (const Candidate& candidate : candidates) {
      if (!pieceReadable) {
        lastCause = pieceCause;
        continue;
      }
      checkComponentCost(*component, candidate.rounded, *candidate.slot,
                         lastCause, true);
    }
    qDebug("!!Could not calculate component %s!", component->label().c_str());
    component->SetNoDBMatchFlag(lastCause);
  }
  return result;
}

double ComponentCostFactory::roundValue(double value, double step, int rule) {
  if (!(step > 0.0) || std::isinf(step)) return value;
  switch (rule) {
    case TamberData::Component::kRoundUp:
      return std::ceil(value / step) * step;
    case TamberData::Component::kRoundDown:
      return std::floor(value / step) * step;
    case TamberData::Component::kRoundToNearestStep: {
      const double lower = std::floor(value / step) * step;
      const double upper = std::ceil(value / step) * step;
      return (value - lower < upper - value) ? lower : upper;
    }
    default:
      return value;
  }
}

bool ComponentCostFactory::checkComponentCost(
    const TamberData::Component& component, const std::vector<float>& values,
    const ComponentCostsValueSlot& slot, std::string& message,
    bool report) const {
  for (size_t i = 0; i < values.size(); ++i) {
    const ComponentCostValueRange* range =
        slot.ComponentCostValueRangeAt(static_cast<int>(i));
    if (range && range->CheckValue(values[i])) continue;

    const DriverPtr parameter = component.parameterAt(static_cast<int>(i));
    const int level = parameter ? static_cast<int>(parameter->level()) : -1;
    if (parameter && parameter->isVisible() && (level == 0 || level == 1)) {
      message = "Database mismatch for " + parameter->label();
    } else {
      message = "Database mismatch";
    }
    if (report) {
      const boost::shared_ptr<Operation> operation = component.operation();
      const std::string id = parameter ? parameter->id() : std::string();
      const std::string operationLabel =
          operation ? operation->label() : std::string();
      const std::string operationType =
          operation ? operation->type() : std::string();
      qDebug(
          "Double parameter %s (= %s) of component %s  for operation %s of "
          "type %s does not match",
          id.c_str(), formatGeneral(values[i]).c_str(),
          component.label().c_str(), operationLabel.c_str(),
          operationType.c_str());
    }
    return false;
  }
  message.clear();
  return true;
}

}  // namespace VelkData
