// RunAction as the action manager calls it, with UTF-8 text on the test's side.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "companions/ole_string.h"

namespace fakes {

struct RunOutcome {
    HRESULT code = S_OK;
    // What the result slot holds afterwards, as UTF-8; nullopt for a null string.
    std::optional<std::string> result;
};

// nullopt sends a null request.
RunOutcome RunRequest(std::optional<std::string_view> request);
// The request as UTF-16 exactly as given, embedded zeros included.
RunOutcome RunRequest(OleStringView request);

inline constexpr std::string_view kTrueResult =
    "<ActionResult><Result>true</Result></ActionResult>";
inline constexpr std::string_view kFalseResult =
    "<ActionResult><Result>false</Result></ActionResult>";

}  // namespace fakes
