#include "processplan/FeatureType.h"

namespace TamberData {

const char* const FeatureType::m_types[kTypeCount] = {"Undetermined",
                                                      "HoleRound",
                                                      "HoleLong",
                                                      "HoleRect",
                                                      "HoleSpecial",
                                                      "LargeOpening",
                                                      "Opening",
                                                      "OuterBoundary",
                                                      "BlankBoundary",
                                                      "Flange",
                                                      "PlungingRound",
                                                      "PlungingLong",
                                                      "PlungingRect",
                                                      "PlungingSpecial",
                                                      "LargePlunging",
                                                      "Reform",
                                                      "ReformNotZ",
                                                      "FeatureGroup",
                                                      "Edge",
                                                      "Part",
                                                      "TrimCurveSegment",
                                                      "PartBoundaryLochgruppe"};

const int FeatureType::m_XoloFeatureTypes[kTypeCount] = {
    7, 8, 10, 9, 11, 11, 11, 12, 16, 3, 2, 2, 2, 2, 2, 4, 5, 1, 6, 15, 22, 12};

int FeatureType::typeCount() { return kTypeCount; }

std::string FeatureType::typeAt(int i) {
  if (i < 0 || i >= kTypeCount) return std::string();
  return m_types[i];
}

int FeatureType::getXoloFeatureID(const std::string& name) {
  for (int i = 0; i < kTypeCount; ++i) {
    if (name == m_types[i]) return m_XoloFeatureTypes[i];
  }
  return -1;
}

std::string FeatureType::Undetermined() { return m_types[m_undeterminedIndex]; }
std::string FeatureType::HoleRound() { return m_types[m_holeRoundIndex]; }
std::string FeatureType::HoleLong() { return m_types[m_holeLongIndex]; }
std::string FeatureType::HoleRect() { return m_types[m_holeRectIndex]; }
std::string FeatureType::HoleSpecial() { return m_types[m_holeSpecialIndex]; }
std::string FeatureType::LargeOpening() { return m_types[m_largeOpeningIndex]; }
std::string FeatureType::Opening() { return m_types[m_openingIndex]; }
std::string FeatureType::OuterBoundary() {
  return m_types[m_outerBoundaryIndex];
}
std::string FeatureType::BlankBoundary() {
  return m_types[m_blankBoundaryIndex];
}
std::string FeatureType::Flange() { return m_types[m_flangeIndex]; }
std::string FeatureType::PlungingRound() {
  return m_types[m_plungingRoundIndex];
}
std::string FeatureType::PlungingLong() { return m_types[m_plungingLongIndex]; }
std::string FeatureType::PlungingRect() { return m_types[m_plungingRectIndex]; }
std::string FeatureType::PlungingSpecial() {
  return m_types[m_plungingSpecialIndex];
}
std::string FeatureType::LargePlunging() {
  return m_types[m_largePlungingIndex];
}
std::string FeatureType::Reform() { return m_types[m_reformIndex]; }
std::string FeatureType::ReformNotZ() { return m_types[m_reformNotZIndex]; }
std::string FeatureType::FeatureGroup() { return m_types[m_featureGroupIndex]; }
std::string FeatureType::Edge() { return m_types[m_edgeIndex]; }
std::string FeatureType::Part() { return m_types[m_partIndex]; }
std::string FeatureType::TrimCurveSegment() {
  return m_types[m_trimCurveSegmentIndex];
}

}  // namespace TamberData
