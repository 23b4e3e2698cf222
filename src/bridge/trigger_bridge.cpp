#include "bridge/trigger_bridge.h"

#include "boundary/text_conversion.h"
#include "bridge/wildcard.h"

TriggerBridge& TriggerBridge::Instance() {
    // A function-local static: constructed once even when first calls race, and tried again
    // by the next call when construction fails.
    static TriggerBridge bridge;
    return bridge;
}

TriggerBridge::~TriggerBridge() {
    try {
        Disconnect();
    } catch (...) {
        // A trigger the manager would not remove at unload stays with the manager; the module
        // cannot report anything from here.
    }
}

bool TriggerBridge::Connect() {
    if (connected != FALSE) {
        return false;
    }
    ITriggerManager* created = nullptr;
    const HRESULT code = CreateTriggerManager(&created);
    if (FAILED(code)) {
        if (created != nullptr) {
            created->Release();
        }
        created = nullptr;
    }
    manager = ComPtr<ITriggerManager>::Adopt(created);
    if (!manager) {
        return false;
    }
    if (FAILED(AdviseSource(manager.get()))) {
        return false;
    }
    connected = TRUE;
    return true;
}

bool TriggerBridge::Disconnect() {
    if (connected == FALSE) {
        return false;
    }
    UnadviseSource();
    if (manager) {
        // The ids are copied under the lock and removed outside it: the manager may call back.
        for (const std::string& id : table.Ids()) {
            WideText wideId = WideText::FromNarrow(id);
            LONG removed = 0;
            ThrowIfFailed(manager->RemoveTrigger(wideId.wide(), &removed), manager.get());
        }
    }
    manager.reset();
    ForgetSource();
    connected = FALSE;
    table.Clear();
    return true;
}

LONG TriggerBridge::RegisterTrigger(const std::string& id, const std::string& condition,
                                    const std::string& action) {
    ComPtr<ITriggerManager> current = manager;
    if (!current) {
        return 0;
    }
    LONG added = 0;
    try {
        WideText wideId = WideText::FromNarrow(id);
        WideText wideCondition = WideText::FromNarrow(condition);
        ThrowIfFailed(current->AddTrigger(wideId.wide(), wideCondition.wide(), &added),
                      current.get());
    } catch (...) {
        // The manager did not take the trigger, so nothing is stored for it.
        return 0;
    }
    if (added == 0) {
        return 0;
    }
    table.Set(id, action);
    return added;
}

LONG TriggerBridge::UnregisterTrigger(const std::string& id) {
    ComPtr<ITriggerManager> current = manager;
    if (!current) {
        return 0;
    }
    if (IsWildcardPattern(id.c_str())) {
        table.ErasePattern(id);
    } else {
        table.EraseExact(id);
    }
    WideText wideId = WideText::FromNarrow(id);
    LONG removed = 0;
    ThrowIfFailed(current->RemoveTrigger(wideId.wide(), &removed), current.get());
    return 1;
}

LONG TriggerBridge::DeleteTriggerDatabase() {
    ComPtr<ITriggerManager> current = manager;
    if (!current) {
        return 0;
    }
    LONG deleted = 0;
    ThrowIfFailed(current->DeleteDatabase(&deleted), current.get());
    return deleted;
}

LONG TriggerBridge::SuspendTriggers() {
    ComPtr<ITriggerManager> current = manager;
    if (!current) {
        return 0;
    }
    ThrowIfFailed(current->Suspend(), current.get());
    return 1;
}

LONG TriggerBridge::ResumeTriggers() {
    ComPtr<ITriggerManager> current = manager;
    if (!current) {
        return 0;
    }
    ThrowIfFailed(current->Resume(), current.get());
    return 1;
}
