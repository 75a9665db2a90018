#ifndef VELKDATA_PROCESSPLAN_CONSTRAINT_H
#define VELKDATA_PROCESSPLAN_CONSTRAINT_H

#include <QObject>
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "velkdata/TrUtf8.h"

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkData {
class Operation;
}

namespace TamberData {

// Says on which kinds of press operation a processing unit may run:
// operation types that are forbidden, types that are allowed but unpopular
// (to be avoided when there is a choice), and whether the unit should come
// early in the press line. Each `ProcessingUnit` holds one; operations ask
// it when their type is chosen or changed.
//
// Type names are compared exactly, case included. A QObject for its class
// information only; `clone` makes the copies.
class Constraint : public QObject {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  // Forbids nothing, finds nothing unpopular, early.
  Constraint();
  ~Constraint() override;

  // Appends `type` to the forbidden types unless it is already there.
  void AddForbiddenOperationType(const std::string& type);
  // Removes every occurrence of `type` from the forbidden types.
  void RemoveForbiddenOperationType(const std::string& type);
  // Appends `type` to the unpopular types unless it is already there.
  void AddUnpopularOperationType(const std::string& type);

  // The forbidden and the unpopular types, in the order they were added.
  const std::vector<std::string>& forbiddenOperationTypes() const {
    return forbiddenOperationTypes_;
  }
  const std::vector<std::string>& unpopularOperationTypes() const {
    return unpopularOperationTypes_;
  }

  // Whether the unit should come early in the press line; true unless set.
  bool Early() const { return early_; }
  void SetEarly(bool early) { early_ = early; }

  // Whether `type` is a forbidden operation type.
  bool operationTypeIsForbidden(const std::string& type) const;
  // Whether the type of `operation` is forbidden; false for an empty
  // pointer.
  bool operationIsForbidden(
      const boost::shared_ptr<VelkData::Operation>& operation) const;
  // Whether the operation type named `type` is forbidden.
  bool operationIsForbidden(const std::string& type) const;
  // Whether the type of `operation` is unpopular; false for an empty
  // pointer.
  bool operationIsUnpopular(
      const boost::shared_ptr<VelkData::Operation>& operation) const;

  // A new constraint with its own copies of both lists and the same early
  // flag; later changes to either do not reach the other.
  boost::shared_ptr<Constraint> clone() const;

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::vector<std::string> forbiddenOperationTypes_;
  std::vector<std::string> unpopularOperationTypes_;
  bool early_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_CONSTRAINT_H
