// Every SQLite step the manager takes can fail: opening then fails cleanly, and a failed change
// leaves the manager's triggers and the database file exactly as they were. Its cause reaches
// whoever asked, in the thread's error information and in the host's failure reports.
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "companions/com_error.h"
#include "manager_calls.h"
#include "triggermanager/error_result.h"
#include "triggermanager/failure_reports.h"
#include "triggermanager/sqlite_driver.h"
#include "triggermanager/trigger_manager.h"

namespace {

using SqlPredicate = std::function<bool(std::string_view sql)>;

SqlPredicate StartsWith(std::string prefix) {
    return [prefix](std::string_view sql) { return sql.substr(0, prefix.size()) == prefix; };
}

// Deleting every row: the one DELETE without a WHERE.
bool IsClearAll(std::string_view sql) {
    return sql.substr(0, 6) == "DELETE" && sql.find("WHERE") == std::string_view::npos;
}

// SQLite itself, except for the steps a test chooses to fail.
class FailingDriver : public SqliteLibraryDriver {
  public:
    void FailOpen(int code) {
        std::lock_guard<std::mutex> guard(lock_);
        openFailure_ = code;
    }
    void FailPrepare(SqlPredicate which, int code) {
        std::lock_guard<std::mutex> guard(lock_);
        prepareWhich_ = std::move(which);
        prepareFailure_ = code;
    }
    void FailStep(SqlPredicate which, int code) {
        std::lock_guard<std::mutex> guard(lock_);
        stepWhich_ = std::move(which);
        stepFailure_ = code;
    }
    void Heal() {
        std::lock_guard<std::mutex> guard(lock_);
        openFailure_ = prepareFailure_ = stepFailure_ = SQLITE_OK;
    }
    int failures() const {
        std::lock_guard<std::mutex> guard(lock_);
        return failures_;
    }

    int Open(const char* path, int flags, sqlite3** db) override {
        if (const int code = Chosen(openFailure_, nullptr, "")) {
            return code;
        }
        return SqliteLibraryDriver::Open(path, flags, db);
    }
    int Prepare(sqlite3* db, const char* sql, sqlite3_stmt** statement) override {
        if (const int code = Chosen(prepareFailure_, &prepareWhich_, sql)) {
            *statement = nullptr;
            return code;
        }
        return SqliteLibraryDriver::Prepare(db, sql, statement);
    }
    int Step(sqlite3_stmt* statement) override {
        if (const int code = Chosen(stepFailure_, &stepWhich_, sqlite3_sql(statement))) {
            return code;
        }
        return SqliteLibraryDriver::Step(statement);
    }

  private:
    int Chosen(int failure, const SqlPredicate* which, const char* sql) {
        std::lock_guard<std::mutex> guard(lock_);
        if (failure == SQLITE_OK || (which != nullptr && !(*which)(sql))) {
            return SQLITE_OK;
        }
        ++failures_;
        return failure;
    }

    mutable std::mutex lock_;
    int openFailure_ = SQLITE_OK;
    int prepareFailure_ = SQLITE_OK;
    int stepFailure_ = SQLITE_OK;
    SqlPredicate prepareWhich_;
    SqlPredicate stepWhich_;
    int failures_ = 0;
};

const std::string kOpenDoor = "<TriggerData><door state=\"open\"/></TriggerData>";

// --- opening ---------------------------------------------------------------------------------

struct OpenFailure {
    const char* name;
    std::function<void(FailingDriver&)> arrange;
    bool onlyForFiles;
};

class OpeningFails : public testing::TestWithParam<OpenFailure> {};

TEST_P(OpeningFails, GivesNoManagerAndSaysWhy) {
    for (bool inFile : {true, false}) {
        if (!inFile && GetParam().onlyForFiles) {
            continue;
        }
        TempDir dir;
        auto driver = std::make_shared<FailingDriver>();
        GetParam().arrange(*driver);
        const std::string path = inFile ? dir.File("t.db") : std::string();
        try {
            MakeTriggerManager({path, false, driver});
            ADD_FAILURE() << "a manager was made although " << GetParam().name << " failed";
        } catch (const ComError& error) {
            EXPECT_TRUE(FAILED(error.code()));
            const std::u16string& description = error.description();
            EXPECT_NE(description.find(u"trigger database"), std::u16string::npos);
        }
        EXPECT_GE(driver->failures(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, OpeningFails,
    testing::Values(
        OpenFailure{"open", [](FailingDriver& d) { d.FailOpen(SQLITE_CANTOPEN); }, false},
        OpenFailure{"the journal mode",
                    [](FailingDriver& d) { d.FailStep(StartsWith("PRAGMA"), SQLITE_IOERR); }, true},
        OpenFailure{"preparing the table",
                    [](FailingDriver& d) { d.FailPrepare(StartsWith("CREATE"), SQLITE_ERROR); },
                    false},
        OpenFailure{"creating the table",
                    [](FailingDriver& d) { d.FailStep(StartsWith("CREATE"), SQLITE_READONLY); },
                    false},
        OpenFailure{"preparing BEGIN",
                    [](FailingDriver& d) { d.FailPrepare(StartsWith("BEGIN"), SQLITE_NOMEM); },
                    false},
        OpenFailure{"preparing COMMIT",
                    [](FailingDriver& d) { d.FailPrepare(StartsWith("COMMIT"), SQLITE_ERROR); },
                    false},
        OpenFailure{"preparing ROLLBACK",
                    [](FailingDriver& d) { d.FailPrepare(StartsWith("ROLLBACK"), SQLITE_ERROR); },
                    false},
        OpenFailure{"preparing INSERT",
                    [](FailingDriver& d) { d.FailPrepare(StartsWith("INSERT"), SQLITE_ERROR); },
                    false},
        OpenFailure{"preparing DELETE",
                    [](FailingDriver& d) { d.FailPrepare(IsClearAll, SQLITE_ERROR); }, false},
        OpenFailure{"preparing SELECT",
                    [](FailingDriver& d) { d.FailPrepare(StartsWith("SELECT"), SQLITE_ERROR); },
                    false},
        OpenFailure{"loading",
                    [](FailingDriver& d) { d.FailStep(StartsWith("SELECT"), SQLITE_CORRUPT); },
                    false}),
    [](const testing::TestParamInfo<OpenFailure>& named) { return std::to_string(named.index); });

// --- changing --------------------------------------------------------------------------------

enum class Change { Replace, AddNew, RemoveExact, RemovePattern, DeleteAll };

struct ChangeFailure {
    Change change;
    const char* step;  // "BEGIN", "write" or "COMMIT"
    int code;
};

std::string Describe(const testing::TestParamInfo<ChangeFailure>& info) {
    static const char* const names[] = {"Replace", "AddNew", "RemoveExact", "RemovePattern",
                                        "DeleteAll"};
    return std::string(names[static_cast<int>(info.param.change)]) + "_" + info.param.step;
}

class ChangeFails : public testing::TestWithParam<ChangeFailure> {
  protected:
    void SetUp() override {
        path_ = dir_.File("t.db");
        manager_ = MakeTriggerManager({path_, false, driver_});
        ASSERT_EQ(AddTrigger(manager_.get(), "door", "/TriggerData/door[@state='open']").value, 1);
        ASSERT_EQ(AddTrigger(manager_.get(), "window", "").value, 1);
    }

    SqlPredicate FailingStatement() const {
        const std::string step = GetParam().step;
        if (step != "write") {
            return StartsWith(step);
        }
        switch (GetParam().change) {
            case Change::Replace:
            case Change::AddNew:
                return StartsWith("INSERT");
            case Change::DeleteAll:
                return IsClearAll;
            default:
                return StartsWith("DELETE");
        }
    }

    Flag Apply() {
        switch (GetParam().change) {
            case Change::Replace:
                return AddTrigger(manager_.get(), "door", "/TriggerData/door[@state='closed']");
            case Change::AddNew:
                return AddTrigger(manager_.get(), "alarm", "");
            case Change::RemoveExact:
                return RemoveTrigger(manager_.get(), "door");
            case Change::RemovePattern:
                return RemoveTrigger(manager_.get(), "*O*");
            case Change::DeleteAll:
                return DeleteDatabase(manager_.get());
        }
        return {E_UNEXPECTED, 0};
    }

    // What an open door fires, first in this manager, then in the next one on the same file.
    void ExpectUnchanged() {
        const std::vector<std::string> expected = {"door", "window"};
        EXPECT_EQ(ReplyIds(Fire(manager_.get(), kOpenDoor).text), expected);
        manager_.reset();
        ComPtr<ITriggerManager> reopened = MakeTriggerManager({path_, false, nullptr});
        EXPECT_EQ(ReplyIds(Fire(reopened.get(), kOpenDoor).text), expected);
    }

    TempDir dir_;
    std::string path_;
    std::shared_ptr<FailingDriver> driver_ = std::make_shared<FailingDriver>();
    ComPtr<ITriggerManager> manager_;
};

TEST_P(ChangeFails, ReportsTheFailureAndChangesNothing) {
    driver_->FailStep(FailingStatement(), GetParam().code);
    const Flag result = Apply();
    EXPECT_TRUE(FAILED(result.code));
    EXPECT_EQ(result.value, 0);
    const std::string description = TakeErrorDescription();
    EXPECT_NE(description.find("trigger database"), std::string::npos) << description;
    EXPECT_NE(description.find(sqlite3_errstr(GetParam().code)), std::string::npos) << description;
    EXPECT_GE(driver_->failures(), 1);
    driver_->Heal();
    ExpectUnchanged();
}

TEST_P(ChangeFails, SucceedsOnceTheFailureHasPassed) {
    driver_->FailStep(FailingStatement(), GetParam().code);
    Apply();
    driver_->Heal();
    const Flag result = Apply();
    EXPECT_EQ(result.code, S_OK);
    EXPECT_GE(result.value, 1);
}

INSTANTIATE_TEST_SUITE_P(EachStep, ChangeFails,
                         testing::Values(ChangeFailure{Change::Replace, "BEGIN", SQLITE_BUSY},
                                         ChangeFailure{Change::Replace, "write", SQLITE_FULL},
                                         ChangeFailure{Change::Replace, "COMMIT", SQLITE_IOERR},
                                         ChangeFailure{Change::AddNew, "write", SQLITE_CONSTRAINT},
                                         ChangeFailure{Change::AddNew, "COMMIT", SQLITE_FULL},
                                         ChangeFailure{Change::RemoveExact, "BEGIN", SQLITE_LOCKED},
                                         ChangeFailure{Change::RemoveExact, "write", SQLITE_IOERR},
                                         ChangeFailure{Change::RemoveExact, "COMMIT", SQLITE_BUSY},
                                         ChangeFailure{Change::RemovePattern, "write", SQLITE_FULL},
                                         ChangeFailure{Change::RemovePattern, "COMMIT",
                                                       SQLITE_IOERR},
                                         ChangeFailure{Change::DeleteAll, "BEGIN", SQLITE_BUSY},
                                         ChangeFailure{Change::DeleteAll, "write", SQLITE_IOERR},
                                         ChangeFailure{Change::DeleteAll, "COMMIT", SQLITE_FULL}),
                         Describe);

TEST(StoreRecovery, AFailedRollbackDoesNotWedgeTheDatabase) {
    TempDir dir;
    auto driver = std::make_shared<FailingDriver>();
    ComPtr<ITriggerManager> manager = MakeTriggerManager({dir.File("t.db"), false, driver});
    // COMMIT fails, then so does the ROLLBACK meant to end the transaction: it stays open.
    driver->FailStep(
        [](std::string_view sql) {
            return StartsWith("COMMIT")(sql) || StartsWith("ROLLBACK")(sql);
        },
        SQLITE_IOERR);
    EXPECT_TRUE(FAILED(AddTrigger(manager.get(), "a", "").code));
    driver->Heal();
    EXPECT_EQ(AddTrigger(manager.get(), "b", "").value, 1);
    EXPECT_EQ(ReplyIds(Fire(manager.get(), "<x/>").text), std::vector<std::string>{"b"});
}

// --- the cause, in words ---------------------------------------------------------------------

struct Cause {
    const char* name;
    // Makes the database at the path it gives unusable.
    std::function<std::string(TempDir&, FailingDriver&)> arrange;
    bool whenAdding;    // the failure comes with a change, not with opening
    bool ordinaryUser;  // opened as a user who may not write what root may
    HRESULT code;
    const char* words;
};

void Record(HRESULT code, const char* description, void* reports) {
    static_cast<std::vector<std::pair<HRESULT, std::string>>*>(reports)->emplace_back(code,
                                                                                      description);
}

class FailureCause : public testing::TestWithParam<Cause> {};

TEST_P(FailureCause, IsNamedInTheErrorInformationAndInTheHostsReport) {
    TempDir dir;
    auto driver = std::make_shared<FailingDriver>();
    const std::string path = GetParam().arrange(dir, *driver);
    std::vector<std::pair<HRESULT, std::string>> reports;
    SetFailureObserver(&Record, &reports);
    // The file-system user is the calling thread's own, and SQLite opens files on that thread.
    const bool asOrdinaryUser = GetParam().ordinaryUser && geteuid() == 0;
    if (asOrdinaryUser) {
        setfsuid(65534);
    }
    HRESULT code = S_OK;
    ComPtr<ITriggerManager> manager;
    try {
        manager = MakeTriggerManager({path, false, driver, std::chrono::milliseconds(0)});
        code = AddTrigger(manager.get(), "door", "").code;
    } catch (...) {
        code = ReportCaughtError(IID_ITriggerManager);  // what CreateTriggerManager does
    }
    if (asOrdinaryUser) {
        setfsuid(0);
    }
    SetFailureObserver(nullptr, nullptr);
    EXPECT_EQ(static_cast<bool>(manager), GetParam().whenAdding);
    EXPECT_EQ(code, GetParam().code);
    const std::string description = TakeErrorDescription();
    EXPECT_NE(description.find(GetParam().words), std::string::npos) << description;
    EXPECT_EQ(reports, (std::vector<std::pair<HRESULT, std::string>>{{code, description}}));
}

std::string Made(TempDir& dir, FailingDriver&) {
    MakeTriggerManager({dir.File("t.db"), false, nullptr});
    chmod(dir.File("t.db").c_str(), 0444);
    chmod(dir.path().c_str(), 0755);
    return dir.File("t.db");
}

std::string NotADatabase(TempDir& dir, FailingDriver&) {
    std::ofstream(dir.File("notes.txt")) << "these are notes, not triggers\n";
    return dir.File("notes.txt");
}

std::string ReadOnlyDirectory(TempDir& dir, FailingDriver&) {
    chmod(dir.path().c_str(), 0555);
    return dir.File("t.db");
}

std::function<std::string(TempDir&, FailingDriver&)> Failing(const char* sql, int code) {
    return [=](TempDir& dir, FailingDriver& driver) {
        driver.FailStep(StartsWith(sql), code);
        return dir.File("t.db");
    };
}

INSTANTIATE_TEST_SUITE_P(
    EachCause, FailureCause,
    testing::Values(
        Cause{"MissingDirectory", [](TempDir& dir, FailingDriver&) { return dir.File("no/t.db"); },
              false, false, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), "no\" does not exist"},
        Cause{"NotADatabase", &NotADatabase, false, false, HRESULT_FROM_WIN32(1392),
              "the file is not a database"},
        Cause{"ReadOnlyFile", &Made, false, true, E_ACCESSDENIED, "the file is read-only"},
        Cause{"ReadOnlyDirectory", &ReadOnlyDirectory, false, true,
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), "cannot be created in its directory"},
        Cause{"Locked", Failing("BEGIN", SQLITE_BUSY), false, false, HRESULT_FROM_WIN32(33),
              "locked by another process"},
        Cause{"DiskFullWhileOpening", Failing("CREATE", SQLITE_FULL), false, false,
              HRESULT_FROM_WIN32(112), "the disk is full"},
        Cause{"DiskFullWhileAdding", Failing("INSERT", SQLITE_FULL), true, false,
              HRESULT_FROM_WIN32(112), "the disk is full"}),
    [](const testing::TestParamInfo<Cause>& row) { return std::string(row.param.name); });

}  // namespace
