// The settings a host makes before it creates managers; each manager reads them once, when it is
// created.
#pragma once

#include <string>

#include "triggermanager/loop_guard.h"

struct ManagerSettings {
    // UTF-8; empty keeps the manager's triggers in a private in-memory database.
    std::string databasePath;
    bool deliveryThread = false;
    LONG chainBudget = kDefaultChainBudget;
};

ManagerSettings CurrentSettings();
void SetDatabasePath(std::string path);
void SetDeliveryThread(bool enabled);
void SetChainBudget(LONG firings);
