#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>
#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "UnitSupport.h"
#include "processplan/PartFeature.h"
#include "processplan/ProcessFactoryFeature.h"
#include "processplan/ProcessingSequence.h"
#include "processplan/ProcessingUnit.h"

namespace TamberData {
namespace {

using velktest::makeUnit;

boost::shared_ptr<ProcessingSequence> sequenceOf(
    const std::string& label, const std::vector<std::string>& units) {
  boost::shared_ptr<ProcessingSequence> sequence =
      boost::make_shared<ProcessingSequence>(label);
  for (const std::string& unit : units) {
    sequence->AddProcessingUnit(makeUnit(unit));
  }
  return sequence;
}

boost::shared_ptr<PartFeature> featureOf(const std::string& type) {
  return boost::make_shared<PartFeature>(type,
                                         boost::shared_ptr<FeatureTypeIDs>(),
                                         boost::shared_ptr<ParameterMapping>());
}

std::vector<boost::shared_ptr<ProcessingUnit>> unitsOf(
    const std::vector<std::string>& labels) {
  std::vector<boost::shared_ptr<ProcessingUnit>> units;
  for (const std::string& label : labels) units.push_back(makeUnit(label));
  return units;
}

// The labels of `sequences`, as "a b c".
std::string labels(const ProcessFactoryFeature::SequenceList& sequences) {
  std::string text;
  for (const boost::shared_ptr<ProcessingSequence>& sequence : sequences) {
    text += (text.empty() ? "" : " ") + sequence->Label();
  }
  return text;
}

class ProcessFactoryFeatureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    factory_.addProcessingSequence("HOLE", false,
                                   sequenceOf("pierce", {"Pierce"}), false);
    factory_.addProcessingSequence(
        "HOLE", false, sequenceOf("pierce twice", {"Pierce", "Pierce"}), false);
    factory_.addProcessingSequence(
        "HOLE", true, sequenceOf("cam pierce", {"Cam", "Pierce"}), false);
    factory_.addProcessingSequence(
        "HOLE", true, sequenceOf("cam pierce first", {"Cam", "Pierce"}), true);
    factory_.addProcessingSequence(
        "HOLE", false, sequenceOf("pierce first", {"Pierce", "Deburr"}), true);
    factory_.addProcessingSequence(
        "FLANGE", true, sequenceOf("cam flange", {"Cam flange"}), false);
  }

  ProcessFactoryFeature factory_;
};

TEST_F(ProcessFactoryFeatureTest, SequencesListWithoutCamBeforeWithCam) {
  EXPECT_EQ("pierce first pierce pierce twice cam pierce first cam pierce",
            labels(factory_.processingSequences("HOLE")));
  EXPECT_EQ("", labels(factory_.processingSequences("SLOT")));
  factory_.addProcessingSequence("SLOT", false,
                                 boost::shared_ptr<ProcessingSequence>(), true);
  EXPECT_TRUE(factory_.processingSequences("SLOT").empty());
}

TEST_F(ProcessFactoryFeatureTest, DefaultSequenceIsACloneOfTheFirstOfItsKind) {
  const boost::shared_ptr<PartFeature> hole = featureOf("HOLE");
  boost::shared_ptr<ProcessingSequence> plain =
      factory_.defaultProcessingSequence(hole, false);
  ASSERT_TRUE(plain);
  EXPECT_EQ("pierce first", plain->Label());
  EXPECT_NE(factory_.processingSequence("HOLE", "pierce first"), plain);
  EXPECT_NE(
      factory_.processingSequence("HOLE", "pierce first")->ProcessingUnitAt(0),
      plain->ProcessingUnitAt(0));

  boost::shared_ptr<ProcessingSequence> cam =
      factory_.defaultProcessingSequence(hole, true);
  ASSERT_TRUE(cam);
  EXPECT_EQ("cam pierce first", cam->Label());
}

TEST_F(ProcessFactoryFeatureTest, DefaultSequenceFallsBackToTheOtherCamChoice) {
  boost::shared_ptr<ProcessingSequence> flange =
      factory_.defaultProcessingSequence(featureOf("FLANGE"), false);
  ASSERT_TRUE(flange);
  EXPECT_EQ("cam flange", flange->Label());
  factory_.addProcessingSequence("SLOT", false, sequenceOf("slot", {"Trim"}),
                                 false);
  flange = factory_.defaultProcessingSequence(featureOf("SLOT"), true);
  ASSERT_TRUE(flange);
  EXPECT_EQ("slot", flange->Label());

  EXPECT_FALSE(factory_.defaultProcessingSequence(featureOf("EMBOSS"), true));
  EXPECT_FALSE(factory_.defaultProcessingSequence(
      boost::shared_ptr<PartFeature>(), true));
}

TEST_F(ProcessFactoryFeatureTest, DefaultSequenceByDirectionDecidesTheCam) {
  const boost::shared_ptr<PartFeature> hole = featureOf("HOLE");
  struct Case {
    const char* name;
    std::deque<double> direction;
    std::vector<double> tipping;
    const char* sequence;
  } const cases[] = {
      {"along the press", {0, 0, 1}, {}, "pierce first"},
      {"across the press", {1, 0, 0}, {}, "cam pierce first"},
      {"along a tipped stage", {1, 0, 0}, {1, 0, 0}, "pierce first"},
      {"zero direction", {0, 0, 0}, {0, 0, 1}, "pierce first"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boost::shared_ptr<ProcessingSequence> sequence =
        factory_.defaultProcessingSequence(hole, c.direction, c.tipping);
    ASSERT_TRUE(sequence);
    EXPECT_EQ(c.sequence, sequence->Label());
  }
}

TEST_F(ProcessFactoryFeatureTest, SequenceIsFoundByUnitLabelsOrByLabel) {
  EXPECT_EQ(factory_.processingSequences("HOLE")[2],
            factory_.processingSequence("HOLE", unitsOf({"Pierce", "Pierce"})));
  // Without cam first, then with cam; the first of equal ones wins.
  EXPECT_EQ(factory_.processingSequence("HOLE", "cam pierce first"),
            factory_.processingSequence("HOLE", unitsOf({"Cam", "Pierce"})));
  EXPECT_EQ(factory_.processingSequence("HOLE", "pierce"),
            factory_.processingSequence("HOLE", unitsOf({"Pierce"})));
  // Same labels in another order, a prefix, or another type: no match.
  EXPECT_FALSE(factory_.processingSequence("HOLE", unitsOf({"Pierce", "Cam"})));
  EXPECT_FALSE(factory_.processingSequence("HOLE", unitsOf({"Cam"})));
  EXPECT_FALSE(factory_.processingSequence("HOLE", unitsOf({})));
  EXPECT_FALSE(factory_.processingSequence("FLANGE", unitsOf({"Pierce"})));

  EXPECT_EQ(factory_.processingSequences("HOLE")[4],
            factory_.processingSequence("HOLE", "cam pierce"));
  EXPECT_FALSE(factory_.processingSequence("FLANGE", "cam pierce"));
  EXPECT_FALSE(factory_.processingSequence("HOLE", "Cam pierce"));
}

TEST_F(ProcessFactoryFeatureTest, CamIsNeededBetween15And165Degrees) {
  struct Case {
    const char* name;
    std::deque<double> direction;
    std::vector<double> tipping;
    bool cam;
  } const cases[] = {
      {"0 degrees", {0, 0, 1}, {0, 0, 1}, false},
      {"90 degrees", {0, 0, 1}, {1, 0, 0}, true},
      {"180 degrees", {0, 0, -2}, {0, 0, 1}, false},
      {"just below 15", velktest::tilted(14.9999), {0, 0, 1}, false},
      {"just above 15", velktest::tilted(15.0001), {0, 0, 1}, true},
      {"just below 165", velktest::tilted(164.9999), {0, 0, 1}, true},
      {"just above 165", velktest::tilted(165.0001), {0, 0, 1}, false},
      // Nothing can be measured against a zero vector.
      {"zero direction", {0, 0, 0}, {0, 0, 1}, false},
      {"zero tipping", {1, 0, 0}, {0, 0, 0}, false},
      {"tiny direction", {1e-10, 0, 0}, {0, 0, 1}, false},
      {"two components", {1, 0}, {0, 0, 1}, false},
      {"four components", {1, 0, 0, 0}, {0, 0, 1}, false},
      {"short tipping", {1, 0, 0}, {0, 1}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.cam, ProcessFactoryFeature::needACam(c.direction, c.tipping));
  }
}

TEST_F(ProcessFactoryFeatureTest, AngleBoundsAreInclusive) {
  EXPECT_TRUE(ProcessFactoryFeature::isCamAngle(15.0));
  EXPECT_TRUE(ProcessFactoryFeature::isCamAngle(165.0));
  EXPECT_TRUE(ProcessFactoryFeature::isCamAngle(90.0));
  EXPECT_FALSE(ProcessFactoryFeature::isCamAngle(std::nextafter(15.0, 0.0)));
  EXPECT_FALSE(ProcessFactoryFeature::isCamAngle(std::nextafter(165.0, 180.0)));
  EXPECT_FALSE(ProcessFactoryFeature::isCamAngle(0.0));
  EXPECT_FALSE(ProcessFactoryFeature::isCamAngle(180.0));
}

TEST_F(ProcessFactoryFeatureTest, PostNumbersCountPerName) {
  const std::string name = "ProcessFactoryFeatureCamTest.PostNumbers";
  EXPECT_EQ(0, ProcessFactoryFeature::getPostNumber(name));
  EXPECT_EQ(1, ProcessFactoryFeature::getPostNumber(name));
  EXPECT_EQ(0, ProcessFactoryFeature::getPostNumber(name + " other"));
  EXPECT_EQ(2, ProcessFactoryFeature::getPostNumber(name));
  EXPECT_EQ(3, ProcessFactoryFeature::m_featureCount[name]);
}

}  // namespace
}  // namespace TamberData
