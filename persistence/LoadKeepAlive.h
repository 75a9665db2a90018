#ifndef VELKDATA_PERSISTENCE_LOADKEEPALIVE_H
#define VELKDATA_PERSISTENCE_LOADKEEPALIVE_H

#include <boost/shared_ptr.hpp>
#include <vector>

namespace VelkData {
namespace archive_detail {

// While a database is read, the objects that the archive reaches through
// weakly held members (back references up the containment tree) are
// parked in the database's list, so that an object that nothing else in
// the archive owns outlives the archive. One scope is open per database
// being read; scopes nest, the innermost one receives the objects. Outside
// any scope `keep` does nothing.
class LoadKeepAlive {
 public:
  explicit LoadKeepAlive(std::vector<boost::shared_ptr<void>>& sink);
  ~LoadKeepAlive();
  LoadKeepAlive(const LoadKeepAlive&) = delete;
  LoadKeepAlive& operator=(const LoadKeepAlive&) = delete;

  // Parks `object` in the innermost open scope; an empty pointer is
  // ignored.
  static void keep(const boost::shared_ptr<void>& object);

  // Drops from `sink` every object that something else owns as well; what
  // remains is owned by the list alone. Meant for the moment the archive
  // has been closed, since until then the archive itself owns everything.
  static void pruneOwnedElsewhere(std::vector<boost::shared_ptr<void>>& sink);

 private:
  std::vector<boost::shared_ptr<void>>* previous_;
};

}  // namespace archive_detail
}  // namespace VelkData

#endif  // VELKDATA_PERSISTENCE_LOADKEEPALIVE_H
