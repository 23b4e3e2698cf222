// The trigger manager through its exports, as a host drives it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
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

// One firing evaluates every trigger; one of them matches.
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

// Adding 100,000 triggers one by one, each its own transaction; in memory (0) or in a file (1).
void BM_Add100000Triggers(benchmark::State& state) {
    constexpr int kTriggers = 100000;
    ScratchDir dir;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path =
            state.range(0) == 0 ? std::string() : dir.File("add" + std::to_string(round++) + ".db");
        ComPtr<ITriggerManager> manager = NewManager(path);
        state.ResumeTiming();
        AddSensors(manager.get(), kTriggers);
        state.PauseTiming();
        manager.reset();
        state.ResumeTiming();
    }
    state.counters["per_trigger"] = benchmark::Counter(
        kTriggers, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Add100000Triggers)
    ->ArgName("file")
    ->Arg(0)
    ->Arg(1)
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
