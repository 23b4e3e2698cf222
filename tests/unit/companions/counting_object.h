// A COM object for the companion tests: it counts its references, answers QueryInterface with
// a programmable result, and can offer error information for chosen interfaces.
#pragma once

#include "platform/win32.h"

class CountingObject : public ISupportErrorInfo {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (FAILED(queryResult)) {
            return queryResult;
        }
        if (riid == IID_IUnknown || (supportsErrorInfo && riid == IID_ISupportErrorInfo)) {
            *object = static_cast<ISupportErrorInfo*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == errorInfoFor ? S_OK : S_FALSE;
    }

    ULONG references = 1;
    // A failure here answers every query with it.
    HRESULT queryResult = S_OK;
    bool supportsErrorInfo = false;
    IID errorInfoFor = GUID_NULL;
};
