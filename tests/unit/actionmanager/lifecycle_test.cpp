// Module lifetime (loaded once, kept until shutdown, never unloaded under a running entry),
// shutdown, and the observer's view of every action.
#include <gmock/gmock.h>

#include "action_manager_support.h"

namespace actionmanager_test {
namespace {

using testing::ElementsAre;

TEST_F(ActionManagerTest, AModuleIsLoadedOnFirstUseAndKeptAcrossCalls) {
    ASSERT_EQ(Register("test", "count", kModule, "CountEntry"), S_OK);
    EXPECT_FALSE(ModuleIsLoaded());
    for (int call = 1; call <= 25; ++call) {
        ASSERT_EQ(Send(Request("test", "count")).text, std::to_string(call));
    }
    EXPECT_TRUE(ModuleIsLoaded());
}

TEST_F(ActionManagerTest, EveryEntryOfOneModuleSharesOneLoad) {
    ASSERT_EQ(Register("test", "count", kModule, "CountEntry"), S_OK);
    ASSERT_EQ(Register("test", "echo", kModule, "EchoEntry"), S_OK);
    ASSERT_EQ(Register("other", "count", kModule, "CountEntry"), S_OK);
    EXPECT_EQ(Send(Request("test", "count")).text, "1");
    EXPECT_EQ(Send(Request("test", "echo")).code, S_OK);
    EXPECT_EQ(Send(Request("other", "count")).text, "2");
}

TEST_F(ActionManagerTest, ShutdownForgetsRegistrationsAndUnloadsModules) {
    ASSERT_EQ(Register("test", "count", kModule, "CountEntry"), S_OK);
    ASSERT_EQ(Send(Request("test", "count")).text, "1");
    ASSERT_EQ(Send(Request("test", "count")).text, "2");

    EXPECT_EQ(ActionManagerShutdown(), S_OK);
    EXPECT_FALSE(ModuleIsLoaded());
    EXPECT_EQ(Send(Request("test", "count")).code, DISP_E_MEMBERNOTFOUND);
    // The built-in actions outlive a shutdown.
    EXPECT_EQ(Send(Request("host", "log")).text, kTrue);

    // A new registration loads the module afresh: its count starts over.
    ASSERT_EQ(Register("test", "count", kModule, "CountEntry"), S_OK);
    EXPECT_EQ(Send(Request("test", "count")).text, "1");
}

TEST_F(ActionManagerTest, ShutdownFromARunningEntryUnloadsItsModuleOnlyAfterItReturns) {
    ASSERT_EQ(Register("test", "stop", kModule, "ShutdownEntry"), S_OK);
    const Reply reply = Send(Request("test", "stop"));
    EXPECT_EQ(reply.code, S_OK);
    EXPECT_EQ(reply.text, "still here");
    EXPECT_FALSE(ModuleIsLoaded());
    EXPECT_EQ(Send(Request("test", "stop")).code, DISP_E_MEMBERNOTFOUND);
}

TEST_F(ActionManagerTest, AFailedLoadIsRetriedOnceTheRegistrationIsMended) {
    ASSERT_EQ(Register("test", "act", "/nonexistent/libnothing.so", "EchoEntry"), S_OK);
    ASSERT_EQ(Send(Request("test", "act")).code, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    ASSERT_EQ(Register("test", "act", kModule, "EchoEntry"), S_OK);
    EXPECT_EQ(Send(Request("test", "act")).code, S_OK);
}

class ObservedActions : public ActionManagerTest {
  protected:
    void SetUp() override {
        ActionManagerTest::SetUp();
        ActionManagerSetObserver(&Observations::Observe, &observations);
    }
    Observations observations;
};

TEST_F(ObservedActions, EveryCallIsReportedWithItsRequestResultAndCode) {
    ASSERT_EQ(Register("test", "fail", kModule, "FailEntry"), S_OK);
    Send(Request("host", "log"));
    Send(Request("test", "fail"));
    Send("<broken");
    Send(Request("test", "unknown"));

    EXPECT_THAT(observations.Get(),
                ElementsAre(Observed{Request("host", "log"), kTrue, S_OK},
                            Observed{Request("test", "fail"), "<refused/>", E_ACCESSDENIED},
                            Observed{"<broken", kFalse, E_INVALIDARG},
                            Observed{Request("test", "unknown"), kFalse, DISP_E_MEMBERNOTFOUND}));
}

TEST_F(ObservedActions, ANestedActionIsReportedBeforeTheActionThatRanIt) {
    ASSERT_EQ(Register("test", "nested", kModule, "NestedEntry"), S_OK);
    const Reply reply = Send(Request("test", "nested"));
    ASSERT_EQ(reply.code, S_OK);

    const std::string inner = "<Action type=\"host\" name=\"echo\">inner</Action>";
    EXPECT_THAT(observations.Get(),
                ElementsAre(Observed{inner, reply.text, S_OK},
                            Observed{Request("test", "nested"), reply.text, S_OK}));
}

TEST_F(ObservedActions, ADiscardedResultIsStillReported) {
    Bstr request = ToBstr(Request("host", "echo"));
    ASSERT_EQ(DoAction(request.get(), nullptr), S_OK);
    ASSERT_EQ(observations.Get().size(), 1u);
    EXPECT_THAT(observations.Get()[0].result, testing::HasSubstr("echo"));
}

}  // namespace
}  // namespace actionmanager_test
