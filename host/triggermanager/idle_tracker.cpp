#include "triggermanager/idle_tracker.h"

#include <condition_variable>
#include <mutex>

namespace {

struct Pending {
    std::mutex lock;
    std::condition_variable drained;
    std::size_t count = 0;
};

Pending& Shared() {
    // Never destroyed: delivery threads that outlive main may still report to it.
    static Pending* const pending = new Pending;
    return *pending;
}

thread_local std::size_t deliveringHere = 0;

}  // namespace

void EventsQueued(std::size_t count) {
    Pending& pending = Shared();
    std::lock_guard<std::mutex> guard(pending.lock);
    pending.count += count;
}

void EventsDone(std::size_t count) noexcept {
    Pending& pending = Shared();
    {
        std::lock_guard<std::mutex> guard(pending.lock);
        pending.count = count < pending.count ? pending.count - count : 0;
    }
    pending.drained.notify_all();
}

bool WaitUntilIdle(std::optional<std::chrono::milliseconds> limit) {
    Pending& pending = Shared();
    std::unique_lock<std::mutex> guard(pending.lock);
    // An event this very thread is delivering cannot finish while it waits here.
    auto idle = [&] { return pending.count <= deliveringHere; };
    if (!limit) {
        pending.drained.wait(guard, idle);
        return true;
    }
    return pending.drained.wait_for(guard, *limit, idle);
}

DeliveringHere::DeliveringHere() noexcept {
    ++deliveringHere;
}

DeliveringHere::~DeliveringHere() {
    --deliveringHere;
}
