#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <string>

#include "UnitSupport.h"
#include "costdata/Component.h"
#include "processplan/ProcessingSequence.h"
#include "processplan/ProcessingUnit.h"
#include "support/TestUtil.h"

namespace TamberData {
namespace {

using velktest::makeAmount;
using velktest::makeComponent;
using velktest::makeUnit;

// A unit labelled `label` holding `amount` components keyed `key`.
boost::shared_ptr<ProcessingUnit> unitWith(const std::string& label,
                                           const std::string& key, int amount) {
  boost::shared_ptr<ProcessingUnit> unit = makeUnit(label);
  velktest::DebugCapture quiet;
  unit->addSourceComponent(makeComponent(label, key),
                           makeAmount(std::to_string(amount)), true);
  return unit;
}

// The labels of the units, as "a b c".
std::string labels(const ProcessingSequence& sequence) {
  std::string text;
  for (int i = 0; i < sequence.ProcessingUnitCount(); ++i) {
    text += (i ? " " : "") + sequence.ProcessingUnitAt(i)->label();
  }
  return text;
}

TEST(ProcessingSequenceTest, ComponentsAreCountedOverAllUnitsInOrder) {
  ProcessingSequence sequence("Pierce round");
  sequence.AddProcessingUnit(unitWith("Punch", "CT_010_01", 2));
  sequence.AddProcessingUnit(unitWith("Empty", "CT_010_00", 0));
  sequence.AddProcessingUnit(unitWith("Bushing", "CT_010_02", 1));
  EXPECT_EQ(3, sequence.ComponentCount());
  EXPECT_EQ(sequence.ProcessingUnitAt(0)->componentAt(1),
            sequence.ComponentAt(1));
  EXPECT_EQ(sequence.ProcessingUnitAt(2)->componentAt(0),
            sequence.ComponentAt(2));
  EXPECT_FALSE(sequence.ComponentAt(3));
  EXPECT_FALSE(sequence.ComponentAt(-1));
}

TEST(ProcessingSequenceTest, UnitListIgnoresBadPositions) {
  ProcessingSequence sequence("Trim");
  sequence.AddProcessingUnit(makeUnit("b"));
  sequence.InsertProcessingUnitAt(0, makeUnit("a"));
  sequence.InsertProcessingUnitAt(2, makeUnit("d"));
  sequence.InsertProcessingUnitAt(2, makeUnit("c"));
  EXPECT_EQ("a b c d", labels(sequence));

  sequence.InsertProcessingUnitAt(5, makeUnit("x"));
  sequence.InsertProcessingUnitAt(-1, makeUnit("x"));
  sequence.SetProcessingUnitAt(4, makeUnit("x"));
  sequence.SetProcessingUnitAt(0, boost::shared_ptr<ProcessingUnit>());
  sequence.AddProcessingUnit(boost::shared_ptr<ProcessingUnit>());
  sequence.RemoveProcessingUnitAt(4);
  EXPECT_EQ("a b c d", labels(sequence));
  EXPECT_FALSE(sequence.ProcessingUnitAt(4));

  sequence.SetProcessingUnitAt(3, makeUnit("e"));
  sequence.RemoveProcessingUnitAt(0);
  EXPECT_EQ("b c e", labels(sequence));
}

TEST(ProcessingSequenceTest, CloneHoldsNewUnitsOfTheSameLabels) {
  ProcessingSequence sequence("Pierce round");
  sequence.AddProcessingUnit(unitWith("Punch", "CT_010_01", 2));
  sequence.AddProcessingUnit(makeUnit("Deburr"));

  const int nextId = ProcessingUnit::procUnitCount;
  boost::shared_ptr<ProcessingSequence> copy;
  {
    velktest::DebugCapture quiet;
    copy = sequence.clone();
  }
  EXPECT_EQ("Pierce round", copy->Label());
  EXPECT_EQ("Punch Deburr", labels(*copy));
  EXPECT_EQ(nextId, copy->ProcessingUnitAt(0)->getProcID());
  EXPECT_EQ(nextId + 1, copy->ProcessingUnitAt(1)->getProcID());
  ASSERT_EQ(2, copy->ComponentCount());
  EXPECT_NE(sequence.ComponentAt(0), copy->ComponentAt(0));
}

}  // namespace
}  // namespace TamberData
