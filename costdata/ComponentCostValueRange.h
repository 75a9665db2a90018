#ifndef VELKDATA_COSTDATA_COMPONENTCOSTVALUERANGE_H
#define VELKDATA_COSTDATA_COMPONENTCOSTVALUERANGE_H

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "velkdata/TrUtf8.h"

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkData {

// The admissible values of one component parameter in one value slot of the
// component cost catalogue: a closed range or a list of values, each either
// integer or real. Slots hold their ranges by value, index for index with
// the parameters of the slot's component.
//
// A QObject for its class information only. Unlike a plain QObject it is
// copyable: copies carry the fields and a fresh object base.
class ComponentCostValueRange : public QObject {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  // The kind of range; stored as a 32-bit integer. Values other than the
  // four below stand for text lists, which accept no number.
  enum Type : std::int32_t {
    kIntRange = 0,
    kDoubleRange = 1,
    kIntList = 2,
    kDoubleList = 3,
    kStringList = 4,
  };

  // An integer range from 0 to 0 with accuracy 0 (no rounding); the archive
  // fills in the rest.
  ComponentCostValueRange();
  // A range of `type` with bounds and accuracy 0 and empty lists.
  explicit ComponentCostValueRange(Type type);
  ComponentCostValueRange(const ComponentCostValueRange& other);
  ComponentCostValueRange& operator=(const ComponentCostValueRange& other);
  ~ComponentCostValueRange() override;

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

  Type type() const { return type_; }

  // Bounds of the range types; ignored by the list types.
  float DoubleMin() const { return doubleMin_; }
  void SetDoubleMin(float value) { doubleMin_ = value; }
  float DoubleMax() const { return doubleMax_; }
  void SetDoubleMax(float value) { doubleMax_ = value; }
  // The step to which the cost factory rounds a value before checking it.
  float DoubleAccuracy() const { return doubleAccuracy_; }
  void SetDoubleAccuracy(float value) { doubleAccuracy_ = value; }

  // The admissible values of the list types.
  const std::vector<float>& Values() const { return values_; }
  void setValues(const std::vector<float>& values) { values_ = values; }
  // The admissible texts of a text list; no check reads them.
  const QStringList& stringValues() const { return stringValues_; }
  void SetstringValues(const QStringList& values) { stringValues_ = values; }

  // Whether `value` is admissible. Integer ranges and lists judge the value
  // truncated toward zero (3.9 counts as 3); a real range accepts its
  // bounds; a real list needs an exactly equal entry. Text lists accept
  // nothing. NaN and values beyond the int range are never admissible
  // for the integer kinds. Pass a float: an int argument would select the
  // private integer check.
  bool CheckValue(float value) const;

  // Whether both ranges admit the same values: the same type and, for the
  // range kinds, equal bounds and accuracy; for the list kinds, equal
  // entries in the same order. Text lists are never equal, not even to
  // themselves, so a slot holding one is never replaced.
  bool Equals(const ComponentCostValueRange& other) const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // The integer check behind `CheckValue` (float) for the integer kinds;
  // the real kinds and the text lists never accept an integer here.
  bool CheckValue(int value) const;

  Type type_;
  QStringList stringValues_;
  float doubleMax_;
  float doubleMin_;
  float doubleAccuracy_;
  std::vector<float> values_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COMPONENTCOSTVALUERANGE_H
