// RegisterActions and StopHandler: the module's start and stop, against a recording trigger
// manager factory and a recording action manager.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "boundary/exports.h"
#include "bridge/trigger_bridge.h"
#include "companions/utf.h"
#include "fakes/fake_action_manager.h"
#include "fakes/module_fixture.h"
#include "fakes/trigger_manager_factory.h"

namespace {

using fakes::ActionManagerFake;
using fakes::FakeTriggerManager;
using fakes::ManagerCall;
using fakes::TriggerManagerFactory;

constexpr HRESULT kNotConnected = MakeHresult(0x80070003u);

class RegisterActionsTest : public fakes::ModuleFixture {};

TEST_F(RegisterActionsTest, AnnouncesTheSixActionsInOrderWithThisModulesPath) {
    ASSERT_EQ(RegisterActions(), S_OK);

    const std::vector<fakes::AddedAction> added = ActionManagerFake::Added();
    const std::vector<std::string> expectedNames = {
        "registeraction", "unregisteraction", "deletedb", "fire", "suspend", "resume"};
    ASSERT_EQ(added.size(), expectedNames.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
        SCOPED_TRACE(expectedNames[i]);
        EXPECT_EQ(added[i].category, "trigger");
        EXPECT_EQ(added[i].name, expectedNames[i]);
        EXPECT_EQ(added[i].entry, "RunAction");
        EXPECT_EQ(added[i].flags, 1);
        EXPECT_EQ(added[i].modulePath, added[0].modulePath);
    }
    // Linked statically into this test, the module's file is this program.
    const std::filesystem::path path(ToUtf16(added[0].modulePath));
    EXPECT_TRUE(path.is_absolute()) << path;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    WCHAR program[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    EXPECT_TRUE(std::filesystem::equivalent(path, std::filesystem::path(program))) << path;
}

// Start and stop sequences: each step, its result, and the AddAction calls made so far.
enum class Step {
    Register,
    Stop,
    FailNextFactory,
    FailNextFactoryWritingManager,
    RefuseNextAdvise
};

struct Expected {
    Step step;
    HRESULT result = S_OK;
    std::size_t addedSoFar = 0;
};

struct Sequence {
    const char* name;
    std::vector<Expected> steps;
    int factoryCalls;
};

const Sequence kSequences[] = {
    {"RegisterOnce", {{Step::Register, S_OK, 6}}, 1},
    {"SecondRegisterIsRefused", {{Step::Register, S_OK, 6}, {Step::Register, kNotConnected, 6}}, 1},
    {"RegisterStopRegister",
     {{Step::Register, S_OK, 6}, {Step::Stop, S_OK, 6}, {Step::Register, S_OK, 12}},
     2},
    {"StopWithoutRegister", {{Step::Stop, E_FAIL, 0}}, 0},
    {"SecondStopIsRefused",
     {{Step::Register, S_OK, 6}, {Step::Stop, S_OK, 6}, {Step::Stop, E_FAIL, 6}},
     1},
    {"FailingFactoryThenRetry",
     {{Step::FailNextFactory}, {Step::Register, kNotConnected, 0}, {Step::Register, S_OK, 6}},
     2},
    {"FactoryFailingWithAPointerThenRetry",
     {{Step::FailNextFactoryWritingManager},
      {Step::Register, kNotConnected, 0},
      {Step::Register, S_OK, 6}},
     2},
    {"RefusedAdviseThenRetry",
     {{Step::RefuseNextAdvise},
      {Step::Register, kNotConnected, 0},
      {Step::Stop, E_FAIL, 0},
      {Step::Register, S_OK, 6}},
     2},
};

class StartStopTest : public fakes::ModuleFixture,
                      public ::testing::WithParamInterface<Sequence> {};

TEST_P(StartStopTest, GivesTheResultsAndRegistrationsOfEachStep) {
    for (const Expected& expected : GetParam().steps) {
        switch (expected.step) {
            case Step::Register:
                EXPECT_EQ(RegisterActions(), expected.result);
                break;
            case Step::Stop:
                EXPECT_EQ(StopHandler(), expected.result);
                break;
            case Step::FailNextFactory:
                TriggerManagerFactory::EnqueueFailure(E_OUTOFMEMORY);
                continue;
            case Step::FailNextFactoryWritingManager:
                TriggerManagerFactory::EnqueueFailure(E_FAIL, FakeTriggerManager::Create());
                continue;
            case Step::RefuseNextAdvise: {
                ComPtr<FakeTriggerManager> refusing = FakeTriggerManager::Create();
                refusing->Fail(ManagerCall::Advise, CONNECT_E_ADVISELIMIT);
                TriggerManagerFactory::Enqueue(refusing);
                continue;
            }
        }
        EXPECT_EQ(ActionManagerFake::Added().size(), expected.addedSoFar);
    }
    EXPECT_EQ(TriggerManagerFactory::Calls(), GetParam().factoryCalls);
}

INSTANTIATE_TEST_SUITE_P(Sequences, StartStopTest, ::testing::ValuesIn(kSequences),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(RegisterActionsTest, RefusedAnnouncementsStillSucceed) {
    ActionManagerFake::SetAddActionResult(E_FAIL);
    EXPECT_EQ(RegisterActions(), S_OK);
    EXPECT_EQ(ActionManagerFake::Added().size(), 6u);
}

TEST_F(RegisterActionsTest, FactoryFailureWithAPointerLeavesNoReference) {
    ComPtr<FakeTriggerManager> written = FakeTriggerManager::Create();
    TriggerManagerFactory::EnqueueFailure(E_FAIL, written);
    EXPECT_EQ(RegisterActions(), kNotConnected);
    EXPECT_EQ(written->RefCount(), 1u);
    EXPECT_EQ(TriggerBridge::Instance().triggerManager(), nullptr);
}

TEST_F(RegisterActionsTest, StopHandlerRemovesEveryTriggerAndReleasesTheManager) {
    ComPtr<FakeTriggerManager> manager = FakeTriggerManager::Create();
    TriggerManagerFactory::Enqueue(manager);
    ASSERT_EQ(RegisterActions(), S_OK);
    TriggerBridge& bridge = TriggerBridge::Instance();
    ASSERT_NE(bridge.RegisterTrigger("t2", "", "<A/>"), 0);
    ASSERT_NE(bridge.RegisterTrigger("t1", "", "<B/>"), 0);

    EXPECT_EQ(StopHandler(), S_OK);
    EXPECT_EQ(manager->FirstArguments(ManagerCall::RemoveTrigger),
              (std::vector<std::string>{"t1", "t2"}));
    EXPECT_FALSE(manager->HasSink());
    EXPECT_EQ(manager->RefCount(), 1u);
    EXPECT_EQ(bridge.actionTable().Size(), 0u);
}

TEST_F(RegisterActionsTest, FailingRemoveTriggerGivesItsCodeAndKeepsTheConnection) {
    constexpr HRESULT kRefused = MakeHresult(0x80040005u);
    ComPtr<FakeTriggerManager> manager = FakeTriggerManager::Create();
    TriggerManagerFactory::Enqueue(manager);
    ASSERT_EQ(RegisterActions(), S_OK);
    TriggerBridge& bridge = TriggerBridge::Instance();
    ASSERT_NE(bridge.RegisterTrigger("t1", "", "<A/>"), 0);
    manager->Fail(ManagerCall::RemoveTrigger, kRefused);

    EXPECT_EQ(StopHandler(), kRefused);
    EXPECT_TRUE(bridge.isConnected());
    EXPECT_EQ(bridge.actionTable().Size(), 1u);

    manager->ClearFaults();
    EXPECT_EQ(StopHandler(), S_OK);
    EXPECT_FALSE(bridge.isConnected());
    EXPECT_EQ(manager->RefCount(), 1u);
}

}  // namespace
