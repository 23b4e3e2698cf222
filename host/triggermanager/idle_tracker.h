// Events queued for delivery threads and not yet delivered, counted over the whole process so
// that a host can wait until every manager has caught up.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

void EventsQueued(std::size_t count);
// Delivered or dropped.
void EventsDone(std::size_t count) noexcept;

// Waits until none is left, apart from one this thread is delivering; no limit when `limit` is
// empty. False when the time ran out.
bool WaitUntilIdle(std::optional<std::chrono::milliseconds> limit);

// Marks the calling thread as delivering one queued event for the scope's life.
class DeliveringHere {
  public:
    DeliveringHere() noexcept;
    ~DeliveringHere();
    DeliveringHere(const DeliveringHere&) = delete;
    DeliveringHere& operator=(const DeliveringHere&) = delete;
};
