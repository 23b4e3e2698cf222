// What every COM object of this library shares: an atomic reference count and an IDispatch with
// no automation behind it (callers use the method tables directly).
#pragma once

#include <atomic>

#include "companions/dispatch_stub.h"

namespace configdata {

// Shared with the other COM objects of the system (companions/dispatch_stub.h).
using ::DispatchStub;

// A reference count starting at one, for the creator's reference.
class RefCount {
  public:
    ULONG Increment() noexcept { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // Returns the count left; the last release sees every write made before the others.
    ULONG Decrement() noexcept { return count_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

  private:
    std::atomic<ULONG> count_{1};
};

}  // namespace configdata
