// Connect and Disconnect: the bridge's life with the trigger manager, through every way the
// manager, its factory and its connection point can refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/trigger_bridge.h"
#include "companions/com_error.h"
#include "fakes/module_fixture.h"
#include "fakes/trigger_manager_factory.h"

namespace {

using fakes::FakeTriggerManager;
using fakes::Fault;
using fakes::ManagerCall;
using fakes::OutPointer;
using fakes::TriggerManagerFactory;

ULONG RefCountOf(IUnknown& object) {
    object.AddRef();
    return object.Release();
}

IUnknown& IdentityOf(TriggerBridge& bridge) {
    return static_cast<IDispatch&>(bridge);
}

class ConnectionTest : public fakes::ModuleFixture {
  protected:
    ComPtr<FakeTriggerManager> NextManager() {
        ComPtr<FakeTriggerManager> manager = FakeTriggerManager::Create();
        TriggerManagerFactory::Enqueue(manager);
        return manager;
    }
};

TEST_F(ConnectionTest, ConnectAdvisesTheSinkOnTheTriggerEvents) {
    ComPtr<FakeTriggerManager> manager = NextManager();
    TriggerBridge bridge;
    ASSERT_TRUE(bridge.Connect());
    EXPECT_TRUE(bridge.isConnected());
    EXPECT_EQ(bridge.triggerManager(), static_cast<ITriggerManager*>(manager.get()));
    EXPECT_TRUE(manager->HasSink());
    EXPECT_EQ(manager->FirstArguments(ManagerCall::FindConnectionPoint),
              (std::vector<std::string>{"ITriggerEvents"}));
    EXPECT_EQ(bridge.adviseCookie(), manager->Cookie());
    // One reference for the bridge, one for this test.
    EXPECT_EQ(manager->RefCount(), 2u);
}

TEST_F(ConnectionTest, SecondConnectIsRefusedWithoutCallingTheFactory) {
    TriggerBridge bridge;
    ASSERT_TRUE(bridge.Connect());
    EXPECT_FALSE(bridge.Connect());
    EXPECT_EQ(TriggerManagerFactory::Calls(), 1);
    EXPECT_TRUE(bridge.isConnected());
}

TEST_F(ConnectionTest, FailingFactoryIsCalledAgainByTheNextConnect) {
    TriggerManagerFactory::EnqueueFailure(E_OUTOFMEMORY);
    TriggerBridge bridge;
    EXPECT_FALSE(bridge.Connect());
    EXPECT_EQ(bridge.triggerManager(), nullptr);
    EXPECT_TRUE(bridge.Connect());
    EXPECT_EQ(TriggerManagerFactory::Calls(), 2);
}

TEST_F(ConnectionTest, PointerWrittenByAFailingFactoryIsReleased) {
    ComPtr<FakeTriggerManager> written = FakeTriggerManager::Create();
    TriggerManagerFactory::EnqueueFailure(E_FAIL, written);
    TriggerBridge bridge;
    EXPECT_FALSE(bridge.Connect());
    EXPECT_EQ(bridge.triggerManager(), nullptr);
    EXPECT_EQ(written->RefCount(), 1u);
    EXPECT_EQ(written->CountOf(ManagerCall::QueryContainer), 0);
}

// Every way the connection point can fail to take the sink. The manager stays held, nothing is
// advised, and no reference is left behind.
struct AdviseFailure {
    const char* name;
    ManagerCall call;
    Fault fault;
};

const AdviseFailure kAdviseFailures[] = {
    {"NoContainer", ManagerCall::QueryContainer, {E_NOINTERFACE, OutPointer::Usual}},
    {"ContainerQueryFails", ManagerCall::QueryContainer, {E_UNEXPECTED, OutPointer::Usual}},
    {"NullContainerWithSuccess", ManagerCall::QueryContainer, {S_OK, OutPointer::Null}},
    {"ContainerWrittenDespiteFailure",
     ManagerCall::QueryContainer,
     {E_FAIL, OutPointer::WrittenAnyway}},
    {"NoConnectionPoint",
     ManagerCall::FindConnectionPoint,
     {CONNECT_E_NOCONNECTION, OutPointer::Usual}},
    {"NullPointWithSuccess", ManagerCall::FindConnectionPoint, {S_OK, OutPointer::Null}},
    {"PointWrittenDespiteFailure",
     ManagerCall::FindConnectionPoint,
     {E_FAIL, OutPointer::WrittenAnyway}},
    {"AdviseRefused", ManagerCall::Advise, {CONNECT_E_ADVISELIMIT, OutPointer::Usual}},
    {"AdviseFails", ManagerCall::Advise, {E_OUTOFMEMORY, OutPointer::Usual}},
};

class AdviseFailureTest : public ConnectionTest,
                          public ::testing::WithParamInterface<AdviseFailure> {};

TEST_P(AdviseFailureTest, ConnectFailsAndKeepsTheManagerUntilTheNextConnect) {
    ComPtr<FakeTriggerManager> refusing = NextManager();
    refusing->Program(GetParam().call, GetParam().fault);
    ComPtr<FakeTriggerManager> next = NextManager();
    TriggerBridge bridge;

    EXPECT_FALSE(bridge.Connect());
    EXPECT_FALSE(bridge.isConnected());
    EXPECT_EQ(bridge.adviseSource(), nullptr);
    EXPECT_FALSE(refusing->HasSink());
    EXPECT_EQ(bridge.triggerManager(), static_cast<ITriggerManager*>(refusing.get()));
    EXPECT_EQ(refusing->RefCount(), 2u) << "container or connection point not released";
    EXPECT_EQ(RefCountOf(IdentityOf(bridge)), 1u);
    EXPECT_FALSE(bridge.Disconnect());

    // The next attempt takes a new manager and lets the refusing one go.
    EXPECT_TRUE(bridge.Connect());
    EXPECT_EQ(refusing->RefCount(), 1u);
    EXPECT_EQ(bridge.triggerManager(), static_cast<ITriggerManager*>(next.get()));
    EXPECT_TRUE(next->HasSink());
}

INSTANTIATE_TEST_SUITE_P(Failures, AdviseFailureTest, ::testing::ValuesIn(kAdviseFailures),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(ConnectionTest, DisconnectBeforeConnectCallsNothing) {
    TriggerBridge bridge;
    EXPECT_FALSE(bridge.Disconnect());
    EXPECT_EQ(TriggerManagerFactory::Calls(), 0);
}

TEST_F(ConnectionTest, DisconnectRemovesEveryTriggerInIdOrderThenReleases) {
    ComPtr<FakeTriggerManager> manager = NextManager();
    TriggerBridge bridge;
    ASSERT_TRUE(bridge.Connect());
    for (const char* id : {"b", "a", "ab", "B"}) {
        ASSERT_NE(bridge.RegisterTrigger(id, "", "<Action/>"), 0);
    }
    const DWORD cookie = manager->Cookie();
    manager->ClearCalls();

    EXPECT_TRUE(bridge.Disconnect());
    const std::vector<fakes::FakeTriggerManager::Call> calls = manager->Calls();
    ASSERT_FALSE(calls.empty());
    // Unadvised first, so no event arrives while the triggers go.
    EXPECT_EQ(manager->FirstArguments(ManagerCall::Unadvise),
              (std::vector<std::string>{std::to_string(cookie)}));
    EXPECT_EQ(manager->CommandLog(),
              (std::vector<std::string>{"RemoveTrigger(B)", "RemoveTrigger(a)", "RemoveTrigger(ab)",
                                        "RemoveTrigger(b)"}));
    EXPECT_EQ(manager->RefCount(), 1u);
    EXPECT_EQ(bridge.triggerManager(), nullptr);
    EXPECT_FALSE(bridge.isConnected());
    EXPECT_EQ(bridge.actionTable().Size(), 0u);
    EXPECT_EQ(RefCountOf(IdentityOf(bridge)), 1u);
    EXPECT_FALSE(bridge.Disconnect());
}

// Unadvising can fail at each of its three calls; the triggers still go, the manager is still
// released, and the next Connect still works.
struct UnadviseFailure {
    const char* name;
    ManagerCall call;
    HRESULT code;
};

const UnadviseFailure kUnadviseFailures[] = {
    {"ContainerQuery", ManagerCall::QueryContainer, E_UNEXPECTED},
    {"FindConnectionPoint", ManagerCall::FindConnectionPoint, CONNECT_E_NOCONNECTION},
    {"Unadvise", ManagerCall::Unadvise, CONNECT_E_NOCONNECTION},
};

class UnadviseFailureTest : public ConnectionTest,
                            public ::testing::WithParamInterface<UnadviseFailure> {};

TEST_P(UnadviseFailureTest, DisconnectStillCompletesAndConnectWorksAgain) {
    ComPtr<FakeTriggerManager> first = NextManager();
    TriggerBridge bridge;
    ASSERT_TRUE(bridge.Connect());
    ASSERT_NE(bridge.RegisterTrigger("t1", "", "<Action/>"), 0);
    first->Fail(GetParam().call, GetParam().code);

    EXPECT_TRUE(bridge.Disconnect());
    EXPECT_EQ(first->FirstArguments(ManagerCall::RemoveTrigger), (std::vector<std::string>{"t1"}));
    EXPECT_EQ(bridge.triggerManager(), nullptr);
    EXPECT_EQ(bridge.adviseSource(), nullptr);

    ComPtr<FakeTriggerManager> second = NextManager();
    EXPECT_TRUE(bridge.Connect());
    EXPECT_TRUE(second->HasSink());
    ASSERT_TRUE(bridge.Disconnect());
    // The failed unadvise left the first manager holding the sink; dropping it lets the sink go.
    first.reset();
    EXPECT_EQ(RefCountOf(IdentityOf(bridge)), 1u);
}

INSTANTIATE_TEST_SUITE_P(Failures, UnadviseFailureTest, ::testing::ValuesIn(kUnadviseFailures),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(ConnectionTest, FailingRemoveTriggerEndsDisconnectStillConnected) {
    constexpr HRESULT kRefused = MakeHresult(0x80040005u);
    ComPtr<FakeTriggerManager> manager = NextManager();
    TriggerBridge bridge;
    ASSERT_TRUE(bridge.Connect());
    ASSERT_NE(bridge.RegisterTrigger("a", "", "<A/>"), 0);
    ASSERT_NE(bridge.RegisterTrigger("b", "", "<B/>"), 0);
    manager->Fail(ManagerCall::RemoveTrigger, kRefused);

    try {
        bridge.Disconnect();
        ADD_FAILURE() << "Disconnect did not raise the manager's failure";
    } catch (const ComError& error) {
        EXPECT_EQ(error.code(), kRefused);
        EXPECT_EQ(error.iid(), IID_ITriggerManager);
    }
    EXPECT_TRUE(bridge.isConnected());
    EXPECT_EQ(bridge.triggerManager(), static_cast<ITriggerManager*>(manager.get()));
    EXPECT_EQ(bridge.actionTable().Ids(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(manager->FirstArguments(ManagerCall::RemoveTrigger), (std::vector<std::string>{"a"}));

    manager->ClearFaults();
    EXPECT_TRUE(bridge.Disconnect());
    EXPECT_EQ(bridge.actionTable().Size(), 0u);
}

TEST_F(ConnectionTest, DestroyingAConnectedBridgeUnadvisesAndRemovesItsTriggers) {
    ComPtr<FakeTriggerManager> manager = NextManager();
    {
        TriggerBridge bridge;
        ASSERT_TRUE(bridge.Connect());
        ASSERT_NE(bridge.RegisterTrigger("t2", "", "<A/>"), 0);
        ASSERT_NE(bridge.RegisterTrigger("t1", "", "<A/>"), 0);
    }
    EXPECT_FALSE(manager->HasSink());
    EXPECT_EQ(manager->FirstArguments(ManagerCall::RemoveTrigger),
              (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(manager->RefCount(), 1u);
}

TEST_F(ConnectionTest, DestroyingABridgeWhoseManagerRefusesRemovalRaisesNothing) {
    ComPtr<FakeTriggerManager> manager = NextManager();
    {
        TriggerBridge bridge;
        ASSERT_TRUE(bridge.Connect());
        ASSERT_NE(bridge.RegisterTrigger("t1", "", "<A/>"), 0);
        manager->Fail(ManagerCall::RemoveTrigger, E_FAIL);
    }
    EXPECT_EQ(manager->RefCount(), 1u);
}

}  // namespace
