// The library's exports. Each catches everything at its edge: no error reaches the host.
#include <chrono>
#include <optional>

#include "companions/error_report.h"
#include "triggermanager/condition.h"
#include "triggermanager/error_result.h"
#include "triggermanager/failure_reports.h"
#include "triggermanager/idle_tracker.h"
#include "triggermanager/loop_guard.h"
#include "triggermanager/manager_settings.h"
#include "triggermanager/trigger_manager.h"
#include "triggermanager/triggermanager_host.h"

namespace {

constexpr DWORD kInfinite = 0xFFFFFFFFu;

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT STDAPICALLTYPE
CreateTriggerManager(ITriggerManager** manager) {
    if (manager == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager, u"no place for the trigger manager");
    }
    *manager = nullptr;
    try {
        const ManagerSettings settings = CurrentSettings();
        ManagerOptions options;
        options.databasePath = settings.databasePath;
        options.deliveryThread = settings.deliveryThread;
        options.chainBudget = settings.chainBudget;
        *manager = MakeTriggerManager(options).detach();
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerSetDatabasePath(const char* utf8Path) {
    try {
        SetDatabasePath(utf8Path != nullptr ? utf8Path : "");
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerSetDeliveryThread(BOOL enabled) {
    try {
        SetDeliveryThread(enabled != FALSE);
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerSetChainBudget(LONG firings) {
    if (firings < 1) {
        return ReportError(E_INVALIDARG, IID_ITriggerManager,
                           u"a chain must be allowed at least the firing that starts it");
    }
    try {
        SetChainBudget(firings);
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerWaitIdle(DWORD timeoutMs) {
    try {
        std::optional<std::chrono::milliseconds> limit;
        if (timeoutMs != kInfinite) {
            limit = std::chrono::milliseconds(timeoutMs);
        }
        return WaitUntilIdle(limit) ? S_OK : S_FALSE;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

TB_TRIGGERMANAGER_API LONG STDAPICALLTYPE TriggerManagerRefusedFirings() {
    return RefusedFirings();
}

TB_TRIGGERMANAGER_API LONG STDAPICALLTYPE TriggerManagerRefusedOverBudget() {
    return RefusedOverBudget();
}

TB_TRIGGERMANAGER_API LONG STDAPICALLTYPE TriggerManagerExhaustedConditions() {
    return ExhaustedConditions();
}

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE
TriggerManagerSetFailureObserver(TriggerManagerFailureObserver observer, void* context) {
    try {
        SetFailureObserver(observer, context);
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}
