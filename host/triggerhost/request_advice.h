// Why a request failed, in words, and what was probably meant.
#pragma once

#include <string>

#include "platform/win32.h"
#include "xml_peek.h"

// The names the action manager knows in each category the host offers.
inline constexpr const char* kTriggerActions[] = {"registeraction", "unregisteraction", "fire",
                                                  "suspend",        "resume",           "deletedb"};
inline constexpr const char* kHostActions[] = {"log", "echo", "fail"};

// A hint for a request that failed (a failing code, or a "false" result), or "" when there is
// nothing to add to the code's meaning.
std::string RequestAdvice(const RequestSummary& request, const std::string& resultValue,
                          HRESULT code);
