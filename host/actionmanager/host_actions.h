// The actions of category "host" that this library serves itself, so that a scenario can show
// what ran without a module of its own: "log" writes the request as one line to the host's
// output and answers true; "echo" answers the request as the result's text; "fail" answers
// false with E_FAIL.
#pragma once

#include <string_view>

#include "actionmanager/action_outcome.h"
#include "companions/ole_string.h"

class OutputSink;

inline constexpr OleStringView kHostCategory = OLESTR("host");

using HostAction = ActionOutcome (*)(BSTR request, OutputSink& output);

// The built-in action of that name; null when there is none.
HostAction FindHostAction(OleStringView name) noexcept;
