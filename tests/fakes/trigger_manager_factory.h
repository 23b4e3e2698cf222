// The trigger-manager factory seam: this test library defines CreateTriggerManager, and each test
// says what the next creations hand out.
#pragma once

#include "companions/com_ptr.h"
#include "fakes/fake_trigger_manager.h"

namespace fakes {

class TriggerManagerFactory {
  public:
    // Forgets every plan, every manager made by default, and the call count.
    static void Reset();
    // The next creation hands out this manager (plans are used in the order given).
    static void Enqueue(ComPtr<FakeTriggerManager> manager);
    // The next creation fails with `code`, writing `written` into the slot all the same when given.
    static void EnqueueFailure(HRESULT code, ComPtr<FakeTriggerManager> written = nullptr);
    // Without a plan a creation hands out a new default manager, which the factory keeps a
    // reference to until Reset; this is the latest of those.
    static FakeTriggerManager* LastDefault();
    static int Calls();
};

}  // namespace fakes
