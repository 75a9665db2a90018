#ifndef VELKDATA_PROCESSPLAN_PARTFEATURE_H
#define VELKDATA_PROCESSPLAN_PARTFEATURE_H

#include <QObject>
#include <boost/shared_ptr.hpp>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "processplan/ValueNotFoundException.h"
#include "velkdata/TrUtf8.h"

namespace boost {
namespace serialization {
class access;
}  // namespace serialization
}  // namespace boost

namespace VelkUtils {
class LINEFEATURE;
class PATCHFEATURE;
}  // namespace VelkUtils

namespace TamberData {

class ProcessingUnit;

// Pairs of (system-defined name, user-defined name) of the parameters of one
// feature type. Formulas use the user-defined names; `PartFeature::value`
// understands the system-defined ones. Shared by all features of a type.
typedef std::vector<std::pair<std::string, std::string>> ParameterMapping;

// Feature type name to the id the simulation uses for it. Shared by all
// features of one factory.
typedef std::map<std::string, int> FeatureTypeIDs;

// A recognised feature of the part to be stamped (a curve, a surface or a
// group of them) with its type, measured values, child features and the
// ordered processing units that machine it. Held by shared pointer by its
// parent feature, the process database and the formula containers whose
// formulas read its parameters.
//
// Ownership cycle: a feature holds its units and each unit points back at
// the feature (its owner). `clearProcessingUnits` breaks the cycle.
//
// A plain feature has no measures and no record; `PartGeometryCurve`,
// `PartGeometryPatch` and `PartFeatureGroup` give the virtuals their
// meaning.
class PartFeature : public QObject {
  Q_OBJECT
  VELKDATA_TR_UTF8

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
  // Store the measures; a plain feature ignores them.
  virtual void setLength(double length);
  virtual void setArea(double area);

  // Whether `other` is this very feature; subclasses compare their records.
  virtual bool equals(const boost::shared_ptr<PartFeature>& other) const {
    return other.get() == this;
  }

  // The value of the parameter with system-defined name `name`: "LENGTH"
  // (`length`), "SURFACE" (`area`), "TYPE" (`typeID`) and "WIDTH" (always
  // 0.0). Subclasses answer their own names first. Throws
  // `ValueNotFoundException` carrying `name` for any other name.
  virtual double value(const std::string& name) const;

  // Inserts `unit` at position `index` of the unit list, makes `owner` its
  // part feature and renumbers the units from `index` to the end by their
  // positions. `owner` is the shared pointer that holds this feature: the
  // feature cannot make one of itself. An empty `unit`, or `index` outside
  // [0, processingUnitCount()], is ignored.
  virtual void insertProcessingUnitAt(
      int index, const boost::shared_ptr<ProcessingUnit>& unit,
      const boost::shared_ptr<PartFeature>& owner);

  // The direction in which the feature is machined, normally three
  // components; empty for a plain feature, which has none.
  virtual std::deque<double> processingDirection() const;

  // Appends `child` through `insertChildAt`.
  virtual void addChild(const boost::shared_ptr<PartFeature>& child);
  // Inserts `child` at `index`, or appends it when `index` is at or beyond
  // the end. Nothing happens when some child already `equals` it, when
  // `child` is empty, when `index` is negative or when the feature would
  // become its own descendant.
  virtual void insertChildAt(int index,
                             const boost::shared_ptr<PartFeature>& child);
  // Removes that very child object; nothing happens when it is not a child.
  virtual void removeChild(const boost::shared_ptr<PartFeature>& child);
  virtual void removeAllChilds();

  // Appends the export records of the feature (see `PartGeometryCurve::
  // getFeature`) to `lines` and `patches`. A plain feature has no record of
  // its own and appends those of its children, depth first.
  virtual void getFeature(std::vector<VelkUtils::LINEFEATURE>& lines,
                          std::vector<VelkUtils::PATCHFEATURE>& patches) const;

  // Whether the feature is a surface / a group; false for a plain feature.
  virtual bool isPatchFeature() const;
  virtual bool isGroup() const;

  // The bounding box (minimum x, y, z, then maximum x, y, z); empty for a
  // plain feature, which ignores `setBoundBox`.
  virtual std::vector<double> getBoundBox() const;
  virtual void setBoundBox(const std::vector<double>& box);
  // The side of the part the feature lies on; 0 for a plain feature.
  virtual int getPartSide() const;
  // The simulation's id of the feature; -1 when it has none.
  virtual int getFID() const;
  // Whether the processing units the simulation knows for the feature are
  // the feature's own; true for a feature without a record.
  virtual bool checkXoloSync() const;

  // The simulation id of the type; 1 when the type has no entry in the
  // type-id map or there is no map.
  int typeID() const;
  // The shared type-id map; may be empty.
  boost::shared_ptr<FeatureTypeIDs> typeIDs() const { return typeIDs_; }
  void setTypeIDs(const boost::shared_ptr<FeatureTypeIDs>& typeIDs);

  // The shared parameter mapping of the feature's type; may be empty only
  // for a default-constructed feature.
  boost::shared_ptr<ParameterMapping> parameterMapping() const {
    return parameterMapping_;
  }
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

  int childrenCount() const;
  // The child at `i`; an empty pointer when `i` is outside
  // [0, childrenCount()).
  boost::shared_ptr<PartFeature> childAt(int i) const;
  // A copy of the child list; the children themselves are shared.
  std::vector<boost::shared_ptr<PartFeature>> getChildren() const {
    return children_;
  }

  int processingUnitCount() const;
  // The unit at `i`; an empty pointer when `i` is outside
  // [0, processingUnitCount()).
  boost::shared_ptr<ProcessingUnit> processingUnitAt(int i) const;
  // A copy of the unit list; the units themselves are shared.
  std::vector<boost::shared_ptr<ProcessingUnit>> getProcessingUnits() const {
    return processingUnits_;
  }
  // Appends `unit` through `insertProcessingUnitAt`.
  void addProcessingUnit(const boost::shared_ptr<ProcessingUnit>& unit,
                         const boost::shared_ptr<PartFeature>& owner);
  // Replaces the unit at `index` by `unit`, which gets `owner` as its part
  // feature and `index` as its index. An empty `unit`, or `index` outside
  // [0, processingUnitCount()), is ignored.
  void setProcessingUnitAt(int index,
                           const boost::shared_ptr<ProcessingUnit>& unit,
                           const boost::shared_ptr<PartFeature>& owner);
  // Removes the unit at `index` and renumbers the units behind it, so that
  // every index stays the unit's position. An `index` outside
  // [0, processingUnitCount()) is ignored.
  void removeProcessingUnitAt(int index);
  // Makes every component of every unit drop its relation to that unit,
  // then empties the unit list.
  void clearProcessingUnits();

 protected:
  // Whether `insertChildAt` takes `child`: not empty, equal to no child and
  // not this feature or one of its ancestors.
  bool acceptsChild(const boost::shared_ptr<PartFeature>& child) const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // Sets each unit's index from `from` to the end to its position.
  void renumberProcessingUnits(int from);

  std::string type_;
  boost::shared_ptr<FeatureTypeIDs> typeIDs_;
  boost::shared_ptr<ParameterMapping> parameterMapping_;
  std::vector<boost::shared_ptr<PartFeature>> children_;
  std::vector<boost::shared_ptr<ProcessingUnit>> processingUnits_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PARTFEATURE_H
