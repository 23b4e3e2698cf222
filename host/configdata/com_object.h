// What every COM object of this library shares: an atomic reference count and an IDispatch with
// no automation behind it (callers use the method tables directly).
#pragma once

#include <atomic>

#include "platform/win32.h"

namespace configdata {

template <class Interface>
class DispatchStub : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count != nullptr) {
            *count = 0;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

// A reference count starting at one, for the creator's reference.
class RefCount {
  public:
    ULONG Increment() noexcept { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // Returns the count left; the last release sees every write made before the others.
    ULONG Decrement() noexcept { return count_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

  private:
    std::atomic<ULONG> count_{1};
};

}  // namespace configdata
