#include <gtest/gtest.h>

#include "persistence/SampleDatabase.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using boost::shared_ptr;

namespace {

TEST(ArchiveRoundTripTest, SecondSaveGivesTheSameBytes) {
  shared_ptr<CostDatabase> original = velktest::makeSampleDatabase();
  const std::string first = velktest::archiveBytes(*original);
  shared_ptr<CostDatabase> loaded = velktest::readArchive(first);
  EXPECT_EQ(first, velktest::archiveBytes(*loaded));
}

}  // namespace
