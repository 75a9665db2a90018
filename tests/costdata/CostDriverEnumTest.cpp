#include <gtest/gtest.h>

#include <boost/pointer_cast.hpp>
#include <string>

#include "costdata/CostDriverEnum.h"
#include "costdata/DriverGraph.h"
#include "formula/ValueNotFoundException.h"
#include "support/TestUtil.h"

namespace {

using VelkData::CostDriverEnum;
using VelkData::ValueNotFoundException;
using velktest::DebugCapture;
using velktest::DriverGraph;
using velktest::RecordingDriver;

// A material class with three entries, read by a recording double driver.
class CostDriverEnumTest : public ::testing::Test {
 protected:
  CostDriverEnumTest()
      : material(new CostDriverEnum("mat")),
        reader(new RecordingDriver("r", &order)) {
    material->setValues({10.0f, 20.0f, 30.0f}, {"steel", "cast", "alu"});
    reader->formulas()->addFormula("mat+1");
    graph.link(material, reader);
  }

  std::string order;
  DriverGraph graph;
  boost::shared_ptr<CostDriverEnum> material;
  boost::shared_ptr<RecordingDriver> reader;
};

TEST_F(CostDriverEnumTest, TextSelectsTheEntry) {
  material->setValue("cast");
  EXPECT_TRUE(material->hasValue());
  EXPECT_FLOAT_EQ(20.0f, material->doubleValue());
  EXPECT_EQ("cast", material->stringValue());
  EXPECT_EQ(1, material->currentIndex());
  EXPECT_EQ("r", order);
  EXPECT_FLOAT_EQ(21.0f, reader->doubleValue());
}

TEST_F(CostDriverEnumTest, UnknownTextThrowsAndChangesNothing) {
  material->setValue("alu");
  order.clear();
  EXPECT_THROW_MSG(material->setValue("wood"), ValueNotFoundException, "wood");
  EXPECT_THROW_MSG(material->setDependentValue("wood"), ValueNotFoundException,
                   "wood");
  EXPECT_THROW_MSG(material->getValue("wood"), ValueNotFoundException, "wood");
  EXPECT_EQ("alu", material->stringValue());
  EXPECT_EQ("", order);
}

TEST_F(CostDriverEnumTest, NumberSelectsTheEntryOrNothing) {
  material->setValue(30.0f);
  EXPECT_EQ("alu", material->stringValue());
  EXPECT_EQ("r", order);

  material->setValue(99.0f);
  EXPECT_EQ("alu", material->stringValue());
  EXPECT_EQ("r", order);
}

TEST_F(CostDriverEnumTest, DependentValueIsNotExplicit) {
  material->formulas()->addFormula("10");
  material->setDependentValue("alu");
  EXPECT_FALSE(material->hasValue());
  EXPECT_EQ("r", order);
  EXPECT_EQ("steel", material->stringValue());
}

TEST_F(CostDriverEnumTest, FormulaResultSelectsByNumber) {
  material->formulas()->addFormula("4*5");
  EXPECT_FLOAT_EQ(20.0f, material->doubleValue());
  EXPECT_EQ("cast", material->stringValue());

  material->reEvaluateFormula();
  EXPECT_EQ(1, material->currentIndex());
  EXPECT_EQ("r", order);
}

TEST_F(CostDriverEnumTest, UnmatchedFormulaResultIsLogged) {
  material->formulas()->addFormula("25");
  DebugCapture log;
  material->doubleValue();
  EXPECT_EQ("", material->stringValue());
  EXPECT_EQ(
      "UnknownResultError for cost driver mat and value 25.000000 (Formula: "
      "25)\n|ResultError for cost driver mat (Formula: 25)\n",
      log.joined());
}

TEST_F(CostDriverEnumTest, ListsOfDifferentLengthsGiveNeutralValues) {
  material->setValue("steel");
  order.clear();
  material->setValues({1.0f}, {"one", "two"});
  EXPECT_EQ("r", order);
  material->setValue("two");
  EXPECT_FLOAT_EQ(0.0f, material->doubleValue());
  EXPECT_THROW_MSG(material->getValue("two"), ValueNotFoundException, "two");
  EXPECT_FLOAT_EQ(1.0f, material->getValue("one"));
}

TEST_F(CostDriverEnumTest, CloneKeepsEntriesAndSelection) {
  material->setValue("cast");
  boost::shared_ptr<CostDriverEnum> copy =
      boost::dynamic_pointer_cast<CostDriverEnum>(material->clone());
  ASSERT_TRUE(copy);
  EXPECT_EQ("cast", copy->stringValue());
  EXPECT_TRUE(copy->containsEnumString("alu"));

  copy->setValues({1.0f}, {"x"});
  EXPECT_EQ(3u, material->stringValues().size());
}

}  // namespace
