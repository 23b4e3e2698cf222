// Firing against many triggers, through the index and by evaluating every condition, in the same
// run: the index's goal is a firing whose cost follows what matches, not how many triggers
// there are.
#include <benchmark/benchmark.h>

#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "triggermanager/trigger_manager.h"

namespace {

enum class Conditions { Literal, Unread };

// Sensor n's trigger: selecting by an attribute, with a conjunct the index leaves to the
// evaluation; or the same through '//', which the index cannot read.
std::string SensorCondition(Conditions conditions, int n) {
    const std::string predicate = "[@id='" + std::to_string(n) + "' and @level > 3]";
    return conditions == Conditions::Literal ? "/TriggerData/sensor" + predicate
                                             : "//sensor" + predicate;
}

// Managers made once per process and kept, so that repetitions do not add the triggers again.
ITriggerManager* Manager(Conditions conditions, int count, bool everyTrigger) {
    static std::map<std::tuple<Conditions, int, bool>, ComPtr<ITriggerManager>> made;
    ComPtr<ITriggerManager>& manager = made[{conditions, count, everyTrigger}];
    if (!manager) {
        ManagerOptions options;
        options.evaluateEveryTrigger = everyTrigger;
        manager = MakeTriggerManager(options);
        for (int n = 0; n < count; ++n) {
            Bstr id = ToBstr("sensor." + std::to_string(n));
            Bstr condition = ToBstr(SensorCondition(conditions, n));
            LONG added = 0;
            if (FAILED(manager->AddTrigger(id.get(), condition.get(), &added)) || added == 0) {
                throw std::runtime_error("a trigger was not added");
            }
        }
    }
    return manager.get();
}

// One firing that matches one trigger (sensor 471 is there whatever the count).
void Fire(benchmark::State& state, Conditions conditions, bool everyTrigger) {
    const int count = static_cast<int>(state.range(0));
    ITriggerManager* manager = Manager(conditions, count, everyTrigger);
    Bstr data = ToBstr(
        "<?xml version=\"1.0\"?> <TriggerData><sensor id=\"471\" level=\"5\"/></TriggerData>");
    // Once untimed: the conditions compiled by the other benchmarks' managers are in the thread's
    // cache now, and the steady state of this one is wanted (as far as the cache holds its
    // conditions: 16,384 per thread).
    Bstr first;
    manager->Fire(data.get(), first.put());
    if (ToUtf8(first.view()) !=
        "<FireResult matched=\"1\"><Trigger id=\"sensor.471\"/></FireResult>") {
        state.SkipWithError("the firing does not match its one trigger");
    }
    for (auto _ : state) {
        Bstr reply;
        manager->Fire(data.get(), reply.put());
        benchmark::DoNotOptimize(reply.get());
    }
}

void BM_FireLiteralIndexed(benchmark::State& state) {
    Fire(state, Conditions::Literal, false);
}
void BM_FireLiteralEveryTrigger(benchmark::State& state) {
    Fire(state, Conditions::Literal, true);
}
void BM_FireUnreadIndexed(benchmark::State& state) {
    Fire(state, Conditions::Unread, false);
}
void BM_FireUnreadEveryTrigger(benchmark::State& state) {
    Fire(state, Conditions::Unread, true);
}

BENCHMARK(BM_FireLiteralIndexed)
    ->ArgName("triggers")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FireLiteralEveryTrigger)
    ->ArgName("triggers")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FireUnreadIndexed)->ArgName("triggers")->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FireUnreadEveryTrigger)
    ->ArgName("triggers")
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
