#include "platformdom/platform_document.h"

#include <new>
#include <utility>

#include "companions/bstr.h"
#include "companions/error_report.h"
#include "companions/variant.h"

namespace platformdom {
namespace {

Variant FromBool(bool value) noexcept {
    Variant result;
    result.get()->vt = VT_BOOL;
    result.get()->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return result;
}

Variant FromText(OleStringView text) {
    Variant result;
    result.get()->bstrVal = Bstr::Copy(text).detach();
    result.get()->vt = VT_BSTR;
    return result;
}

void SetProperty(IXMLDOMDocument2* dom, OleStringView name, const Variant& value) {
    const Bstr property = Bstr::Copy(name);
    ThrowIfFailed(dom->setProperty(property.get(), value.value()), dom);
}

// Untrusted text: no document type, nothing fetched, nothing validated; queries in XPath 1.0;
// white-space-only text dropped, the platform's default, which the module's documents share.
// Validation and external resolution are the document's own properties; the other two are
// second-level ones, which exist on every DOM of version 6.
void SetUpForUntrustedText(IXMLDOMDocument2* dom) {
    ThrowIfFailed(dom->put_async(VARIANT_FALSE), dom);
    ThrowIfFailed(dom->put_validateOnParse(VARIANT_FALSE), dom);
    ThrowIfFailed(dom->put_resolveExternals(VARIANT_FALSE), dom);
    ThrowIfFailed(dom->put_preserveWhiteSpace(VARIANT_FALSE), dom);
    SetProperty(dom, OLESTR("SelectionLanguage"), FromText(OLESTR("XPath")));
    SetProperty(dom, OLESTR("ProhibitDTD"), FromBool(true));
}

HRESULT Refuse(HRESULT code, OleStringView description) noexcept {
    return ReportError(code, IID_IConfigDocument, description);
}

}  // namespace

ComPtr<PlatformDocument> PlatformDocument::Create() {
    ApartmentLease lease = ApartmentLease::Acquire();
    ComPtr<IXMLDOMDocument2> dom;
    const HRESULT created = CoCreateInstance(kDomDocument60, nullptr, CLSCTX_INPROC_SERVER,
                                             IidOf<IXMLDOMDocument2>(), dom.put_void());
    if (FAILED(created) || !dom) {
        ThrowComError(Refuse(FAILED(created) ? created : E_NOINTERFACE,
                             OLESTR("the platform XML DOM (DOMDocument60) cannot be created")));
    }
    SetUpForUntrustedText(dom.get());
    auto* document = new (std::nothrow) PlatformDocument(std::move(lease), std::move(dom));
    if (document == nullptr) {
        throw std::bad_alloc();
    }
    return ComPtr<PlatformDocument>::Adopt(document);
}

HRESULT PlatformDocument::GetDocument(IUnknown** document) {
    if (document == nullptr) {
        return E_POINTER;
    }
    dom_->AddRef();
    *document = dom_.get();
    return S_OK;
}

HRESULT PlatformDocument::LoadXml(BSTR xml, LONG* loaded) try {
    if (loaded == nullptr) {
        return E_POINTER;
    }
    *loaded = 0;
    VARIANT_BOOL parsed = VARIANT_FALSE;
    ThrowIfFailed(dom_->loadXML(xml, &parsed), dom_.get());
    *loaded = parsed == VARIANT_TRUE ? 1 : 0;
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT PlatformDocument::Combine(IConfigDocument* other, LONG* combined) try {
    if (combined == nullptr) {
        return E_POINTER;
    }
    *combined = 0;
    if (other == nullptr) {
        return E_POINTER;
    }
    ComPtr<IUnknown> otherUnknown;
    ThrowIfFailed(other->GetDocument(otherUnknown.put()), other);
    const ComPtr<IXMLDOMDocument> otherDom = otherUnknown.As<IXMLDOMDocument>();
    if (!otherDom) {
        return Refuse(E_INVALIDARG, OLESTR("the other document holds no XML DOM document"));
    }
    ComPtr<IXMLDOMElement> root;
    ThrowIfFailed(dom_->get_documentElement(root.put()), dom_.get());
    ComPtr<IXMLDOMElement> otherRoot;
    ThrowIfFailed(otherDom->get_documentElement(otherRoot.put()), otherDom.get());
    if (!root || !otherRoot) {
        return S_OK;
    }
    // A clone, not the node itself: the other document keeps its tree, and a document combined
    // with itself takes in its old root once.
    ComPtr<IXMLDOMNode> copy;
    ThrowIfFailed(otherRoot->cloneNode(VARIANT_TRUE, copy.put()), otherRoot.get());
    ComPtr<IXMLDOMNode> appended;
    ThrowIfFailed(root->appendChild(copy.get(), appended.put()), root.get());
    *combined = 1;
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

}  // namespace platformdom
