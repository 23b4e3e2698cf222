#include "triggermanager/sqlite_error.h"

#include <string>

#include "companions/com_error.h"
#include "companions/utf.h"

namespace {

// Win32 errors the platform headers do not name.
constexpr DWORD kErrorLockViolation = 33;
constexpr DWORD kErrorDiskFull = 112;
constexpr DWORD kErrorFileCorrupt = 1392;

}  // namespace

HRESULT HresultFromSqlite(int code) noexcept {
    switch (code & 0xFF) {
        case SQLITE_NOMEM:
            return E_OUTOFMEMORY;
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_AUTH:
            return E_ACCESSDENIED;
        case SQLITE_CANTOPEN:
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return HRESULT_FROM_WIN32(kErrorLockViolation);
        case SQLITE_FULL:
            return HRESULT_FROM_WIN32(kErrorDiskFull);
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return HRESULT_FROM_WIN32(kErrorFileCorrupt);
        default:
            return E_FAIL;
    }
}

void ThrowSqliteError(int code, sqlite3* db, std::string_view doing) {
    const char* message =
        db != nullptr && sqlite3_errcode(db) == code ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    std::string text = "trigger database: ";
    text.append(doing);
    text += ": ";
    text += message != nullptr ? message : "unknown error";
    throw ComError(HresultFromSqlite(code), nullptr, ToUtf16(text));
}
