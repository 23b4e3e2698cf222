// The manager's one connection point, for ITriggerEvents. It lives inside the manager and shares
// its reference count: handing it out keeps the manager alive, and it never outlives it.
#pragma once

#include <memory>

#include "companions/com_ptr.h"
#include "triggermanager/sink_list.h"

class EventConnectionPoint final : public IConnectionPoint {
  public:
    EventConnectionPoint(IConnectionPointContainer& container, std::shared_ptr<SinkList> sinks);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // A sink must answer ITriggerEvents or IDispatch; events reach it through IDispatch::Invoke.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

  private:
    IConnectionPointContainer& container_;
    std::shared_ptr<SinkList> sinks_;
};
