// What one firing hands its sinks: the matched ids in id order, the data as fired, and how deep
// in its chain the firing lies.
#pragma once

#include <vector>

#include "companions/bstr.h"

struct FiredEvent {
    std::vector<Bstr> ids;
    Bstr data;
    int depth = 1;
};
