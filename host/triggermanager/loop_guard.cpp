#include "triggermanager/loop_guard.h"

#include <utility>

namespace {

thread_local ChainPosition delivering;
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
    return delivering;
}

int DeliveringChainDepth() noexcept {
    return delivering.depth;
}

ChainScope::ChainScope(ChainPosition position) noexcept
    : previous_(std::exchange(delivering, std::move(position))) {}

ChainScope::~ChainScope() {
    delivering = std::move(previous_);
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
