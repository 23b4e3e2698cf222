// A manager's own thread for events, when the host asks for one: firings queue their events and
// return; the thread delivers them in the order they were queued.
#pragma once

#include <memory>
#include <thread>

#include "triggermanager/fired_event.h"
#include "triggermanager/sink_list.h"

class DeliveryThread {
  public:
    explicit DeliveryThread(std::shared_ptr<const SinkList> sinks);
    // Drops what is still queued and stops the thread: joins it, or, when the last reference to
    // the manager goes on this very thread (from inside a sink), lets it finish on its own.
    ~DeliveryThread();
    DeliveryThread(const DeliveryThread&) = delete;
    DeliveryThread& operator=(const DeliveryThread&) = delete;

    void Enqueue(FiredEvent event);

  private:
    struct Queue;
    static void Run(const std::shared_ptr<Queue>& queue) noexcept;

    std::shared_ptr<Queue> queue_;
    std::thread thread_;
};
