#include "processplan/Constraint.h"

#include <algorithm>

#include "costdata/Operation.h"

namespace TamberData {

namespace {

bool contains(const std::vector<std::string>& types, const std::string& type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

}  // namespace

Constraint::Constraint() : early_(true) {}

Constraint::~Constraint() {}

void Constraint::AddForbiddenOperationType(const std::string& type) {
  if (!contains(forbiddenOperationTypes_, type)) {
    forbiddenOperationTypes_.push_back(type);
  }
}

void Constraint::RemoveForbiddenOperationType(const std::string& type) {
  // Lists read from older archives may hold a type more than once.
  forbiddenOperationTypes_.erase(
      std::remove(forbiddenOperationTypes_.begin(),
                  forbiddenOperationTypes_.end(), type),
      forbiddenOperationTypes_.end());
}

void Constraint::AddUnpopularOperationType(const std::string& type) {
  if (!contains(unpopularOperationTypes_, type)) {
    unpopularOperationTypes_.push_back(type);
  }
}

bool Constraint::operationTypeIsForbidden(const std::string& type) const {
  return contains(forbiddenOperationTypes_, type);
}

bool Constraint::operationIsForbidden(
    const boost::shared_ptr<VelkData::Operation>& operation) const {
  if (!operation) return false;
  return operationTypeIsForbidden(operation->type());
}

bool Constraint::operationIsForbidden(const std::string& type) const {
  return operationTypeIsForbidden(type);
}

bool Constraint::operationIsUnpopular(
    const boost::shared_ptr<VelkData::Operation>& operation) const {
  if (!operation) return false;
  return contains(unpopularOperationTypes_, operation->type());
}

boost::shared_ptr<Constraint> Constraint::clone() const {
  boost::shared_ptr<Constraint> copy(new Constraint());
  copy->forbiddenOperationTypes_ = forbiddenOperationTypes_;
  copy->unpopularOperationTypes_ = unpopularOperationTypes_;
  copy->early_ = early_;
  return copy;
}

void Constraint::virtualDummyFunction() {}

}  // namespace TamberData
