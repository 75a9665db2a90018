#ifndef VELKDATA_COSTDATA_MANUFACTURINGSTEP_H
#define VELKDATA_COSTDATA_MANUFACTURINGSTEP_H

#include <QObject>
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>

#include "velkdata/TrUtf8.h"

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkData {

class CostDriver;

// A machining or manufacturing activity (a cost centre) with an hourly rate
// and, per operation type, a factor held as a cost driver. The cost
// database holds the steps; component costs use them as keys of their
// hour formulas. The factor drivers are shared, also with clones.
//
// A QObject for its class information only; like every QObject it cannot
// be copied, `clone` makes the copies.
class ManufacturingStep : public QObject {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  // For the archive: an empty identifier, rate 1, no factors.
  ManufacturingStep();
  // Rate 1, empty label, no factors.
  explicit ManufacturingStep(const std::string& id);
  ~ManufacturingStep() override;

  const std::string& id() const { return id_; }
  const std::string& label() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }

  // The hourly rate.
  float CostPerHour() const { return costPerHour_; }
  void SetCostPerHour(float rate) { costPerHour_ = rate; }

  // The value of the factor for the operation type `operationType`; 0 when
  // the step has no factor (or an empty driver) for that type.
  // Throws `NoFormulaResultException` when the factor's formula fails.
  float OperationFactor(const std::string& operationType) const;

  // The factor driver for `operationType`; an empty pointer when none is
  // stored.
  boost::shared_ptr<CostDriver> GetOperationFactor(
      const std::string& operationType) const;

  // Stores `factor` for `operationType`, replacing any earlier one.
  void SetOperationFactor(const std::string& operationType,
                          const boost::shared_ptr<CostDriver>& factor);

  // A new step with the same identifier, label and rate whose factors are
  // the very same driver objects as this step's.
  boost::shared_ptr<ManufacturingStep> clone() const;

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

  // Steps are the same step when their identifiers are equal.
  bool operator==(const ManufacturingStep& other) const {
    return id_ == other.id_;
  }
  bool operator!=(const ManufacturingStep& other) const {
    return !(*this == other);
  }

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::string id_;
  std::string label_;
  float costPerHour_;
  std::map<std::string, boost::shared_ptr<CostDriver>> operationFactors_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_MANUFACTURINGSTEP_H
