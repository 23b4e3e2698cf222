// Result documents: <ActionResult><Result>value</Result></ActionResult>, the form every action
// answers in. Values are escaped, so a result is always well-formed and its value always text.
#pragma once

#include <string>
#include <string_view>

#include "companions/bstr.h"

inline constexpr OleStringView kTrueResult =
    OLESTR("<ActionResult><Result>true</Result></ActionResult>");
inline constexpr OleStringView kFalseResult =
    OLESTR("<ActionResult><Result>false</Result></ActionResult>");

// The result document carrying `value` as the text of Result.
OleString TextResult(OleStringView value);
// kTrueResult or kFalseResult as a new string; raises std::bad_alloc when it cannot be had.
Bstr FlagResult(bool flag);
