#include "noop_companions.h"

#include <atomic>
#include <new>

#include "companions/action_manager.h"
#include "companions/trigger_manager.h"

namespace bench {

namespace {

class NoopTriggerManager final : public ITriggerManager,
                                 public IConnectionPointContainer,
                                 public IConnectionPoint {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, IID_ITriggerManager)) {
            *object = static_cast<ITriggerManager*>(this);
        } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
            *object = static_cast<IConnectionPointContainer*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = --refCount_;
        if (count == 0) {
            delete this;
        }
        return count;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE Fire(BSTR, BSTR* reply) override {
        *reply = SysAllocString(kFireReply);
        return *reply != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE AddTrigger(BSTR, BSTR, LONG* added) override {
        *added = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RemoveTrigger(BSTR, LONG* removed) override {
        *removed = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteDatabase(LONG* deleted) override {
        *deleted = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reserved11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Suspend() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Resume() override { return S_OK; }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint** point) override {
        *point = this;
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        *iid = IID_ITriggerEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override {
        *container = this;
        AddRef();
        return S_OK;
    }
    // Events are never raised, so the sink is not kept.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown*, DWORD* cookie) override {
        *cookie = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  private:
    ~NoopTriggerManager() = default;
    std::atomic<ULONG> refCount_{1};
};

}  // namespace

}  // namespace bench

STDAPI CreateTriggerManager(ITriggerManager** manager) {
    *manager = new (std::nothrow) bench::NoopTriggerManager;
    return *manager != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDAPI AddAction(BSTR, BSTR, BSTR, BSTR, LONG) {
    return S_OK;
}

STDAPI DoAction(BSTR, BSTR* result) {
    if (result != nullptr) {
        *result = nullptr;
    }
    return S_OK;
}
