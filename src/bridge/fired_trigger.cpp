// What happens when the trigger manager reports a fired trigger: the stored action, merged with
// the trigger data, runs through the action manager.
#include "boundary/text_conversion.h"
#include "bridge/trigger_bridge.h"
#include "companions/action_manager.h"
#include "companions/bstr.h"
#include "companions/config_document.h"
#include "companions/variant.h"

namespace {

ComPtr<IConfigDocument> NewDocument() {
    IConfigDocument* created = nullptr;
    if (FAILED(CreateConfigDocument(&created))) {
        if (created != nullptr) {
            created->Release();
        }
        return nullptr;
    }
    return ComPtr<IConfigDocument>::Adopt(created);
}

LONG LoadText(IConfigDocument* document, const std::string& text) {
    WideText wide = WideText::FromNarrow(text);
    LONG loaded = 0;
    ThrowIfFailed(document->LoadXml(wide.wide(), &loaded), document);
    return loaded;
}

// Merges the trigger data into the action and runs the result. Anything that fails here ends
// the run and nothing else: the event has no one to report to.
void RunMergedAction(IConfigDocument* dataDocument, IConfigDocument* actionDocument,
                     const std::string& data, const std::string& action) {
    const LONG dataLoaded = LoadText(dataDocument, data);
    const LONG actionLoaded = LoadText(actionDocument, action);
    if (dataLoaded == 0 || actionLoaded == 0) {
        return;
    }
    LONG combined = 0;
    ThrowIfFailed(actionDocument->Combine(dataDocument, &combined), actionDocument);
    if (combined == 0) {
        return;
    }
    ComPtr<IUnknown> wrapped;
    ThrowIfFailed(actionDocument->GetDocument(wrapped.put()), actionDocument);
    const ComPtr<IXMLDOMDocument> dom = wrapped.As<IXMLDOMDocument>();
    wrapped.reset();
    if (!dom) {
        ThrowComError(E_POINTER);
    }
    BSTR xml = nullptr;
    ThrowIfFailed(dom->get_xml(&xml), dom.get());
    WideText merged = WideText::TakeOver(xml);
    ExecuteAction(merged.narrowString());
}

// The string of an event argument. A string is read in place; another type is read through a
// string copy of it in `converted`, and one that has no string form reads as no text.
const OLECHAR* ArgumentString(const VARIANT& argument, Variant& converted) {
    if (argument.vt == VT_BSTR) {
        return argument.bstrVal;
    }
    if (FAILED(ChangeVariantType(converted.put(), argument, VT_BSTR)) ||
        converted.value().vt != VT_BSTR) {
        return nullptr;
    }
    return converted.value().bstrVal;
}

}  // namespace

std::string ExecuteAction(const std::string& action) {
    WideText request = WideText::FromNarrow(action);
    Bstr result;
    DoAction(request.wide(), result.put());
    request.Release();
    return WideToNarrowBounded(result.get());
}

HRESULT TriggerBridge::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                              EXCEPINFO*, UINT*) {
    if (params == nullptr || member != DISPID_TRIGGERFIRED || params->cArgs != 2 ||
        params->rgvarg == nullptr) {
        return E_FAIL;
    }
    try {
        // Arguments arrive last first: the id is element 1, the data element 0.
        Variant idCopy;
        Variant dataCopy;
        return HandleTriggerFired(ArgumentString(params->rgvarg[1], idCopy),
                                  ArgumentString(params->rgvarg[0], dataCopy));
    } catch (...) {
        return ResultFromCaughtException();
    }
}

HRESULT TriggerBridge::HandleTriggerFired(const OLECHAR* id, const OLECHAR* data) {
    const std::string narrowId = WideToNarrowBounded(id);
    const std::string narrowData = WideToNarrowBounded(data);
    const std::string action = table.CopyAction(narrowId);
    if (action.empty()) {
        return S_FALSE;
    }
    ComPtr<IConfigDocument> dataDocument = NewDocument();
    ComPtr<IConfigDocument> actionDocument = NewDocument();
    if (!dataDocument || !actionDocument) {
        return S_OK;
    }
    try {
        RunMergedAction(dataDocument.get(), actionDocument.get(), narrowData, action);
    } catch (...) {
        // Swallowed by design: a fired trigger whose action cannot run leaves no trace but S_OK.
    }
    return S_OK;
}
