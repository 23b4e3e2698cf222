// What the system said when SQLite could not open or write a file, in words a user can act on:
// SQLite reports the system's own error code, errno here and a Win32 error on Windows.
#pragma once

#include <string_view>

// Empty for a code with nothing to add to SQLite's own message.
std::string_view SystemCause(int systemError) noexcept;
