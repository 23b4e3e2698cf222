// The plug-in with the real host services, events delivered on the trigger manager's own thread
// while requests arrive on others.
#include <atomic>

#include "host_fixture.h"

namespace {

using testing::HasSubstr;

class DeliveryThreadEnvironment : public testing::Environment {
  public:
    void SetUp() override { TriggerManagerSetDeliveryThread(TRUE); }
};

const auto* const environment = testing::AddGlobalTestEnvironment(new DeliveryThreadEnvironment);

class DeliveryThread : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin_.loaded()) << TB_PLUGIN_PATH;
        ActionManagerSetOutput(&OutputLog::Write, &log_);
        ASSERT_EQ(plugin_.RegisterActions(), S_OK);
    }
    void TearDown() override {
        TriggerManagerWaitIdle(10000);
        plugin_.StopHandler();
        ActionManagerSetOutput(nullptr, nullptr);
    }

    LoadedPlugin plugin_;
    OutputLog log_;
};

TEST_F(DeliveryThread, EventsRunTheirActionsOnTheManagersThread) {
    ASSERT_EQ(Send(Register("door", "/TriggerData/door", kLog)).text, kTrue);
    EXPECT_EQ(Send(Fire("<door/>")).code, S_OK);
    ASSERT_TRUE(log_.WaitFor(1));
    EXPECT_THAT(log_.Lines()[0], HasSubstr("<TriggerData><door/></TriggerData>"));
}

TEST_F(DeliveryThread, TheLoopGuardStopsChainsOnTheDeliveryThreadToo) {
    const LONG refusedBefore = TriggerManagerRefusedFirings();
    ASSERT_EQ(Send(Register("ping", "/TriggerData/ping",
                            "<Action type=\"trigger\" name=\"fire\"><TriggerData><ping/>"
                            "</TriggerData></Action>"))
                  .text,
              kTrue);
    Send(Fire("<ping/>"));
    EXPECT_EQ(TriggerManagerWaitIdle(10000), S_OK);
    EXPECT_GT(TriggerManagerRefusedFirings(), refusedBefore);
}

TEST_F(DeliveryThread, FiringFromTwoThreadsWhileRegisteringAndUnregistering) {
    ASSERT_EQ(Send(Register("steady", "/TriggerData/tick", kLog)).text, kTrue);
    std::atomic<bool> stop{false};
    std::atomic<int> fired{0};
    auto firer = [&] {
        for (int i = 0; i < 100; ++i) {
            if (Send(Fire("<tick/>")).code == S_OK) {
                ++fired;
            }
        }
    };
    std::thread first(firer);
    std::thread second(firer);
    std::thread churn([&] {
        for (int i = 0; i < 100 && !stop; ++i) {
            const std::string id = "churn." + std::to_string(i % 7);
            Send(
                Register(id, "/TriggerData/tick",
                         "<Action type=\"trigger\" name=\"unregisteraction\" id=\"" + id + "\"/>"));
            Send(Command("unregisteraction", i % 3 == 0 ? "churn.*" : id));
        }
    });
    first.join();
    second.join();
    stop = true;
    churn.join();
    EXPECT_EQ(fired.load(), 200);
    ASSERT_EQ(TriggerManagerWaitIdle(20000), S_OK);
    // "steady" was registered throughout: every firing logged it exactly once.
    EXPECT_EQ(log_.Lines().size(), 200u);
}

}  // namespace
