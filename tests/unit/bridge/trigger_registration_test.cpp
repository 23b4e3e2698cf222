// RegisterTrigger and UnregisterTrigger: the manager is asked first, the table written second, and
// patterns erase what they match while the manager gets the pattern itself.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bridge/trigger_bridge.h"
#include "companions/com_error.h"
#include "fakes/module_fixture.h"
#include "fakes/trigger_manager_factory.h"

namespace {

using fakes::FakeTriggerManager;
using fakes::ManagerCall;
using fakes::TriggerManagerFactory;

constexpr HRESULT kManagerError = MakeHresult(0x80040001u);

std::map<std::string, std::string> Entries(TriggerBridge& bridge) {
    std::map<std::string, std::string> entries;
    for (const std::string& id : bridge.actionTable().Ids()) {
        entries[id] = bridge.actionTable().CopyAction(id);
    }
    return entries;
}

class TriggerRegistrationTest : public fakes::ModuleFixture {
  protected:
    void SetUp() override {
        ModuleFixture::SetUp();
        manager_ = FakeTriggerManager::Create();
        TriggerManagerFactory::Enqueue(manager_);
        ASSERT_TRUE(bridge_.Connect());
        manager_->ClearCalls();
    }
    void TearDown() override {
        bridge_.Disconnect();
        manager_.reset();
        ModuleFixture::TearDown();
    }

    ComPtr<FakeTriggerManager> manager_;
    TriggerBridge bridge_;
};

TEST_F(TriggerRegistrationTest, AcceptedTriggerIsStoredWithTheManagersFlag) {
    manager_->SetAddTriggerFlag(5);
    EXPECT_EQ(bridge_.RegisterTrigger("t1", "/Data[@v>1]", "<Action n=\"1\"/>"), 5);
    EXPECT_EQ(manager_->CommandLog(), (std::vector<std::string>{"AddTrigger(t1, /Data[@v>1])"}));
    EXPECT_EQ(Entries(bridge_), (std::map<std::string, std::string>{{"t1", "<Action n=\"1\"/>"}}));
}

TEST_F(TriggerRegistrationTest, SecondRegistrationReplacesTheAction) {
    EXPECT_NE(bridge_.RegisterTrigger("t1", "c1", "<First/>"), 0);
    EXPECT_NE(bridge_.RegisterTrigger("t1", "c2", "<Second/>"), 0);
    EXPECT_EQ(manager_->CountOf(ManagerCall::AddTrigger), 2);
    EXPECT_EQ(Entries(bridge_), (std::map<std::string, std::string>{{"t1", "<Second/>"}}));
}

struct Refusal {
    const char* name;
    LONG flag;
    HRESULT code;
};

const Refusal kRefusals[] = {
    {"FlagZero", 0, S_OK},
    {"FailureCode", 1, kManagerError},
    {"OutOfMemory", 1, E_OUTOFMEMORY},
};

class RefusedRegistrationTest : public TriggerRegistrationTest,
                                public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedRegistrationTest, KeepsTheEarlierEntryAndGivesZero) {
    ASSERT_NE(bridge_.RegisterTrigger("t1", "", "<Earlier/>"), 0);
    manager_->SetAddTriggerFlag(GetParam().flag);
    manager_->Fail(ManagerCall::AddTrigger, GetParam().code);

    EXPECT_EQ(bridge_.RegisterTrigger("t1", "", "<Later/>"), 0);
    EXPECT_EQ(bridge_.RegisterTrigger("t2", "", "<New/>"), 0);
    EXPECT_EQ(Entries(bridge_), (std::map<std::string, std::string>{{"t1", "<Earlier/>"}}));
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusedRegistrationTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(TriggerRegistrationTest, EmptyActionIsStored) {
    EXPECT_NE(bridge_.RegisterTrigger("t1", "", ""), 0);
    EXPECT_EQ(Entries(bridge_), (std::map<std::string, std::string>{{"t1", ""}}));
}

struct Unregistration {
    const char* name;
    std::vector<std::string> registered;
    std::string id;
    std::vector<std::string> remaining;
};

const Unregistration kUnregistrations[] = {
    {"ExactId", {"abc", "abd"}, "abc", {"abd"}},
    {"ExactIsCaseSensitive", {"ABC"}, "abc", {"ABC"}},
    {"IdWithNoEntry", {"a"}, "zz", {"a"}},
    {"PatternFoldsAsciiCase", {"abc", "ABD", "xab"}, "AB*", {"xab"}},
    {"StarEmptiesTheTable", {"a", "b", "c"}, "*", {}},
    {"QuestionMarkIsOneCharacter", {"abc", "aXc", "ac", "abbc"}, "a?c", {"abbc", "ac"}},
    {"PatternMatchingNothing", {"abc"}, "x*", {"abc"}},
    {"MultibyteCharacterIsOneCharacter",
     {"t\xC3\xA9"
      "1",
      "t\xE2\x82\xAC"
      "1",
      "tx1", "txy1"},
     "t?1",
     {"txy1"}},
};

class UnregistrationTest : public TriggerRegistrationTest,
                           public ::testing::WithParamInterface<Unregistration> {};

TEST_P(UnregistrationTest, ErasesWhatMatchesAndAsksTheManagerOnceWithTheIdAsGiven) {
    for (const std::string& id : GetParam().registered) {
        ASSERT_NE(bridge_.RegisterTrigger(id, "", "<Action/>"), 0);
    }
    manager_->ClearCalls();

    EXPECT_EQ(bridge_.UnregisterTrigger(GetParam().id), 1);
    EXPECT_EQ(bridge_.actionTable().Ids(), GetParam().remaining);
    EXPECT_EQ(manager_->CommandLog(),
              (std::vector<std::string>{"RemoveTrigger(" + GetParam().id + ")"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, UnregistrationTest, ::testing::ValuesIn(kUnregistrations),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(TriggerRegistrationTest, FailingRemoveTriggerRaisesAndTheErasureStays) {
    ASSERT_NE(bridge_.RegisterTrigger("t1", "", "<A/>"), 0);
    ASSERT_NE(bridge_.RegisterTrigger("t2", "", "<B/>"), 0);
    manager_->Fail(ManagerCall::RemoveTrigger, kManagerError);
    try {
        bridge_.UnregisterTrigger("t*");
        ADD_FAILURE() << "UnregisterTrigger did not raise the manager's failure";
    } catch (const ComError& error) {
        EXPECT_EQ(error.code(), kManagerError);
    }
    EXPECT_EQ(bridge_.actionTable().Size(), 0u);
    manager_->ClearFaults();
}

TEST_F(TriggerRegistrationTest, LookupOfAnUnknownIdAddsNoEntry) {
    ASSERT_NE(bridge_.RegisterTrigger("known", "", "<A/>"), 0);
    EXPECT_EQ(bridge_.actionTable().CopyAction("unknown"), "");
    EXPECT_EQ(bridge_.actionTable().Ids(), (std::vector<std::string>{"known"}));
}

class WithoutManagerTest : public fakes::ModuleFixture {};

TEST_F(WithoutManagerTest, EveryOperationGivesZeroAndCallsNothing) {
    TriggerBridge bridge;
    EXPECT_EQ(bridge.RegisterTrigger("t1", "", "<A/>"), 0);
    EXPECT_EQ(bridge.UnregisterTrigger("t1"), 0);
    EXPECT_EQ(bridge.DeleteTriggerDatabase(), 0);
    EXPECT_EQ(bridge.SuspendTriggers(), 0);
    EXPECT_EQ(bridge.ResumeTriggers(), 0);
    EXPECT_EQ(bridge.actionTable().Size(), 0u);
    EXPECT_EQ(TriggerManagerFactory::Calls(), 0);
}

TEST_F(WithoutManagerTest, ManagerKeptAfterARefusedAdviseIsStillUsed) {
    ComPtr<FakeTriggerManager> manager = FakeTriggerManager::Create();
    manager->Fail(ManagerCall::Advise, CONNECT_E_ADVISELIMIT);
    TriggerManagerFactory::Enqueue(manager);
    TriggerBridge bridge;
    ASSERT_FALSE(bridge.Connect());

    EXPECT_NE(bridge.RegisterTrigger("t1", "", "<A/>"), 0);
    EXPECT_EQ(bridge.SuspendTriggers(), 1);
    EXPECT_EQ(manager->CommandLog(), (std::vector<std::string>{"AddTrigger(t1, )", "Suspend()"}));
    // Not connected, so Disconnect leaves the manager and the table alone.
    EXPECT_FALSE(bridge.Disconnect());
    EXPECT_EQ(bridge.actionTable().Size(), 1u);
}

}  // namespace
