#include "triggermanager/connection_point.h"

#include <utility>

#include "companions/error_report.h"
#include "companions/trigger_manager.h"
#include "triggermanager/error_result.h"

namespace {

// The event interface itself first: a sink that answers it has said it expects these events.
ComPtr<IDispatch> EventDispatch(IUnknown* sink) {
    ComPtr<IDispatch> dispatch;
    if (SUCCEEDED(sink->QueryInterface(IID_ITriggerEvents, dispatch.put_void())) && dispatch) {
        return dispatch;
    }
    if (SUCCEEDED(sink->QueryInterface(IID_IDispatch, dispatch.put_void())) && dispatch) {
        return dispatch;
    }
    return nullptr;
}

}  // namespace

EventConnectionPoint::EventConnectionPoint(IConnectionPointContainer& container,
                                           std::shared_ptr<SinkList> sinks)
    : container_(container), sinks_(std::move(sinks)) {}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) {
        return ReportError(E_POINTER, IID_IConnectionPoint,
                           OLESTR("no place for the interface id"));
    }
    *iid = IID_ITriggerEvents;
    return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) {
        return ReportError(E_POINTER, IID_IConnectionPoint, OLESTR("no place for the container"));
    }
    container_.AddRef();
    *container = &container_;
    return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr) {
        return ReportError(E_POINTER, IID_IConnectionPoint, OLESTR("no place for the cookie"));
    }
    *cookie = 0;
    if (sink == nullptr) {
        return ReportError(E_POINTER, IID_IConnectionPoint, OLESTR("no sink to advise"));
    }
    try {
        // The sink's Release below (on failure) may be the one that lets go of this manager.
        const ComPtr<IConnectionPointContainer> keepAlive =
            ComPtr<IConnectionPointContainer>::Share(&container_);
        ComPtr<IDispatch> dispatch = EventDispatch(sink);
        if (!dispatch) {
            return ReportError(CONNECT_E_CANNOTCONNECT, IID_IConnectionPoint,
                               OLESTR("the sink answers neither ITriggerEvents nor IDispatch"));
        }
        *cookie = sinks_->Add(std::move(dispatch));
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_IConnectionPoint);
    }
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
    try {
        // Releasing the sink may release the last reference to this manager.
        const ComPtr<IConnectionPointContainer> keepAlive =
            ComPtr<IConnectionPointContainer>::Share(&container_);
        if (!sinks_->Remove(cookie)) {
            return ReportError(CONNECT_E_NOCONNECTION, IID_IConnectionPoint,
                               OLESTR("no connection has that cookie"));
        }
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_IConnectionPoint);
    }
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) {
        *connections = nullptr;
    }
    return ReportError(E_NOTIMPL, IID_IConnectionPoint, OLESTR("connections cannot be enumerated"));
}
