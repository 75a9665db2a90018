#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include "processplan/PartFeature.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {
namespace {

boost::shared_ptr<ProcessingUnit> Unit() {
  return boost::shared_ptr<ProcessingUnit>(
      new ProcessingUnit("Pierce", "HOLE", boost::shared_ptr<Constraint>(),
                         ProcessingUnit::kNoCam, "pierce_g"));
}

TEST(ProcessingUnitTest, EachUnitTakesTheNextProcessWideId) {
  const int next = ProcessingUnit::procUnitCount;
  boost::shared_ptr<ProcessingUnit> first = Unit();
  ProcessingUnit second;
  EXPECT_EQ(next, first->getProcID());
  EXPECT_EQ(next + 1, second.getProcID());
  EXPECT_EQ(next + 2, ProcessingUnit::procUnitCount);
  EXPECT_EQ(-1, second.getIndex());
}

TEST(ProcessingUnitTest, UnitsAreEqualForEqualFeatureAndIndex) {
  boost::shared_ptr<PartFeature> hole(new PartFeature());
  boost::shared_ptr<PartFeature> slot(new PartFeature());
  boost::shared_ptr<ProcessingUnit> a = Unit();
  boost::shared_ptr<ProcessingUnit> b = Unit();

  // Without a feature a unit equals nothing, not even itself.
  EXPECT_FALSE(*a == *a);
  b->setPartFeature(hole);
  EXPECT_FALSE(*a == *b);
  EXPECT_FALSE(*b == *a);

  a->setPartFeature(hole);
  EXPECT_TRUE(*a == *b);
  b->setIndex(1);
  EXPECT_FALSE(*a == *b);
  a->setIndex(1);
  EXPECT_TRUE(*a == *b);
  b->setPartFeature(slot);
  EXPECT_FALSE(*a == *b);
}

}  // namespace
}  // namespace TamberData
