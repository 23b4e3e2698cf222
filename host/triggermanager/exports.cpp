// The library's exports. Each catches everything at its edge: no error reaches the host.
#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "companions/error_report.h"
#include "companions/utf.h"
#include "triggermanager/condition.h"
#include "triggermanager/error_result.h"
#include "triggermanager/failure_reports.h"
#include "triggermanager/firing_history.h"
#include "triggermanager/idle_tracker.h"
#include "triggermanager/loop_guard.h"
#include "triggermanager/manager_directory.h"
#include "triggermanager/manager_settings.h"
#include "triggermanager/trigger_manager.h"
#include "triggermanager/triggermanager_host.h"

namespace {

constexpr DWORD kInfinite = 0xFFFFFFFFu;

LONG ClampedLong(std::size_t count) noexcept {
    return static_cast<LONG>(std::min<std::size_t>(count, 0x7FFFFFFF));
}

std::vector<const char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<const char*> pointers;
    pointers.reserve(texts.size());
    for (const std::string& text : texts) {
        pointers.push_back(text.c_str());
    }
    return pointers;
}

}  // namespace

extern "C" TB_EXPORT HRESULT STDAPICALLTYPE CreateTriggerManager(ITriggerManager** manager) {
    if (manager == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager,
                           OLESTR("no place for the trigger manager"));
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
                           OLESTR("a chain must be allowed at least the firing that starts it"));
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

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerListTriggers(
    const char* utf8IdOrPattern, TriggerManagerTriggerVisitor visitor, void* context) {
    if (visitor == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager, OLESTR("no visitor for the triggers"));
    }
    try {
        const std::string_view text = utf8IdOrPattern != nullptr ? utf8IdOrPattern : "";
        for (const TriggerRegistry::Listed& trigger : ListLiveTriggers(text)) {
            visitor(trigger.id.c_str(), trigger.condition.c_str(), context);
        }
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerTestCondition(const char* utf8Condition,
                                                                         const char* utf8Data,
                                                                         LONG* outcome) {
    if (outcome == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager, OLESTR("no place for the outcome"));
    }
    *outcome = TRIGGERMANAGER_TEST_NOT_MATCHED;
    try {
        const std::string_view condition = utf8Condition != nullptr ? utf8Condition : "";
        const Bstr conditionText = ToBstr(condition);
        if (!condition.empty() && !ConditionAccepted(conditionText.get())) {
            *outcome = TRIGGERMANAGER_TEST_INVALID_CONDITION;
            return S_OK;
        }
        const Bstr data = ToBstr(utf8Data != nullptr ? utf8Data : "");
        const ComPtr<IConfigDocument> document = ParseTriggerData(data.get());
        if (!document) {
            *outcome = TRIGGERMANAGER_TEST_DATA_NOT_XML;
        } else if (condition.empty()) {
            *outcome = TRIGGERMANAGER_TEST_MATCHED;
        } else {
            switch (TryCondition(document.get(), conditionText.get())) {
                case ConditionOutcome::Holds:
                    *outcome = TRIGGERMANAGER_TEST_MATCHED;
                    break;
                case ConditionOutcome::DoesNotHold:
                    *outcome = TRIGGERMANAGER_TEST_NOT_MATCHED;
                    break;
                case ConditionOutcome::OutOfWork:
                    *outcome = TRIGGERMANAGER_TEST_OUT_OF_WORK;
                    break;
            }
        }
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE TriggerManagerSetHistoryLength(LONG firings) {
    if (firings < 0 || static_cast<std::size_t>(firings) > kMaxHistoryLength) {
        return ReportError(E_INVALIDARG, IID_ITriggerManager,
                           OLESTR("the history holds from 0 to 10000 firings"));
    }
    try {
        SetHistoryLength(static_cast<std::size_t>(firings));
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

TB_TRIGGERMANAGER_API HRESULT STDAPICALLTYPE
TriggerManagerFiringHistory(LONG count, TriggerManagerFiringVisitor visitor, void* context) {
    if (visitor == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager, OLESTR("no visitor for the firings"));
    }
    if (count < 0) {
        return ReportError(E_INVALIDARG, IID_ITriggerManager,
                           OLESTR("a negative number of firings"));
    }
    try {
        for (const FiringRecord& record : LastFirings(static_cast<std::size_t>(count))) {
            const std::vector<const char*> matched = Pointers(record.matched);
            const std::vector<const char*> exhausted = Pointers(record.exhausted);
            TriggerManagerFiring firing{};
            firing.sequence = record.sequence;
            firing.depth = record.depth;
            firing.outcome = static_cast<LONG>(record.outcome);
            firing.budget = record.budget;
            firing.matchedCount = ClampedLong(record.matchedCount);
            firing.exhaustedCount = ClampedLong(record.exhaustedCount);
            firing.matched = matched.data();
            firing.matchedKept = static_cast<LONG>(matched.size());
            firing.exhausted = exhausted.data();
            firing.exhaustedKept = static_cast<LONG>(exhausted.size());
            firing.data = record.data.c_str();
            firing.dataBytes =
                static_cast<ULONG>(std::min<std::size_t>(record.dataBytes, 0xFFFFFFFFu));
            visitor(&firing, context);
        }
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}
