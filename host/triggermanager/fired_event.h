// What one firing hands its sinks: the matched ids in id order, the data as fired, and the chain
// the firing belongs to with its depth there.
#pragma once

#include <memory>
#include <vector>

#include "companions/bstr.h"
#include "triggermanager/loop_guard.h"

struct FiredEvent {
    std::vector<Bstr> ids;
    Bstr data;
    std::shared_ptr<Chain> chain;
    int depth = 1;
};
