// The bare DOM work each request needs, done straight through the configuration library's COM
// objects with no module code between: the floor that RunAction's time is measured against.
#pragma once

#include <cstddef>

#include "platform/win32.h"

namespace bench {

// Parse the request, read type, name and id, select and serialise the action, read the condition,
// then build and serialise the "true" result.
std::size_t RegisterFloor(BSTR request);
// Parse the request, read type, name and id, then build and serialise the "true" result.
std::size_t UnregisterFloor(BSTR request);
// Parse the request, read type, name and id, select and serialise the trigger data behind the
// declaration, then build and serialise a result carrying `reply`.
std::size_t FireFloor(BSTR request, BSTR reply);

}  // namespace bench
