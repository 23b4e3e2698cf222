// The bridge as a COM object: identity, reference count, and the dispatch methods it lacks.
#include <gtest/gtest.h>

#include <string>

#include "bridge/trigger_bridge.h"
#include "fakes/module_fixture.h"
#include "fakes/trigger_manager_factory.h"

namespace {

// The count an object has now: one more reference, then that one dropped.
ULONG RefCountOf(IUnknown& object) {
    object.AddRef();
    return object.Release();
}

struct InterfaceCase {
    const char* name;
    IID iid;
    bool advised;
    HRESULT expected;
};

const InterfaceCase kInterfaceCases[] = {
    {"IUnknown", IID_IUnknown, false, S_OK},
    {"IDispatch", IID_IDispatch, false, S_OK},
    {"IUnknownWhileAdvised", IID_IUnknown, true, S_OK},
    {"IDispatchWhileAdvised", IID_IDispatch, true, S_OK},
    {"EventsWhileAdvised", IID_ITriggerEvents, true, S_OK},
    {"EventsBeforeAnyAdvise", IID_ITriggerEvents, false, E_NOINTERFACE},
    {"NullIidBeforeAnyAdvise", IID_NULL, false, E_NOINTERFACE},
    {"NullIidWhileAdvised", IID_NULL, true, E_NOINTERFACE},
    {"TriggerManager", IID_ITriggerManager, true, E_NOINTERFACE},
    {"ConnectionPoint", IID_IConnectionPoint, true, E_NOINTERFACE},
    {"ConnectionPointContainer", IID_IConnectionPointContainer, true, E_NOINTERFACE},
    {"ErrorInfo", IID_ISupportErrorInfo, false, E_NOINTERFACE},
};

class QueryInterfaceTest : public fakes::ModuleFixture,
                           public ::testing::WithParamInterface<InterfaceCase> {};

TEST_P(QueryInterfaceTest, AnswersWithItsOnePointerOrNothing) {
    TriggerBridge bridge;
    if (GetParam().advised) {
        ASSERT_TRUE(bridge.Connect());
    }
    IUnknown& identity = static_cast<IDispatch&>(bridge);
    const ULONG before = RefCountOf(identity);
    void* answer = &bridge;  // anything but null: a refusal must clear it

    EXPECT_EQ(bridge.QueryInterface(GetParam().iid, &answer), GetParam().expected);
    if (GetParam().expected == S_OK) {
        EXPECT_EQ(answer, static_cast<void*>(static_cast<IDispatch*>(&bridge)));
        EXPECT_EQ(RefCountOf(identity), before + 1);
        static_cast<IUnknown*>(answer)->Release();
    } else {
        EXPECT_EQ(answer, nullptr);
        EXPECT_EQ(RefCountOf(identity), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Interfaces, QueryInterfaceTest, ::testing::ValuesIn(kInterfaceCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

class DispatchObjectTest : public fakes::ModuleFixture {};

TEST_F(DispatchObjectTest, NullOutPointerIsRefused) {
    TriggerBridge bridge;
    EXPECT_EQ(bridge.QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(RefCountOf(static_cast<IDispatch&>(bridge)), 1u);
}

TEST_F(DispatchObjectTest, StartsWithTheModulesOwnReference) {
    TriggerBridge bridge;
    EXPECT_EQ(bridge.AddRef(), 2u);
    EXPECT_EQ(bridge.Release(), 1u);
}

TEST_F(DispatchObjectTest, LastReleaseDestroysAHeapBridge) {
    auto* bridge = new TriggerBridge;
    EXPECT_EQ(bridge->AddRef(), 2u);
    EXPECT_EQ(bridge->Release(), 1u);
    EXPECT_EQ(bridge->Release(), 0u);  // freed here; the address sanitizer sees a leak otherwise
}

TEST_F(DispatchObjectTest, HasNoTypeInformationAndWritesNoOutParameter) {
    TriggerBridge bridge;
    UINT count = 77;
    EXPECT_EQ(bridge.GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(count, 77u);

    auto* const untouched = reinterpret_cast<ITypeInfo*>(&count);
    ITypeInfo* info = untouched;
    EXPECT_EQ(bridge.GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), E_NOTIMPL);
    EXPECT_EQ(info, untouched);

    OLECHAR name[] = OLESTR("TriggerFired");
    LPOLESTR names[] = {name};
    DISPID id = 1234;
    EXPECT_EQ(bridge.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), E_NOTIMPL);
    EXPECT_EQ(id, 1234);
}

TEST_F(DispatchObjectTest, AdvisedSinkIsHeldByTheManagerUntilDisconnect) {
    TriggerBridge bridge;
    IUnknown& identity = static_cast<IDispatch&>(bridge);
    ASSERT_TRUE(bridge.Connect());
    EXPECT_EQ(RefCountOf(identity), 2u);
    ASSERT_TRUE(bridge.Disconnect());
    EXPECT_EQ(RefCountOf(identity), 1u);
}

}  // namespace
