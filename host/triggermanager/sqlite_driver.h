// The seam every SQLite step of the trigger store goes through, so that tests can make any one of
// them fail (prepare, step, and through step BEGIN, COMMIT and ROLLBACK, which are statements too).
#pragma once

#include <sqlite3.h>

#include <memory>

class SqliteDriver {
  public:
    virtual ~SqliteDriver() = default;
    // As sqlite3_open_v2: *db may be set even when it fails, and must then be closed.
    virtual int Open(const char* path, int flags, sqlite3** db) = 0;
    virtual int Prepare(sqlite3* db, const char* sql, sqlite3_stmt** statement) = 0;
    virtual int Step(sqlite3_stmt* statement) = 0;
};

// Passes every step to SQLite; tests derive from it to fail chosen steps.
class SqliteLibraryDriver : public SqliteDriver {
  public:
    int Open(const char* path, int flags, sqlite3** db) override;
    int Prepare(sqlite3* db, const char* sql, sqlite3_stmt** statement) override;
    int Step(sqlite3_stmt* statement) override;
};

// The driver of every manager that the host creates.
std::shared_ptr<SqliteDriver> DefaultSqliteDriver();
