// The loop guard: a sink that fires again makes a chain; a chain goes 16 firings deep at most and
// runs at most its budget of firings in all, on the caller's thread and on the delivery thread
// alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>

#include "library_scope.h"
#include "recording_sink.h"

namespace {

enum class Delivery { CallersThread, OwnThread };

class LoopGuard : public testing::TestWithParam<Delivery> {
  protected:
    void SetUp() override { manager_ = NewManager(GetParam()); }

    static ComPtr<ITriggerManager> NewManager(Delivery delivery) {
        DeliveryThreadSetting thread(delivery == Delivery::OwnThread);
        return ::NewManager();
    }
    void TearDown() override { EXPECT_EQ(TriggerManagerWaitIdle(10000), S_OK); }

    // Waits for the chain to run out when it runs on the delivery thread.
    void Settle() { ASSERT_EQ(TriggerManagerWaitIdle(10000), S_OK); }

    // A sink that fires `next(data)` from inside every event, keeping the replies it got.
    ComPtr<RecordingSink> Echo(std::function<std::string(const std::string&)> next) {
        ComPtr<RecordingSink> sink = RecordingSink::Create();
        ITriggerManager* manager = manager_.get();
        sink->SetAction([this, manager, next](const SinkCall& call) {
            const std::string reply = Fire(manager, next(call.data)).text;
            std::lock_guard<std::mutex> guard(lock_);
            innerReplies_.push_back(reply);
        });
        Advise(manager, sink->unknown());
        return sink;
    }

    std::vector<std::string> InnerReplies() {
        std::lock_guard<std::mutex> guard(lock_);
        return innerReplies_;
    }

    ComPtr<ITriggerManager> manager_;
    std::mutex lock_;
    std::vector<std::string> innerReplies_;
};

TEST_P(LoopGuard, ASinkFiringTheSameDataStopsAfterSixteenFirings) {
    ASSERT_EQ(AddTrigger(manager_.get(), "ping", "/ping").value, 1);
    ComPtr<RecordingSink> sink = Echo([](const std::string& data) { return data; });
    const LONG refusedBefore = TriggerManagerRefusedFirings();

    const FireReply first = Fire(manager_.get(), "<ping/>");
    Settle();

    EXPECT_EQ(ReplyIds(first.text), std::vector<std::string>{"ping"});
    EXPECT_EQ(sink->CallCount(), 16u);  // one event per firing the chain ran
    EXPECT_EQ(TriggerManagerRefusedFirings(), refusedBefore + 1);
    const std::vector<std::string> inner = InnerReplies();
    ASSERT_EQ(inner.size(), 16u);
    EXPECT_EQ(std::count(inner.begin(), inner.end(),
                         "<FireResult matched=\"1\"><Trigger id=\"ping\"/></FireResult>"),
              15);
    EXPECT_EQ(std::count(inner.begin(), inner.end(),
                         "<FireResult refused=\"loop\" depth=\"17\" matched=\"0\"/>"),
              1);
}

TEST_P(LoopGuard, TwoTriggersFiringEachOtherAreOneChain) {
    ASSERT_EQ(AddTrigger(manager_.get(), "ping", "/ping").value, 1);
    ASSERT_EQ(AddTrigger(manager_.get(), "pong", "/pong").value, 1);
    ComPtr<RecordingSink> sink = Echo([](const std::string& data) {
        return data == "<ping/>" ? std::string("<pong/>") : std::string("<ping/>");
    });
    const LONG refusedBefore = TriggerManagerRefusedFirings();
    Fire(manager_.get(), "<ping/>");
    Settle();
    const std::vector<std::string> ids = sink->Ids();
    ASSERT_EQ(ids.size(), 16u);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(ids[i], i % 2 == 0 ? "ping" : "pong");
    }
    EXPECT_EQ(TriggerManagerRefusedFirings(), refusedBefore + 1);
}

TEST_P(LoopGuard, EveryFiringFromOutsideStartsAFreshChain) {
    ASSERT_EQ(AddTrigger(manager_.get(), "ping", "/ping").value, 1);
    ComPtr<RecordingSink> sink = Echo([](const std::string& data) { return data; });
    const LONG refusedBefore = TriggerManagerRefusedFirings();
    for (int chain = 0; chain < 3; ++chain) {
        EXPECT_EQ(ReplyIds(Fire(manager_.get(), "<ping/>").text), std::vector<std::string>{"ping"});
        Settle();
    }
    EXPECT_EQ(sink->CallCount(), 48u);
    EXPECT_EQ(TriggerManagerRefusedFirings(), refusedBefore + 3);
}

TEST_P(LoopGuard, AChainThatEndsByItselfIsNotCounted) {
    ASSERT_EQ(AddTrigger(manager_.get(), "step", "/step[. < 5]").value, 1);
    ComPtr<RecordingSink> sink = Echo([](const std::string& data) {
        const int n = std::stoi(data.substr(6));
        return "<step>" + std::to_string(n + 1) + "</step>";
    });
    const LONG refusedBefore = TriggerManagerRefusedFirings();
    Fire(manager_.get(), "<step>0</step>");
    Settle();
    EXPECT_EQ(sink->CallCount(), 5u);
    EXPECT_EQ(TriggerManagerRefusedFirings(), refusedBefore);
}

struct BudgetCase {
    const char* name;
    int triggers;  // each with the empty condition, each event firing <x/> again
    LONG budget;
    LONG ran;  // firings of the chain that ran: the budget, unless depth stops the chain first
};

const BudgetCase kBudgetCases[] = {
    {"OneTriggerStopsAtDepthWithinTheDefault", 1, 256, 16},
    {"OneTriggerStopsAtASmallerBudget", 1, 5, 5},
    {"TwoTriggersFanOut", 2, 40, 40},
    {"ThreeTriggersFanOut", 3, 40, 40},
};

class ChainBudget : public LoopGuard {
  protected:
    void SetUp() override {}
};

// Every firing that ran raises one event per trigger, whose sink fires once more; of those inner
// firings all but the ones that ran are refused, for depth or for the budget.
TEST_P(ChainBudget, EachChainRunsItsBudgetAndRefusesTheRest) {
    for (const BudgetCase& row : kBudgetCases) {
        SCOPED_TRACE(row.name);
        {
            ChainBudgetSetting budget(row.budget);
            manager_ = NewManager(GetParam());
        }
        for (int i = 0; i < row.triggers; ++i) {
            ASSERT_EQ(AddTrigger(manager_.get(), std::string("t") += std::to_string(i), "").value,
                      1);
        }
        ComPtr<RecordingSink> sink = Echo([](const std::string&) { return "<x/>"; });
        const LONG refusedBefore = TriggerManagerRefusedFirings();
        const LONG overBudgetBefore = TriggerManagerRefusedOverBudget();

        const FireReply first = Fire(manager_.get(), "<x/>");
        Settle();

        const LONG events = row.ran * row.triggers;
        EXPECT_EQ(ReplyIds(first.text).size(), static_cast<std::size_t>(row.triggers));
        EXPECT_EQ(sink->CallCount(), static_cast<std::size_t>(events));
        EXPECT_EQ(TriggerManagerRefusedFirings() - refusedBefore, events - (row.ran - 1));
        const std::vector<std::string> inner = InnerReplies();
        const std::string overBudgetReply = "<FireResult refused=\"budget\" budget=\"" +
                                            std::to_string(row.budget) + "\" matched=\"0\"/>";
        const auto overBudget = std::count(inner.begin(), inner.end(), overBudgetReply);
        EXPECT_EQ(TriggerManagerRefusedOverBudget() - overBudgetBefore, overBudget);
        EXPECT_EQ(overBudget > 0, row.ran == row.budget);

        manager_.reset();
        std::lock_guard<std::mutex> guard(lock_);
        innerReplies_.clear();
    }
}

TEST(ChainBudgetSetting, AChainMustAllowItsFirstFiring) {
    EXPECT_EQ(TriggerManagerSetChainBudget(0), E_INVALIDARG);
    EXPECT_EQ(TriggerManagerSetChainBudget(-3), E_INVALIDARG);
    EXPECT_EQ(TriggerManagerSetChainBudget(1), S_OK);
    EXPECT_EQ(TriggerManagerSetChainBudget(256), S_OK);
}

std::string PathName(const testing::TestParamInfo<Delivery>& named) {
    return named.param == Delivery::CallersThread ? "CallersThread" : "OwnThread";
}

INSTANTIATE_TEST_SUITE_P(BothPaths, ChainBudget,
                         testing::Values(Delivery::CallersThread, Delivery::OwnThread), PathName);

INSTANTIATE_TEST_SUITE_P(BothPaths, LoopGuard,
                         testing::Values(Delivery::CallersThread, Delivery::OwnThread), PathName);

}  // namespace
