// The manager's COM surface: identity, reference counts, the method table, error information,
// and the connection-point protocol.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "companions/bstr.h"
#include "companions/config_document.h"
#include "companions/utf.h"
#include "library_scope.h"
#include "recording_sink.h"

namespace {

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

IUnknown* Identity(IUnknown* object) {
    ComPtr<IUnknown> unknown;
    object->QueryInterface(IID_IUnknown, unknown.put_void());
    return unknown.get();
}

// {8C2B6A52-1D0E-4F4B-9E21-6A53D2C7A001}: an interface nobody implements.
constexpr IID kStranger = {
    0x8C2B6A52, 0x1D0E, 0x4F4B, {0x9E, 0x21, 0x6A, 0x53, 0xD2, 0xC7, 0xA0, 0x01}};

struct QueryCase {
    const char* name;
    const IID* iid;
    bool answered;
};

class ManagerQueries : public testing::TestWithParam<QueryCase> {};

TEST_P(ManagerQueries, AnswerTheirInterfacesWithOneIdentity) {
    ComPtr<ITriggerManager> manager = NewManager();
    const ULONG before = References(manager.get());
    void* object = reinterpret_cast<void*>(1);
    const HRESULT code = manager->QueryInterface(*GetParam().iid, &object);
    if (!GetParam().answered) {
        EXPECT_EQ(code, E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(References(manager.get()), before);
        return;
    }
    ASSERT_EQ(code, S_OK);
    ASSERT_NE(object, nullptr);
    auto* answered = static_cast<IUnknown*>(object);
    EXPECT_EQ(References(manager.get()), before + 1);
    EXPECT_EQ(Identity(answered), Identity(manager.get()));
    answered->Release();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ManagerQueries,
    testing::Values(QueryCase{"IUnknown", &IID_IUnknown, true},
                    QueryCase{"IDispatch", &IID_IDispatch, true},
                    QueryCase{"ITriggerManager", &IID_ITriggerManager, true},
                    QueryCase{"IConnectionPointContainer", &IID_IConnectionPointContainer, true},
                    QueryCase{"ISupportErrorInfo", &IID_ISupportErrorInfo, true},
                    QueryCase{"IConnectionPoint", &IID_IConnectionPoint, false},
                    QueryCase{"ITriggerEvents", &IID_ITriggerEvents, false},
                    QueryCase{"IConfigDocument", &IID_IConfigDocument, false},
                    QueryCase{"IErrorInfo", &IID_IErrorInfo, false},
                    QueryCase{"Stranger", &kStranger, false}),
    [](const testing::TestParamInfo<QueryCase>& named) { return std::string(named.param.name); });

TEST(Manager, QueryWithoutASlotIsRefused) {
    ComPtr<ITriggerManager> manager = NewManager();
    EXPECT_EQ(manager->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(CreateTriggerManager(nullptr), E_POINTER);
}

TEST(Manager, StartsWithTheOneReferenceItHandsOver) {
    ITriggerManager* manager = nullptr;
    ASSERT_EQ(CreateTriggerManager(&manager), S_OK);
    EXPECT_EQ(manager->AddRef(), 2u);
    EXPECT_EQ(manager->Release(), 1u);
    EXPECT_EQ(manager->Release(), 0u);
}

TEST(Manager, OffersNoTypeInformationAndNoLateBoundCalls) {
    ComPtr<ITriggerManager> manager = NewManager();
    UINT count = 7;
    EXPECT_EQ(manager->GetTypeInfoCount(&count), E_NOTIMPL);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(manager->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), E_NOTIMPL);
    EXPECT_EQ(info, nullptr);
    OLECHAR name[] = u"Fire";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(manager->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), E_NOTIMPL);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(manager->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                              nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

// A method reached through its slot number, as a caller built elsewhere reaches it.
template <class... Args>
HRESULT CallSlot(ITriggerManager* manager, std::size_t slot, Args... args) {
    using Method = HRESULT (*)(ITriggerManager*, Args...);
    void* const* table = *reinterpret_cast<void* const* const*>(manager);
    Method method = nullptr;
    std::memcpy(&method, &table[slot], sizeof method);
    return method(manager, args...);
}

TEST(Manager, KeepsItsMethodsInTheirSlots) {
    ComPtr<ITriggerManager> manager = NewManager();
    Bstr id = Bstr::Copy(u"slot");
    Bstr empty = Bstr::Copy(u"");
    LONG flag = 0;
    EXPECT_EQ(CallSlot(manager.get(), 8, id.get(), empty.get(), &flag), S_OK);  // AddTrigger
    EXPECT_EQ(flag, 1);
    Bstr data = Bstr::Copy(u"<x/>");
    Bstr reply;
    EXPECT_EQ(CallSlot(manager.get(), 7, data.get(), reply.put()), S_OK);  // Fire
    EXPECT_EQ(ReplyIds(ToUtf8(reply.view())), std::vector<std::string>{"slot"});
    EXPECT_EQ(CallSlot(manager.get(), 9, id.get(), &flag), S_OK);  // RemoveTrigger
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(CallSlot(manager.get(), 10, &flag), S_OK);  // DeleteDatabase
    EXPECT_EQ(CallSlot(manager.get(), 11), E_NOTIMPL);    // the unused slot
    EXPECT_EQ(CallSlot(manager.get(), 12), S_OK);         // Suspend
    EXPECT_EQ(CallSlot(manager.get(), 13), S_OK);         // Resume
}

TEST(Manager, SupportsErrorInformationForItsOwnInterface) {
    ComPtr<ITriggerManager> manager = NewManager();
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(manager->QueryInterface(IID_ISupportErrorInfo, support.put_void()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ITriggerManager), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(kStranger), S_FALSE);
}

struct FailingCall {
    const char* name;
    HRESULT expected;
    HRESULT (*call)(ITriggerManager*);
};

class FailingCalls : public testing::TestWithParam<FailingCall> {};

TEST_P(FailingCalls, SayWhyInTheErrorInformation) {
    ComPtr<ITriggerManager> manager = NewManager();
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(GetParam().call(manager.get()), GetParam().expected);
    EXPECT_FALSE(TakeErrorDescription().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailingCalls,
    testing::Values(
        FailingCall{"FireWithoutReplySlot", E_POINTER,
                    [](ITriggerManager* m) { return m->Fire(nullptr, nullptr); }},
        FailingCall{"AddWithoutFlagSlot", E_POINTER,
                    [](ITriggerManager* m) { return m->AddTrigger(nullptr, nullptr, nullptr); }},
        FailingCall{"AddWithEmptyId", E_INVALIDARG,
                    [](ITriggerManager* m) { return AddTrigger(m, "", "").code; }},
        FailingCall{"AddWithControlCharacterInId", E_INVALIDARG,
                    [](ITriggerManager* m) { return AddTrigger(m, "bell\a", "").code; }},
        FailingCall{"RemoveWithoutCountSlot", E_POINTER,
                    [](ITriggerManager* m) { return m->RemoveTrigger(nullptr, nullptr); }},
        FailingCall{"DeleteWithoutFlagSlot", E_POINTER,
                    [](ITriggerManager* m) { return m->DeleteDatabase(nullptr); }},
        FailingCall{"UnusedSlot", E_NOTIMPL, [](ITriggerManager* m) { return m->Reserved11(); }},
        FailingCall{"GetTypeInfoCount", E_NOTIMPL,
                    [](ITriggerManager* m) { return m->GetTypeInfoCount(nullptr); }}),
    [](const testing::TestParamInfo<FailingCall>& named) { return std::string(named.param.name); });

TEST(Manager, RefusesAnIdWithAnUnpairedSurrogate) {
    ComPtr<ITriggerManager> manager = NewManager();
    const OLECHAR text[] = {u'a', 0xD800, u'b'};
    Bstr id(SysAllocStringLen(text, 3));
    Bstr none;
    LONG added = -1;
    EXPECT_EQ(manager->AddTrigger(id.get(), none.get(), &added), E_INVALIDARG);
    EXPECT_EQ(added, 0);
}

// --- connection points -------------------------------------------------------------------------

TEST(ConnectionPoints, OnlyTheEventInterfaceHasOne) {
    ComPtr<ITriggerManager> manager = NewManager();
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(manager->QueryInterface(IID_IConnectionPointContainer, container.put_void()), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.put()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(point);
    EXPECT_EQ(container->FindConnectionPoint(IID_ITriggerEvents, nullptr), E_POINTER);
    IEnumConnectionPoints* points = nullptr;
    EXPECT_EQ(container->EnumConnectionPoints(&points), E_NOTIMPL);
    EXPECT_EQ(points, nullptr);
    EXPECT_EQ(container->FindConnectionPoint(IID_ITriggerEvents, point.put()), S_OK);
    EXPECT_TRUE(point);
}

TEST(ConnectionPoints, ThePointKnowsItsInterfaceAndItsContainer) {
    ComPtr<ITriggerManager> manager = NewManager();
    ComPtr<IConnectionPoint> point = EventPoint(manager.get());
    ASSERT_TRUE(point);
    IID iid = IID_NULL;
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, IID_ITriggerEvents));
    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(point->GetConnectionPointContainer(container.put()), S_OK);
    EXPECT_EQ(Identity(container.get()), Identity(manager.get()));
    IEnumConnections* connections = nullptr;
    EXPECT_EQ(point->EnumConnections(&connections), E_NOTIMPL);
    EXPECT_EQ(connections, nullptr);
    ComPtr<ITriggerManager> notHere;
    EXPECT_EQ(point->QueryInterface(IID_ITriggerManager, notHere.put_void()), E_NOINTERFACE);
}

TEST(ConnectionPoints, ThePointKeepsItsManagerAlive) {
    ComPtr<ITriggerManager> manager = NewManager();
    ComPtr<IConnectionPoint> point = EventPoint(manager.get());
    manager.reset();
    IID iid = IID_NULL;
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(point->GetConnectionPointContainer(container.put()), S_OK);
    EXPECT_TRUE(container);
}

struct AdviseCase {
    const char* name;
    RecordingSink::Answers answers;
    HRESULT expected;
};

class Advising : public testing::TestWithParam<AdviseCase> {};

TEST_P(Advising, AcceptsSinksThatCanTakeTheEvents) {
    ComPtr<ITriggerManager> manager = NewManager();
    ComPtr<RecordingSink> sink = RecordingSink::Create(GetParam().answers);
    HRESULT code = S_OK;
    const DWORD cookie = Advise(manager.get(), sink->unknown(), &code);
    EXPECT_EQ(code, GetParam().expected);
    if (FAILED(code)) {
        EXPECT_EQ(sink->ForeignReferences(), 0u);
        return;
    }
    EXPECT_NE(cookie, 0u);
    EXPECT_GE(sink->ForeignReferences(), 1u);
    EXPECT_EQ(Unadvise(manager.get(), cookie), S_OK);
    EXPECT_EQ(sink->ForeignReferences(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Advising,
    testing::Values(
        AdviseCase{"EventsAndDispatch", RecordingSink::Answers::EventsAndDispatch, S_OK},
        AdviseCase{"EventsOnly", RecordingSink::Answers::EventsOnly, S_OK},
        AdviseCase{"DispatchOnly", RecordingSink::Answers::DispatchOnly, S_OK},
        AdviseCase{"Nothing", RecordingSink::Answers::Nothing, CONNECT_E_CANNOTCONNECT}),
    [](const testing::TestParamInfo<AdviseCase>& named) { return std::string(named.param.name); });

TEST(ConnectionPoints, AdviseNeedsASinkAndASlot) {
    ComPtr<ITriggerManager> manager = NewManager();
    ComPtr<IConnectionPoint> point = EventPoint(manager.get());
    DWORD cookie = 99;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(cookie, 0u);
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    EXPECT_EQ(point->Advise(sink->unknown(), nullptr), E_POINTER);
    EXPECT_EQ(sink->ForeignReferences(), 0u);
}

TEST(ConnectionPoints, CookiesAreUniqueAndNeverZero) {
    ComPtr<ITriggerManager> manager = NewManager();
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    std::set<DWORD> cookies;
    for (int i = 0; i < 50; ++i) {
        const DWORD cookie = Advise(manager.get(), sink->unknown());
        EXPECT_NE(cookie, 0u);
        cookies.insert(cookie);
        if (i % 3 == 0) {
            Unadvise(manager.get(), cookie);  // a freed cookie must not come back while live
            cookies.erase(cookie);
        }
    }
    EXPECT_EQ(cookies.size(), 33u);
}

TEST(ConnectionPoints, UnadvisingAnUnknownCookieFails) {
    ComPtr<ITriggerManager> manager = NewManager();
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    const DWORD cookie = Advise(manager.get(), sink->unknown());
    for (DWORD stranger : {DWORD{0}, cookie + 1, DWORD{0xFFFFFFFF}}) {
        EXPECT_EQ(Unadvise(manager.get(), stranger), CONNECT_E_NOCONNECTION) << stranger;
        EXPECT_FALSE(TakeErrorDescription().empty());
    }
    EXPECT_EQ(Unadvise(manager.get(), cookie), S_OK);
    EXPECT_EQ(Unadvise(manager.get(), cookie), CONNECT_E_NOCONNECTION);
}

}  // namespace
