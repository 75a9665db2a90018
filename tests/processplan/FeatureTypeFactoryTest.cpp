#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "processplan/FeatureDefinition.h"
#include "processplan/FeatureTypeFactory.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"
#include "processplan/ValueNotFoundException.h"
#include "support/TestUtil.h"

namespace {

using TamberData::FeatureTypeFactory;
using TamberData::FeatureTypeIDs;
using TamberData::PartGeometryCurve;
using TamberData::PartGeometryPatch;

class FeatureTypeFactoryTest : public ::testing::Test {
 protected:
  // An undetermined curve with recogniser code `code`.
  boost::shared_ptr<PartGeometryCurve> curve(int code, double length,
                                             double area = 0.0) {
    VelkUtils::LINEFEATURE record;
    record.type = code;
    record.length = length;
    record.area = area;
    return boost::make_shared<PartGeometryCurve>(factory_.curveFeatureTypeIDs(),
                                                 record);
  }

  // The type `factory_` gives a fresh curve.
  std::string classify(int code, double length, double area = 0.0) {
    boost::shared_ptr<PartGeometryCurve> c = curve(code, length, area);
    factory_.refineFeatureType(c, c->curveFeature());
    return c->type();
  }

  boost::shared_ptr<PartGeometryPatch> patch(int code, double circumference) {
    VelkUtils::PATCHFEATURE record;
    record.type = code;
    record.circumference = circumference;
    return boost::make_shared<PartGeometryPatch>(factory_.patchFeatureTypeIDs(),
                                                 record);
  }

  void refine(const boost::shared_ptr<PartGeometryPatch>& p) {
    factory_.refineFeatureType(p, p->patchFeature());
  }

  FeatureTypeFactory factory_;
};

TEST_F(FeatureTypeFactoryTest, BoundaryCodesNeedNoDefinition) {
  // A definition that every curve meets must not be consulted.
  factory_.addParameter(FeatureTypeFactory::Curve, "Opening", "LENGTH", 0.0,
                        1e9);
  const std::pair<int, const char*> cases[] = {{12, "OuterBoundary"},
                                               {13, "BlankBoundary"},
                                               {16, "BlankBoundary"},
                                               {22, "TrimCurveSegment"},
                                               {8, "Opening"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, classify(c.first, 30.0));
  }
}

TEST_F(FeatureTypeFactoryTest, UnmatchedCurvesFallBackToTheHoleCodes) {
  const std::pair<int, const char*> cases[] = {
      {8, "HoleRound"},    {9, "HoleRect"},      {10, "HoleLong"},
      {11, "HoleSpecial"}, {14, "Undetermined"}, {-1, "Undetermined"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, classify(c.first, 30.0));
  }
}

TEST_F(FeatureTypeFactoryTest, UndeterminedResultKeepsTheCurveType) {
  VelkUtils::LINEFEATURE record;
  record.type = 14;
  boost::shared_ptr<PartGeometryCurve> c =
      boost::make_shared<PartGeometryCurve>(
          "Opening", factory_.curveFeatureTypeIDs(), record);
  factory_.refineFeatureType(c, record);
  EXPECT_EQ("Opening", c->type());
  EXPECT_EQ(11, c->curveFeature().type);
}

TEST_F(FeatureTypeFactoryTest, RefinedCurveCarriesTheTypeCode) {
  boost::shared_ptr<PartGeometryCurve> c = curve(13, 1.0);
  factory_.refineFeatureType(c, c->curveFeature());
  EXPECT_EQ(16, c->curveFeature().type);
}

TEST_F(FeatureTypeFactoryTest, RangeIncludesLowerAndExcludesUpperBound) {
  factory_.addParameter(FeatureTypeFactory::Curve, "LargeOpening",
                        "CIRCUMFERENCE", 5.0, 10.0);
  const std::pair<double, const char*> cases[] = {{5.0, "LargeOpening"},
                                                  {9.999, "LargeOpening"},
                                                  {10.0, "Undetermined"},
                                                  {4.999, "Undetermined"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, classify(14, c.first));
  }
}

TEST_F(FeatureTypeFactoryTest, SameNameParametersAreAlternatives) {
  factory_.addParameter(FeatureTypeFactory::Curve, "Opening", "CIRCUMFERENCE",
                        0.0, 20.0);
  factory_.addParameter(FeatureTypeFactory::Curve, "Opening", "CIRCUMFERENCE",
                        40.0, 60.0);
  factory_.addParameter(FeatureTypeFactory::Curve, "Opening", "SURFACE", 0.0,
                        100.0);
  ASSERT_EQ(1, factory_.definitionCount(FeatureTypeFactory::Curve));
  EXPECT_EQ(
      3, factory_.definitionAt(FeatureTypeFactory::Curve, 0)->parameterCount());
  EXPECT_EQ("Opening", classify(14, 50.0, 30.0));
  EXPECT_EQ("Opening", classify(14, 10.0, 30.0));
  EXPECT_EQ("Undetermined", classify(14, 30.0, 30.0));
  EXPECT_EQ("Undetermined", classify(14, 50.0, 150.0));
}

TEST_F(FeatureTypeFactoryTest, FirstQualifyingDefinitionWins) {
  factory_.addParameter(FeatureTypeFactory::Curve, "Opening", "LENGTH", 0.0,
                        50.0);
  factory_.addParameter(FeatureTypeFactory::Curve, "LargeOpening", "LENGTH",
                        20.0, 500.0);
  EXPECT_EQ("Opening", classify(14, 30.0));
  EXPECT_EQ("LargeOpening", classify(14, 60.0));
  // Patch definitions are a list of their own.
  EXPECT_EQ(0, factory_.definitionCount(FeatureTypeFactory::Patch));
  EXPECT_EQ(nullptr, factory_.definitionAt(FeatureTypeFactory::Curve, 2));
}

TEST_F(FeatureTypeFactoryTest, ExactParameterNeedsTheVeryValue) {
  factory_.addParameter(FeatureTypeFactory::Curve, "HoleRound", "SURFACE",
                        12.5);
  EXPECT_EQ("HoleRound", classify(14, 1.0, 12.5));
  EXPECT_EQ("Undetermined", classify(14, 1.0, 12.5001));
}

TEST_F(FeatureTypeFactoryTest, UnknownParameterNameReachesTheCaller) {
  factory_.addParameter(FeatureTypeFactory::Curve, "HoleRound", "DEPTH", 0.0,
                        1.0);
  boost::shared_ptr<PartGeometryCurve> c = curve(8, 1.0);
  EXPECT_THROW_MSG(factory_.refineFeatureType(c, c->curveFeature()),
                   TamberData::ValueNotFoundException, "DEPTH");
}

TEST_F(FeatureTypeFactoryTest, PatchCodeGivesTheTypeWhenNoDefinitionFits) {
  boost::shared_ptr<PartGeometryPatch> p = patch(2, 50.0);
  refine(p);
  EXPECT_EQ("PlungingSpecial", p->type());
  EXPECT_EQ(2, p->patchFeature().type);

  boost::shared_ptr<PartGeometryPatch> unknown = patch(77, 50.0);
  refine(unknown);
  EXPECT_EQ("Undetermined", unknown->type());
}

TEST_F(FeatureTypeFactoryTest, MatchingPatchDefinitionBeatsTheCode) {
  factory_.addParameter(FeatureTypeFactory::Patch, "PlungingRound",
                        "CIRCUMFERENCE", 0.0, 100.0);
  boost::shared_ptr<PartGeometryPatch> p = patch(2, 50.0);
  refine(p);
  EXPECT_EQ("PlungingRound", p->type());
  boost::shared_ptr<PartGeometryPatch> large = patch(2, 150.0);
  refine(large);
  EXPECT_EQ("PlungingSpecial", large->type());
}

TEST_F(FeatureTypeFactoryTest, PatchDefinitionsSeeTheTypeOfTheCode) {
  factory_.setFeatureTypeLabel("PlungingSpecial", "Plunging", 2, true);
  factory_.addParameter(FeatureTypeFactory::Patch, "PlungingLong", "TYPE", 2.0);
  boost::shared_ptr<PartGeometryPatch> coded = patch(2, 1.0);
  refine(coded);
  EXPECT_EQ("PlungingLong", coded->type());

  // A definition that throws leaves the patch as it was.
  factory_.addParameter(FeatureTypeFactory::Patch, "Flange", "DEPTH", 0.0, 1.0);
  boost::shared_ptr<PartGeometryPatch> flange = patch(3, 1.0);
  EXPECT_THROW(refine(flange), TamberData::ValueNotFoundException);
  EXPECT_EQ("Undetermined", flange->type());
}

TEST_F(FeatureTypeFactoryTest, PatchResultReplacesAnEarlierType) {
  VelkUtils::PATCHFEATURE record;
  record.type = 2;
  boost::shared_ptr<PartGeometryPatch> p =
      boost::make_shared<PartGeometryPatch>(
          "Flange", factory_.patchFeatureTypeIDs(), record);
  factory_.refineFeatureType(p, record);
  EXPECT_EQ("PlungingSpecial", p->type());
}

TEST_F(FeatureTypeFactoryTest, LabelsAnswerBothWays) {
  factory_.setFeatureTypeLabel("HoleRound", "round hole", 8, false);
  factory_.setFeatureTypeLabel("HoleLong", "slot", 10, false);
  factory_.setFeatureTypeLabel("Flange", "flange", 3, true);
  factory_.setFeatureTypeLabel("Edge", "slot", 6, true);

  EXPECT_EQ("round hole", factory_.label("HoleRound"));
  EXPECT_EQ("flange", factory_.label("Flange"));
  EXPECT_EQ("", factory_.label("Reform"));
  EXPECT_EQ("HoleLong", factory_.type("slot"));
  EXPECT_EQ("Flange", factory_.type("flange"));
  EXPECT_EQ("Undetermined", factory_.type("nothing"));
  EXPECT_EQ((std::vector<std::string>{"slot", "round hole"}),
            factory_.lineLabels());
  EXPECT_EQ((std::vector<std::string>{"slot", "flange"}),
            factory_.patchLabels());
  EXPECT_TRUE(factory_.isCurveFeature("HoleRound"));
  EXPECT_FALSE(factory_.isPatchFeature("HoleRound"));
  EXPECT_TRUE(factory_.isPatchFeature("Edge"));
  EXPECT_FALSE(factory_.isCurveFeature("Opening"));
  EXPECT_EQ(10, factory_.curveFeatureTypeIDs()->at("HoleLong"));
  EXPECT_EQ(0u, factory_.curveFeatureTypeIDs()->count("Flange"));
  EXPECT_EQ(6, factory_.patchFeatureTypeIDs()->at("Edge"));
  // The id of a type comes from the fixed table, not from the labels.
  EXPECT_EQ(11, factory_.getXoloFeatureID("Opening"));
  EXPECT_EQ(-1, factory_.getXoloFeatureID("slot"));
}

TEST_F(FeatureTypeFactoryTest, CodeMapsAreFilledAtConstruction) {
  const std::pair<int, const char*> codes[] = {
      {2, "PlungingSpecial"}, {3, "Flange"}, {4, "Reform"},
      {5, "ReformNotZ"},      {6, "Edge"},   {15, "Part"}};
  for (const auto& c : codes) {
    SCOPED_TRACE(c.second);
    EXPECT_EQ(c.second, factory_.patchCodeType(c.first));
    EXPECT_EQ(c.first, factory_.patchTypeCode(c.second));
  }
  EXPECT_EQ(2, factory_.patchTypeCode("LargePlunging"));
  EXPECT_EQ("Undetermined", factory_.patchCodeType(7));
  EXPECT_EQ(-1, factory_.patchTypeCode("HoleRound"));
}

TEST_F(FeatureTypeFactoryTest, CopyIsIndependentOfTheOriginal) {
  factory_.addParameter(FeatureTypeFactory::Curve, "Opening", "LENGTH", 0.0,
                        50.0);
  factory_.setFeatureTypeLabel("Opening", "opening", 11, false);
  FeatureTypeFactory copy(factory_);
  factory_.addParameter(FeatureTypeFactory::Curve, "Opening", "SURFACE", 0.0,
                        1.0);
  factory_.setFeatureTypeLabel("Flange", "flange", 3, true);

  EXPECT_EQ(1,
            copy.definitionAt(FeatureTypeFactory::Curve, 0)->parameterCount());
  EXPECT_NE(copy.definitionAt(FeatureTypeFactory::Curve, 0),
            factory_.definitionAt(FeatureTypeFactory::Curve, 0));
  EXPECT_EQ("opening", copy.label("Opening"));
  EXPECT_FALSE(copy.isPatchFeature("Flange"));
  EXPECT_NE(copy.curveFeatureTypeIDs(), factory_.curveFeatureTypeIDs());

  FeatureTypeFactory assigned;
  assigned = copy;
  copy = FeatureTypeFactory();
  ASSERT_EQ(1, assigned.definitionCount(FeatureTypeFactory::Curve));
  EXPECT_EQ("Opening",
            assigned.definitionAt(FeatureTypeFactory::Curve, 0)->type());
  EXPECT_EQ(0, copy.definitionCount(FeatureTypeFactory::Curve));
}

}  // namespace
