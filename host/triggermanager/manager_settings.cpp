#include "triggermanager/manager_settings.h"

#include <mutex>
#include <utility>

namespace {

// The host may set and create from different threads; the settings change together under one lock.
struct SharedSettings {
    std::mutex lock;
    ManagerSettings values;
};

SharedSettings& Shared() {
    static SharedSettings settings;
    return settings;
}

}  // namespace

ManagerSettings CurrentSettings() {
    SharedSettings& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    return shared.values;
}

void SetDatabasePath(std::string path) {
    SharedSettings& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.values.databasePath = std::move(path);
}

void SetDeliveryThread(bool enabled) {
    SharedSettings& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.values.deliveryThread = enabled;
}

void SetChainBudget(LONG firings) {
    SharedSettings& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.values.chainBudget = firings;
}
