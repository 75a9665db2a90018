#ifndef VELKDATA_COSTDATA_COSTDRIVERENUM_H
#define VELKDATA_COSTDATA_COSTDRIVERENUM_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "costdata/CostDriver.h"

namespace VelkData {

// A cost driver that takes one of a list of named values (a material class,
// a die type), held like every driver through shared pointers. Each entry
// has a text for the host and a number for formulas, index for index; the
// driver keeps the index of the current entry.
class CostDriverEnum : public CostDriver {
 public:
  CostDriverEnum();
  explicit CostDriverEnum(const std::string& id);

  // The cached value, the number of the current entry (0 when the index has
  // no number), or the formula result. A result that is no entry's number
  // is logged and returned as it is; callers treat it as undefined.
  // Throws `NoFormulaResultException` when no formula yields a result.
  float doubleValue() const override;
  // The text of the current entry, or of the first entry whose number is
  // the formula result. A result that is no entry's number is logged and
  // gives "". Throws as `doubleValue`.
  std::string stringValue() const override;
  boost::shared_ptr<CostProperty> clone() const override;

  // Replaces both lists and notifies the dependents. The current index is
  // kept.
  void setValues(const std::vector<float>& numbers,
                 const std::vector<std::string>& texts);
  // Makes the entry with `text` current and explicit and notifies the
  // dependents. Throws `ValueNotFoundException` (message: `text`) for an
  // unknown text.
  void setValue(const std::string& text);
  // Makes the first entry with number `value` current and explicit and
  // notifies the dependents; an unknown number changes nothing.
  void setValue(float value) override;
  // Recomputes the current entry and notifies, unless the value is
  // explicit. A result that matches no entry keeps the current one and
  // writes the same debug line as `doubleValue`.
  void reEvaluateFormula() override;
  // As `setValue` (text), but the entry is not made explicit.
  void setDependentValue(const std::string& text);

  // The number of the entry with `text`. Throws `ValueNotFoundException`
  // (message: `text`) for an unknown text or one without a number.
  float getValue(const std::string& text) const;
  bool containsEnumString(const std::string& text) const;
  const std::vector<std::string>& stringValues() const { return texts_; }
  const std::vector<float>& values() const { return numbers_; }
  // The index of the current entry; 0 in a new driver.
  int currentIndex() const { return index_; }

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // Index of `text` / of the first entry with number `value`; -1 if none.
  int indexOfText(const std::string& text) const;
  int indexOfNumber(float value) const;
  // Number and text at `i`; 0 and "" when the lists are shorter, as they
  // may be after `setValues` with lists of different lengths.
  float numberAt(int i) const;
  std::string textAt(int i) const;
  // Selects the entry with `text` as explicit or not; then notifies.
  void select(const std::string& text, bool isExplicit);
  // Writes the debug line for a formula result that matches no entry.
  void reportUnknownResult(double result) const;

  std::vector<std::string> texts_;
  std::vector<float> numbers_;
  int index_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDRIVERENUM_H
