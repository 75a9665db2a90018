#ifndef VELKDATA_COSTDATA_TOOLMATERIAL_H
#define VELKDATA_COSTDATA_TOOLMATERIAL_H

#include <boost/shared_ptr.hpp>
#include <string>

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkData {

class PriceUnit;

// A material from which die components are made, with its density and its
// cost per price unit. The cost database holds the materials; component
// costs use them as keys of their amount formulas. The `PriceUnit` is
// shared with the database and with every other material quoted in it.
//
// Copy construction and assignment copy every field and share the price
// unit.
class ToolMaterial {
 public:
  // For the archive: an empty identifier, density 1, cost 0, no price unit.
  ToolMaterial();
  // Density 1, cost per unit 0, empty label, no price unit.
  explicit ToolMaterial(const std::string& id);
  virtual ~ToolMaterial();

  const std::string& id() const { return id_; }
  const std::string& label() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }

  float Density() const { return density_; }
  void SetDensity(float density) { density_ = density; }

  // The cost of one price unit of the material.
  float CostPerUnit() const { return costPerUnit_; }
  void SetCostPerUnit(float cost) { costPerUnit_ = cost; }

  // The unit in which `CostPerUnit` is quoted; an empty pointer unless set.
  boost::shared_ptr<PriceUnit> priceUnit() const { return priceUnit_; }
  void SetPriceUnit(const boost::shared_ptr<PriceUnit>& unit) {
    priceUnit_ = unit;
  }

  // The cost of one volume unit: for a weight-priced material the cost per
  // unit times the density, rounded to float; otherwise the cost per unit
  // unchanged. A material without a price unit is treated as priced per
  // volume, so its cost per unit is returned as it is.
  float CostPerVolumeUnit() const;

  // A new material with the same identifier, label, density and cost per
  // unit that shares (does not copy) this material's price unit.
  boost::shared_ptr<ToolMaterial> clone() const;

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

  // Materials are the same material when their identifiers are equal.
  bool operator==(const ToolMaterial& other) const { return id_ == other.id_; }
  bool operator!=(const ToolMaterial& other) const { return !(*this == other); }

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::string id_;
  std::string label_;
  float density_;
  float costPerUnit_;
  boost::shared_ptr<PriceUnit> priceUnit_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_TOOLMATERIAL_H
