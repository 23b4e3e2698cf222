// SQLite failures as COM errors: a result code a host can act on, and SQLite's own words.
#pragma once

#include <sqlite3.h>

#include <string_view>

#include "platform/win32.h"

HRESULT HresultFromSqlite(int code) noexcept;

// Raises a ComError for `code`, described as "trigger database: <doing>: <SQLite's message>".
// SQLite's message for the connection is used when it belongs to this failure.
[[noreturn]] void ThrowSqliteError(int code, sqlite3* db, std::string_view doing);
