#include "actionmanager/request_target.h"

#include <new>
#include <string_view>

#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/config_document.h"
#include "companions/variant.h"

namespace {

// False when the root has no such attribute (the DOM gives VT_NULL and S_FALSE then).
bool ReadAttribute(IXMLDOMElement* root, OleStringView name, OleString& value) {
    Bstr attribute = Bstr::Copy(name);
    Variant read;
    ThrowIfFailed(root->getAttribute(attribute.get(), read.put()), root);
    if (read.value().vt != VT_BSTR) {
        return false;
    }
    const BSTR text = read.value().bstrVal;
    value.assign(text != nullptr ? OleStringView(text, SysStringLen(text)) : OleStringView());
    return true;
}

ComPtr<IXMLDOMDocument> OpenDocument() {
    ComPtr<IConfigDocument> config;
    const HRESULT created = CreateConfigDocument(config.put());
    ThrowIfFailed(created);
    if (!config) {
        ThrowComError(E_UNEXPECTED);
    }
    ComPtr<IUnknown> wrapped;
    ThrowIfFailed(config->GetDocument(wrapped.put()), config.get());
    ComPtr<IXMLDOMDocument> document = wrapped.As<IXMLDOMDocument>();
    if (!document) {
        ThrowComError(E_NOINTERFACE);
    }
    return document;
}

}  // namespace

HRESULT ReadRequestTarget(BSTR request, RequestTarget& target) {
    if (SysStringLen(request) == 0) {
        return E_INVALIDARG;
    }
    ComPtr<IXMLDOMDocument> document = OpenDocument();
    VARIANT_BOOL parsed = VARIANT_FALSE;
    const HRESULT loaded = document->loadXML(request, &parsed);
    if (loaded == E_OUTOFMEMORY) {
        throw std::bad_alloc();
    }
    // Text the parser refuses is the caller's fault, however the refusal is reported.
    if (FAILED(loaded) || parsed == VARIANT_FALSE) {
        return E_INVALIDARG;
    }
    ComPtr<IXMLDOMElement> root;
    ThrowIfFailed(document->get_documentElement(root.put()), document.get());
    if (!root || !ReadAttribute(root.get(), OLESTR("type"), target.type) ||
        !ReadAttribute(root.get(), OLESTR("name"), target.name)) {
        return E_INVALIDARG;
    }
    return S_OK;
}
