#include "bridge/dispatch_object.h"

ULONG DispatchObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refCount));
}

ULONG DispatchObject::Release() {
    const LONG count = InterlockedDecrement(&refCount);
    if (count == 0) {
        delete this;
    }
    return static_cast<ULONG>(count);
}

HRESULT DispatchObject::GetTypeInfoCount(UINT*) {
    return E_NOTIMPL;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}
