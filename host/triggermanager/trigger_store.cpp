#include "triggermanager/trigger_store.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <new>
#include <utility>

#include "companions/com_error.h"
#include "companions/utf.h"
#include "companions/utf8_path.h"
#include "triggermanager/sqlite_error.h"

namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS triggers ("
    "id TEXT PRIMARY KEY NOT NULL, condition TEXT NOT NULL) WITHOUT ROWID";

// SQLite reports a file it could not create in a missing directory and in a forbidden one alike,
// so a missing directory is looked for first: it is the likelier mistake and the plainer message.
void RequireDirectoryOf(const std::string& path) {
    const std::filesystem::path parent = PathFromUtf8(path).parent_path();
    std::error_code failure;
    if (parent.empty() || std::filesystem::exists(parent, failure) || failure) {
        return;
    }
    throw ComError(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), nullptr,
                   ToUtf16("trigger database: cannot open \"" + path + "\": the directory \"" +
                           Utf8FromPath(parent) + "\" does not exist"));
}

int TextLength(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        ThrowComError(E_INVALIDARG);
    }
    return static_cast<int>(text.size());
}

}  // namespace

class TriggerStore::Statement {
  public:
    explicit Statement(sqlite3_stmt* statement) noexcept : statement_(statement) {}
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const noexcept { return statement_; }

  private:
    sqlite3_stmt* statement_;
};

void TriggerStore::DatabaseCloser::operator()(sqlite3* db) const noexcept {
    sqlite3_close_v2(db);
}

namespace {

// One use of a kept statement: whatever happens, it is reset and its bindings (which point into
// the caller's text) are cleared before the next use.
class StatementUse {
  public:
    StatementUse(sqlite3_stmt* statement, sqlite3* db) noexcept : statement_(statement), db_(db) {}
    ~StatementUse() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    void Text(int index, std::string_view text) {
        const int code =
            sqlite3_bind_text(statement_, index, text.data(), TextLength(text), SQLITE_STATIC);
        if (code != SQLITE_OK) {
            ThrowSqliteError(code, db_, "cannot bind a value");
        }
    }

  private:
    sqlite3_stmt* statement_;
    sqlite3* db_;
};

}  // namespace

TriggerStore::TriggerStore(const std::string& path, std::shared_ptr<SqliteDriver> driver,
                           std::chrono::milliseconds lockWait)
    : driver_(std::move(driver)) {
    const bool inMemory = path.empty();
    // The registry never lets two threads in at once, so SQLite's own mutex would only cost time.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (!inMemory) {
        RequireDirectoryOf(path);
    }
    sqlite3* opened = nullptr;
    const int code = driver_->Open(inMemory ? ":memory:" : path.c_str(), flags, &opened);
    db_.reset(opened);
    const std::string opening = inMemory ? std::string("cannot open an in-memory database")
                                         : "cannot open \"" + path + "\"";
    if (code != SQLITE_OK) {
        ThrowSqliteError(code, db_.get(), opening);
    }
    // SQLite falls back to reading a file it may not write; a manager must write, so this is
    // refused now rather than at the first change.
    if (sqlite3_db_readonly(db_.get(), "main") == 1) {
        ThrowSqliteError(SQLITE_READONLY, nullptr, opening);
    }
    sqlite3_busy_timeout(db_.get(), static_cast<int>(std::min<std::chrono::milliseconds::rep>(
                                        lockWait.count(), INT_MAX)));
    if (!inMemory) {
        const std::string doing = "cannot use \"" + path + "\"";
        // A file belongs to one manager at a time: each manager fires from its own copy of the
        // triggers, and two copies of one file would drift apart unseen. Holding the lock for
        // the manager's life also spares every change the file-lock system calls, which cost
        // more than the rest of a small transaction.
        Exec("PRAGMA locking_mode=EXCLUSIVE", doing);
        // A new file gets 2 KiB pages (an existing one keeps its own): every change rewrites a
        // whole page into the log and the checkpoint syncs them all, and a trigger row is small,
        // so smaller pages halve the bytes written per change.
        Exec("PRAGMA page_size=2048", doing);
        // Write-ahead logging with NORMAL synchronisation: a commit appends to the log without
        // waiting for the disk; the database stays intact through crashes, and only a power cut
        // can take back the last few changes.
        Exec("PRAGMA journal_mode=WAL", doing);
        Exec("PRAGMA synchronous=NORMAL", doing);
        // Take the lock now, not at the first change, so a second manager is refused at once
        // instead of both holding read locks that block each other's writes later.
        Exec("BEGIN EXCLUSIVE", "\"" + path + "\" is in use by another trigger manager");
        Exec("COMMIT", doing);
    }
    Exec(kCreateTable, "cannot create the trigger table");
    Prepare(begin_, "BEGIN IMMEDIATE");
    Prepare(commit_, "COMMIT");
    Prepare(rollback_, "ROLLBACK");
    Prepare(put_,
            "INSERT INTO triggers (id, condition) VALUES (?1, ?2) "
            "ON CONFLICT (id) DO UPDATE SET condition = excluded.condition");
    Prepare(remove_, "DELETE FROM triggers WHERE id = ?1");
    Prepare(clear_, "DELETE FROM triggers");
    Prepare(selectAll_, "SELECT id, condition FROM triggers ORDER BY id");
}

TriggerStore::~TriggerStore() = default;

void TriggerStore::Prepare(std::unique_ptr<Statement>& slot, const char* sql,
                           std::string_view doing) {
    sqlite3_stmt* prepared = nullptr;
    const int code = driver_->Prepare(db_.get(), sql, &prepared);
    // Held at once so that a failure below still finalizes what SQLite handed out.
    auto statement = std::make_unique<Statement>(prepared);
    if (code != SQLITE_OK || prepared == nullptr) {
        ThrowSqliteError(
            code != SQLITE_OK ? code : SQLITE_ERROR, db_.get(),
            doing.empty() ? std::string("cannot prepare \"") + sql + "\"" : std::string(doing));
    }
    slot = std::move(statement);
}

void TriggerStore::Exec(const char* sql, std::string_view doing) {
    std::unique_ptr<Statement> statement;
    // Preparing reads the file's schema: a file that is no database fails here already.
    Prepare(statement, sql, doing);
    Run(*statement, doing);
}

void TriggerStore::Run(Statement& statement, std::string_view doing) {
    StatementUse use(statement.get(), db_.get());
    StepToEnd(statement, doing);
}

void TriggerStore::StepToEnd(Statement& statement, std::string_view doing) {
    int code = SQLITE_ROW;
    while (code == SQLITE_ROW) {
        code = driver_->Step(statement.get());
    }
    if (code != SQLITE_DONE) {
        ThrowSqliteError(code, db_.get(), doing);
    }
}

void TriggerStore::Begin() {
    // A transaction left open by a failed rollback would make BEGIN fail for good; end it first.
    if (sqlite3_get_autocommit(db_.get()) == 0) {
        RollBackQuietly();
    }
    Run(*begin_, "cannot begin a change");
}

void TriggerStore::Commit() {
    Run(*commit_, "cannot commit a change");
}

void TriggerStore::RollBackQuietly() noexcept {
    if (sqlite3_get_autocommit(db_.get()) != 0) {
        return;  // SQLite already rolled the transaction back, or it never began
    }
    StatementUse use(rollback_->get(), db_.get());
    driver_->Step(rollback_->get());
}

template <class Body>
void TriggerStore::InTransaction(Body&& body) {
    Begin();
    try {
        body();
        Commit();
    } catch (...) {
        RollBackQuietly();
        throw;
    }
}

void TriggerStore::ForEach(const Visitor& visit) {
    sqlite3_stmt* statement = selectAll_->get();
    StatementUse use(statement, db_.get());
    int code = SQLITE_ROW;
    while ((code = driver_->Step(statement)) == SQLITE_ROW) {
        const auto* id = sqlite3_column_text(statement, 0);
        const int idBytes = sqlite3_column_bytes(statement, 0);
        const auto* condition = static_cast<const OLECHAR*>(sqlite3_column_text16(statement, 1));
        const int conditionBytes = sqlite3_column_bytes16(statement, 1);
        if ((id == nullptr || condition == nullptr) && sqlite3_errcode(db_.get()) == SQLITE_NOMEM) {
            throw std::bad_alloc();
        }
        if (id == nullptr) {
            continue;  // a row without an id, written by someone else: nothing to fire
        }
        visit(
            std::string_view(reinterpret_cast<const char*>(id), static_cast<std::size_t>(idBytes)),
            condition != nullptr
                ? OleStringView(condition, static_cast<std::size_t>(conditionBytes) / 2)
                : OleStringView());
    }
    if (code != SQLITE_DONE) {
        ThrowSqliteError(code, db_.get(), "cannot read the triggers");
    }
}

void TriggerStore::Put(std::string_view id, std::string_view condition) {
    InTransaction([&] {
        StatementUse use(put_->get(), db_.get());
        use.Text(1, id);
        use.Text(2, condition);
        StepToEnd(*put_, "cannot store a trigger");
    });
}

void TriggerStore::Remove(const std::vector<std::string>& ids) {
    InTransaction([&] {
        for (const std::string& id : ids) {
            StatementUse use(remove_->get(), db_.get());
            use.Text(1, id);
            StepToEnd(*remove_, "cannot remove a trigger");
        }
    });
}

void TriggerStore::Clear() {
    InTransaction([&] { Run(*clear_, "cannot delete the triggers"); });
}
