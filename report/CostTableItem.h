#ifndef VELKDATA_REPORT_COSTTABLEITEM_H
#define VELKDATA_REPORT_COSTTABLEITEM_H

#include <string>
#include <vector>

namespace VelkData {

class CostTable;

// A run of cells that a sum cell totals. A "horizontal" range totals the
// cells of row `line` from column `first` to column `last`; a "vertical"
// range totals the cells of column `line` from row `first` to row `last`.
// Plain value record, copied freely.
struct SumRange {
  int first = 0;
  int last = 0;
  std::string direction;
  int line = 0;
};

bool operator==(const SumRange& a, const SumRange& b);
bool operator!=(const SumRange& a, const SumRange& b);

// The background colour of a report cell as red, green and blue components
// (0 to 255 by convention; not checked). White unless set.
struct BackgroundColor {
  int red = 255;
  int green = 255;
  int blue = 255;
};

bool operator==(const BackgroundColor& a, const BackgroundColor& b);
bool operator!=(const BackgroundColor& a, const BackgroundColor& b);

// One cell of a `CostTable`: the text the host renders, a lookup key, the
// alignment, bold face, background colour, role flags that tell the host
// what the cell stands for, and the sum ranges it totals.
//
// A value type: tables hold their cells by value and hand out copies.
// Every constructor leaves the key empty, the alignment "left"/"center" and
// every role flag false (also `isNumber`, even for the numeric
// constructors; the host marks numbers itself).
class CostTableItem {
 public:
  CostTableItem();
  explicit CostTableItem(const std::string& text);
  CostTableItem(const std::string& text, bool bold);
  CostTableItem(const std::string& text, bool bold, int red, int green,
                int blue);
  // Stores `value` as its decimal text ("42", "-7").
  CostTableItem(int value, bool bold, int red, int green, int blue);
  // Stores `value` in the default stream format with six significant
  // digits: "2.5", "0.333333", "1.23457e+06". The text does not depend on
  // the global locale.
  CostTableItem(double value, bool bold, int red, int green, int blue);

  // The cell text.
  const std::string& getStringData() const { return stringData_; }
  void setStringData(const std::string& text) { stringData_ = text; }
  // The cell text read as a number with `atof`: the leading numeric part,
  // 0 for a text that does not start with a number.
  double getDoubleData() const;

  // A key by which the host finds the cell again; "" unless set.
  const std::string& getStringKey() const { return stringKey_; }
  void setStringKey(const std::string& key) { stringKey_ = key; }

  // "left" unless set; the host decides which texts it understands.
  const std::string& getHorizontalAlignment() const {
    return horizontalAlignment_;
  }
  void setHorizontalAlignment(const std::string& alignment) {
    horizontalAlignment_ = alignment;
  }
  // "center" unless set.
  const std::string& getVerticalAlignment() const { return verticalAlignment_; }
  void setVerticalAlignment(const std::string& alignment) {
    verticalAlignment_ = alignment;
  }

  bool getBoldFace() const { return boldFace_; }
  void setBoldface(bool bold) { boldFace_ = bold; }

  BackgroundColor getBackgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(int red, int green, int blue);

  // Role flags; all false unless set.
  bool isNumber() const { return isNumber_; }
  void setIsNumber(bool value) { isNumber_ = value; }
  bool isSum() const { return isSum_; }
  void setIsSum(bool value) { isSum_ = value; }
  bool isEditable() const { return isEditable_; }
  void setIsEditable(bool value) { isEditable_ = value; }
  bool isOperationLabel() const { return isOperationLabel_; }
  void setIsOperationLabel(bool value) { isOperationLabel_ = value; }
  bool isManufacturingStepLabel() const { return isManufacturingStepLabel_; }
  void setIsManufacturingStepLabel(bool value) {
    isManufacturingStepLabel_ = value;
  }
  bool isMaterialLabel() const { return isMaterialLabel_; }
  void setIsMaterialLabel(bool value) { isMaterialLabel_ = value; }
  bool isComponentLabel() const { return isComponentLabel_; }
  void setIsComponentLabel(bool value) { isComponentLabel_ = value; }

  // Appends a range to the ranges this cell totals. Nothing is checked:
  // the host may add a range before the cells it covers exist.
  void addSumRange(int first, int last, const std::string& direction, int line);
  // A copy of the ranges in the order they were added.
  std::vector<SumRange> getSumRange() const { return sumRanges_; }

 private:
  // The table moves the ranges of a cell when it glues tables together.
  friend class CostTable;

  std::string stringData_;
  std::string stringKey_;
  std::string horizontalAlignment_;
  std::string verticalAlignment_;
  bool boldFace_;
  bool isNumber_;
  bool isComponentLabel_;
  bool isMaterialLabel_;
  bool isOperationLabel_;
  bool isManufacturingStepLabel_;
  bool isSum_;
  bool isEditable_;
  BackgroundColor backgroundColor_;
  std::vector<SumRange> sumRanges_;
};

}  // namespace VelkData

#endif  // VELKDATA_REPORT_COSTTABLEITEM_H
