#include "triggermanager/sqlite_error.h"

#include <string>

#include "companions/com_error.h"
#include "companions/utf.h"
#include "triggermanager/system_cause.h"

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

std::string_view FailureCause(int extendedCode, int systemError) noexcept {
    switch (extendedCode & 0xFF) {
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
            // SQLite keeps the system error of the last failed open or write, so it belongs to
            // these two codes only. On Windows it names a directory by a code of its own.
            return extendedCode == SQLITE_CANTOPEN_ISDIR ? "the path names a directory"
                                                         : SystemCause(systemError);
        case SQLITE_FULL:
            return "the disk is full";
        case SQLITE_READONLY:
            return extendedCode == SQLITE_READONLY_DIRECTORY ? "its directory is read-only"
                                                             : "the file is read-only";
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "the database is locked by another process";
        case SQLITE_NOTADB:
            return "the file is not a database";
        case SQLITE_CORRUPT:
            return "the database file is damaged";
        default:
            return "";
    }
}

void ThrowSqliteError(int code, sqlite3* db, std::string_view doing) {
    // The connection's record describes this failure only when it holds the same code.
    const bool recorded = db != nullptr && sqlite3_errcode(db) == (code & 0xFF);
    const char* message = recorded ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const std::string_view cause =
        recorded ? FailureCause(sqlite3_extended_errcode(db), sqlite3_system_errno(db))
                 : FailureCause(code, 0);
    std::string text = "trigger database: ";
    text.append(doing);
    text += ": ";
    if (!cause.empty()) {
        text.append(cause);
        text += " (";
    }
    text += message != nullptr ? message : "unknown error";
    if (!cause.empty()) {
        text += ")";
    }
    throw ComError(HresultFromSqlite(code), nullptr, ToUtf16(text));
}
