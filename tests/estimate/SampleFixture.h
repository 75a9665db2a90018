#ifndef VELKDATA_TESTS_ESTIMATE_SAMPLEFIXTURE_H
#define VELKDATA_TESTS_ESTIMATE_SAMPLEFIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "velkdata/velkdata.h"

// A fresh sample database per test, with a lookup of an operation's driver.
class SampleFixture : public ::testing::Test {
 protected:
  SampleFixture()
      : db_(VelkData::buildSampleDatabase()), plan_(db_->ProcessDB()) {}

  // The driver `id` of the operation at `operation`; empty when it has none.
  boost::shared_ptr<VelkData::CostDriver> driver(int operation,
                                                 const std::string& id) {
    for (const auto& d : plan_->OperationAt(operation)->GetAllCostDrivers()) {
      if (d->id() == id) return d;
    }
    return boost::shared_ptr<VelkData::CostDriver>();
  }

  boost::shared_ptr<VelkData::CostDatabase> db_;
  boost::shared_ptr<TamberData::ProcessDatabase> plan_;
};

#endif  // VELKDATA_TESTS_ESTIMATE_SAMPLEFIXTURE_H
