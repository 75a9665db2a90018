#ifndef VELKDATA_PROCESSPLAN_FEATURETYPE_H
#define VELKDATA_PROCESSPLAN_FEATURETYPE_H

#include <string>

namespace TamberData {

// The fixed vocabulary of feature type names and the id the simulation uses
// for each. A process-wide constant table; every member is static.
//
// Curve types are the holes, the openings, "OuterBoundary",
// "BlankBoundary", "TrimCurveSegment" and "PartBoundaryLochgruppe"; patch
// types are the plungings, "Flange", "Reform", "ReformNotZ", "Edge" and
// "Part"; "FeatureGroup" names a group. Which of them a process plan uses
// is configured in `FeatureTypeFactory`.
class FeatureType {
 public:
  FeatureType() = delete;

  // Positions of the names in the table. "PartBoundaryLochgruppe" (21) has
  // none.
  static constexpr int m_undeterminedIndex = 0;
  static constexpr int m_holeRoundIndex = 1;
  static constexpr int m_holeLongIndex = 2;
  static constexpr int m_holeRectIndex = 3;
  static constexpr int m_holeSpecialIndex = 4;
  static constexpr int m_largeOpeningIndex = 5;
  static constexpr int m_openingIndex = 6;
  static constexpr int m_outerBoundaryIndex = 7;
  static constexpr int m_blankBoundaryIndex = 8;
  static constexpr int m_flangeIndex = 9;
  static constexpr int m_plungingRoundIndex = 10;
  static constexpr int m_plungingLongIndex = 11;
  static constexpr int m_plungingRectIndex = 12;
  static constexpr int m_plungingSpecialIndex = 13;
  static constexpr int m_largePlungingIndex = 14;
  static constexpr int m_reformIndex = 15;
  static constexpr int m_reformNotZIndex = 16;
  static constexpr int m_featureGroupIndex = 17;
  static constexpr int m_edgeIndex = 18;
  static constexpr int m_partIndex = 19;
  static constexpr int m_trimCurveSegmentIndex = 20;

  // The number of names in the table: 22.
  static int typeCount();
  // The name at `i`; "" when `i` is outside [0, typeCount()).
  static std::string typeAt(int i);
  // The simulation id of the first name equal to `name`; -1 when the table
  // has no such name.
  static int getXoloFeatureID(const std::string& name);

  static std::string Undetermined();
  static std::string HoleRound();
  static std::string HoleLong();
  static std::string HoleRect();
  static std::string HoleSpecial();
  static std::string LargeOpening();
  static std::string Opening();
  static std::string OuterBoundary();
  static std::string BlankBoundary();
  static std::string Flange();
  static std::string PlungingRound();
  static std::string PlungingLong();
  static std::string PlungingRect();
  static std::string PlungingSpecial();
  static std::string LargePlunging();
  static std::string Reform();
  static std::string ReformNotZ();
  static std::string FeatureGroup();
  static std::string Edge();
  static std::string Part();
  static std::string TrimCurveSegment();

 private:
  static constexpr int kTypeCount = 22;
  // Plain character constants, so the tables are ready before any static
  // constructor of the host can ask for a name.
  static const char* const m_types[kTypeCount];
  static const int m_XoloFeatureTypes[kTypeCount];
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_FEATURETYPE_H
