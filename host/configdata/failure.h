// Failures of COM methods and host functions, with a description the caller can read through
// the thread's error information.
#pragma once

#include <string_view>

#include "platform/win32.h"

namespace configdata {

// Sets the thread's error information to `description` (UTF-8) and returns `code`.
HRESULT ReportFailure(HRESULT code, const IID& iid, std::string_view description) noexcept;

}  // namespace configdata
