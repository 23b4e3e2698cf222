// The DOM operations the module relies on: attributes, selection, building and moving nodes.
#include "companions/variant.h"
#include "dom_support.h"

namespace configdata_test {
namespace {

// ---- getAttribute / setAttribute

struct AttributeCase {
    const char* name;
    const char* attribute;
    HRESULT code;
    VARTYPE type;
    const char* value;
};

class GetAttribute : public testing::TestWithParam<AttributeCase> {};

TEST_P(GetAttribute, ReadsPresentEmptyAndAbsent) {
    const ComPtr<IXMLDOMDocument> dom =
        LoadedDom("<r type=\"trigger\" empty=\"\" x:q=\"n\" xmlns:x=\"u\" e=\"a&amp;b\"/>");
    Variant value;
    EXPECT_EQ(RootOf(dom)->getAttribute(B(GetParam().attribute).get(), value.put()),
              GetParam().code);
    ASSERT_EQ(value.value().vt, GetParam().type);
    if (GetParam().type == VT_BSTR) {
        ASSERT_NE(value.value().bstrVal, nullptr);
        EXPECT_EQ(ToUtf8(value.value().bstrVal), GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, GetAttribute,
    testing::Values(AttributeCase{"Present", "type", S_OK, VT_BSTR, "trigger"},
                    AttributeCase{"Empty", "empty", S_OK, VT_BSTR, ""},
                    AttributeCase{"Absent", "name", S_FALSE, VT_NULL, ""},
                    AttributeCase{"CaseMatters", "Type", S_FALSE, VT_NULL, ""},
                    AttributeCase{"Prefixed", "x:q", S_OK, VT_BSTR, "n"},
                    AttributeCase{"LocalNameAloneIsNotIt", "q", S_FALSE, VT_NULL, ""},
                    AttributeCase{"NamespaceDeclaration", "xmlns:x", S_OK, VT_BSTR, "u"},
                    AttributeCase{"EntityDecoded", "e", S_OK, VT_BSTR, "a&b"}),
    CaseName());

TEST(SetAttribute, ReplacesOrAddsAndConvertsNonStrings) {
    const ComPtr<IXMLDOMElement> root = RootOf(LoadedDom("<r a=\"1\"/>"));
    Variant text;
    text.get()->vt = VT_BSTR;
    text.get()->bstrVal = B("2").detach();
    EXPECT_EQ(root->setAttribute(B("a").get(), text.value()), S_OK);
    const Variant number = Variant::FromLong(42);
    EXPECT_EQ(root->setAttribute(B("n").get(), number.value()), S_OK);
    EXPECT_EQ(XmlOf(root), "<r a=\"2\" n=\"42\"/>");
}

TEST(SetAttribute, RefusesNamesThatAreNoXmlNames) {
    const ComPtr<IXMLDOMElement> root = RootOf(LoadedDom("<r/>"));
    const Variant value = Variant::FromLong(1);
    for (const char* name : {"", "a b", "1a", "a=\"x\" b", "xmlns", "xmlns:p"}) {
        EXPECT_EQ(root->setAttribute(B(name).get(), value.value()), E_INVALIDARG) << name;
    }
    EXPECT_EQ(XmlOf(root), "<r/>");
}

// ---- selectSingleNode

TEST(SelectSingleNode, FindsTheFirstMatchInDocumentOrder) {
    const ComPtr<IXMLDOMDocument> dom =
        LoadedDom("<Request><Action n=\"1\"><x/></Action><Action n=\"2\"/></Request>");
    const ComPtr<IXMLDOMNode> action = Select(dom.As<IXMLDOMNode>(), "/*/Action");
    EXPECT_EQ(XmlOf(action), "<Action n=\"1\"><x/></Action>");
    EXPECT_EQ(XmlOf(Select(dom.As<IXMLDOMNode>(), "//Action[2] | //x")), "<x/>");
}

TEST(SelectSingleNode, NoMatchIsSFalseAndNull) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<Request/>");
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(dom->selectSingleNode(B("/*/TriggerData").get(), node.put()), S_FALSE);
    EXPECT_FALSE(node);
}

TEST(SelectSingleNode, RelativeQueriesStartAtTheNode) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r><a><b>1</b></a><b>2</b></r>");
    const ComPtr<IXMLDOMNode> a = Select(dom.As<IXMLDOMNode>(), "/r/a");
    EXPECT_EQ(TextOf(Select(a, "b")), "1");
    EXPECT_EQ(TextOf(Select(a, "../b")), "2");
}

TEST(SelectSingleNode, AttributesAndTextAreNodesToo) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r a=\"v&amp;\">t</r>");
    const ComPtr<IXMLDOMNode> attribute = Select(dom.As<IXMLDOMNode>(), "/r/@a");
    DOMNodeType type = NODE_INVALID;
    EXPECT_EQ(attribute->get_nodeType(&type), S_OK);
    EXPECT_EQ(type, NODE_ATTRIBUTE);
    EXPECT_EQ(XmlOf(attribute), "a=\"v&amp;\"");
    EXPECT_EQ(TextOf(attribute), "v&");
    const ComPtr<IXMLDOMNode> text = Select(dom.As<IXMLDOMNode>(), "/r/text()");
    EXPECT_EQ(text->get_nodeType(&type), S_OK);
    EXPECT_EQ(type, NODE_TEXT);
    Bstr name;
    EXPECT_EQ(text->get_nodeName(name.put()), S_OK);
    EXPECT_EQ(Utf8(name), "#text");
}

struct BadQuery {
    const char* name;
    const char* query;
};

class SelectFailure : public testing::TestWithParam<BadQuery> {};

TEST_P(SelectFailure, FailsWithADescription) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r/>");
    SetErrorInfo(0, nullptr);
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(dom->selectSingleNode(B(GetParam().query).get(), node.put()), E_FAIL);
    EXPECT_FALSE(node);
    EXPECT_THAT(LastErrorDescription(), testing::HasSubstr("XPath expression"));
}

INSTANTIATE_TEST_SUITE_P(Table, SelectFailure,
                         testing::Values(BadQuery{"Syntax", "/*/["}, BadQuery{"Empty", ""},
                                         BadQuery{"UnknownFunction", "nosuch()"},
                                         BadQuery{"UnboundVariable", "$v"},
                                         BadQuery{"NotANodeSet", "1 + 1"},
                                         BadQuery{"UndeclaredPrefix", "/p:r"}),
                         CaseName());

// ---- building

TEST(Build, ResultDocumentAsTheModuleBuildsIt) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    const ComPtr<IXMLDOMElement> actionResult = NewElement(dom, "ActionResult");
    const ComPtr<IXMLDOMElement> result = NewElement(dom, "Result");
    ComPtr<IXMLDOMNode> appended;
    ASSERT_EQ(actionResult->appendChild(result.get(), appended.put()), S_OK);
    EXPECT_EQ(appended.As<IUnknown>().get(), result.As<IUnknown>().get());
    ASSERT_EQ(result->put_text(B("true").get()), S_OK);
    EXPECT_EQ(XmlOf(actionResult), "<ActionResult><Result>true</Result></ActionResult>");
    // The nodes were never put into the document.
    EXPECT_EQ(XmlOf(dom), "");
}

struct CreateCase {
    const char* name;
    VARTYPE vt;
    LONG number;
    const char* typeName;
    const char* nodeName;
    HRESULT code;
};

class CreateNode : public testing::TestWithParam<CreateCase> {};

TEST_P(CreateNode, MakesElementsOnly) {
    const CreateCase& c = GetParam();
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    Variant type;
    type.get()->vt = c.vt;
    if (c.vt == VT_BSTR) {
        type.get()->bstrVal = B(c.typeName).detach();
    } else {
        type.get()->lVal = c.number;
    }
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(dom->createNode(type.value(), B(c.nodeName).get(), B("").get(), node.put()), c.code);
    EXPECT_EQ(static_cast<bool>(node), c.code == S_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CreateNode,
    testing::Values(CreateCase{"ElementByNumber", VT_I4, 1, "", "a", S_OK},
                    CreateCase{"ElementByName", VT_BSTR, 0, "element", "a", S_OK},
                    CreateCase{"TextNotMade", VT_I4, NODE_TEXT, "", "a", E_NOTIMPL},
                    CreateCase{"CommentNotMade", VT_I4, NODE_COMMENT, "", "a", E_NOTIMPL},
                    CreateCase{"UnknownType", VT_I4, 99, "", "a", E_INVALIDARG},
                    CreateCase{"UnknownTypeName", VT_BSTR, 0, "elephant", "a", E_INVALIDARG},
                    CreateCase{"TypeNotANumber", VT_R8, 0, "", "a", E_INVALIDARG},
                    CreateCase{"EmptyName", VT_I4, 1, "", "", E_INVALIDARG},
                    CreateCase{"MarkupInName", VT_I4, 1, "", "a><b", E_INVALIDARG},
                    CreateCase{"PrefixWithoutNamespace", VT_I4, 1, "", "p:a", E_INVALIDARG}),
    CaseName());

TEST(Build, NamespacedElementDeclaresItsNamespace) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    ComPtr<IXMLDOMNode> node;
    const Variant type = Variant::FromLong(NODE_ELEMENT);
    ASSERT_EQ(dom->createNode(type.value(), B("p:a").get(), B("urn:x").get(), node.put()), S_OK);
    EXPECT_EQ(XmlOf(node), "<p:a xmlns:p=\"urn:x\"/>");
}

TEST(Build, PutTextReplacesTheWholeContent) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r><a>x<b/>y</a></r>");
    const ComPtr<IXMLDOMNode> a = Select(dom.As<IXMLDOMNode>(), "/r/a");
    EXPECT_EQ(TextOf(a), "xy");
    ASSERT_EQ(a->put_text(B("z").get()), S_OK);
    EXPECT_EQ(XmlOf(dom), "<r><a>z</a></r>");
    ASSERT_EQ(a->put_text(nullptr), S_OK);
    EXPECT_EQ(XmlOf(dom), "<r><a/></r>");
}

TEST(Build, PutTextOnADocumentFails) {
    EXPECT_EQ(LoadedDom("<r/>")->put_text(B("x").get()), E_FAIL);
}

// ---- appendChild

TEST(AppendChild, MovesANodeFromItsPlace) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r><a><x/></a><b/></r>");
    const ComPtr<IXMLDOMNode> x = Select(dom.As<IXMLDOMNode>(), "//x");
    ASSERT_EQ(Select(dom.As<IXMLDOMNode>(), "//b")->appendChild(x.get(), nullptr), S_OK);
    EXPECT_EQ(XmlOf(dom), "<r><a/><b><x/></b></r>");
}

TEST(AppendChild, KeepsAMovedNodesNamespace) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<r><a xmlns:p=\"u\"><p:x/></a><b/></r>");
    const ComPtr<IXMLDOMNode> x = Select(dom.As<IXMLDOMNode>(), "//*[local-name()='x']");
    const ComPtr<IXMLDOMNode> a = Select(dom.As<IXMLDOMNode>(), "/r/a");
    ASSERT_EQ(Select(dom.As<IXMLDOMNode>(), "//b")->appendChild(x.get(), nullptr), S_OK);
    // The element that declared the prefix goes; the moved node must not depend on it.
    ASSERT_EQ(RootOf(dom)->put_text(B("").get()), S_OK);
    EXPECT_EQ(XmlOf(x), "<p:x xmlns:p=\"u\"/>");
    EXPECT_EQ(XmlOf(a), "<a xmlns:p=\"u\"/>");
}

TEST(AppendChild, ImportsANodeOfAnotherDocument) {
    const ComPtr<IXMLDOMDocument> source = LoadedDom("<s><d k=\"v\">t</d></s>");
    const ComPtr<IXMLDOMDocument> target = LoadedDom("<r/>");
    const ComPtr<IXMLDOMNode> d = Select(source.As<IXMLDOMNode>(), "/s/d");
    ComPtr<IXMLDOMNode> imported;
    ASSERT_EQ(RootOf(target)->appendChild(d.get(), imported.put()), S_OK);
    EXPECT_EQ(XmlOf(target), "<r><d k=\"v\">t</d></r>");
    EXPECT_EQ(XmlOf(source), "<s><d k=\"v\">t</d></s>");
    EXPECT_NE(imported.As<IUnknown>().get(), d.As<IUnknown>().get());
}

struct Refusal {
    const char* name;
    const char* parent;  // query for the new parent
    const char* child;   // query for the node appended
    HRESULT code;
};

class AppendRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(AppendRefusal, LeavesTheTreeAsItWas) {
    const char* text = "<r a=\"v\"><b><c/></b>t<!--m--></r>";
    const ComPtr<IXMLDOMDocument> dom = LoadedDom(text);
    const ComPtr<IXMLDOMNode> parent = Select(dom.As<IXMLDOMNode>(), GetParam().parent);
    const ComPtr<IXMLDOMNode> child = Select(dom.As<IXMLDOMNode>(), GetParam().child);
    ComPtr<IXMLDOMNode> out;
    EXPECT_EQ(parent->appendChild(child.get(), out.put()), GetParam().code);
    EXPECT_FALSE(out);
    EXPECT_EQ(XmlOf(dom), text);
}

INSTANTIATE_TEST_SUITE_P(Table, AppendRefusal,
                         testing::Values(Refusal{"ItselfUnderItself", "/r/b", "/r/b", E_FAIL},
                                         Refusal{"AncestorUnderDescendant", "/r/b/c", "/r/b",
                                                 E_FAIL},
                                         Refusal{"SecondRoot", "/", "/r/b", E_FAIL},
                                         Refusal{"TextAtTopLevel", "/", "/r/text()", E_FAIL},
                                         Refusal{"DocumentAsChild", "/r/b", "/", E_FAIL},
                                         Refusal{"AttributeAsChild", "/r/b", "/r/@a", E_FAIL},
                                         Refusal{"UnderText", "/r/text()", "/r/b/c", E_FAIL},
                                         Refusal{"UnderComment", "/r/comment()", "/r/b/c", E_FAIL}),
                         CaseName());

TEST(AppendChild, RefusesNullAndForeignNodes) {
    const ComPtr<IXMLDOMElement> root = RootOf(LoadedDom("<r/>"));
    EXPECT_EQ(root->appendChild(nullptr, nullptr), E_INVALIDARG);
}

TEST(AppendChild, RefusesTreesDeeperThanTheLimit) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    ComPtr<IXMLDOMElement> top = NewElement(dom, "d");
    ComPtr<IXMLDOMElement> bottom = top;
    for (int level = 1; level < 1024; ++level) {
        const ComPtr<IXMLDOMElement> next = NewElement(dom, "d");
        ASSERT_EQ(bottom->appendChild(next.get(), nullptr), S_OK) << level;
        bottom = next;
    }
    EXPECT_EQ(bottom->appendChild(NewElement(dom, "d").get(), nullptr), E_FAIL);
    EXPECT_EQ(dom->appendChild(top.get(), nullptr), S_OK);
}

}  // namespace
}  // namespace configdata_test
