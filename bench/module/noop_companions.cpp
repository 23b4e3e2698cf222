#include "noop_companions.h"

#include <new>

#include "companions/action_manager.h"
#include "companions/dispatch_stub.h"
#include "companions/implements.h"
#include "companions/trigger_manager.h"

namespace bench {

namespace {

// Its connection point is handed out by FindConnectionPoint only, never by QueryInterface.
class NoopTriggerManager final
    : public Implements<DispatchStub<ITriggerManager>, IConnectionPointContainer>,
      public IConnectionPoint {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return Implements::QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Implements::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Implements::Release(); }

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
    ~NoopTriggerManager() override = default;
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
