// DoAction from several threads at once: against re-registration, against its own first load,
// against replacement of the output callback, and against shutdown. Every loop is bounded.
#include <gmock/gmock.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <latch>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "action_manager_support.h"

namespace actionmanager_test {
namespace {

constexpr int kThreads = 4;

template <class Body>
void RunThreads(int count, Body body) {
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
        threads.emplace_back(body, index);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

TEST_F(ActionManagerTest, ConcurrentCallsSeeEitherRegistrationWhileItIsReplaced) {
    constexpr int kCalls = 150;
    ASSERT_EQ(Register("test", "act", kModule, "EchoEntry"), S_OK);
    const std::string request = Request("test", "act", "<n/>");
    std::atomic<int> wrong{0};
    std::atomic<bool> callersDone{false};

    std::thread registrar([&] {
        for (int round = 0; !callersDone.load(); ++round) {
            Register("test", "act", kModule, round % 2 == 0 ? "FailEntry" : "EchoEntry");
        }
    });
    RunThreads(kThreads, [&](int) {
        for (int call = 0; call < kCalls; ++call) {
            const Reply reply = Send(request);
            const bool echoed = reply.code == S_OK && reply.text == request;
            const bool refused = reply.code == E_ACCESSDENIED && reply.text == "<refused/>";
            wrong += echoed || refused ? 0 : 1;
        }
    });
    callersDone = true;
    registrar.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ActionManagerTest, ConcurrentFirstCallsLoadTheModuleOnce) {
    constexpr int kCalls = 50;
    ASSERT_EQ(Register("test", "count", kModule, "CountEntry"), S_OK);
    std::latch start(kThreads);
    std::vector<std::vector<int>> counts(kThreads);

    RunThreads(kThreads, [&](int index) {
        start.arrive_and_wait();
        for (int call = 0; call < kCalls; ++call) {
            counts[static_cast<std::size_t>(index)].push_back(
                std::stoi(Send(Request("test", "count")).text));
        }
    });

    // One module instance served every call: its counter handed out each number exactly once.
    std::vector<int> all;
    for (const auto& some : counts) {
        all.insert(all.end(), some.begin(), some.end());
    }
    std::sort(all.begin(), all.end());
    std::vector<int> expected(kThreads * kCalls);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(all, expected);
    // TearDown checks that the one unload balanced every load.
}

// A sink that must never be written to once it has been replaced.
struct RetiringSink {
    static void Write(const char*, void* context) {
        auto* sink = static_cast<RetiringSink*>(context);
        sink->entered += 1;
        // Slow on purpose, so that writes are in flight whenever the sink is replaced.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        sink->late += sink->retired.load() ? 1 : 0;
    }
    std::atomic<bool> retired{false};
    std::atomic<int> entered{0};
    std::atomic<int> late{0};
};

TEST_F(ActionManagerTest, AReplacedOutputIsNeverCalledAfterTheReplacementReturns) {
    constexpr int kSwaps = 40;
    std::atomic<bool> swapping{true};
    std::atomic<int> late{0};

    std::thread swapper([&] {
        for (int swap = 0; swap < kSwaps; ++swap) {
            auto sink = std::make_unique<RetiringSink>();
            ActionManagerSetOutput(&RetiringSink::Write, sink.get());
            // Replaced only once writes reach it (bounded: the loggers may be done already).
            for (int spin = 0; sink->entered.load() == 0 && spin < 100000; ++spin) {
                std::this_thread::yield();
            }
            ActionManagerSetOutput(&Lines::Write, &output);
            sink->retired = true;
            late += sink->late.load();
            // Destroyed here: any later write through it would be a use after free.
        }
        swapping = false;
    });
    RunThreads(kThreads, [&](int) {
        const std::string request = Request("host", "log");
        for (int call = 0; swapping.load() && call < 5000; ++call) {
            Send(request);
        }
    });
    swapper.join();
    EXPECT_EQ(late.load(), 0);
}

TEST_F(ActionManagerTest, ShutdownWhileOtherThreadsRunActionsNeverBreaksARunningCall) {
    constexpr int kCalls = 100;
    constexpr int kShutdowns = 20;
    ASSERT_EQ(Register("test", "echo", kModule, "EchoEntry"), S_OK);
    std::atomic<int> wrong{0};
    std::atomic<bool> callersDone{false};

    std::thread stopper([&] {
        for (int round = 0; round < kShutdowns && !callersDone.load(); ++round) {
            ActionManagerShutdown();
            Register("test", "echo", kModule, "EchoEntry");
            std::this_thread::yield();
        }
    });
    RunThreads(kThreads, [&](int) {
        const std::string request = Request("test", "echo");
        for (int call = 0; call < kCalls; ++call) {
            const Reply reply = Send(request);
            const bool echoed = reply.code == S_OK && reply.text == request;
            const bool forgotten = reply.code == DISP_E_MEMBERNOTFOUND && reply.text == kFalse;
            wrong += echoed || forgotten ? 0 : 1;
        }
    });
    callersDone = true;
    stopper.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ActionManagerTest, ConcurrentNestedActionsFinish) {
    constexpr int kCalls = 100;
    ASSERT_EQ(Register("test", "nested", kModule, "NestedEntry"), S_OK);
    std::atomic<int> failed{0};
    RunThreads(kThreads, [&](int) {
        for (int call = 0; call < kCalls; ++call) {
            failed += Send(Request("test", "nested")).code == S_OK ? 0 : 1;
        }
    });
    EXPECT_EQ(failed.load(), 0);
}

}  // namespace
}  // namespace actionmanager_test
