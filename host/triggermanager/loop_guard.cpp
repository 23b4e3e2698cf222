#include "triggermanager/loop_guard.h"

#include <utility>

namespace {

// The position of the calling thread's innermost ChainScope. Only a pointer is thread-local:
// with the Windows toolchain's emulated thread-local storage, a thread-local object is freed
// before its destructor runs when the thread ends.
thread_local const ChainPosition* delivering = nullptr;
std::atomic<LONG> refusedFirings{0};
std::atomic<LONG> refusedOverBudget{0};

}  // namespace

bool Chain::TakeFiring() noexcept {
    LONG taken = taken_.load(std::memory_order_relaxed);
    do {
        if (taken >= budget_) {
            return false;
        }
    } while (!taken_.compare_exchange_weak(taken, taken + 1, std::memory_order_relaxed));
    return true;
}

ChainPosition DeliveringChain() {
    return delivering != nullptr ? *delivering : ChainPosition();
}

int DeliveringChainDepth() noexcept {
    return delivering != nullptr ? delivering->depth : 0;
}

ChainScope::ChainScope(ChainPosition position) noexcept
    : position_(std::move(position)), previous_(std::exchange(delivering, &position_)) {}

ChainScope::~ChainScope() {
    delivering = previous_;
}

void CountRefusedFiring(Refusal cause) noexcept {
    refusedFirings.fetch_add(1, std::memory_order_relaxed);
    if (cause == Refusal::Budget) {
        refusedOverBudget.fetch_add(1, std::memory_order_relaxed);
    }
}

LONG RefusedFirings() noexcept {
    return refusedFirings.load(std::memory_order_relaxed);
}

LONG RefusedOverBudget() noexcept {
    return refusedOverBudget.load(std::memory_order_relaxed);
}
