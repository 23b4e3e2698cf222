// IConfigDocument: the configuration document that wraps one DOM document.
#pragma once

#include "companions/com_ptr.h"
#include "companions/config_document.h"
#include "companions/dispatch_stub.h"
#include "companions/implements.h"
#include "configdata/dom_document.h"
#include "configdata/node_access.h"

namespace configdata {

class ConfigDocument final : public Implements<DispatchStub<ConfigDocumentSlots>,
                                               IConfigDocumentAccess, ISupportErrorInfo> {
  public:
    // A new document with an empty DOM document; one reference. Raises std::bad_alloc.
    static ComPtr<ConfigDocument> Create();

    HRESULT STDMETHODCALLTYPE GetDocument(IUnknown** document) override;
    HRESULT STDMETHODCALLTYPE LoadXml(BSTR xml, LONG* loaded) override;
    HRESULT STDMETHODCALLTYPE Combine(IConfigDocument* other, LONG* combined) override;

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == IID_IConfigDocument ? S_OK : S_FALSE;
    }

    DomDocument& Dom() noexcept override { return *dom_.get(); }

  private:
    explicit ConfigDocument(ComPtr<DomDocument> dom) noexcept : dom_(std::move(dom)) {}
    ~ConfigDocument() override = default;

    ComPtr<DomDocument> dom_;
};

}  // namespace configdata
