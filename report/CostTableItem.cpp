#include "report/CostTableItem.h"

#include <cstdlib>
#include <locale>
#include <sstream>

namespace VelkData {

namespace {

// The classic locale keeps "2.5" from turning into "2,5" when the host has
// installed a national global locale.
template <typename Number>
std::string formatNumber(Number value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << value;
  return out.str();
}

}  // namespace

bool operator==(const SumRange& a, const SumRange& b) {
  return a.first == b.first && a.last == b.last && a.direction == b.direction &&
         a.line == b.line;
}

bool operator!=(const SumRange& a, const SumRange& b) { return !(a == b); }

bool operator==(const BackgroundColor& a, const BackgroundColor& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

bool operator!=(const BackgroundColor& a, const BackgroundColor& b) {
  return !(a == b);
}

CostTableItem::CostTableItem() : CostTableItem(std::string()) {}

CostTableItem::CostTableItem(const std::string& text)
    : CostTableItem(text, false) {}

CostTableItem::CostTableItem(const std::string& text, bool bold)
    : CostTableItem(text, bold, 255, 255, 255) {}

CostTableItem::CostTableItem(const std::string& text, bool bold, int red,
                             int green, int blue)
    : stringData_(text),
      horizontalAlignment_("left"),
      verticalAlignment_("center"),
      boldFace_(bold),
      isNumber_(false),
      isComponentLabel_(false),
      isMaterialLabel_(false),
      isOperationLabel_(false),
      isManufacturingStepLabel_(false),
      isSum_(false),
      isEditable_(false) {
  setBackgroundColor(red, green, blue);
}

CostTableItem::CostTableItem(int value, bool bold, int red, int green, int blue)
    : CostTableItem(formatNumber(value), bold, red, green, blue) {}

CostTableItem::CostTableItem(double value, bool bold, int red, int green,
                             int blue)
    : CostTableItem(formatNumber(value), bold, red, green, blue) {}

double CostTableItem::getDoubleData() const {
  return std::atof(stringData_.c_str());
}

void CostTableItem::setBackgroundColor(int red, int green, int blue) {
  backgroundColor_.red = red;
  backgroundColor_.green = green;
  backgroundColor_.blue = blue;
}

void CostTableItem::addSumRange(int first, int last,
                                const std::string& direction, int line) {
  SumRange range;
  range.first = first;
  range.last = last;
  range.direction = direction;
  range.line = line;
  sumRanges_.push_back(range);
}

}  // namespace VelkData
