// The loop guard's bookkeeping: the chain of firings the calling thread delivers events for, and
// how many firings the guard has refused in the process, by cause.
#pragma once

#include <atomic>
#include <memory>

#include "platform/win32.h"

// How deep one chain may go; a firing one deeper is refused.
inline constexpr int kMaxChainDepth = 16;
// Firings one chain may run in all unless the host says otherwise. A firing that sets off a few
// hundred actions which fire again stays within it; two triggers that feed each other's data
// back reach 2^16 firings within the depth limit, three reach 3^16.
inline constexpr LONG kDefaultChainBudget = 256;

// One chain: the firing that a request made outside any delivery, and every firing made while
// the events of the chain were being delivered, on whichever thread. Shared by the events that
// carry it to a delivery thread.
class Chain {
  public:
    explicit Chain(LONG budget) noexcept : budget_(budget) {}
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    // Takes one firing from the budget; false, taking nothing, once all are taken.
    bool TakeFiring() noexcept;
    LONG budget() const noexcept { return budget_; }

  private:
    const LONG budget_;
    std::atomic<LONG> taken_{0};
};

// Where the calling thread stands: the chain whose events it is delivering and the depth of the
// firing they came from. No chain and depth 0 outside any delivery.
struct ChainPosition {
    std::shared_ptr<Chain> chain;
    int depth = 0;
};

ChainPosition DeliveringChain();
int DeliveringChainDepth() noexcept;

// Marks the calling thread as delivering the events of `position` for the scope's life.
class ChainScope {
  public:
    explicit ChainScope(ChainPosition position) noexcept;
    ~ChainScope();
    ChainScope(const ChainScope&) = delete;
    ChainScope& operator=(const ChainScope&) = delete;

  private:
    ChainPosition position_;
    const ChainPosition* previous_;
};

enum class Refusal { Loop, Budget };

void CountRefusedFiring(Refusal cause) noexcept;
// Refused for either cause.
LONG RefusedFirings() noexcept;
LONG RefusedOverBudget() noexcept;
