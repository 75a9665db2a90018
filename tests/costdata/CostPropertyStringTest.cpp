#include <gtest/gtest.h>

#include <boost/pointer_cast.hpp>
#include <string>

#include "costdata/CostPropertyString.h"
#include "external/XoloClient.h"
#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"
#include "support/TestUtil.h"

namespace {

using VelkData::CostPropertyString;
using VelkData::NoFormulaResultException;
using velktest::DebugCapture;

// Answers every text formula with a fixed prefix, or fails when told to.
class TextSession : public VelkCOM::XoloClient {
 public:
  std::string GetStringDataByName(const std::string& formula, int) override {
    if (fail) throw NoFormulaResultException("unknown text " + formula);
    return "session:" + formula;
  }
  bool fail = false;
};

TEST(CostPropertyStringTest, ValueComesFromCacheThenExplicitThenFormula) {
  CostPropertyString p("material");
  p.formulas()->addFormula("steel");
  EXPECT_EQ("steel", p.stringValue());

  p.setValue("cast iron");
  EXPECT_TRUE(p.hasValue());
  EXPECT_EQ("cast iron", p.stringValue());

  p.setDoCacheValue(true);
  p.setValue("alu");
  EXPECT_EQ("cast iron", p.stringValue());
  p.setDoCacheValue(false);
  EXPECT_EQ("alu", p.stringValue());

  p.resetValue();
  EXPECT_EQ("steel", p.stringValue());
}

TEST(CostPropertyStringTest, SessionAnswersPrefixedTexts) {
  TextSession session;
  CostPropertyString p("material");
  p.formulas()->addFormula("Norix_material");
  p.setQorSession(&session);
  EXPECT_EQ("session:Norix_material", p.stringValue());
}

TEST(CostPropertyStringTest, FailureIsLoggedAndRethrown) {
  TextSession session;
  session.fail = true;
  CostPropertyString p("material");
  p.formulas()->addFormula("Norix_material");
  p.setQorSession(&session);

  DebugCapture log;
  EXPECT_THROW_MSG(p.stringValue(), NoFormulaResultException,
                   "unknown text Norix_material");
  EXPECT_EQ("Error String Formula", log.joined());
}

TEST(CostPropertyStringTest, CachingAFailureLogsAndCachesNothing) {
  TextSession session;
  session.fail = true;
  CostPropertyString p("material");
  p.formulas()->addFormula("Norix_material");
  p.setQorSession(&session);

  DebugCapture log;
  p.setDoCacheValue(true);
  EXPECT_EQ(
      "Error String Formula|CostPropertyString::setDoCacheValue:"
      "NoFormulaResultException unknown text Norix_material\n",
      log.joined());
  EXPECT_TRUE(p.doCacheValue());
  EXPECT_EQ("", p.stringValue());
}

TEST(CostPropertyStringTest, CloneIsIndependent) {
  CostPropertyString source("comment");
  source.setValue("first");
  boost::shared_ptr<CostPropertyString> copy =
      boost::dynamic_pointer_cast<CostPropertyString>(source.clone());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->hasValue());
  EXPECT_EQ("first", copy->stringValue());
  copy->setValue("second");
  EXPECT_EQ("first", source.stringValue());
}

}  // namespace
