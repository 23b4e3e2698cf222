// An IDispatch with a reference count and no type information.
#pragma once

#include "platform/win32.h"

class DispatchObject : public IDispatch {
  public:
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;

    // After every IUnknown and IDispatch slot, so the method table keeps the interface's layout.
    virtual ~DispatchObject() = default;

  protected:
    DispatchObject() = default;
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

  private:
    // Changed atomically: the trigger manager may add and drop references from its own thread.
    LONG refCount = 1;
};
