// SQLite failures as COM errors: a result code a host can act on, and SQLite's own words.
#pragma once

#include <sqlite3.h>

#include <string_view>

#include "platform/win32.h"

HRESULT HresultFromSqlite(int code) noexcept;

// Why SQLite failed, in words a user can act on (the disk is full, the file is read-only, ...),
// from its extended result code and the system error behind it; empty when SQLite's own message
// says all there is.
std::string_view FailureCause(int extendedCode, int systemError) noexcept;

// Raises a ComError for `code`, described as "trigger database: <doing>: <cause> (<SQLite's
// message>)", or without the cause when there is none to add. The connection's extended code,
// system error and message are used when they belong to this failure.
[[noreturn]] void ThrowSqliteError(int code, sqlite3* db, std::string_view doing);
