#include "triggermanager/failure_reports.h"

#include <string>

#include "companions/callback_slot.h"
#include "companions/utf.h"

namespace {

CallbackSlot<TriggerManagerFailureObserver>& Observer() {
    // Never destroyed: a delivery thread may still report while the process exits.
    static auto* const slot = new CallbackSlot<TriggerManagerFailureObserver>();
    return *slot;
}

}  // namespace

void SetFailureObserver(TriggerManagerFailureObserver observer, void* context) {
    Observer().Set(observer, context);
}

void ReportFailureToHost(HRESULT code, OleStringView description) noexcept {
    try {
        Observer().Call([&](TriggerManagerFailureObserver observer, void* context) {
            const std::string text = ToUtf8(description);
            observer(code, text.c_str(), context);
        });
    } catch (...) {
        // The report is a courtesy to the host; the failure itself still reaches the caller.
    }
}
