#ifndef VELKDATA_PROCESSPLAN_ITERATORPARTGEOMETRY_H
#define VELKDATA_PROCESSPLAN_ITERATORPARTGEOMETRY_H

#include <boost/shared_ptr.hpp>
#include <type_traits>
#include <vector>

#include "processplan/Iterator.h"
#include "processplan/IteratorFeature.h"

namespace VelkData {
class Operation;
}  // namespace VelkData

namespace TamberData {

class PartGeometry;
class ProcessDatabase;

// Visits the curves and patches of a forest in the order of
// `IteratorFeature` (depth first, each feature before its children),
// skipping groups and plain features. Construction leaves the cursor on the
// first piece of geometry.
class IteratorPartGeometry : public Iterator<PartGeometry> {
 public:
  // The geometry among and below the top-level features of `database`.
  // The database constructors are templates only so that this header does
  // not need the database's definition; they accept nothing but a
  // ProcessDatabase.
  template <class Database, class = typename std::enable_if<std::is_same<
                                Database, ProcessDatabase>::value>::type>
  explicit IteratorPartGeometry(const Database& database) : walk_(database) {
    skipOthers();
  }
  // The geometry among and below those top-level features of `database`
  // that have a processing unit assigned to the database's operation at
  // `operationIndex`. Nothing when the database has no operation there
  // (`OperationAt` gives an empty pointer).
  template <class Database, class = typename std::enable_if<std::is_same<
                                Database, ProcessDatabase>::value>::type>
  IteratorPartGeometry(const Database& database, int operationIndex)
      : walk_(rootsOnOperation(database, operationIndex)) {
    skipOthers();
  }
  // The geometry in the tree below `feature`, `feature` included.
  explicit IteratorPartGeometry(const boost::shared_ptr<PartFeature>& feature);

  void first() override;
  void next() override;
  bool isDone() const override;
  boost::shared_ptr<PartGeometry> currentItem() const override;

 private:
  template <class Database>
  static std::vector<boost::shared_ptr<PartFeature>> rootsOnOperation(
      const Database& database, int operationIndex) {
    std::vector<boost::shared_ptr<PartFeature>> roots;
    const boost::shared_ptr<VelkData::Operation> operation =
        database.OperationAt(operationIndex);
    // Without an operation every unassigned unit would match.
    if (!operation) return roots;
    for (int i = 0; i < database.topLevelPartFeatureCount(); ++i) {
      boost::shared_ptr<PartFeature> feature =
          database.topLevelPartFeatureAt(i);
      if (feature && hasUnitOn(*feature, operation)) roots.push_back(feature);
    }
    return roots;
  }
  // Whether one of the feature's own units is assigned to `operation`.
  static bool hasUnitOn(
      const PartFeature& feature,
      const boost::shared_ptr<VelkData::Operation>& operation);
  // Advances the walk to geometry or to its end.
  void skipOthers();

  IteratorFeature walk_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_ITERATORPARTGEOMETRY_H
