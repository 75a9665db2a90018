#ifndef VELKDATA_PROCESSPLAN_ITERATORFEATURE_H
#define VELKDATA_PROCESSPLAN_ITERATORFEATURE_H

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "processplan/Iterator.h"
#include "processplan/PartFeature.h"

namespace TamberData {

class ProcessDatabase;

// Visits a forest of part features depth first, each feature before its
// children, the roots in order. The roots are collected at construction;
// the children are read as the walk reaches them. Construction leaves the
// cursor on the first feature.
//
// A feature met again below itself (possible only in a damaged tree) is
// skipped, so the walk always ends.
class IteratorFeature : public Iterator<PartFeature> {
 public:
  // The top-level features of `database`, in database order. A template
  // only so that this header does not need the database's definition; it
  // accepts nothing but a ProcessDatabase.
  template <class Database, class = typename std::enable_if<std::is_same<
                                Database, ProcessDatabase>::value>::type>
  explicit IteratorFeature(const Database& database) : nextRoot_(0) {
    for (int i = 0; i < database.topLevelPartFeatureCount(); ++i) {
      roots_.push_back(database.topLevelPartFeatureAt(i));
    }
    first();
  }
  // The tree below `feature`, `feature` included; nothing for an empty
  // pointer.
  explicit IteratorFeature(const boost::shared_ptr<PartFeature>& feature);
  // The trees below `roots`, in order; empty entries are skipped.
  explicit IteratorFeature(
      const std::vector<boost::shared_ptr<PartFeature>>& roots);

  void first() override;
  void next() override;
  bool isDone() const override;
  boost::shared_ptr<PartFeature> currentItem() const override;

 private:
  struct Frame {
    boost::shared_ptr<PartFeature> feature;
    int nextChild;
  };

  // Enters the next non-empty root, if any is left.
  void enterNextRoot();
  bool onPath(const PartFeature* feature) const;

  std::vector<boost::shared_ptr<PartFeature>> roots_;
  std::size_t nextRoot_;
  std::vector<Frame> path_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_ITERATORFEATURE_H
