// The manager's one connection point, for ITriggerEvents. It lives inside the manager and shares
// its reference count: handing it out keeps the manager alive, and it never outlives it.
#pragma once

#include <memory>

#include "companions/com_ptr.h"
#include "companions/implements.h"
#include "triggermanager/sink_list.h"

class EventConnectionPoint final : public AnswersFor<IConnectionPoint> {
  public:
    EventConnectionPoint(IConnectionPointContainer& container, std::shared_ptr<SinkList> sinks);

    ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }

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
