#ifndef VELKDATA_PROCESSPLAN_ITERATOR_H
#define VELKDATA_PROCESSPLAN_ITERATOR_H

#include <boost/shared_ptr.hpp>

namespace TamberData {

// A cursor over items of class `Item`, used as
//   for (it.first(); !it.isDone(); it.next()) use(it.currentItem());
// The feature iterators (`IteratorFeature`, `IteratorFeatureGroup`,
// `IteratorPartGeometry`) implement it; the caller owns the iterator.
template <class Item>
class Iterator {
 public:
  virtual ~Iterator() {}

  // Moves to the first item.
  virtual void first() = 0;
  // Moves to the next item; does nothing once done.
  virtual void next() = 0;
  // Whether the cursor has passed the last item.
  virtual bool isDone() const = 0;
  // The item at the cursor; an empty pointer once done.
  virtual boost::shared_ptr<Item> currentItem() const = 0;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_ITERATOR_H
