#include <gtest/gtest.h>

#include <boost/archive/archive_exception.hpp>
#include <cstring>
#include <sstream>

#include "persistence/ArchiveTraits.h"
#include "support/TestUtil.h"
#include "velkdata/velkdata.h"

using namespace VelkData;
using boost::shared_ptr;

namespace {

template <class T>
std::string save(const T& object) {
  std::ostringstream out(std::ios::binary);
  {
    boost::archive::binary_oarchive archive(out);
    archive << object;
  }
  return out.str();
}

template <class T>
void load(const std::string& bytes, T& object) {
  std::istringstream in(bytes, std::ios::binary);
  CheckedIArchive archive(in);
  archive >> object;
}

std::int32_t numberAt(const std::string& bytes, std::size_t at) {
  std::int32_t number = 0;
  std::memcpy(&number, &bytes[at], 4);
  return number;
}

// Replaces the 32-bit number that ends `bytes`.
std::string withLastNumber(std::string bytes, std::int32_t number) {
  std::memcpy(&bytes[bytes.size() - 4], &number, 4);
  return bytes;
}

TEST(FormulaContainerArchiveTest, CompiledFormulasAreRebuiltFromTheirTexts) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->addFormula("2*3");
  container->addFormula("x+1");
  shared_ptr<FormulaContainer> loaded;
  load(save(container), loaded);
  ASSERT_EQ(2, loaded->formulaCount());
  ASSERT_EQ(2, loaded->compiledFormulaCount());
  EXPECT_NE(container->getFormulaAt(0).get(), loaded->getFormulaAt(0).get());
  EXPECT_DOUBLE_EQ(6.0, loaded->evalFormulaDouble());
  EXPECT_EQ("x+1", loaded->formulaAt(1));
}

TEST(FormulaContainerArchiveTest, TextsWithoutFormulasStayUncompiled) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->addFormulaString("first");
  container->addFormulaString("(");
  container->addFormulaString("Norix_Thickness");
  shared_ptr<FormulaContainer> loaded;
  load(save(container), loaded);
  EXPECT_EQ(3, loaded->formulaCount());
  EXPECT_EQ(0, loaded->compiledFormulaCount());
  EXPECT_EQ("(", loaded->formulaAt(1));
}

TEST(FormulaContainerArchiveTest, CountAboveTheTextsIsRefused) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->addFormula("1");
  const std::string bytes = save(container);
  ASSERT_EQ(1, numberAt(bytes, bytes.size() - 4));
  shared_ptr<FormulaContainer> loaded;
  EXPECT_THROW_MSG(load(withLastNumber(bytes, 2), loaded),
                   boost::archive::archive_exception, "array size too short");
  EXPECT_THROW(load(withLastNumber(bytes, -1), loaded),
               boost::archive::archive_exception);
}

// Formulas whose texts were deleted used to be counted anyway, which made
// the saved database unreadable.
TEST(FormulaContainerArchiveTest, DeletedTextsAreNotCountedWhenSaving) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->addFormula("1");
  container->addFormula("2");
  container->deleteFormulaStrings();
  container->addFormulaString("3");
  ASSERT_EQ(2, container->compiledFormulaCount());
  shared_ptr<FormulaContainer> loaded;
  load(save(container), loaded);
  EXPECT_EQ(1, loaded->formulaCount());
  EXPECT_EQ(1, loaded->compiledFormulaCount());
  EXPECT_DOUBLE_EQ(3.0, loaded->evalFormulaDouble());
}

TEST(FormulaContainerArchiveTest, TextThatDoesNotCompileIsRefused) {
  shared_ptr<FormulaContainer> container(new FormulaContainer);
  container->addFormula("1+2");
  std::string bytes = save(container);
  const std::size_t text = bytes.find("1+2");
  ASSERT_NE(std::string::npos, text);
  bytes[text + 2] = '(';
  shared_ptr<FormulaContainer> loaded;
  EXPECT_THROW_MSG(load(bytes, loaded), boost::archive::archive_exception,
                   "input stream error-formula text does not compile");
}

TEST(EnumerationArchiveTest, StageTypeOutsideTheEnumerationIsRefused) {
  VelkUtils::Stage stage("S");
  stage.setStageType("piercing");
  const std::string bytes = save(stage);
  {
    VelkUtils::Stage loaded;
    load(bytes, loaded);
    EXPECT_EQ(VelkUtils::Stage::kPiercingStage, loaded.getStageType());
    EXPECT_EQ("S", loaded.Label());
  }
  for (std::int32_t number : {6, -1, 1 << 30}) {
    SCOPED_TRACE(number);
    VelkUtils::Stage loaded;
    EXPECT_THROW_MSG(load(withLastNumber(bytes, number), loaded),
                     boost::archive::archive_exception,
                     "input stream error-enumeration value out of range");
  }
}

TEST(EnumerationArchiveTest, LevelOutsideTheEnumerationIsRefused) {
  shared_ptr<CostProperty> property(new CostPropertyString("CP"));
  property->setLevel(CostProperty::kLevelExpert);
  property->setMinValue(-2.5);
  property->setMaxValue(7.5);
  const std::string bytes = save(property);
  // The level stands before the two bounds of version 2.
  const std::size_t at = bytes.size() - 16 - 16 - 4;
  ASSERT_EQ(CostProperty::kLevelExpert, numberAt(bytes, at));
  shared_ptr<CostProperty> loaded;
  load(bytes, loaded);
  EXPECT_EQ(CostProperty::kLevelExpert, loaded->level());
  EXPECT_DOUBLE_EQ(-2.5, loaded->getMinValue());
  std::string damaged = bytes;
  const std::int32_t zero = 0;
  std::memcpy(&damaged[at], &zero, 4);
  EXPECT_THROW(load(damaged, loaded), boost::archive::archive_exception);
}

}  // namespace
