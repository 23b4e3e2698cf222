// RunAction for each measured command beside the bare DOM work the same request needs, in the same
// run and through the same configuration library; and unregistering by pattern over a large table.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "boundary/exports.h"
#include "bridge/trigger_bridge.h"
#include "companions/bstr.h"
#include "companions/utf.h"
#include "dom_floor.h"
#include "noop_companions.h"

namespace {

constexpr int kDistinctRequests = 1000;
constexpr int kLargeTable = 100000;

// Requests for the ids door0 .. door<count - 1>.
std::vector<Bstr> Requests(const std::string& before, const std::string& after,
                           int count = kDistinctRequests) {
    std::vector<Bstr> requests;
    requests.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        requests.push_back(ToBstr(before + std::to_string(i) + after));
    }
    return requests;
}

std::vector<Bstr> RegisterRequests() {
    return Requests(R"(<Request type="trigger" name="registeraction" id="door)",
                    R"(" condition="/TriggerData[@open='1']"><Action type="host" name="log">)"
                    R"(<Text>The door opened</Text></Action></Request>)");
}

std::vector<Bstr> UnregisterRequests(int count = kDistinctRequests) {
    return Requests(R"(<Request type="trigger" name="unregisteraction" id="door)", R"("/>)", count);
}

std::vector<Bstr> FireRequests() {
    return Requests(R"(<Request type="trigger" name="fire"><TriggerData sensor="door)",
                    R"(" state="open"><At>2024-05-01T10:00:00</At></TriggerData></Request>)");
}

void Run(BSTR request, benchmark::State& state) {
    BSTR result = nullptr;
    if (RunAction(request, &result) != S_OK) {
        state.SkipWithError("RunAction failed");
    }
    SysFreeString(result);
}

void FillTable(int entries) {
    TriggerActionTable& table = TriggerBridge::Instance().actionTable();
    for (int i = 0; i < entries; ++i) {
        table.Set("door" + std::to_string(i), R"(<Action type="host" name="log"/>)");
    }
}

void RegisterAction(benchmark::State& state) {
    const std::vector<Bstr> requests = RegisterRequests();
    std::size_t i = 0;
    for (auto _ : state) {
        Run(requests[i++ % requests.size()].get(), state);
    }
    TriggerBridge::Instance().actionTable().Clear();
}

void RegisterActionFloor(benchmark::State& state) {
    const std::vector<Bstr> requests = RegisterRequests();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench::RegisterFloor(requests[i++ % requests.size()].get()));
    }
}

// Unregistering one id exactly from an empty table (0), or from a table that keeps at least
// state.range(0) entries: every round erases an entry of its own, so nothing has to be put back
// inside the timed loop and the rounds are counted in advance.
constexpr int kExactRounds = 20000;

void UnregisterActionExact(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    if (entries != 0) {
        FillTable(entries + kExactRounds);
    }
    const std::vector<Bstr> requests =
        UnregisterRequests(entries == 0 ? kDistinctRequests : kExactRounds);
    std::size_t i = 0;
    for (auto _ : state) {
        Run(requests[i++ % requests.size()].get(), state);
    }
    TriggerBridge::Instance().actionTable().Clear();
}

void UnregisterActionFloor(benchmark::State& state) {
    const std::vector<Bstr> requests = UnregisterRequests();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench::UnregisterFloor(requests[i++ % requests.size()].get()));
    }
}

// Unregistering by pattern with `entries` entries in the table; the table is refilled, untimed,
// before each round.
void UnregisterActionPattern(benchmark::State& state, const char* pattern) {
    const Bstr request =
        ToBstr(std::string(R"(<Request type="trigger" name="unregisteraction" id=")") + pattern +
               R"("/>)");
    for (auto _ : state) {
        state.PauseTiming();
        FillTable(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        Run(request.get(), state);
    }
    TriggerBridge::Instance().actionTable().Clear();
}

void FireAction(benchmark::State& state) {
    const std::vector<Bstr> requests = FireRequests();
    std::size_t i = 0;
    for (auto _ : state) {
        Run(requests[i++ % requests.size()].get(), state);
    }
}

void FireActionFloor(benchmark::State& state) {
    const std::vector<Bstr> requests = FireRequests();
    const Bstr reply = Bstr::Copy(bench::kFireReply);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            bench::FireFloor(requests[i++ % requests.size()].get(), reply.get()));
    }
}

// Each round runs one request through RunAction and the same request's bare DOM work back to
// back, timing each, so both see the machine in the same state however its load drifts; the
// counters give the mean time of each and their ratio.
template <class Floor>
void Paired(benchmark::State& state, const std::vector<Bstr>& requests, Floor floor) {
    using Clock = std::chrono::steady_clock;
    Clock::duration module{};
    Clock::duration bare{};
    std::size_t i = 0;
    for (auto _ : state) {
        BSTR request = requests[i++ % requests.size()].get();
        const Clock::time_point start = Clock::now();
        Run(request, state);
        const Clock::time_point middle = Clock::now();
        benchmark::DoNotOptimize(floor(request));
        const Clock::time_point end = Clock::now();
        module += middle - start;
        bare += end - middle;
    }
    const auto rounds = static_cast<double>(state.iterations());
    const auto micros = [rounds](Clock::duration total) {
        return std::chrono::duration<double, std::micro>(total).count() / rounds;
    };
    state.counters["module_us"] = micros(module);
    state.counters["floor_us"] = micros(bare);
    state.counters["ratio"] = micros(bare) > 0 ? micros(module) / micros(bare) : 0;
    TriggerBridge::Instance().actionTable().Clear();
}

void PairedRegisterAction(benchmark::State& state) {
    Paired(state, RegisterRequests(), bench::RegisterFloor);
}

void PairedUnregisterAction(benchmark::State& state) {
    Paired(state, UnregisterRequests(), bench::UnregisterFloor);
}

void PairedFireAction(benchmark::State& state) {
    const Bstr reply = Bstr::Copy(bench::kFireReply);
    Paired(state, FireRequests(),
           [&reply](BSTR request) { return bench::FireFloor(request, reply.get()); });
}

}  // namespace

BENCHMARK(PairedRegisterAction);
BENCHMARK(PairedUnregisterAction);
BENCHMARK(PairedFireAction);
BENCHMARK(RegisterAction);
BENCHMARK(RegisterActionFloor);
BENCHMARK(UnregisterActionExact)->Arg(0);
BENCHMARK(UnregisterActionExact)->Arg(kLargeTable)->Iterations(kExactRounds);
BENCHMARK(UnregisterActionFloor);
BENCHMARK_CAPTURE(UnregisterActionPattern, Star, "*")
    ->Arg(kLargeTable)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UnregisterActionPattern, EveryTenth, "door*7")
    ->Arg(kLargeTable)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FireAction);
BENCHMARK(FireActionFloor);

int main(int argc, char** argv) {
    if (RegisterActions() != S_OK) {
        std::fputs("the module could not connect to the stand-in trigger manager\n", stderr);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return StopHandler() == S_OK ? 0 : 1;
}
