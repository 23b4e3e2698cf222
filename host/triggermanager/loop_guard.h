// The loop guard's bookkeeping: how deep in a chain of firings the calling thread delivers, and
// how many firings the guard has refused in the process.
#pragma once

#include "platform/win32.h"

// Firings one chain may run; the next one is refused.
inline constexpr int kMaxChainFirings = 16;

// The depth of the firing whose events this thread is delivering; 0 outside any delivery. A Fire
// made here is one deeper.
int DeliveringChainDepth() noexcept;

// Marks the calling thread as delivering the events of a firing at `depth` for the scope's life.
class ChainScope {
  public:
    explicit ChainScope(int depth) noexcept;
    ~ChainScope();
    ChainScope(const ChainScope&) = delete;
    ChainScope& operator=(const ChainScope&) = delete;

  private:
    int previous_;
};

void CountRefusedFiring() noexcept;
LONG RefusedFirings() noexcept;
