// Events: who receives them, with what, on which thread, and what a sink may do from inside one.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "library_scope.h"
#include "recording_sink.h"

namespace {

// Opens once, for ever after.
class Gate {
  public:
    void Open() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            open_ = true;
        }
        opened_.notify_all();
    }
    // Bounded, so a fault fails the test instead of hanging it.
    bool Wait() {
        std::unique_lock<std::mutex> guard(lock_);
        return opened_.wait_for(guard, std::chrono::seconds(10), [&] { return open_; });
    }

  private:
    std::mutex lock_;
    std::condition_variable opened_;
    bool open_ = false;
};

const std::string kOpenDoor = "<TriggerData><door state=\"open\"/></TriggerData>";

class Events : public testing::Test {
  protected:
    void SetUp() override {
        manager_ = NewManager();
        ASSERT_EQ(AddTrigger(manager_.get(), "door", "/TriggerData/door").value, 1);
        ASSERT_EQ(AddTrigger(manager_.get(), "any", "").value, 1);
        ASSERT_EQ(AddTrigger(manager_.get(), "window", "/TriggerData/window").value, 1);
    }

    ComPtr<ITriggerManager> manager_;
};

TEST_F(Events, EverySinkGetsEveryMatchInIdOrderBeforeFireReturns) {
    ComPtr<RecordingSink> first = RecordingSink::Create();
    ComPtr<RecordingSink> second = RecordingSink::Create(RecordingSink::Answers::DispatchOnly);
    Advise(manager_.get(), first->unknown());
    Advise(manager_.get(), second->unknown());
    ASSERT_EQ(Fire(manager_.get(), kOpenDoor).code, S_OK);
    for (RecordingSink* sink : {first.get(), second.get()}) {
        const std::vector<SinkCall> calls = sink->Calls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].id, "any");
        EXPECT_EQ(calls[1].id, "door");
        for (const SinkCall& call : calls) {
            EXPECT_EQ(call.data, kOpenDoor);
            EXPECT_EQ(call.thread, std::this_thread::get_id());
        }
        EXPECT_TRUE(sink->Faults().empty()) << sink->Faults()[0];
    }
}

TEST_F(Events, NoneWithoutAMatchOrWhileSuspended) {
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    Advise(manager_.get(), sink->unknown());
    ASSERT_EQ(RemoveTrigger(manager_.get(), "any").value, 1);
    Fire(manager_.get(), "<TriggerData><cat/></TriggerData>");
    Fire(manager_.get(), "<unparsable");
    manager_->Suspend();
    Fire(manager_.get(), kOpenDoor);
    EXPECT_EQ(sink->CallCount(), 0u);
}

TEST_F(Events, AnUnadvisedSinkHearsNoMoreAndIsReleased) {
    ComPtr<RecordingSink> staying = RecordingSink::Create();
    ComPtr<RecordingSink> leaving = RecordingSink::Create();
    Advise(manager_.get(), staying->unknown());
    const DWORD cookie = Advise(manager_.get(), leaving->unknown());
    Fire(manager_.get(), kOpenDoor);
    ASSERT_EQ(Unadvise(manager_.get(), cookie), S_OK);
    EXPECT_EQ(leaving->ForeignReferences(), 0u);
    Fire(manager_.get(), kOpenDoor);
    EXPECT_EQ(leaving->CallCount(), 2u);
    EXPECT_EQ(staying->CallCount(), 4u);
}

TEST_F(Events, DestroyingTheManagerReleasesItsSinks) {
    ComPtr<RecordingSink> first = RecordingSink::Create();
    ComPtr<RecordingSink> second = RecordingSink::Create();
    Advise(manager_.get(), first->unknown());
    Advise(manager_.get(), second->unknown());
    Fire(manager_.get(), kOpenDoor);
    manager_.reset();
    EXPECT_EQ(first->ForeignReferences(), 0u);
    EXPECT_EQ(second->ForeignReferences(), 0u);
}

// --- calls back into the manager from inside an event ------------------------------------------

TEST_F(Events, ASinkMayChangeTriggersAndFireFromInsideAnEvent) {
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    ITriggerManager* manager = manager_.get();
    std::string innerReply;
    sink->SetAction([&](const SinkCall& call) {
        if (call.id == "any" && call.data == kOpenDoor) {
            EXPECT_EQ(AddTrigger(manager, "added", "/TriggerData/cat").value, 1);
            EXPECT_EQ(RemoveTrigger(manager, "win*").value, 1);
            innerReply = Fire(manager, "<TriggerData><cat/></TriggerData>").text;
        }
    });
    Advise(manager, sink->unknown());
    const FireReply outer = Fire(manager, kOpenDoor);
    EXPECT_EQ(ReplyIds(outer.text), (std::vector<std::string>{"any", "door"}));
    EXPECT_EQ(ReplyIds(innerReply), (std::vector<std::string>{"added", "any"}));
    // The outer firing goes on with what it matched; the inner one was delivered in between.
    EXPECT_EQ(sink->Ids(), (std::vector<std::string>{"any", "added", "any", "door"}));
}

TEST_F(Events, ASinkMayUnadviseItselfAndAdviseAnother) {
    ComPtr<RecordingSink> first = RecordingSink::Create();
    ComPtr<RecordingSink> second = RecordingSink::Create();
    ITriggerManager* manager = manager_.get();
    DWORD firstCookie = 0;
    first->SetAction([&](const SinkCall&) {
        if (firstCookie != 0) {
            EXPECT_EQ(Unadvise(manager, firstCookie), S_OK);
            firstCookie = 0;
            EXPECT_NE(Advise(manager, second->unknown()), 0u);
        }
    });
    firstCookie = Advise(manager, first->unknown());
    Fire(manager, kOpenDoor);
    EXPECT_EQ(first->CallCount(), 1u);  // not called for "door" once it had left
    EXPECT_EQ(first->ForeignReferences(), 0u);
    Fire(manager, kOpenDoor);
    EXPECT_EQ(second->CallCount(), 2u);
}

TEST_F(Events, ASinkMayReleaseTheLastReferenceToTheManager) {
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    Advise(manager_.get(), sink->unknown());
    ComPtr<ITriggerManager> held = std::move(manager_);
    sink->SetAction([&](const SinkCall&) { held.reset(); });
    ITriggerManager* manager = held.get();
    const FireReply reply = Fire(manager, kOpenDoor);  // the manager goes when Fire ends
    EXPECT_EQ(reply.code, S_OK);
    EXPECT_EQ(ReplyIds(reply.text).size(), 2u);
    EXPECT_EQ(sink->ForeignReferences(), 0u);
}

// --- the delivery thread ---------------------------------------------------------------------

TEST(DeliveryThread, DeliversInFiringOrderOnItsOwnThread) {
    DeliveryThreadSetting threaded(true);
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "n", "/TriggerData/n").value, 1);
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    Advise(manager.get(), sink->unknown());
    for (int i = 0; i < 20; ++i) {
        const std::string data = "<TriggerData><n>" + std::to_string(i) + "</n></TriggerData>";
        EXPECT_EQ(ReplyIds(Fire(manager.get(), data).text), std::vector<std::string>{"n"});
    }
    ASSERT_EQ(TriggerManagerWaitIdle(10000), S_OK);
    const std::vector<SinkCall> calls = sink->Calls();
    ASSERT_EQ(calls.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(calls[static_cast<std::size_t>(i)].data,
                  "<TriggerData><n>" + std::to_string(i) + "</n></TriggerData>");
        EXPECT_NE(calls[static_cast<std::size_t>(i)].thread, std::this_thread::get_id());
        EXPECT_EQ(calls[static_cast<std::size_t>(i)].thread, calls[0].thread);
    }
    EXPECT_TRUE(sink->Faults().empty());
}

TEST(DeliveryThread, SinksRunInTheMultithreadedApartment) {
    DeliveryThreadSetting threaded(true);
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "n", "/TriggerData/n").value, 1);
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    // A thread that has joined the multithreaded apartment answers S_FALSE to joining it again,
    // and RPC_E_CHANGED_MODE to a single-threaded one.
    HRESULT again = E_FAIL;
    HRESULT otherModel = E_FAIL;
    sink->SetAction([&](const SinkCall&) {
        again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(again)) {
            CoUninitialize();
        }
        otherModel = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    });
    Advise(manager.get(), sink->unknown());
    Fire(manager.get(), "<TriggerData><n/></TriggerData>");
    ASSERT_EQ(TriggerManagerWaitIdle(10000), S_OK);
    ASSERT_EQ(sink->CallCount(), 1u);
    EXPECT_EQ(again, S_FALSE);
    EXPECT_EQ(otherModel, RPC_E_CHANGED_MODE);
}

TEST(DeliveryThread, FireRepliesWithoutWaitingForTheSinks) {
    DeliveryThreadSetting threaded(true);
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "any", "").value, 1);
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    Gate gate;
    sink->SetAction([&](const SinkCall&) { gate.Wait(); });
    Advise(manager.get(), sink->unknown());
    EXPECT_EQ(ReplyIds(Fire(manager.get(), "<x/>").text), std::vector<std::string>{"any"});
    // The sink is held up, so the queue is not empty yet.
    EXPECT_EQ(TriggerManagerWaitIdle(20), S_FALSE);
    gate.Open();
    EXPECT_EQ(TriggerManagerWaitIdle(10000), S_OK);
    EXPECT_EQ(sink->CallCount(), 1u);
}

TEST(DeliveryThread, ReleasedFromItsOwnThreadItDropsWhatIsQueued) {
    DeliveryThreadSetting threaded(true);
    ComPtr<ITriggerManager> held = NewManager();
    ASSERT_EQ(AddTrigger(held.get(), "any", "").value, 1);
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    Gate queued;
    sink->SetAction([&](const SinkCall&) {
        queued.Wait();
        held.reset();  // the last reference: the manager ends on its own delivery thread
    });
    Advise(held.get(), sink->unknown());
    ITriggerManager* manager = held.get();
    for (int i = 0; i < 4; ++i) {
        Fire(manager, "<x/>");
    }
    queued.Open();
    ASSERT_EQ(TriggerManagerWaitIdle(10000), S_OK);
    // The three firings still queued were dropped with the manager; nothing reached the sink.
    EXPECT_EQ(sink->CallCount(), 1u);
    EXPECT_EQ(sink->ForeignReferences(), 0u);
}

TEST(DeliveryThread, ReleasedElsewhereItFinishesTheEventInHandFirst) {
    DeliveryThreadSetting threaded(true);
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "any", "").value, 1);
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    Gate entered;
    std::atomic<bool> finished{false};
    sink->SetAction([&](const SinkCall&) {
        entered.Open();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        finished = true;
    });
    Advise(manager.get(), sink->unknown());
    Fire(manager.get(), "<x/>");
    ASSERT_TRUE(entered.Wait());
    manager.reset();  // joins the delivery thread
    EXPECT_TRUE(finished);
    EXPECT_EQ(sink->ForeignReferences(), 0u);
    EXPECT_EQ(TriggerManagerWaitIdle(10000), S_OK);
}

}  // namespace
