#ifndef VELKDATA_COSTDATA_COSTDRIVERINTRANGE_H
#define VELKDATA_COSTDATA_COSTDRIVERINTRANGE_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "costdata/CostDriverInt.h"

namespace VelkData {

// An integer driver whose value the host offers as a range between the
// property's minimum and maximum. It behaves exactly like `CostDriverInt`;
// the class of its own lets hosts tell ranges apart.
class CostDriverIntRange : public CostDriverInt {
 public:
  CostDriverIntRange();
  explicit CostDriverIntRange(const std::string& id);

  // A new independent `CostDriverIntRange` with this driver's state.
  boost::shared_ptr<CostProperty> clone() const override;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_COSTDRIVERINTRANGE_H
