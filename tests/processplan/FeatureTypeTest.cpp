#include <gtest/gtest.h>

#include <string>

#include "processplan/FeatureType.h"

namespace {

using TamberData::FeatureType;

struct Row {
  int index;
  const char* name;
  int xoloId;
  std::string (*accessor)();
};

TEST(FeatureTypeTest, TableHoldsNamesIdsAndIndexConstants) {
  const Row rows[] = {
      {FeatureType::m_undeterminedIndex, "Undetermined", 7,
       &FeatureType::Undetermined},
      {FeatureType::m_holeRoundIndex, "HoleRound", 8, &FeatureType::HoleRound},
      {FeatureType::m_holeLongIndex, "HoleLong", 10, &FeatureType::HoleLong},
      {FeatureType::m_holeRectIndex, "HoleRect", 9, &FeatureType::HoleRect},
      {FeatureType::m_holeSpecialIndex, "HoleSpecial", 11,
       &FeatureType::HoleSpecial},
      {FeatureType::m_largeOpeningIndex, "LargeOpening", 11,
       &FeatureType::LargeOpening},
      {FeatureType::m_openingIndex, "Opening", 11, &FeatureType::Opening},
      {FeatureType::m_outerBoundaryIndex, "OuterBoundary", 12,
       &FeatureType::OuterBoundary},
      {FeatureType::m_blankBoundaryIndex, "BlankBoundary", 16,
       &FeatureType::BlankBoundary},
      {FeatureType::m_flangeIndex, "Flange", 3, &FeatureType::Flange},
      {FeatureType::m_plungingRoundIndex, "PlungingRound", 2,
       &FeatureType::PlungingRound},
      {FeatureType::m_plungingLongIndex, "PlungingLong", 2,
       &FeatureType::PlungingLong},
      {FeatureType::m_plungingRectIndex, "PlungingRect", 2,
       &FeatureType::PlungingRect},
      {FeatureType::m_plungingSpecialIndex, "PlungingSpecial", 2,
       &FeatureType::PlungingSpecial},
      {FeatureType::m_largePlungingIndex, "LargePlunging", 2,
       &FeatureType::LargePlunging},
      {FeatureType::m_reformIndex, "Reform", 4, &FeatureType::Reform},
      {FeatureType::m_reformNotZIndex, "ReformNotZ", 5,
       &FeatureType::ReformNotZ},
      {FeatureType::m_featureGroupIndex, "FeatureGroup", 1,
       &FeatureType::FeatureGroup},
      {FeatureType::m_edgeIndex, "Edge", 6, &FeatureType::Edge},
      {FeatureType::m_partIndex, "Part", 15, &FeatureType::Part},
      {FeatureType::m_trimCurveSegmentIndex, "TrimCurveSegment", 22,
       &FeatureType::TrimCurveSegment},
  };
  ASSERT_EQ(22, FeatureType::typeCount());
  int expectedIndex = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(expectedIndex++, row.index);
    EXPECT_EQ(row.name, FeatureType::typeAt(row.index));
    EXPECT_EQ(row.name, row.accessor());
    EXPECT_EQ(row.xoloId, FeatureType::getXoloFeatureID(row.name));
  }
  // The last row has neither index constant nor accessor.
  EXPECT_EQ("PartBoundaryLochgruppe", FeatureType::typeAt(21));
  EXPECT_EQ(12, FeatureType::getXoloFeatureID("PartBoundaryLochgruppe"));
}

TEST(FeatureTypeTest, UnknownNamesAndPositionsGiveNeutralAnswers) {
  EXPECT_EQ(-1, FeatureType::getXoloFeatureID("Slot"));
  EXPECT_EQ(-1, FeatureType::getXoloFeatureID(""));
  EXPECT_EQ(-1, FeatureType::getXoloFeatureID("holeround"));
  EXPECT_EQ("", FeatureType::typeAt(22));
  EXPECT_EQ("", FeatureType::typeAt(-1));
}

}  // namespace
