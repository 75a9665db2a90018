#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "costdata/ComponentCostValueRange.h"

namespace VelkData {
namespace {

typedef ComponentCostValueRange Range;

Range bounded(Range::Type type, float min, float max, float accuracy) {
  Range r(type);
  r.SetDoubleMin(min);
  r.SetDoubleMax(max);
  r.SetDoubleAccuracy(accuracy);
  return r;
}

Range list(Range::Type type, const std::vector<float>& values) {
  Range r(type);
  r.setValues(values);
  return r;
}

TEST(ComponentCostValueRangeTest, CheckValueJudgesEachKindOfRange) {
  const Range realRange = bounded(Range::kDoubleRange, 10.0f, 20.0f, 0.5f);
  const Range intRange = bounded(Range::kIntRange, 3.0f, 5.0f, 1.0f);
  const Range realList = list(Range::kDoubleList, {1.5f, 2.5f});
  const Range intList = list(Range::kIntList, {3.0f, 4.0f});
  Range texts = list(Range::kStringList, {1.0f, 2.0f});
  texts.SetDoubleMin(0.0f);
  texts.SetDoubleMax(100.0f);
  texts.SetstringValues(QStringList() << "1"
                                      << "2");
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();

  struct Case {
    const char* name;
    const Range* range;
    float value;
    bool accepted;
  } cases[] = {
      {"real range lower bound", &realRange, 10.0f, true},
      {"real range inside", &realRange, 15.0f, true},
      {"real range upper bound", &realRange, 20.0f, true},
      {"real range just above", &realRange, 20.0001f, false},
      {"real range just below", &realRange, 9.9999f, false},
      {"real range NaN", &realRange, nan, false},
      {"int range truncates 5.9 to 5", &intRange, 5.9f, true},
      {"int range truncates 2.9 to 2", &intRange, 2.9f, false},
      {"int range 6", &intRange, 6.0f, false},
      {"int range NaN", &intRange, nan, false},
      {"int range infinity", &intRange, inf, false},
      {"int range beyond int", &intRange, 1e20f, false},
      {"real list entry", &realList, 2.5f, true},
      {"real list no entry", &realList, 2.4f, false},
      {"real list between entries", &realList, 2.0f, false},
      {"int list truncates 3.9 to 3", &intList, 3.9f, true},
      {"int list 4", &intList, 4.0f, true},
      {"int list 5", &intList, 5.0f, false},
      {"int list truncates -0.5 to 0", &intList, -0.5f, false},
      {"texts accept no number", &texts, 1.0f, false},
      {"texts ignore the bounds", &texts, 50.0f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.accepted, c.range->CheckValue(c.value));
  }
}

TEST(ComponentCostValueRangeTest, IntegerListTruncatesItsEntries) {
  const Range r = list(Range::kIntList, {2.7f, -1.5f});
  EXPECT_TRUE(r.CheckValue(2.0f));
  EXPECT_TRUE(r.CheckValue(-1.0f));
  EXPECT_FALSE(r.CheckValue(3.0f));
}

TEST(ComponentCostValueRangeTest, EqualsComparesWhatEachKindChecks) {
  const Range intA = bounded(Range::kIntRange, 1.0f, 9.0f, 1.0f);
  const Range realA = bounded(Range::kDoubleRange, 1.0f, 9.0f, 1.0f);
  Range intWithTexts = intA;
  intWithTexts.SetstringValues(QStringList() << "ignored");
  const Range listA = list(Range::kDoubleList, {1.0f, 2.0f});
  const Range texts = list(Range::kStringList, {1.0f});

  struct Case {
    const char* name;
    Range a;
    Range b;
    bool equal;
  } cases[] = {
      {"integer ranges alike", intA, bounded(Range::kIntRange, 1, 9, 1), true},
      {"real range and integer range", realA, intA, false},
      {"other maximum", intA, bounded(Range::kIntRange, 1, 8, 1), false},
      {"other minimum", realA, bounded(Range::kDoubleRange, 0, 9, 1), false},
      {"other accuracy", realA, bounded(Range::kDoubleRange, 1, 9, 2), false},
      {"texts of a range do not count", intA, intWithTexts, true},
      {"lists alike", listA, list(Range::kDoubleList, {1.0f, 2.0f}), true},
      {"list order", listA, list(Range::kDoubleList, {2.0f, 1.0f}), false},
      {"list length", listA, list(Range::kDoubleList, {1.0f}), false},
      {"bounds of a list do not count", listA,
       [&] {
         Range r = list(Range::kDoubleList, {1.0f, 2.0f});
         r.SetDoubleMax(7.0f);
         return r;
       }(),
       true},
      {"integer list and real list", list(Range::kIntList, {1.0f, 2.0f}), listA,
       false},
      {"texts never equal", texts, texts, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.equal, c.a.Equals(c.b));
    EXPECT_EQ(c.equal, c.b.Equals(c.a));
  }
}

TEST(ComponentCostValueRangeTest, CopiesCarryEveryField) {
  Range source = list(Range::kIntList, {3.0f, 4.0f});
  source.SetDoubleMin(1.0f);
  source.SetDoubleMax(2.0f);
  source.SetDoubleAccuracy(0.25f);
  source.SetstringValues(QStringList() << "a"
                                       << "b");

  const Range copied(source);
  Range assigned(Range::kDoubleRange);
  assigned = source;
  const Range* const copies[] = {&copied, &assigned};
  for (const Range* r : copies) {
    EXPECT_EQ(Range::kIntList, r->type());
    EXPECT_EQ(1.0f, r->DoubleMin());
    EXPECT_EQ(2.0f, r->DoubleMax());
    EXPECT_EQ(0.25f, r->DoubleAccuracy());
    EXPECT_EQ(std::vector<float>({3.0f, 4.0f}), r->Values());
    EXPECT_EQ(QStringList() << "a"
                            << "b",
              r->stringValues());
    EXPECT_STREQ("VelkData::ComponentCostValueRange",
                 r->metaObject()->className());
  }
  source.setValues({9.0f});
  EXPECT_TRUE(copied.CheckValue(3.0f));
}

}  // namespace
}  // namespace VelkData
