// A configuration document that forwards to a real one and fails the calls a test names.
#pragma once

#include <atomic>

#include "companions/com_ptr.h"
#include "companions/config_document.h"
#include "companions/implements.h"

namespace fakes {

// What one document does instead of forwarding. Defaults forward everything.
struct DocumentFaults {
    HRESULT getDocument = S_OK;
    bool getDocumentNull = false;   // success code, no pointer
    bool getDocumentNoDom = false;  // an object that does not answer for IXMLDOMDocument
    HRESULT loadXml = S_OK;
    bool loadXmlAnswersZero = false;
    HRESULT combine = S_OK;
    bool combineAnswersZero = false;
};

class DecoratedConfigDocument final : public Implements<ConfigDocumentSlots> {
  public:
    static ComPtr<DecoratedConfigDocument> Wrap(ComPtr<IConfigDocument> inner,
                                                const DocumentFaults& faults);
    // Wrapped documents and stand-in objects not yet destroyed, in the whole process.
    static int Alive() noexcept { return alive_.load(); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;
    HRESULT STDMETHODCALLTYPE GetDocument(IUnknown** document) override;
    HRESULT STDMETHODCALLTYPE LoadXml(BSTR xml, LONG* loaded) override;
    HRESULT STDMETHODCALLTYPE Combine(IConfigDocument* other, LONG* combined) override;

    IConfigDocument* inner() const noexcept { return inner_.get(); }

  private:
    DecoratedConfigDocument(ComPtr<IConfigDocument> inner, const DocumentFaults& faults);
    ~DecoratedConfigDocument() override;

    static std::atomic<int> alive_;
    friend class PlainObject;

    ComPtr<IConfigDocument> inner_;
    DocumentFaults faults_;
};

}  // namespace fakes
