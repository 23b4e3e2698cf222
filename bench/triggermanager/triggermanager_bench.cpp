// The trigger manager through its exports, as a host drives it.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "triggermanager/triggermanager_host.h"

namespace {

// A directory of its own for the database files, removed at the end.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tm-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a scratch directory");
        }
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

ComPtr<ITriggerManager> NewManager(const std::string& path) {
    TriggerManagerSetDatabasePath(path.c_str());
    ComPtr<ITriggerManager> manager;
    const HRESULT code = CreateTriggerManager(manager.put());
    TriggerManagerSetDatabasePath(nullptr);
    if (FAILED(code)) {
        throw std::runtime_error("cannot create a trigger manager");
    }
    return manager;
}

// Sensor n's trigger: a typical condition, selecting by attribute.
std::string SensorCondition(int n) {
    return "/TriggerData/sensor[@id='" + std::to_string(n) + "' and @level > 3]";
}

void AddSensors(ITriggerManager* manager, int count) {
    for (int n = 0; n < count; ++n) {
        Bstr id = ToBstr("sensor." + std::to_string(n));
        Bstr condition = ToBstr(SensorCondition(n));
        LONG added = 0;
        if (FAILED(manager->AddTrigger(id.get(), condition.get(), &added)) || added == 0) {
            throw std::runtime_error("a trigger was not added");
        }
    }
}

// One firing against 10,000 triggers, one of which matches. The index reads these conditions, so
// only that one is evaluated; bench_fire_index sets this beside evaluating every condition.
void BM_FireAgainst10000Triggers(benchmark::State& state) {
    constexpr int kTriggers = 10000;
    ComPtr<ITriggerManager> manager = NewManager("");
    AddSensors(manager.get(), kTriggers);
    Bstr data = ToBstr(
        "<?xml version=\"1.0\"?> <TriggerData><sensor id=\"4711\" level=\"5\"/></TriggerData>");
    for (auto _ : state) {
        Bstr reply;
        manager->Fire(data.get(), reply.put());
        benchmark::DoNotOptimize(reply.get());
    }
    state.counters["per_trigger"] = benchmark::Counter(
        kTriggers, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FireAgainst10000Triggers)->Unit(benchmark::kMillisecond);

// Each round makes a fresh target (untimed), times `fill` on it, and destroys it (untimed);
// `counter` reports the time per item.
template <class Make, class Fill>
void TimeFilling(benchmark::State& state, int items, const char* counter, Make make, Fill fill) {
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto target = make(round++);
        state.ResumeTiming();
        fill(target);
        state.PauseTiming();
        target.reset();
        state.ResumeTiming();
    }
    state.counters[counter] = benchmark::Counter(
        items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Adding 100,000 triggers one by one, each its own transaction; in memory (0) or in a file (1).
void BM_Add100000Triggers(benchmark::State& state) {
    constexpr int kTriggers = 100000;
    ScratchDir dir;
    TimeFilling(
        state, kTriggers, "per_trigger",
        [&](int round) {
            return NewManager(state.range(0) == 0
                                  ? std::string()
                                  : dir.File("add" + std::to_string(round) + ".db"));
        },
        [](ComPtr<ITriggerManager>& manager) { AddSensors(manager.get(), kTriggers); });
}
BENCHMARK(BM_Add100000Triggers)
    ->ArgName("file")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The storage floor of the benchmark above: the same 100,000 rows, statements, settings and one
// transaction per row, written straight through SQLite with nothing else around them.
class RawStore {
  public:
    explicit RawStore(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK) {
            throw std::runtime_error("cannot open the raw database");
        }
        Exec("PRAGMA locking_mode=EXCLUSIVE");
        Exec("PRAGMA page_size=2048");
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=NORMAL");
        Exec(
            "CREATE TABLE triggers (id TEXT PRIMARY KEY NOT NULL, condition TEXT NOT NULL) "
            "WITHOUT ROWID");
        begin_ = Prepare("BEGIN IMMEDIATE");
        commit_ = Prepare("COMMIT");
        put_ = Prepare(
            "INSERT INTO triggers (id, condition) VALUES (?1, ?2) "
            "ON CONFLICT (id) DO UPDATE SET condition = excluded.condition");
    }
    ~RawStore() {
        sqlite3_finalize(begin_);
        sqlite3_finalize(commit_);
        sqlite3_finalize(put_);
        sqlite3_close(db_);
    }
    RawStore(const RawStore&) = delete;
    RawStore& operator=(const RawStore&) = delete;

    void Put(const std::string& id, const std::string& condition) {
        Step(begin_);
        sqlite3_bind_text(put_, 1, id.data(), static_cast<int>(id.size()), SQLITE_STATIC);
        sqlite3_bind_text(put_, 2, condition.data(), static_cast<int>(condition.size()),
                          SQLITE_STATIC);
        Step(put_);
        Step(commit_);
    }

  private:
    void Exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sqlite3_errmsg(db_));
        }
    }
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sqlite3_errmsg(db_));
        }
        return statement;
    }
    void Step(sqlite3_stmt* statement) {
        const int code = sqlite3_step(statement);
        sqlite3_reset(statement);
        if (code != SQLITE_DONE) {
            throw std::runtime_error(sqlite3_errmsg(db_));
        }
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt* begin_ = nullptr;
    sqlite3_stmt* commit_ = nullptr;
    sqlite3_stmt* put_ = nullptr;
};

void BM_Add100000RowsWithSqliteAlone(benchmark::State& state) {
    constexpr int kRows = 100000;
    ScratchDir dir;
    TimeFilling(
        state, kRows, "per_row",
        [&](int round) {
            return std::make_unique<RawStore>(dir.File("raw" + std::to_string(round) + ".db"));
        },
        [](std::unique_ptr<RawStore>& store) {
            for (int n = 0; n < kRows; ++n) {
                store->Put("sensor." + std::to_string(n), SensorCondition(n));
            }
        });
}
BENCHMARK(BM_Add100000RowsWithSqliteAlone)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Opening a database file of 100,000 triggers: the manager loads them all before it answers.
void BM_Open100000Triggers(benchmark::State& state) {
    constexpr int kTriggers = 100000;
    ScratchDir dir;
    const std::string path = dir.File("open.db");
    AddSensors(NewManager(path).get(), kTriggers);
    for (auto _ : state) {
        ComPtr<ITriggerManager> manager = NewManager(path);
        state.PauseTiming();
        manager.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Open100000Triggers)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
