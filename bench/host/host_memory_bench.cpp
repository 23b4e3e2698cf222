// The host's peak memory on large input, as the kernel counts it for the host run as a child: a
// 50 MB scenario of small requests must cost about what one request costs, and a request of
// 10 MB what that request costs, whatever the file around it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host_child.h"

namespace {

constexpr std::size_t kMegabyte = 1000 * 1000;

std::string ScratchFile(const std::string& name) {
    return "/tmp/host-memory-bench-" + std::to_string(getpid()) + "-" + name;
}

// A trigger on open doors, then fires of small door events, one in ten of them open, with a note
// now and then: the shape of a long recorded session.
std::string SmallRequestsScenario(std::size_t bytes, std::size_t& requests) {
    const std::string path = ScratchFile("scenario.xml");
    std::ofstream file(path);
    file << "<Scenario>\n<Request type=\"trigger\" name=\"registeraction\" id=\"door\" "
            "condition=\"/TriggerData/door[@state='open']\"><Action type=\"host\" "
            "name=\"log\"><Alert/></Action></Request>\n";
    requests = 1;
    for (std::size_t n = 0; static_cast<std::size_t>(file.tellp()) < bytes; ++n, ++requests) {
        file << "<Request type=\"trigger\" name=\"fire\"><TriggerData><door id=\"d" << n
             << "\" state=\"" << (n % 10 == 0 ? "open" : "closed")
             << "\"/></TriggerData></Request>\n";
        if (n % 1000 == 0) {
            file << "<Note>event " << n << "</Note>\n";
        }
    }
    file << "</Scenario>\n";
    return path;
}

// One line holding one fire request whose data is `bytes` of text, written in pieces: a child
// starts out holding what its parent holds.
std::string OneLongLine(std::size_t bytes) {
    const std::string path = ScratchFile("line.txt");
    std::ofstream file(path);
    file << "<R type=\"trigger\" name=\"fire\"><TriggerData><blob>";
    const std::string piece(1000, 'x');
    for (std::size_t written = 0; written < bytes; written += piece.size()) {
        file << piece;
    }
    file << "</blob></TriggerData></R>\n";
    return path;
}

void Report(benchmark::State& state, const ChildRun& run, std::size_t inputBytes) {
    if (run.status != 0 && run.status != 2) {
        state.SkipWithError("the host did not run");
    }
    state.counters["peak_MB"] = static_cast<double>(run.peakKilobytes) / 1024.0;
    state.counters["input_MB"] = static_cast<double>(inputBytes) / kMegabyte;
    state.counters["exit"] = run.status;
}

void BM_HostAlone(benchmark::State& state) {
    for (auto _ : state) {
        Report(state, RunChild(TB_HOST_PATH, {"--interactive"}, {"/dev/null", false}), 0);
    }
}
BENCHMARK(BM_HostAlone)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ScenarioOfSmallRequests(benchmark::State& state) {
    const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * kMegabyte;
    std::size_t requests = 0;
    const std::string path = SmallRequestsScenario(bytes, requests);
    for (auto _ : state) {
        Report(state, RunChild(TB_HOST_PATH, {"--quiet", path}, {"/dev/null", false}), bytes);
    }
    state.counters["requests"] = static_cast<double>(requests);
    std::remove(path.c_str());
}
BENCHMARK(BM_ScenarioOfSmallRequests)
    ->Arg(5)
    ->Arg(50)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// 10 MB: sent, it is within the plug-in's limit; 20 MB: refused, it is not.
void BM_OneLongLine(benchmark::State& state) {
    const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * kMegabyte;
    const std::string path = OneLongLine(bytes);
    for (auto _ : state) {
        Report(state, RunChild(TB_HOST_PATH, {"--interactive"}, {path, false}), bytes);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_OneLongLine)
    ->Arg(10)
    ->Arg(20)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
