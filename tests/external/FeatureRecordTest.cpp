#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "external/ProcessUnitList.h"
#include "external/VELKO_PROCESSUNIT.h"

namespace {

using VelkUtils::LINEFEATURE;
using VelkUtils::PATCHFEATURE;
using VelkUtils::VELKO_PROCESSUNIT;

VELKO_PROCESSUNIT makeUnit(int id, const std::string& label) {
  VELKO_PROCESSUNIT unit;
  unit.procId = id;
  unit.operationKind = 0;
  unit.label = VelkUtils::makeProcessUnitLabel(label);
  unit.stageId = 20;
  return unit;
}

// Hands two units to `setUnits` and frees the caller's labels at once, as a
// converter's caller does.
template <typename Record>
void giveUnits(Record& record) {
  std::vector<VELKO_PROCESSUNIT> units = {makeUnit(1, "Pierce"),
                                          makeUnit(2, "Trim")};
  record.setProcessingUnits(units);
  for (VELKO_PROCESSUNIT& unit : units) VelkUtils::freeProcessUnitLabel(unit);
}

std::string labelAt(const std::vector<VELKO_PROCESSUNIT>& units, size_t i) {
  return units.at(i).label == nullptr ? "<null>" : units.at(i).label;
}

TEST(ProcessUnitListTest, CopiesLabelsAndComparesThemByText) {
  VELKO_PROCESSUNIT a = makeUnit(5, "Flange");
  VELKO_PROCESSUNIT b = VelkUtils::copyProcessUnit(a);
  EXPECT_NE(a.label, b.label);
  EXPECT_EQ(a, b);
  b.reserved = 99;
  EXPECT_EQ(a, b);
  b.sharedCamProcId = 4;
  EXPECT_NE(a, b);
  b.sharedCamProcId = a.sharedCamProcId;

  VELKO_PROCESSUNIT empty = makeUnit(5, "");
  VELKO_PROCESSUNIT null = empty;
  null.label = nullptr;
  EXPECT_NE(empty, null);
  EXPECT_EQ(null, VelkUtils::copyProcessUnit(null));

  const VelkUtils::ProcessUnitList list({a, empty});
  EXPECT_NE(a.label, list.units()[0].label);
  EXPECT_EQ(list, VelkUtils::ProcessUnitList({b, empty}));
  EXPECT_NE(list, VelkUtils::ProcessUnitList({b, null}));

  VelkUtils::freeProcessUnitLabel(a);
  VelkUtils::freeProcessUnitLabel(a);
  EXPECT_EQ(nullptr, a.label);
  VelkUtils::freeProcessUnitLabel(b);
  VelkUtils::freeProcessUnitLabel(empty);
}

// The label buffers must belong to each record on its own: under the
// address sanitizer a shared buffer shows up as a double free or a
// use-after-free, a forgotten one as a leak.
template <typename Record>
void checkLabelOwnership() {
  Record original;
  giveUnits(original);
  ASSERT_EQ("Trim", labelAt(original.getProcessingUnitVector(), 1));

  Record* temporary = new Record(original);
  Record copy(*temporary);
  EXPECT_NE(original.getProcessingUnitVector()[0].label,
            copy.getProcessingUnitVector()[0].label);
  delete temporary;
  EXPECT_EQ("Pierce", labelAt(copy.getProcessingUnitVector(), 0));

  Record assigned;
  giveUnits(assigned);
  assigned = copy;
  assigned = assigned;
  EXPECT_EQ("Pierce", labelAt(assigned.getProcessingUnitVector(), 0));
  assigned.setProcessingUnits(assigned.getProcessingUnitVector());
  EXPECT_EQ("Trim", labelAt(assigned.getProcessingUnitVector(), 1));

  Record moved(std::move(assigned));
  EXPECT_EQ(copy, moved);
  copy = Record();
  EXPECT_TRUE(copy.getProcessingUnitVector().empty());
}

// Every single-field change must make two records unequal.
template <typename Record>
void checkEqualityReadsEveryField(
    const Record& base,
    const std::vector<std::pair<const char*, std::function<void(Record&)>>>&
        changes) {
  EXPECT_EQ(base, Record(base));
  for (const auto& change : changes) {
    SCOPED_TRACE(change.first);
    Record other(base);
    change.second(other);
    EXPECT_NE(base, other);
    EXPECT_FALSE(base == other);
  }
}

LINEFEATURE sampleLine() {
  LINEFEATURE line;
  line.setName("hole 7");
  line.setFid(7);
  line.setType(8);
  line.area = 78.5;
  line.length = 31.4;
  line.setBBox({0, 0, 0, 10, 10, 1});
  line.setProcessingDirection({0, 0, 1});
  line.setIncludedFeatureIDS({3});
  line.setTipGroup(1);
  giveUnits(line);
  return line;
}

TEST(LINEFEATURETest, CopiesOwnTheirUnitLabels) {
  checkLabelOwnership<LINEFEATURE>();
}

TEST(LINEFEATURETest, EqualityReadsEveryField) {
  using Change = std::function<void(LINEFEATURE&)>;
  checkEqualityReadsEveryField<LINEFEATURE>(
      sampleLine(),
      {{"name", Change([](LINEFEATURE& r) { r.setName("hole 8"); })},
       {"fid", [](LINEFEATURE& r) { r.setFid(8); }},
       {"type", [](LINEFEATURE& r) { r.type = 9; }},
       {"area", [](LINEFEATURE& r) { r.area = 78.6; }},
       {"length", [](LINEFEATURE& r) { r.length = 31.5; }},
       {"cutableFromZ", [](LINEFEATURE& r) { r.cutableFromZ = true; }},
       {"bbox", [](LINEFEATURE& r) { r.setBBox({}); }},
       {"direction",
        [](LINEFEATURE& r) {
          r.setProcessingDirection({0, 1, 0});
        }},
       {"included",
        [](LINEFEATURE& r) {
          r.setIncludedFeatureIDS({3, 4});
        }},
       {"tipGroup", [](LINEFEATURE& r) { r.setTipGroup(2); }},
       {"unit label",
        [](LINEFEATURE& r) {
          std::vector<VELKO_PROCESSUNIT> units = {makeUnit(1, "Pierce"),
                                                  makeUnit(2, "Trim2")};
          r.setProcessingUnits(units);
          for (auto& unit : units) VelkUtils::freeProcessUnitLabel(unit);
        }},
       {"units", [](LINEFEATURE& r) { r.setProcessingUnits({}); }}});
}

TEST(PATCHFEATURETest, CopiesOwnTheirUnitLabels) {
  checkLabelOwnership<PATCHFEATURE>();
}

TEST(PATCHFEATURETest, EqualityReadsEveryField) {
  using Change = std::function<void(PATCHFEATURE&)>;
  PATCHFEATURE patch;
  patch.setName("plunging 2");
  patch.setFid(2);
  patch.setType(2);
  patch.trimCircumference = 40.0;
  patch.circumference = 50.0;
  patch.area = 120.0;
  patch.setBBox({0, 0, 0, 5, 5, 5});
  patch.setProcessingDirection({0, 0, 1});
  patch.setIncludedTrimCurves({11, 12});
  patch.setIncludedFeatureIDS({11});
  giveUnits(patch);
  checkEqualityReadsEveryField<PATCHFEATURE>(
      patch,
      {{"name", Change([](PATCHFEATURE& r) { r.setName("x"); })},
       {"fid", [](PATCHFEATURE& r) { r.setFid(3); }},
       {"type", [](PATCHFEATURE& r) { r.setType(3); }},
       {"trim", [](PATCHFEATURE& r) { r.trimCircumference = 41.0; }},
       {"circumference", [](PATCHFEATURE& r) { r.circumference = 51.0; }},
       {"area", [](PATCHFEATURE& r) { r.area = 121.0; }},
       {"bbox",
        [](PATCHFEATURE& r) {
          r.setBBox({0, 0, 0, 5, 5, 6});
        }},
       {"direction", [](PATCHFEATURE& r) { r.setProcessingDirection({}); }},
       {"trim curves",
        [](PATCHFEATURE& r) {
          r.setIncludedTrimCurves({12, 11});
        }},
       {"included", [](PATCHFEATURE& r) { r.setIncludedFeatureIDS({}); }},
       {"tipGroup", [](PATCHFEATURE& r) { r.setTipGroup(-1); }},
       {"units", [](PATCHFEATURE& r) { r.setProcessingUnits({}); }}});
}

}  // namespace
