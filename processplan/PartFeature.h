#ifndef VELKDATA_PROCESSPLAN_PARTFEATURE_H
#define VELKDATA_PROCESSPLAN_PARTFEATURE_H

#include <QObject>
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "processplan/ValueNotFoundException.h"

namespace TamberData {

// Pairs of (system-defined name, user-defined name) of the parameters of one
// feature type. Formulas use the user-defined names; `PartFeature::value`
// understands the system-defined ones. Shared by all features of a type.
typedef std::vector<std::pair<std::string, std::string>> ParameterMapping;

// Feature type name to the id the simulation uses for it. Shared by all
// features of one factory.
typedef std::map<std::string, int> FeatureTypeIDs;

// A recognised feature of the part to be stamped (a curve, a surface or a
// group of them) with its type and measured values. Held by shared pointer
// by its parent feature, the process database and the formula containers
// whose formulas read its parameters.
class PartFeature : public QObject {
  Q_OBJECT

 public:
  // A feature without type, type ids or parameters.
  PartFeature();
  // A feature of type `type`. An empty `mapping` is replaced by an empty
  // list.
  PartFeature(const std::string& type,
              const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
              const boost::shared_ptr<ParameterMapping>& mapping);
  ~PartFeature() override;

  // The name shown for the feature; "" for a plain feature.
  virtual std::string label() const;

  std::string type() const;
  virtual void setType(const std::string& type);

  // The measures of the feature; 0.0 for a plain feature, which has none.
  virtual double length() const;
  virtual double area() const;

  // Whether `other` is this very feature; subclasses compare their records.
  virtual bool equals(const boost::shared_ptr<PartFeature>& other) const {
    return other.get() == this;
  }

  // The value of the parameter with system-defined name `name`: "LENGTH"
  // (`length`), "SURFACE" (`area`), "TYPE" (`typeID`) and "WIDTH" (always
  // 0.0). Throws `ValueNotFoundException` carrying `name` for any other
  // name.
  virtual double value(const std::string& name) const;

  // The simulation id of the type; 1 when the type has no entry in the
  // type-id map or there is no map.
  int typeID() const;
  void setTypeIDs(const boost::shared_ptr<FeatureTypeIDs>& typeIDs);

  // Installs the parameter mapping of the feature's type. An empty pointer
  // installs an empty list and writes a debug line.
  void setParameterMapping(const boost::shared_ptr<ParameterMapping>& mapping);
  // Appends the pair (`systemName`, `userName`) to the mapping, which may be
  // shared with other features of the type.
  void addParameterMapping(const std::string& systemName,
                           const std::string& userName);

  // Number of mapping pairs; -1 when there is no mapping.
  int userDefinedParametersCount() const;
  // The user-defined / system-defined name of pair `i`; "" when `i` is out
  // of range or there is no mapping.
  std::string userDefinedParameterAt(int i) const;
  std::string systemDefinedParameterAt(int i) const;

 private:
  std::string type_;
  boost::shared_ptr<FeatureTypeIDs> typeIDs_;
  boost::shared_ptr<ParameterMapping> parameterMapping_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PARTFEATURE_H
