#include <gtest/gtest.h>

#include <boost/pointer_cast.hpp>
#include <string>

#include "costdata/CostDriverDouble.h"
#include "costdata/CostProperty.h"
#include "costdata/CostPropertyString.h"
#include "formula/FormulaContainer.h"

namespace {

using VelkData::CostDriverDouble;
using VelkData::CostProperty;
using VelkData::CostPropertyString;

TEST(CostPropertyTest, ValueSourcesNamesEachGeneratorOnce) {
  const struct {
    const char* formula;
    const char* expected;
  } cases[] = {
      {"Norix_GGdepth*Norix_GGwidth+Norix_PAx",
       "Geometry generator (Draw or Form stage), Geometry generator (Part "
       "stage)"},
      {"Norix_BGa+Norix_PGb+Norix_BGc", "Blank generator, Process generator"},
      {"Norix_PGa*Norix_PAb",
       "Process generator, Geometry generator (Part "
       "stage)"},
      {"length*2", ""},
      {"Norix_XYz+1", ""},
      {"1+Norix_P", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    CostPropertyString p("p");
    p.formulas()->addFormula(c.formula);
    EXPECT_EQ(c.expected, p.valueSources());
  }
}

TEST(CostPropertyTest, NewPropertyHasNoValue) {
  CostPropertyString p("p");
  EXPECT_FALSE(p.hasValue());
  EXPECT_EQ("No value defined", p.valueSources());
  EXPECT_EQ(2.2250738585072014e-308, p.getMinValue());
  EXPECT_EQ(1.7976931348623157e308, p.getMaxValue());
  EXPECT_EQ(5, p.level());
  EXPECT_TRUE(p.isVisible());
}

TEST(CostPropertyTest, EqualityIsByIdAlone) {
  CostDriverDouble a("len");
  CostPropertyString b("len");
  b.setLabel("other");
  CostPropertyString c("wid");
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_TRUE(a != c);
}

TEST(CostPropertyTest, ToStringUsesSixSignificantDigits) {
  EXPECT_EQ("0.1", CostProperty::toString(0.1));
  EXPECT_EQ("0.333333", CostProperty::toString(1.0 / 3));
  EXPECT_EQ("2500", CostProperty::toString(2500));
  EXPECT_EQ("1e+07", CostProperty::toString(1e7));
}

TEST(CostPropertyTest, CloneCopiesPresentationAndOwnsItsFormulas) {
  CostPropertyString source("p");
  source.setLabel("Label");
  source.setLongHelp("Help");
  source.setCategory("Geometry");
  source.setLevel(CostProperty::kLevelBasic);
  source.setIsVisible(false);
  source.setMinValue(1.0);
  source.setMaxValue(2.0);
  source.formulas()->addFormula("a+1");

  boost::shared_ptr<CostProperty> copy = source.clone();
  EXPECT_EQ("p", copy->id());
  EXPECT_EQ("Label", copy->label());
  EXPECT_EQ("Help", copy->longHelp());
  EXPECT_EQ("Geometry", copy->category());
  EXPECT_EQ(CostProperty::kLevelBasic, copy->level());
  EXPECT_FALSE(copy->isVisible());
  EXPECT_EQ(1.0, copy->getMinValue());
  EXPECT_EQ(2.0, copy->getMaxValue());
  ASSERT_NE(source.formulas(), copy->formulas());
  EXPECT_EQ(1, copy->dependencyFormulaCount());
  EXPECT_EQ("a+1", copy->dependencyFormulaAt(0));
}

TEST(CostPropertyTest, MissingContainerGivesNeutralAnswers) {
  CostDriverDouble d("d");
  d.setFormulaContainer(boost::shared_ptr<VelkData::FormulaContainer>());
  EXPECT_EQ(0, d.dependencyFormulaCount());
  EXPECT_EQ("", d.dependencyFormulaAt(0));
  EXPECT_EQ("", d.recentFormula());
  EXPECT_EQ("No value defined", d.valueSources());
  EXPECT_FLOAT_EQ(0.0f, d.doubleValue());
  d.setValue(2.0f);
  EXPECT_FLOAT_EQ(
      2.0f,
      boost::dynamic_pointer_cast<CostDriverDouble>(d.clone())->doubleValue());
}

}  // namespace
