// The sinks advised on a manager's connection point, and the delivery of events to them. Shared by
// the manager and its delivery thread, which may outlive it by the event it is delivering.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "companions/com_ptr.h"
#include "triggermanager/fired_event.h"

class SinkList {
  public:
    // Keeps the sink and answers its cookie: unique among the connections, never 0.
    DWORD Add(ComPtr<IDispatch> sink);
    // False for an unknown cookie. No call of the sink starts after this returns; one running on
    // another thread is waited for, unless this thread is itself delivering an event (two sinks
    // unadvising each other would otherwise wait for ever).
    bool Remove(DWORD cookie);
    // Forgets every sink without waiting: for the manager's end, when nothing else can deliver.
    void RemoveAll() noexcept;
    std::size_t size() const;

    // TriggerFired(id, data) to every sink advised when the call would start, id by id, on the
    // calling thread, with no lock held while a sink runs. Stops early once `stop` is set.
    void Deliver(const FiredEvent& event, const std::atomic<bool>* stop = nullptr) const;

  private:
    struct Connection {
        DWORD cookie = 0;
        ComPtr<IDispatch> sink;
        bool advised = true;
        int callsRunning = 0;
    };
    using Connections = std::vector<std::shared_ptr<Connection>>;

    Connections Snapshot() const;
    // The sink to call, or null when it has been unadvised; counts the call as running.
    ComPtr<IDispatch> BeginCall(Connection& connection) const;
    void EndCall(Connection& connection) const noexcept;

    mutable std::mutex lock_;
    mutable std::condition_variable callEnded_;
    Connections connections_;
    DWORD lastCookie_ = 0;
};
