// For tests of the shared library: new managers through its export, and its process-wide
// settings changed for one scope only.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "manager_calls.h"
#include "triggermanager/triggermanager_host.h"

inline ComPtr<ITriggerManager> NewManager() {
    ComPtr<ITriggerManager> manager;
    EXPECT_EQ(CreateTriggerManager(manager.put()), S_OK) << TakeErrorDescription();
    return manager;
}

// New managers keep their triggers in this file for the scope's life.
class DatabaseAt {
  public:
    explicit DatabaseAt(const std::string& path) {
        EXPECT_EQ(TriggerManagerSetDatabasePath(path.c_str()), S_OK);
    }
    ~DatabaseAt() { TriggerManagerSetDatabasePath(nullptr); }
    DatabaseAt(const DatabaseAt&) = delete;
    DatabaseAt& operator=(const DatabaseAt&) = delete;
};

// New managers deliver events on their own thread, or not, for the scope's life.
class DeliveryThreadSetting {
  public:
    explicit DeliveryThreadSetting(bool enabled) {
        TriggerManagerSetDeliveryThread(enabled ? TRUE : FALSE);
    }
    ~DeliveryThreadSetting() { TriggerManagerSetDeliveryThread(FALSE); }
    DeliveryThreadSetting(const DeliveryThreadSetting&) = delete;
    DeliveryThreadSetting& operator=(const DeliveryThreadSetting&) = delete;
};

// Chains started by new managers have this budget of firings for the scope's life.
class ChainBudgetSetting {
  public:
    explicit ChainBudgetSetting(LONG firings) {
        EXPECT_EQ(TriggerManagerSetChainBudget(firings), S_OK);
    }
    ~ChainBudgetSetting() { TriggerManagerSetChainBudget(256); }
    ChainBudgetSetting(const ChainBudgetSetting&) = delete;
    ChainBudgetSetting& operator=(const ChainBudgetSetting&) = delete;
};
