// Several threads at once: firing while sinks come and go and triggers change, on both delivery
// paths. Every loop is bounded by a count, every wait by a time limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "library_scope.h"
#include "recording_sink.h"

namespace {

enum class Delivery { CallersThread, OwnThread };

std::string PathName(const testing::TestParamInfo<Delivery>& info) {
    return info.param == Delivery::CallersThread ? "CallersThread" : "OwnThread";
}

class Concurrency : public testing::TestWithParam<Delivery> {
  protected:
    void SetUp() override {
        DeliveryThreadSetting delivery(GetParam() == Delivery::OwnThread);
        manager_ = NewManager();
    }

    ComPtr<ITriggerManager> manager_;
};

TEST_P(Concurrency, FiringWhileSinksComeAndGoAndTriggersChange) {
    ITriggerManager* manager = manager_.get();
    ASSERT_EQ(AddTrigger(manager, "steady", "/tick").value, 1);
    ComPtr<RecordingSink> steady = RecordingSink::Create();
    Advise(manager, steady->unknown());

    std::atomic<int> fired{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 150; ++i) {
                const FireReply reply = Fire(manager, "<tick/>");
                if (reply.code == S_OK && !ReplyIds(reply.text).empty()) {
                    ++fired;
                }
            }
        });
    }
    std::vector<ComPtr<RecordingSink>> visitors;
    for (int i = 0; i < 40; ++i) {
        visitors.push_back(RecordingSink::Create());
    }
    threads.emplace_back([&] {
        for (const ComPtr<RecordingSink>& visitor : visitors) {
            const DWORD cookie = Advise(manager, visitor->unknown());
            std::this_thread::yield();
            EXPECT_EQ(Unadvise(manager, cookie), S_OK);
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < 150; ++i) {
            const std::string id = "churn." + std::to_string(i % 5);
            EXPECT_EQ(AddTrigger(manager, id, i % 2 == 0 ? "/tick" : "").value, 1);
            RemoveTrigger(manager, i % 3 == 0 ? "CHURN.*" : id);
        }
    });
    for (std::thread& thread : threads) {
        thread.join();
    }
    ASSERT_EQ(TriggerManagerWaitIdle(20000), S_OK);

    EXPECT_EQ(fired.load(), 450);
    // "steady" stood throughout: each firing reached the steady sink for it exactly once.
    const std::vector<std::string> ids = steady->Ids();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "steady"), 450);
    EXPECT_TRUE(steady->Faults().empty());
    for (const ComPtr<RecordingSink>& visitor : visitors) {
        EXPECT_EQ(visitor->ForeignReferences(), 0u);
        EXPECT_TRUE(visitor->Faults().empty());
    }
}

TEST_P(Concurrency, NoCallStartsAfterUnadviseReturns) {
    ITriggerManager* manager = manager_.get();
    ASSERT_EQ(AddTrigger(manager, "any", "").value, 1);
    std::atomic<bool> stop{false};
    std::thread firer([&] {
        for (int i = 0; i < 1000000 && !stop; ++i) {
            Fire(manager, "<x/>");
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int round = 0; round < 20; ++round) {
        ComPtr<RecordingSink> sink = RecordingSink::Create();
        const DWORD cookie = Advise(manager, sink->unknown());
        // Unadvise while events are flowing to this very sink.
        while (sink->CallCount() == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        ASSERT_EQ(Unadvise(manager, cookie), S_OK);
        const std::size_t atUnadvise = sink->CallCount();
        EXPECT_GT(atUnadvise, 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(sink->CallCount(), atUnadvise);
        EXPECT_EQ(sink->ForeignReferences(), 0u);
    }
    stop = true;
    firer.join();
    ASSERT_EQ(TriggerManagerWaitIdle(20000), S_OK);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Concurrency,
                         testing::Values(Delivery::CallersThread, Delivery::OwnThread), PathName);

TEST(DeliveryThreadUnderLoad, EveryEventArrivesOnceAndInOrderPerFiringThread) {
    ComPtr<ITriggerManager> manager;
    {
        DeliveryThreadSetting delivery(true);
        manager = NewManager();
    }
    ASSERT_EQ(AddTrigger(manager.get(), "n", "/n").value, 1);
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    Advise(manager.get(), sink->unknown());

    constexpr int kThreads = 4;
    constexpr int kFirings = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kFirings; ++i) {
                Fire(manager.get(),
                     "<n t=\"" + std::to_string(t) + "\" i=\"" + std::to_string(i) + "\"/>");
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ASSERT_EQ(TriggerManagerWaitIdle(30000), S_OK);

    const std::vector<SinkCall> calls = sink->Calls();
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(kThreads * kFirings));
    std::map<std::string, int> nextFrom;  // thread attribute -> next i expected
    for (const SinkCall& call : calls) {
        const std::size_t t = call.data.find("t=\"") + 3;
        const std::string thread = call.data.substr(t, call.data.find('"', t) - t);
        const std::size_t i = call.data.find("i=\"") + 3;
        const int index = std::stoi(call.data.substr(i));
        EXPECT_EQ(index, nextFrom[thread]) << call.data;
        nextFrom[thread] = index + 1;
    }
    EXPECT_TRUE(sink->Faults().empty());
}

TEST(ManyManagers, CreatedAndDestroyedOnSeveralThreadsWithDeliveryThreads) {
    DeliveryThreadSetting delivery(true);
    std::vector<std::thread> threads;
    std::atomic<int> delivered{0};
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                ComPtr<ITriggerManager> manager;
                ASSERT_EQ(CreateTriggerManager(manager.put()), S_OK);
                ComPtr<RecordingSink> sink = RecordingSink::Create();
                sink->SetAction([&](const SinkCall&) { ++delivered; });
                Advise(manager.get(), sink->unknown());
                AddTrigger(manager.get(), "any", "");
                Fire(manager.get(), "<x/>");
                // Released at once: the event is delivered or dropped, never delivered later.
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(TriggerManagerWaitIdle(10000), S_OK);
    EXPECT_LE(delivered.load(), 60);
    EXPECT_EQ(RecordingSink::Alive(), 0);
}

}  // namespace

namespace {

// Two managers, each delivering on its own thread, whose sinks fire into each other: one chain
// runs on both delivery threads at once and still takes exactly its budget of firings.
TEST(ChainAcrossThreads, TwoDeliveryThreadsShareOneBudget) {
    constexpr LONG kBudget = 200;
    ComPtr<ITriggerManager> first;
    ComPtr<ITriggerManager> second;
    {
        DeliveryThreadSetting delivery(true);
        ChainBudgetSetting budget(kBudget);
        first = NewManager();
        second = NewManager();
    }
    ComPtr<RecordingSink> firstSink = RecordingSink::Create();
    ComPtr<RecordingSink> secondSink = RecordingSink::Create();
    for (ITriggerManager* manager : {first.get(), second.get()}) {
        ASSERT_EQ(AddTrigger(manager, "a", "").value, 1);
        ASSERT_EQ(AddTrigger(manager, "b", "").value, 1);
    }
    firstSink->SetAction([target = second.get()](const SinkCall&) { Fire(target, "<x/>"); });
    secondSink->SetAction([target = first.get()](const SinkCall&) { Fire(target, "<x/>"); });
    Advise(first.get(), firstSink->unknown());
    Advise(second.get(), secondSink->unknown());
    const LONG refusedBefore = TriggerManagerRefusedFirings();

    Fire(first.get(), "<x/>");
    ASSERT_EQ(TriggerManagerWaitIdle(20000), S_OK);

    // Every firing that ran raised two events; every event fired once more.
    const std::size_t events = firstSink->CallCount() + secondSink->CallCount();
    EXPECT_EQ(events, 2u * kBudget);
    EXPECT_EQ(TriggerManagerRefusedFirings() - refusedBefore,
              static_cast<LONG>(events) - (kBudget - 1));
    EXPECT_NE(firstSink->Calls().front().thread, secondSink->Calls().front().thread);
}

}  // namespace
