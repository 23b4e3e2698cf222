#include "fakes/decorated_config_document.h"

#include <new>
#include <utility>

namespace fakes {

// An object that answers for IUnknown alone: what a broken GetDocument might hand out.
class PlainObject final : public Implements<IUnknown> {
  public:
    PlainObject() { ++DecoratedConfigDocument::alive_; }

  private:
    ~PlainObject() override { --DecoratedConfigDocument::alive_; }
};

std::atomic<int> DecoratedConfigDocument::alive_{0};

DecoratedConfigDocument::DecoratedConfigDocument(ComPtr<IConfigDocument> inner,
                                                 const DocumentFaults& faults)
    : inner_(std::move(inner)), faults_(faults) {
    ++alive_;
}

DecoratedConfigDocument::~DecoratedConfigDocument() {
    --alive_;
}

ComPtr<DecoratedConfigDocument> DecoratedConfigDocument::Wrap(ComPtr<IConfigDocument> inner,
                                                              const DocumentFaults& faults) {
    return ComPtr<DecoratedConfigDocument>::Adopt(
        new DecoratedConfigDocument(std::move(inner), faults));
}

HRESULT DecoratedConfigDocument::GetTypeInfoCount(UINT* count) {
    return inner_->GetTypeInfoCount(count);
}

HRESULT DecoratedConfigDocument::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    return inner_->GetTypeInfo(index, locale, info);
}

HRESULT DecoratedConfigDocument::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count,
                                               LCID locale, DISPID* ids) {
    return inner_->GetIDsOfNames(riid, names, count, locale, ids);
}

HRESULT DecoratedConfigDocument::Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                        DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                        UINT* argumentError) {
    return inner_->Invoke(member, riid, locale, flags, params, result, exception, argumentError);
}

HRESULT DecoratedConfigDocument::GetDocument(IUnknown** document) {
    if (document == nullptr) {
        return E_POINTER;
    }
    *document = nullptr;
    if (FAILED(faults_.getDocument)) {
        return faults_.getDocument;
    }
    if (faults_.getDocumentNull) {
        return S_OK;
    }
    if (faults_.getDocumentNoDom) {
        *document = new (std::nothrow) PlainObject;
        return *document != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    return inner_->GetDocument(document);
}

HRESULT DecoratedConfigDocument::LoadXml(BSTR xml, LONG* loaded) {
    if (loaded == nullptr) {
        return E_POINTER;
    }
    *loaded = 0;
    if (FAILED(faults_.loadXml)) {
        return faults_.loadXml;
    }
    const HRESULT code = inner_->LoadXml(xml, loaded);
    if (SUCCEEDED(code) && faults_.loadXmlAnswersZero) {
        *loaded = 0;
    }
    return code;
}

HRESULT DecoratedConfigDocument::Combine(IConfigDocument* other, LONG* combined) {
    if (combined == nullptr) {
        return E_POINTER;
    }
    *combined = 0;
    if (FAILED(faults_.combine)) {
        return faults_.combine;
    }
    if (faults_.combineAnswersZero) {
        return S_OK;
    }
    // The real document merges only documents of its own kind: hand it the one this one wraps.
    auto* decorated = dynamic_cast<DecoratedConfigDocument*>(other);
    return inner_->Combine(decorated != nullptr ? decorated->inner() : other, combined);
}

}  // namespace fakes
