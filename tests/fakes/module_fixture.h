// The fixture every module test starts from: all fakes in their default state, and afterwards the
// process-wide bridge disconnected and empty and no fake object left alive.
#pragma once

#include <gtest/gtest.h>

namespace fakes {

// Brings TriggerBridge::Instance() back to its first state (not connected, no manager, empty table)
// through the module's own operations.
void ResetProcessBridge();

// Puts every fake back to its defaults and forgets what they recorded.
void ResetFakes();

class ModuleFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace fakes
