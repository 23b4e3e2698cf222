// The triggers' durable home: one SQLite table, each change one transaction, statements prepared
// once for the store's life. The registry calls it only under its write lock, so it takes none.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "companions/ole_string.h"
#include "triggermanager/sqlite_driver.h"

class TriggerStore {
  public:
    // A row as read back: the id in UTF-8, the condition in UTF-16 (what evaluation needs).
    using Visitor = std::function<void(std::string_view id, OleStringView condition)>;

    // Opens, creating when needed, the database at the UTF-8 path (write-ahead logging, locked
    // for this store alone; a lock held elsewhere is waited for up to `lockWait`), or a private
    // in-memory one for an empty path. Raises ComError with SQLite's description.
    TriggerStore(const std::string& path, std::shared_ptr<SqliteDriver> driver,
                 std::chrono::milliseconds lockWait);
    ~TriggerStore();
    TriggerStore(const TriggerStore&) = delete;
    TriggerStore& operator=(const TriggerStore&) = delete;

    // Every stored trigger, in id order.
    void ForEach(const Visitor& visit);
    // Adds the trigger or replaces its condition.
    void Put(std::string_view id, std::string_view condition);
    // Removes all the ids or, on failure, none.
    void Remove(const std::vector<std::string>& ids);
    void Clear();

  private:
    class Statement;
    struct DatabaseCloser {
        void operator()(sqlite3* db) const noexcept;
    };

    void Exec(const char* sql, std::string_view doing);
    // A failure is described as `doing`, or as preparing `sql` when that is empty.
    void Prepare(std::unique_ptr<Statement>& slot, const char* sql, std::string_view doing = {});
    // Steps to completion, then resets the statement whatever happened.
    void Run(Statement& statement, std::string_view doing);
    // Steps to completion within a use the caller holds (it bound the values).
    void StepToEnd(Statement& statement, std::string_view doing);
    void Begin();
    void Commit();
    void RollBackQuietly() noexcept;
    template <class Body>
    void InTransaction(Body&& body);

    std::shared_ptr<SqliteDriver> driver_;
    // Declared before the statements: on a failed construction they are finalized first.
    std::unique_ptr<sqlite3, DatabaseCloser> db_;
    std::unique_ptr<Statement> begin_;
    std::unique_ptr<Statement> commit_;
    std::unique_ptr<Statement> rollback_;
    std::unique_ptr<Statement> put_;
    std::unique_ptr<Statement> remove_;
    std::unique_ptr<Statement> clear_;
    std::unique_ptr<Statement> selectAll_;
};
