// Combine: the other document's root element, copied as the last child of this one's root.
#include <atomic>

#include "dom_support.h"

namespace configdata_test {
namespace {

struct CombineCase {
    const char* name;
    const char* self;   // null: never loaded
    const char* other;  // null: never loaded
    LONG combined;
    const char* xml;  // this document afterwards
};

class Combining : public testing::TestWithParam<CombineCase> {};

ComPtr<IConfigDocument> Loaded(const char* text) {
    ComPtr<IConfigDocument> document = NewConfigDocument();
    if (text != nullptr) {
        LONG loaded = 0;
        EXPECT_EQ(document->LoadXml(B(text).get(), &loaded), S_OK);
        EXPECT_EQ(loaded, 1) << text;
    }
    return document;
}

TEST_P(Combining, AppendsACopyOfTheOtherRoot) {
    const CombineCase& c = GetParam();
    const ComPtr<IConfigDocument> self = Loaded(c.self);
    const ComPtr<IConfigDocument> other = Loaded(c.other);
    LONG combined = 7;
    EXPECT_EQ(self->Combine(other.get(), &combined), S_OK);
    EXPECT_EQ(combined, c.combined);
    EXPECT_EQ(XmlOf(DomOf(self)), c.xml);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Combining,
    testing::Values(
        CombineCase{"FiredTrigger", "<Action type=\"host\" name=\"log\"><Say>hi</Say></Action>",
                    "<?xml version=\"1.0\"?> <TriggerData><door state=\"open\"/></TriggerData>", 1,
                    "<Action type=\"host\" name=\"log\"><Say>hi</Say><TriggerData><door "
                    "state=\"open\"/></TriggerData></Action>"},
        CombineCase{"EmptyRoots", "<a/>", "<b/>", 1, "<a><b/></a>"},
        CombineCase{"NamespacesTravel", "<a/>", "<p:b xmlns:p=\"u\"><p:c/></p:b>", 1,
                    "<a><p:b xmlns:p=\"u\"><p:c/></p:b></a>"},
        CombineCase{"SelfWithoutRoot", nullptr, "<b/>", 0, ""},
        CombineCase{"OtherWithoutRoot", "<a/>", nullptr, 0, "<a/>"}),
    CaseName());

TEST(Combine, OtherDocumentIsLeftAsItWas) {
    const ComPtr<IConfigDocument> self = Loaded("<a/>");
    const ComPtr<IConfigDocument> other = Loaded("<b><c/></b>");
    LONG combined = 0;
    ASSERT_EQ(self->Combine(other.get(), &combined), S_OK);
    ASSERT_EQ(RootOf(DomOf(self))->put_text(B("gone").get()), S_OK);
    EXPECT_EQ(XmlOf(DomOf(other)), "<b><c/></b>");
}

TEST(Combine, WithItselfTakesInTheOldRootOnce) {
    const ComPtr<IConfigDocument> self = Loaded("<a><b/></a>");
    LONG combined = 0;
    ASSERT_EQ(self->Combine(self.get(), &combined), S_OK);
    EXPECT_EQ(combined, 1);
    EXPECT_EQ(XmlOf(DomOf(self)), "<a><b/><a><b/></a></a>");
}

TEST(Combine, NullArgumentsAreRefused) {
    const ComPtr<IConfigDocument> self = Loaded("<a/>");
    LONG combined = 7;
    EXPECT_EQ(self->Combine(nullptr, &combined), E_POINTER);
    EXPECT_EQ(combined, 0);
    EXPECT_EQ(self->Combine(self.get(), nullptr), E_POINTER);
}

// A configuration document of another implementation.
class ForeignDocument final : public ConfigDocumentSlots {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IConfigDocument) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDocument(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LoadXml(BSTR, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Combine(IConfigDocument*, LONG*) override { return E_NOTIMPL; }

    ULONG references() const { return refs_; }

  private:
    std::atomic<ULONG> refs_{1};
};

TEST(Combine, DocumentsOfAnotherKindAreRefused) {
    const ComPtr<IConfigDocument> self = Loaded("<a/>");
    ForeignDocument foreign;
    LONG combined = 7;
    EXPECT_EQ(self->Combine(&foreign, &combined), E_INVALIDARG);
    EXPECT_EQ(combined, 0);
    EXPECT_EQ(foreign.references(), 1u);
    LONG matched = 7;
    EXPECT_EQ(ConfigDataEvaluate(&foreign, B("/*").get(), &matched), E_INVALIDARG);
    EXPECT_EQ(matched, 0);
    EXPECT_EQ(foreign.references(), 1u);
}

}  // namespace
}  // namespace configdata_test
