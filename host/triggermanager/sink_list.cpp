#include "triggermanager/sink_list.h"

#include <algorithm>

#include "companions/trigger_manager.h"
#include "companions/variant.h"
#include "triggermanager/loop_guard.h"

namespace {

// One TriggerFired call. The arguments are rebuilt for every sink, so one that scribbles on
// them cannot disturb the next; what a sink answers, or throws, goes no further.
void InvokeTriggerFired(IDispatch* sink, BSTR id, BSTR data) noexcept {
    try {
        VARIANTARG arguments[2];
        VariantInit(&arguments[0]);
        VariantInit(&arguments[1]);
        arguments[1].vt = VT_BSTR;  // listed last first: element 1 is the id
        arguments[1].bstrVal = id;
        arguments[0].vt = VT_BSTR;
        arguments[0].bstrVal = data;
        DISPPARAMS parameters{arguments, nullptr, 2, 0};
        Variant result;
        sink->Invoke(DISPID_TRIGGERFIRED, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                     &parameters, result.get(), nullptr, nullptr);
    } catch (...) {
        // A sink is foreign code; nothing it does may end the delivery to the others.
    }
}

}  // namespace

DWORD SinkList::Add(ComPtr<IDispatch> sink) {
    auto connection = std::make_shared<Connection>();
    connection->sink = std::move(sink);
    std::lock_guard<std::mutex> guard(lock_);
    DWORD cookie = lastCookie_;
    auto taken = [&](DWORD candidate) {
        return std::any_of(connections_.begin(), connections_.end(),
                           [&](const auto& c) { return c->cookie == candidate; });
    };
    do {
        ++cookie;  // wraps after four billion connections; 0 and live cookies are skipped
    } while (cookie == 0 || taken(cookie));
    connection->cookie = cookie;
    connections_.push_back(connection);
    lastCookie_ = cookie;
    return cookie;
}

bool SinkList::Remove(DWORD cookie) {
    ComPtr<IDispatch> released;  // released after the lock, as its Release may call back in
    std::unique_lock<std::mutex> guard(lock_);
    const auto found = std::find_if(connections_.begin(), connections_.end(),
                                    [&](const auto& c) { return c->cookie == cookie; });
    if (found == connections_.end()) {
        return false;
    }
    const std::shared_ptr<Connection> connection = *found;
    connections_.erase(found);
    connection->advised = false;
    released = std::move(connection->sink);
    if (DeliveringChainDepth() == 0) {
        callEnded_.wait(guard, [&] { return connection->callsRunning == 0; });
    }
    guard.unlock();
    return true;
}

void SinkList::RemoveAll() noexcept {
    Connections removed;
    {
        std::lock_guard<std::mutex> guard(lock_);
        removed.swap(connections_);
        for (const auto& connection : removed) {
            connection->advised = false;
        }
    }
    for (const auto& connection : removed) {
        ComPtr<IDispatch> released;
        {
            std::lock_guard<std::mutex> guard(lock_);
            released = std::move(connection->sink);
        }
    }
}

std::size_t SinkList::size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return connections_.size();
}

SinkList::Connections SinkList::Snapshot() const {
    std::lock_guard<std::mutex> guard(lock_);
    return connections_;
}

ComPtr<IDispatch> SinkList::BeginCall(Connection& connection) const {
    std::lock_guard<std::mutex> guard(lock_);
    if (!connection.advised) {
        return nullptr;
    }
    ++connection.callsRunning;
    return connection.sink;
}

void SinkList::EndCall(Connection& connection) const noexcept {
    {
        std::lock_guard<std::mutex> guard(lock_);
        --connection.callsRunning;
    }
    callEnded_.notify_all();
}

void SinkList::Deliver(const FiredEvent& event, const std::atomic<bool>* stop) const {
    const Connections connections = Snapshot();
    if (connections.empty()) {
        return;
    }
    ChainScope chain({event.chain, event.depth});
    for (const Bstr& id : event.ids) {
        for (const auto& connection : connections) {
            if (stop != nullptr && stop->load()) {
                return;
            }
            ComPtr<IDispatch> sink = BeginCall(*connection);
            if (!sink) {
                continue;
            }
            InvokeTriggerFired(sink.get(), id.get(), event.data.get());
            // Let go before the call counts as ended: once Unadvise returns, nothing of the
            // manager holds the sink any more.
            sink.reset();
            EndCall(*connection);
        }
    }
}
