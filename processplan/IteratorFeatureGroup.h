#ifndef VELKDATA_PROCESSPLAN_ITERATORFEATUREGROUP_H
#define VELKDATA_PROCESSPLAN_ITERATORFEATUREGROUP_H

#include <boost/shared_ptr.hpp>
#include <type_traits>

#include "processplan/Iterator.h"
#include "processplan/IteratorFeature.h"

namespace TamberData {

class PartFeatureGroup;
class ProcessDatabase;

// Visits the feature groups of a forest in the order of `IteratorFeature`
// (depth first, each feature before its children), skipping every feature
// that is not a group. Construction leaves the cursor on the first group.
class IteratorFeatureGroup : public Iterator<PartFeatureGroup> {
 public:
  // The groups among and below the top-level features of `database`. A
  // template only so that this header does not need the database's
  // definition; it accepts nothing but a ProcessDatabase.
  template <class Database, class = typename std::enable_if<std::is_same<
                                Database, ProcessDatabase>::value>::type>
  explicit IteratorFeatureGroup(const Database& database) : walk_(database) {
    skipOthers();
  }
  // The groups in the tree below `feature`, `feature` included.
  explicit IteratorFeatureGroup(const boost::shared_ptr<PartFeature>& feature);

  void first() override;
  void next() override;
  bool isDone() const override;
  boost::shared_ptr<PartFeatureGroup> currentItem() const override;

 private:
  // Advances the walk to a group or to its end.
  void skipOthers();

  IteratorFeature walk_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_ITERATORFEATUREGROUP_H
