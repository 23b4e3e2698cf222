// Implements<...>: which queries an object answers, with which pointer, and that the last
// release destroys it exactly once.
#include <gtest/gtest.h>

#include "companions/com_ptr.h"
#include "companions/config_document.h"
#include "companions/dispatch_stub.h"
#include "companions/implements.h"

namespace {

int destroyed = 0;

class Object final : public Implements<DispatchStub<ConfigDocumentSlots>, ISupportErrorInfo> {
  public:
    HRESULT STDMETHODCALLTYPE GetDocument(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LoadXml(BSTR, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Combine(IConfigDocument*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID) override { return S_OK; }
    using Implements::References;

  private:
    ~Object() override { ++destroyed; }
};

// A part of an object that counts on its owner.
class Part final : public AnswersFor<ISupportErrorInfo> {
  public:
    explicit Part(IUnknown& owner) : owner_(owner) {}
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID) override { return S_OK; }
    IUnknown& owner_;
};

TEST(Implements, AnswersItsInterfacesWithTheirOwnPointers) {
    destroyed = 0;
    auto* object = new Object;
    IConfigDocument* document = object;
    IUnknown* identity = static_cast<IConfigDocument*>(object);
    const struct {
        const IID& iid;
        void* expected;
    } queries[] = {
        {IID_IUnknown, identity},
        {IID_IDispatch, document},
        {IID_IConfigDocument, document},
        {IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(object)},
        {IID_IConnectionPoint, nullptr},
        {GUID_NULL, nullptr},
    };
    for (const auto& query : queries) {
        void* answer = &destroyed;
        EXPECT_EQ(object->QueryInterface(query.iid, &answer),
                  query.expected != nullptr ? S_OK : E_NOINTERFACE);
        EXPECT_EQ(answer, query.expected);
    }
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    // Four answered queries and the creator's reference.
    EXPECT_EQ(object->Release(), 4u);
    EXPECT_EQ(object->AddRef(), 5u);
    EXPECT_EQ(object->References(), 5u);
    for (ULONG left = 4; left > 0; --left) {
        EXPECT_EQ(object->Release(), left);
    }
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(destroyed, 1);
}

TEST(Implements, APartAnswersForItselfAndKeepsItsOwnerAlive) {
    destroyed = 0;
    auto* owner = new Object;
    Part part(*static_cast<IConfigDocument*>(owner));
    void* answer = nullptr;
    EXPECT_EQ(part.QueryInterface(IID_ISupportErrorInfo, &answer), S_OK);
    EXPECT_EQ(answer, static_cast<ISupportErrorInfo*>(&part));
    EXPECT_EQ(owner->Release(), 1u);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(part.Release(), 0u);
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
