// What each object answers to QueryInterface, and the fixed method-table layout of
// IConfigDocument.
#include <cstring>

#include "dom_support.h"

namespace configdata_test {
namespace {

constexpr IID kUnrelated = {
    0x12345678, 0x1234, 0x1234, {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}};

enum class Kind { Document, Element, Text, Comment, Attribute, ConfigDocument };

struct Answer {
    const char* name;
    Kind kind;
    const IID* iid;
    HRESULT expected;
};

// The object of the given kind, from <r a="v">t<!--c--></r>.
ComPtr<IUnknown> ObjectOf(Kind kind) {
    ComPtr<IConfigDocument> config = NewConfigDocument();
    if (kind == Kind::ConfigDocument) {
        return config.As<IUnknown>();
    }
    LONG loaded = 0;
    EXPECT_EQ(config->LoadXml(B("<r a=\"v\">t<!--c--></r>").get(), &loaded), S_OK);
    const ComPtr<IXMLDOMDocument> dom = DomOf(config);
    const ComPtr<IXMLDOMNode> node = dom.As<IXMLDOMNode>();
    switch (kind) {
        case Kind::Document:
            return dom.As<IUnknown>();
        case Kind::Element:
            return Select(node, "/r").As<IUnknown>();
        case Kind::Text:
            return Select(node, "/r/text()").As<IUnknown>();
        case Kind::Comment:
            return Select(node, "/r/comment()").As<IUnknown>();
        case Kind::Attribute:
            return Select(node, "/r/@a").As<IUnknown>();
        default:
            return nullptr;
    }
}

class QueryInterfaceTable : public testing::TestWithParam<Answer> {};

TEST_P(QueryInterfaceTable, Answers) {
    const Answer& c = GetParam();
    const ComPtr<IUnknown> object = ObjectOf(c.kind);
    ASSERT_TRUE(object);
    void* answered = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(object->QueryInterface(*c.iid, &answered), c.expected);
    if (c.expected == S_OK) {
        ASSERT_NE(answered, nullptr);
        static_cast<IUnknown*>(answered)->Release();
    } else {
        EXPECT_EQ(answered, nullptr);
    }
}

#define TB_ANSWER(kind, iid, expected)             \
    Answer {                                       \
#kind "_" #iid, Kind::kind, &iid, expected \
    }

INSTANTIATE_TEST_SUITE_P(
    Table, QueryInterfaceTable,
    testing::Values(
        TB_ANSWER(Document, IID_IUnknown, S_OK), TB_ANSWER(Document, IID_IDispatch, S_OK),
        TB_ANSWER(Document, IID_IXMLDOMNode, S_OK), TB_ANSWER(Document, IID_IXMLDOMDocument, S_OK),
        TB_ANSWER(Document, IID_IXMLDOMElement, E_NOINTERFACE),
        TB_ANSWER(Document, IID_IConfigDocument, E_NOINTERFACE),
        TB_ANSWER(Document, kUnrelated, E_NOINTERFACE), TB_ANSWER(Element, IID_IUnknown, S_OK),
        TB_ANSWER(Element, IID_IDispatch, S_OK), TB_ANSWER(Element, IID_IXMLDOMNode, S_OK),
        TB_ANSWER(Element, IID_IXMLDOMElement, S_OK),
        TB_ANSWER(Element, IID_IXMLDOMDocument, E_NOINTERFACE),
        TB_ANSWER(Element, kUnrelated, E_NOINTERFACE), TB_ANSWER(Text, IID_IXMLDOMNode, S_OK),
        TB_ANSWER(Text, IID_IXMLDOMElement, E_NOINTERFACE),
        TB_ANSWER(Text, IID_IXMLDOMDocument, E_NOINTERFACE),
        TB_ANSWER(Comment, IID_IXMLDOMNode, S_OK),
        TB_ANSWER(Comment, IID_IXMLDOMElement, E_NOINTERFACE),
        TB_ANSWER(Attribute, IID_IXMLDOMNode, S_OK),
        TB_ANSWER(Attribute, IID_IXMLDOMElement, E_NOINTERFACE),
        TB_ANSWER(ConfigDocument, IID_IUnknown, S_OK),
        TB_ANSWER(ConfigDocument, IID_IDispatch, S_OK),
        TB_ANSWER(ConfigDocument, IID_IConfigDocument, S_OK),
        TB_ANSWER(ConfigDocument, IID_IXMLDOMDocument, E_NOINTERFACE),
        TB_ANSWER(ConfigDocument, IID_IConnectionPointContainer, E_NOINTERFACE),
        TB_ANSWER(ConfigDocument, kUnrelated, E_NOINTERFACE)),
    CaseName());

#undef TB_ANSWER

TEST(QueryInterface, IdentityIsOnePointerWhicheverInterfaceAsks) {
    for (const Kind kind : {Kind::Document, Kind::Element, Kind::ConfigDocument}) {
        const ComPtr<IUnknown> object = ObjectOf(kind);
        const ComPtr<IDispatch> dispatch = object.As<IDispatch>();
        EXPECT_EQ(dispatch.As<IUnknown>().get(), object.As<IUnknown>().get());
    }
}

TEST(QueryInterface, OneNodeKeepsOneObject) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r><c/></r>");
    const ComPtr<IXMLDOMElement> root = RootOf(dom);
    const ComPtr<IXMLDOMNode> selected = Select(dom.As<IXMLDOMNode>(), "/*");
    EXPECT_EQ(selected.As<IUnknown>().get(), root.As<IUnknown>().get());
    EXPECT_EQ(Select(root.As<IXMLDOMNode>(), "/").As<IUnknown>().get(), dom.As<IUnknown>().get());
}

TEST(QueryInterface, NullOutSlotIsRefused) {
    const ComPtr<IUnknown> object = ObjectOf(Kind::Element);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST(Dispatch, HasNoTypeInformation) {
    for (const Kind kind : {Kind::Document, Kind::Element, Kind::ConfigDocument}) {
        const ComPtr<IDispatch> dispatch = ObjectOf(kind).As<IDispatch>();
        UINT count = 7;
        EXPECT_EQ(dispatch->GetTypeInfoCount(&count), E_NOTIMPL);
        EXPECT_EQ(count, 0u);
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(dispatch->GetTypeInfo(0, 0, info.put()), E_NOTIMPL);
        EXPECT_FALSE(info);
    }
}

// Calls a method by its position in the method table, as a caller built elsewhere would.
template <class Result, class... Arguments>
Result CallSlot(void* object, int slot, Arguments... arguments) {
    void** table = *static_cast<void***>(object);
    Result (*method)(void*, Arguments...) = nullptr;
    std::memcpy(&method, &table[slot], sizeof method);
    return method(object, arguments...);
}

TEST(ConfigDocumentLayout, MethodsSitInTheirSlots) {
    const ComPtr<IConfigDocument> config = NewConfigDocument();
    const ComPtr<IConfigDocument> other = NewConfigDocument();
    LONG flag = 0;
    EXPECT_EQ(CallSlot<HRESULT>(config.get(), 30, B("<a/>").get(), &flag), S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(other->LoadXml(B("<b/>").get(), &flag), S_OK);
    EXPECT_EQ(CallSlot<HRESULT>(config.get(), 31, other.get(), &flag), S_OK);
    EXPECT_EQ(flag, 1);
    ComPtr<IUnknown> document;
    EXPECT_EQ(CallSlot<HRESULT>(config.get(), 22, document.put()), S_OK);
    EXPECT_EQ(XmlOf(document.As<IXMLDOMDocument>()), "<a><b/></a>");
    for (const int reserved : {7, 15, 21, 23, 29}) {
        EXPECT_EQ(CallSlot<HRESULT>(config.get(), reserved), E_NOTIMPL) << reserved;
    }
}

}  // namespace
}  // namespace configdata_test
