#ifndef VELKDATA_COSTDATA_PRICEUNIT_H
#define VELKDATA_COSTDATA_PRICEUNIT_H

#include <boost/shared_ptr.hpp>
#include <string>

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkData {

// The unit in which the cost of a tool material is quoted, for example per
// kilogram or per cubic decimetre. The cost database holds the units; every
// `ToolMaterial` quoted in a unit shares that one object.
class PriceUnit {
 public:
  // For the archive: an empty identifier.
  PriceUnit();
  explicit PriceUnit(const std::string& id);
  virtual ~PriceUnit();

  const std::string& id() const { return id_; }
  const std::string& label() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }

  // The label of the amount measured in this unit (what the unit counts).
  const std::string& amountLabel() const { return amountLabel_; }
  void setAmountLabel(const std::string& label) { amountLabel_ = label; }

  // Whether the unit is one of weight; a material quoted in it then costs
  // its price times its density per volume unit. False unless set.
  bool isWeightUnit() const { return isWeightUnit_; }
  void setIsWeightUnit(bool isWeightUnit) { isWeightUnit_ = isWeightUnit; }

  // A new unit with the same identifier, labels and weight flag.
  boost::shared_ptr<PriceUnit> clone() const;

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

  // Units are the same unit when their identifiers are equal.
  bool operator==(const PriceUnit& other) const { return id_ == other.id_; }
  bool operator!=(const PriceUnit& other) const { return !(*this == other); }

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::string id_;
  std::string label_;
  std::string amountLabel_;
  bool isWeightUnit_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_PRICEUNIT_H
