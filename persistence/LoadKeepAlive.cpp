#include "persistence/LoadKeepAlive.h"

#include <algorithm>

namespace VelkData {
namespace archive_detail {

namespace {
// Reading happens on one thread at a time, like every other use of the
// model.
std::vector<boost::shared_ptr<void>>* currentSink = nullptr;
}  // namespace

LoadKeepAlive::LoadKeepAlive(std::vector<boost::shared_ptr<void>>& sink)
    : previous_(currentSink) {
  currentSink = &sink;
}

LoadKeepAlive::~LoadKeepAlive() { currentSink = previous_; }

void LoadKeepAlive::keep(const boost::shared_ptr<void>& object) {
  if (object && currentSink != nullptr) currentSink->push_back(object);
}

void LoadKeepAlive::pruneOwnedElsewhere(
    std::vector<boost::shared_ptr<void>>& sink) {
  // The same object may have been parked more than once; only one entry may
  // stay, or the copies would count as owners of each other. Entries are
  // compared by owner, so that views of one object through different bases
  // count as one.
  std::sort(sink.begin(), sink.end());
  sink.erase(std::unique(sink.begin(), sink.end(),
                         [](const boost::shared_ptr<void>& a,
                            const boost::shared_ptr<void>& b) {
                           return !a.owner_before(b) && !b.owner_before(a);
                         }),
             sink.end());
  sink.erase(std::remove_if(sink.begin(), sink.end(),
                            [](const boost::shared_ptr<void>& object) {
                              return object.use_count() > 1;
                            }),
             sink.end());
}

}  // namespace archive_detail
}  // namespace VelkData
