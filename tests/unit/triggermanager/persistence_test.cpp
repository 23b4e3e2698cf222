// The database behind the triggers: files outlive managers, memory does not, and a file that
// cannot be used makes creation fail with a reason, never a crash.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fstream>

#include "library_scope.h"

namespace {

const std::string kOpenDoor = "<TriggerData><door state=\"open\"/></TriggerData>";

TEST(Persistence, TriggersOutliveTheirManager) {
    TempDir dir;
    DatabaseAt database(dir.File("triggers.db"));
    {
        ComPtr<ITriggerManager> first = NewManager();
        ASSERT_EQ(AddTrigger(first.get(), "door", "/TriggerData/window").value, 1);
        ASSERT_EQ(AddTrigger(first.get(), "door", "/TriggerData/door").value, 1);  // replaced
        ASSERT_EQ(AddTrigger(first.get(), "gone", "").value, 1);
        ASSERT_EQ(AddTrigger(first.get(), "t\xC3\xBCr", "//door[@state='open']").value, 1);
        ASSERT_EQ(AddTrigger(first.get(), "closed", "//door[@state='closed']").value, 1);
        ASSERT_EQ(RemoveTrigger(first.get(), "gone").value, 1);
    }
    ComPtr<ITriggerManager> second = NewManager();
    EXPECT_EQ(ReplyIds(Fire(second.get(), kOpenDoor).text),
              (std::vector<std::string>{"door", "t\xC3\xBCr"}));
}

// The page size a database file was made with.
int PageSizeOf(const std::string& path) {
    sqlite3* db = nullptr;
    int size = 0;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_exec(
            db, "PRAGMA page_size",
            [](void* out, int, char** values, char**) {
                *static_cast<int*>(out) = values[0] != nullptr ? std::atoi(values[0]) : 0;
                return 0;
            },
            &size, nullptr);
    }
    sqlite3_close(db);
    return size;
}

TEST(Persistence, ANewFileGetsSmallPagesAndAnOldOneKeepsItsOwn) {
    TempDir dir;
    const std::string fresh = dir.File("fresh.db");
    {
        DatabaseAt database(fresh);
        ComPtr<ITriggerManager> manager = NewManager();
        ASSERT_EQ(AddTrigger(manager.get(), "door", "/TriggerData/door").value, 1);
    }
    EXPECT_EQ(PageSizeOf(fresh), 2048);

    // A file some earlier manager made with larger pages is used as it is.
    const std::string old = dir.File("old.db");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(old.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA page_size=8192; CREATE TABLE triggers (id TEXT PRIMARY KEY "
                           "NOT NULL, condition TEXT NOT NULL) WITHOUT ROWID; INSERT INTO "
                           "triggers VALUES ('door', '/TriggerData/door')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    {
        DatabaseAt database(old);
        ComPtr<ITriggerManager> manager = NewManager();
        ASSERT_EQ(AddTrigger(manager.get(), "window", "").value, 1);
        EXPECT_EQ(ReplyIds(Fire(manager.get(), kOpenDoor).text),
                  (std::vector<std::string>{"door", "window"}));
    }
    EXPECT_EQ(PageSizeOf(old), 8192);
}

TEST(Persistence, DeletingTheDatabaseEmptiesTheFile) {
    TempDir dir;
    DatabaseAt database(dir.File("triggers.db"));
    {
        ComPtr<ITriggerManager> first = NewManager();
        ASSERT_EQ(AddTrigger(first.get(), "a", "").value, 1);
        ASSERT_EQ(DeleteDatabase(first.get()).value, 1);
    }
    EXPECT_EQ(Fire(NewManager().get(), "<x/>").text, "<FireResult matched=\"0\"/>");
}

TEST(Persistence, EachInMemoryManagerHasItsOwnTriggers) {
    ComPtr<ITriggerManager> first = NewManager();
    ComPtr<ITriggerManager> second = NewManager();
    ASSERT_EQ(AddTrigger(first.get(), "a", "").value, 1);
    EXPECT_EQ(Fire(second.get(), "<x/>").text, "<FireResult matched=\"0\"/>");
    first.reset();
    EXPECT_EQ(Fire(NewManager().get(), "<x/>").text, "<FireResult matched=\"0\"/>");
}

TEST(Persistence, AnEmptyPathMeansMemory) {
    TempDir dir;
    const std::string path = dir.File("triggers.db");
    { DatabaseAt database(path); }
    EXPECT_EQ(TriggerManagerSetDatabasePath(""), S_OK);
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "a", "").value, 1);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// --- databases that cannot be used -------------------------------------------------------------

struct BadDatabase {
    const char* name;
    // Prepares the directory and answers the path to open.
    std::string (*arrange)(const TempDir& dir);
};

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class UnusableDatabase : public testing::TestWithParam<BadDatabase> {};

TEST_P(UnusableDatabase, MakesCreationFailWithAReason) {
    TempDir dir;
    DatabaseAt database(GetParam().arrange(dir));
    SetErrorInfo(0, nullptr);
    ITriggerManager* manager = reinterpret_cast<ITriggerManager*>(1);
    const HRESULT code = CreateTriggerManager(&manager);
    EXPECT_TRUE(FAILED(code));
    EXPECT_EQ(manager, nullptr);
    EXPECT_NE(TakeErrorDescription().find("trigger database"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnusableDatabase,
    testing::Values(BadDatabase{"Garbage",
                                [](const TempDir& dir) {
                                    const std::string path = dir.File("garbage.db");
                                    WriteFile(path,
                                              std::string(4096, '\x5A') + "not a database at all");
                                    return path;
                                }},
                    BadDatabase{"TruncatedHeader",
                                [](const TempDir& dir) {
                                    const std::string path = dir.File("short.db");
                                    WriteFile(path, "SQLite format 3");
                                    return path;
                                }},
                    BadDatabase{"CorruptPages",
                                [](const TempDir& dir) {
                                    const std::string path = dir.File("pages.db");
                                    std::string bytes("SQLite format 3\0", 16);
                                    bytes += std::string(4096 - 16, '\xFF');
                                    WriteFile(path, bytes);
                                    return path;
                                }},
                    BadDatabase{"MissingDirectory",
                                [](const TempDir& dir) { return dir.File("no/such/dir/t.db"); }},
                    BadDatabase{"UnderARegularFile",
                                [](const TempDir& dir) {
                                    WriteFile(dir.File("plain"), "x");
                                    return dir.File("plain/t.db");
                                }},
                    BadDatabase{"ADirectory",
                                [](const TempDir& dir) { return dir.path().string(); }}),
    [](const testing::TestParamInfo<BadDatabase>& named) { return std::string(named.param.name); });

TEST(Persistence, AnotherTablesSchemaIsReportedNotMisread) {
    TempDir dir;
    const std::string path = dir.File("other.db");
    {
        DatabaseAt database(path);
        NewManager();
    }
    // Someone else's table of the same name, without our columns.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "DROP TABLE triggers; CREATE TABLE triggers (name TEXT)", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
    DatabaseAt database(path);
    ComPtr<ITriggerManager> manager;
    EXPECT_TRUE(FAILED(CreateTriggerManager(manager.put())));
    EXPECT_FALSE(TakeErrorDescription().empty());
}

}  // namespace
