#include "triggermanager/loop_guard.h"

#include <atomic>

namespace {

thread_local int deliveringDepth = 0;
std::atomic<LONG> refusedFirings{0};

}  // namespace

int DeliveringChainDepth() noexcept {
    return deliveringDepth;
}

ChainScope::ChainScope(int depth) noexcept : previous_(deliveringDepth) {
    deliveringDepth = depth;
}

ChainScope::~ChainScope() {
    deliveringDepth = previous_;
}

void CountRefusedFiring() noexcept {
    refusedFirings.fetch_add(1, std::memory_order_relaxed);
}

LONG RefusedFirings() noexcept {
    return refusedFirings.load(std::memory_order_relaxed);
}
