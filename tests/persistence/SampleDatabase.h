#ifndef VELKDATA_TESTS_PERSISTENCE_SAMPLEDATABASE_H
#define VELKDATA_TESTS_PERSISTENCE_SAMPLEDATABASE_H

#include <boost/shared_ptr.hpp>
#include <string>

namespace VelkData {

class CostDatabase;
class Operation;

// Reaches the identifier, which a database takes from the clock, and the
// fields of the old layout.
class CostDatabaseTestPeer {
 public:
  static void setId(CostDatabase& db, const std::string& id);
  // Writes `db` as class version 2 wrote it: today's fields without the
  // share relationships. Defined beside the writer of old archives
  // (persistence/narrow/NarrowSampleWriter.cpp).
  template <class Archive>
  static void saveVersionTwo(Archive& archive, const CostDatabase& db);
};

// Reaches the fields of the old layout.
class OperationTestPeer {
 public:
  // Writes `operation` as class version 2 wrote it: today's fields without
  // the comment property. Defined beside the writer of old archives
  // (persistence/narrow/NarrowSampleWriter.cpp).
  template <class Archive>
  static void saveVersionTwo(Archive& archive, const Operation& operation);
};

}  // namespace VelkData

namespace TamberData {

class ProcessDatabase;

// Reaches the identifier, which a plan takes from the clock.
class ProcessDatabaseTestPeer {
 public:
  static void setId(ProcessDatabase& plan, const std::string& id);
};

}  // namespace TamberData

namespace velktest {

// A small database that uses every archived class and every export key that
// can name a concrete object. The same calls give the same archive bytes:
// the identifier, the unit-id counter and the post-number counters are
// fixed before anything is made.
boost::shared_ptr<VelkData::CostDatabase> makeSampleDatabase();

// The bytes of `db` as `ToCharArray` gives them.
std::string archiveBytes(const VelkData::CostDatabase& db);

// The bytes of the file at `path`; empty when it cannot be read.
std::string readFile(const std::string& path);

// The path of `name` in the tests' data folder (tests/data).
std::string dataPath(const std::string& name);

// Reads `bytes` into a new database; fails the test when it cannot. Like
// `makeSampleDatabase`, the result cuts its cycles when it is dropped.
boost::shared_ptr<VelkData::CostDatabase> readArchive(std::string bytes);

}  // namespace velktest

#endif  // VELKDATA_TESTS_PERSISTENCE_SAMPLEDATABASE_H
