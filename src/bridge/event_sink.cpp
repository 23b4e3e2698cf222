#include "bridge/event_sink.h"

#include "companions/com_ptr.h"
#include "companions/trigger_manager.h"

namespace {

// The connection point for `eventIid` on `object`. A failing call gives its code; a container or
// point missing despite a success code gives E_NOINTERFACE, so no caller mistakes it for an
// advise that happened.
HRESULT FindPoint(IUnknown* object, const IID& eventIid, ComPtr<IConnectionPoint>& point) {
    ComPtr<IConnectionPointContainer> container;
    HRESULT code = object->QueryInterface(IID_IConnectionPointContainer, container.put_void());
    if (FAILED(code)) {
        return code;
    }
    if (!container) {
        return E_NOINTERFACE;
    }
    code = container->FindConnectionPoint(eventIid, point.put());
    if (FAILED(code)) {
        point.reset();
        return code;
    }
    return point ? code : E_NOINTERFACE;
}

}  // namespace

EventSink::~EventSink() {
    source = nullptr;
}

HRESULT EventSink::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    // Until an advise names the event interface, eventIid is GUID_NULL, which is no interface.
    const bool eventInterface = !IsEqualIID(eventIid, GUID_NULL) && IsEqualIID(riid, eventIid);
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || eventInterface) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT EventSink::AdviseSource(IUnknown* object) {
    if (source != nullptr || object == nullptr) {
        return E_FAIL;
    }
    eventIid = IID_ITriggerEvents;
    cookie = 0;
    ComPtr<IConnectionPoint> point;
    const HRESULT found = FindPoint(object, eventIid, point);
    if (FAILED(found)) {
        return found;
    }
    const HRESULT advised = point->Advise(static_cast<IDispatch*>(this), &cookie);
    if (SUCCEEDED(advised)) {
        source = object;
    }
    return advised;
}

HRESULT EventSink::UnadviseSource() {
    if (source == nullptr) {
        return E_FAIL;
    }
    ComPtr<IConnectionPoint> point;
    const HRESULT found = FindPoint(source, eventIid, point);
    if (FAILED(found)) {
        return found;
    }
    const HRESULT unadvised = point->Unadvise(cookie);
    source = nullptr;
    return unadvised;
}
