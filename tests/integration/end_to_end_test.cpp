// The plug-in with the real trigger manager, action manager and configuration documents; events
// delivered on the thread that fires.
#include "host_fixture.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

class EndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin_.loaded()) << TB_PLUGIN_PATH;
        ActionManagerSetOutput(&OutputLog::Write, &log_);
        ASSERT_EQ(plugin_.RegisterActions(), S_OK);
    }
    void TearDown() override {
        plugin_.StopHandler();
        ActionManagerSetOutput(nullptr, nullptr);
    }

    LoadedPlugin plugin_;
    OutputLog log_;
};

TEST_F(EndToEnd, AFiredTriggerRunsItsActionMergedWithTheTriggerData) {
    const Reply registered =
        Send(Register("door", "/TriggerData/door[@state='open']",
                      "<Action type=\"host\" name=\"log\"><Say>hi</Say></Action>"));
    EXPECT_EQ(registered.code, S_OK);
    EXPECT_EQ(registered.text, kTrue);

    const Reply closed = Send(Fire("<door state=\"closed\"/>"));
    EXPECT_EQ(closed.code, S_OK);
    EXPECT_THAT(log_.Lines(), IsEmpty());

    const Reply opened = Send(Fire("<door state=\"open\"/>"));
    EXPECT_EQ(opened.code, S_OK);
    EXPECT_THAT(opened.text, HasSubstr("door"));
    EXPECT_THAT(log_.Lines(),
                ElementsAre("<Action type=\"host\" name=\"log\"><Say>hi</Say><TriggerData><door "
                            "state=\"open\"/></TriggerData></Action>"));
}

TEST_F(EndToEnd, UnregisteringByPatternSilencesTheWholeFamily) {
    for (const char* id : {"room.a", "room.b", "ROOM.c", "hall"}) {
        ASSERT_EQ(Send(Register(id, "", kLog)).text, kTrue);
    }
    EXPECT_EQ(Send(Command("unregisteraction", "room.*")).text, kTrue);
    Send(Fire("<ping/>"));
    // Only "hall" is left; an empty condition matches every firing.
    EXPECT_EQ(log_.Lines().size(), 1u);
}

TEST_F(EndToEnd, SuspendedManagerFiresNothingUntilResumed) {
    ASSERT_EQ(Send(Register("t", "", kLog)).text, kTrue);
    EXPECT_EQ(Send(Command("suspend")).text, kTrue);
    Send(Fire("<ping/>"));
    EXPECT_THAT(log_.Lines(), IsEmpty());
    EXPECT_EQ(Send(Command("resume")).text, kTrue);
    Send(Fire("<ping/>"));
    EXPECT_EQ(log_.Lines().size(), 1u);
}

TEST_F(EndToEnd, DeleteDatabaseForgetsTheManagersTriggers) {
    ASSERT_EQ(Send(Register("t", "", kLog)).text, kTrue);
    EXPECT_EQ(Send(Command("deletedb")).text, kTrue);
    Send(Fire("<ping/>"));
    EXPECT_THAT(log_.Lines(), IsEmpty());
}

TEST_F(EndToEnd, StopHandlerRemovesEveryTriggerAndRegisteringAgainWorks) {
    ASSERT_EQ(Send(Register("b", "", kLog)).text, kTrue);
    ASSERT_EQ(Send(Register("a", "", kLog)).text, kTrue);
    EXPECT_EQ(plugin_.RegisterActions(), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(plugin_.StopHandler(), S_OK);
    EXPECT_EQ(plugin_.StopHandler(), E_FAIL);

    // Without a manager a request fails cleanly.
    EXPECT_EQ(Send(Fire("<ping/>")).text, kFalse);

    ASSERT_EQ(plugin_.RegisterActions(), S_OK);
    Send(Fire("<ping/>"));
    EXPECT_THAT(log_.Lines(), IsEmpty());
}

TEST_F(EndToEnd, AnActionMayUnregisterItsOwnTrigger) {
    const std::string selfRemoving =
        "<Action type=\"trigger\" name=\"unregisteraction\" id=\"once\"/>";
    ASSERT_EQ(Send(Register("once", "", selfRemoving)).text, kTrue);
    ASSERT_EQ(Send(Register("watch", "", kLog)).text, kTrue);
    Send(Fire("<ping/>"));
    Send(Fire("<ping/>"));
    // "watch" logs both firings; "once" ran once and removed itself without deadlock.
    EXPECT_EQ(log_.Lines().size(), 2u);
}

TEST_F(EndToEnd, ChainedFiringsAreStoppedByTheLoopGuard) {
    const LONG refusedBefore = TriggerManagerRefusedFirings();
    ASSERT_EQ(Send(Register("ping", "/TriggerData/ping",
                            "<Action type=\"trigger\" name=\"fire\"><TriggerData><pong/>"
                            "</TriggerData></Action>"))
                  .text,
              kTrue);
    ASSERT_EQ(Send(Register("pong", "/TriggerData/pong",
                            "<Action type=\"trigger\" name=\"fire\"><TriggerData><ping/>"
                            "</TriggerData></Action>"))
                  .text,
              kTrue);
    const Reply reply = Send(Fire("<ping/>"));
    EXPECT_EQ(reply.code, S_OK);
    EXPECT_GT(TriggerManagerRefusedFirings(), refusedBefore);
}

TEST_F(EndToEnd, RejectedRequestsChangeNothing) {
    for (const std::string& request :
         {std::string("<Request type=\"Trigger\" name=\"registeraction\" id=\"x\"/>"),
          std::string("<Request type=\"trigger\" name=\"RegisterAction\" id=\"x\"/>"),
          std::string("<Request type=\"trigger\" name=\"registeraction\" id=\"x\">"),
          std::string("<!DOCTYPE R [<!ENTITY e \"x\">]><R type=\"trigger\" "
                      "name=\"registeraction\" id=\"&e;\"/>")}) {
        const Reply reply = Send(request);
        EXPECT_EQ(reply.text, kFalse) << request;
    }
    Send(Fire("<ping/>"));
    EXPECT_THAT(log_.Lines(), IsEmpty());
}

TEST_F(EndToEnd, NonAsciiIdsAndActionsTravelUnchanged) {
    const std::string action =
        "<Action type=\"host\" name=\"log\"><Msg>Tür geöffnet ✓</Msg></Action>";
    ASSERT_EQ(Send(Register("tür.vorne", "", action)).text, kTrue);
    Send(Fire("<tür/>"));
    ASSERT_EQ(log_.Lines().size(), 1u);
    EXPECT_THAT(log_.Lines()[0], HasSubstr("Tür geöffnet ✓"));
    EXPECT_THAT(log_.Lines()[0], HasSubstr("<tür/>"));
    EXPECT_EQ(Send(Command("unregisteraction", "t?r.*")).text, kTrue);
    Send(Fire("<tür/>"));
    EXPECT_EQ(log_.Lines().size(), 1u);
}

}  // namespace
