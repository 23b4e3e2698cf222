#include "triggermanager/delivery_thread.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

#include "companions/com_apartment.h"
#include "triggermanager/idle_tracker.h"

// Shared between the manager and its thread, so that the thread may finish the event in hand
// after the manager is gone.
struct DeliveryThread::Queue {
    explicit Queue(std::shared_ptr<const SinkList> list) : sinks(std::move(list)) {}

    const std::shared_ptr<const SinkList> sinks;
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<FiredEvent> events;
    std::atomic<bool> stopping{false};
};

DeliveryThread::DeliveryThread(std::shared_ptr<const SinkList> sinks)
    : queue_(std::make_shared<Queue>(std::move(sinks))) {
    thread_ = std::thread([queue = queue_] { Run(queue); });
}

DeliveryThread::~DeliveryThread() {
    std::deque<FiredEvent> dropped;
    {
        std::lock_guard<std::mutex> guard(queue_->lock);
        queue_->stopping = true;
        dropped.swap(queue_->events);
    }
    queue_->arrived.notify_all();
    EventsDone(dropped.size());
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

void DeliveryThread::Enqueue(FiredEvent event) {
    {
        std::lock_guard<std::mutex> guard(queue_->lock);
        queue_->events.push_back(std::move(event));
        EventsQueued(1);
    }
    queue_->arrived.notify_one();
}

void DeliveryThread::Run(const std::shared_ptr<Queue>& queue) noexcept {
    // Sinks make COM objects of their own on this thread (the platform's XML DOM, say), and may
    // only once COM is initialised here.
    const ComApartment apartment;
    for (;;) {
        FiredEvent event;
        {
            std::unique_lock<std::mutex> guard(queue->lock);
            queue->arrived.wait(guard, [&] { return queue->stopping || !queue->events.empty(); });
            if (queue->stopping) {
                return;
            }
            event = std::move(queue->events.front());
            queue->events.pop_front();
        }
        {
            DeliveringHere delivering;
            try {
                queue->sinks->Deliver(event, &queue->stopping);
            } catch (...) {
                // Out of memory for this event's delivery; the next may fare better.
            }
        }
        EventsDone(1);
    }
}
