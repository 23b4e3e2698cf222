#include "triggermanager/condition.h"

#include <atomic>
#include <new>

#include "configdata/configdata_host.h"
#include "triggermanager/utf16_check.h"

namespace {

std::atomic<LONG> exhaustedConditions{0};

}  // namespace

ComPtr<IConfigDocument> ParseTriggerData(BSTR data) {
    if (SysStringLen(data) == 0) {
        return nullptr;
    }
    ComPtr<IConfigDocument> document;
    const HRESULT created = CreateConfigDocument(document.put());
    if (FAILED(created) || !document) {
        ThrowComError(FAILED(created) ? created : E_UNEXPECTED);
    }
    LONG loaded = 0;
    ThrowIfFailed(document->LoadXml(data, &loaded), document.get());
    if (loaded == 0) {
        return nullptr;
    }
    return document;
}

bool ConditionCompiles(BSTR condition) {
    LONG valid = 0;
    const HRESULT checked = ConfigDataCheckExpression(condition, &valid);
    if (checked == E_OUTOFMEMORY) {
        throw std::bad_alloc();
    }
    return SUCCEEDED(checked) && valid != 0;
}

bool ConditionAccepted(BSTR condition) {
    return IsWellFormedUtf16(OleStringView(condition, SysStringLen(condition))) &&
           ConditionCompiles(condition);
}

ConditionOutcome TryCondition(IConfigDocument* document, BSTR condition) noexcept {
    LONG matched = 0;
    const HRESULT evaluated = ConfigDataEvaluate(document, condition, &matched);
    if (evaluated == CONFIGDATA_S_OUT_OF_WORK) {
        return ConditionOutcome::OutOfWork;
    }
    return SUCCEEDED(evaluated) && matched != 0 ? ConditionOutcome::Holds
                                                : ConditionOutcome::DoesNotHold;
}

ConditionOutcome EvaluateCondition(IConfigDocument* document, BSTR condition) noexcept {
    const ConditionOutcome outcome = TryCondition(document, condition);
    if (outcome == ConditionOutcome::OutOfWork) {
        exhaustedConditions.fetch_add(1, std::memory_order_relaxed);
    }
    return outcome;
}

LONG ExhaustedConditions() noexcept {
    return exhaustedConditions.load(std::memory_order_relaxed);
}
