// IConfigDocument over the platform's own XML DOM: what a host's configuration documents are on
// Windows, for a host that wants the module to meet that DOM rather than ours.
#pragma once

#include "companions/com_ptr.h"
#include "companions/config_document.h"
#include "companions/dispatch_stub.h"
#include "companions/implements.h"
#include "platformdom/com_apartment.h"
#include "platformdom/msxml_ids.h"

namespace platformdom {

class PlatformDocument final
    : public Implements<DispatchStub<ConfigDocumentSlots>, ISupportErrorInfo> {
  public:
    // A new document holding an empty platform DOM document, set up for untrusted text; one
    // reference. Raises a ComError when the thread cannot have COM or the platform DOM cannot be
    // made, std::bad_alloc when memory runs out.
    static ComPtr<PlatformDocument> Create();

    // Hands out the platform DOM document itself. Release it, and every node taken from it,
    // before this document: the thread may leave COM with its last configuration document.
    HRESULT STDMETHODCALLTYPE GetDocument(IUnknown** document) override;
    HRESULT STDMETHODCALLTYPE LoadXml(BSTR xml, LONG* loaded) override;
    // Appends a deep clone of the other document's root element as the last child of this
    // document's root; *combined = 0 when either has no root element.
    HRESULT STDMETHODCALLTYPE Combine(IConfigDocument* other, LONG* combined) override;

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == IID_IConfigDocument ? S_OK : S_FALSE;
    }

  private:
    PlatformDocument(ApartmentLease lease, ComPtr<IXMLDOMDocument2> dom) noexcept
        : lease_(std::move(lease)), dom_(std::move(dom)) {}
    ~PlatformDocument() override = default;

    // Declared first, so it goes last: the document is released while the thread is in COM.
    ApartmentLease lease_;
    ComPtr<IXMLDOMDocument2> dom_;
};

}  // namespace platformdom
