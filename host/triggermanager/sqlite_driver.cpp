#include "triggermanager/sqlite_driver.h"

int SqliteLibraryDriver::Open(const char* path, int flags, sqlite3** db) {
    return sqlite3_open_v2(path, db, flags, nullptr);
}

int SqliteLibraryDriver::Prepare(sqlite3* db, const char* sql, sqlite3_stmt** statement) {
    // Every statement lives as long as its manager: say so, SQLite then allocates for the long run.
    return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr);
}

int SqliteLibraryDriver::Step(sqlite3_stmt* statement) {
    return sqlite3_step(statement);
}

std::shared_ptr<SqliteDriver> DefaultSqliteDriver() {
    static const std::shared_ptr<SqliteDriver> driver = std::make_shared<SqliteLibraryDriver>();
    return driver;
}
