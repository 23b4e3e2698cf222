#include "triggermanager/condition.h"

#include <new>

#include "configdata/configdata_host.h"

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

bool ConditionHolds(IConfigDocument* document, BSTR condition) noexcept {
    LONG matched = 0;
    return SUCCEEDED(ConfigDataEvaluate(document, condition, &matched)) && matched != 0;
}
