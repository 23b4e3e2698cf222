// The two configuration-document libraries side by side: every row runs one document or DOM edit
// against ours (libxml2) and against the one over the platform DOM, and says how their answers
// relate: the same, a documented platform difference we keep (with its reason), or a Wine
// artefact that Windows does not show and that we never imitate.
#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>
#include <string>

#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "companions/variant.h"
#include "configdata_libraries.h"

namespace windows_test {
namespace {

enum class Parity {
    Identical,
    Kept,      // a documented platform difference we keep on purpose
    WineOnly,  // Wine's DOM, not Windows': on Windows the answers are the same
};

struct Row;
using Operation = std::string (*)(ConfigDocumentFactory, const Row&);

struct Row {
    const char* name;
    Operation operation;
    const char* text;      // the document loaded (UTF-8)
    const char* argument;  // the operation's other input: a query, a name, a value, a document
    Parity parity;
    const char* ours;                // our library's answer
    const char* platform = nullptr;  // the platform DOM's answer where it differs
    const char* reason = nullptr;
};

// A new document; the test ends when the library gives none.
ComPtr<IConfigDocument> NewDocument(ConfigDocumentFactory factory) {
    ComPtr<IConfigDocument> document;
    const HRESULT created = factory(document.put());
    if (FAILED(created) || !document) {
        throw std::runtime_error("no document: " + std::to_string(created));
    }
    return document;
}

ComPtr<IXMLDOMDocument> DomOf(IConfigDocument* document) {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(document->GetDocument(unknown.put()), S_OK);
    return unknown.As<IXMLDOMDocument>();
}

template <class Node>
std::string XmlOf(Node* node) {
    Bstr xml;
    const HRESULT read = node->get_xml(xml.put());
    return SUCCEEDED(read) ? ToUtf8(xml.view()) : "xml failed";
}

std::string RootXml(IXMLDOMDocument* dom) {
    ComPtr<IXMLDOMElement> root;
    EXPECT_TRUE(SUCCEEDED(dom->get_documentElement(root.put())));
    return root ? XmlOf(root.get()) : "none";
}

// "0" when the text is refused, else "1 " and the xml of the root element, or with `whole` of
// the document.
std::string LoadedText(IConfigDocument* document, const char* text, bool whole) {
    LONG loaded = 7;
    if (document->LoadXml(ToBstr(text).get(), &loaded) != S_OK || loaded == 0) {
        return loaded == 0 ? "0" : "LoadXml failed";
    }
    const ComPtr<IXMLDOMDocument> dom = DomOf(document);
    return "1 " + (whole ? XmlOf(dom.get()) : RootXml(dom.get()));
}

std::string Load(ConfigDocumentFactory factory, const Row& row) {
    return LoadedText(NewDocument(factory).get(), row.text, false);
}

std::string LoadDocument(ConfigDocumentFactory factory, const Row& row) {
    return LoadedText(NewDocument(factory).get(), row.text, true);
}

// The module's request path: the payload selected from a request, as its xml.
std::string Select(ConfigDocumentFactory factory, const Row& row) {
    const ComPtr<IConfigDocument> document = NewDocument(factory);
    LONG loaded = 0;
    EXPECT_EQ(document->LoadXml(ToBstr(row.text).get(), &loaded), S_OK);
    EXPECT_EQ(loaded, 1) << row.text;
    const ComPtr<IXMLDOMDocument> dom = DomOf(document.get());
    ComPtr<IXMLDOMNode> node;
    EXPECT_TRUE(SUCCEEDED(dom->selectSingleNode(ToBstr(row.argument).get(), node.put())));
    return node ? XmlOf(node.get()) : "none";
}

// The module reads the request's parameters from its root element.
std::string Attribute(ConfigDocumentFactory factory, const Row& row) {
    const ComPtr<IConfigDocument> document = NewDocument(factory);
    LONG loaded = 0;
    EXPECT_EQ(document->LoadXml(ToBstr(row.text).get(), &loaded), S_OK);
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(DomOf(document.get())->get_documentElement(root.put()), S_OK);
    Variant value;
    const HRESULT read = root->getAttribute(ToBstr(row.argument).get(), value.put());
    if (read == S_FALSE && value.value().vt == VT_NULL) {
        return "absent";
    }
    return read == S_OK && value.value().vt == VT_BSTR ? ToUtf8(value.value().bstrVal)
                                                       : "getAttribute " + std::to_string(read);
}

// The module's result document: two created elements, the inner one's text set, never
// inserted into the document.
std::string Result(ConfigDocumentFactory factory, const Row& row) {
    const ComPtr<IConfigDocument> document = NewDocument(factory);
    const ComPtr<IXMLDOMDocument> dom = DomOf(document.get());
    const auto create = [&](const char* name) {
        ComPtr<IXMLDOMNode> node;
        EXPECT_EQ(dom->createNode(Variant::FromLong(NODE_ELEMENT).value(), ToBstr(name).get(),
                                  ToBstr("").get(), node.put()),
                  S_OK);
        return node;
    };
    const ComPtr<IXMLDOMNode> outer = create("ActionResult");
    const ComPtr<IXMLDOMNode> inner = create("Result");
    ComPtr<IXMLDOMNode> appended;
    EXPECT_EQ(outer->appendChild(inner.get(), appended.put()), S_OK);
    EXPECT_EQ(inner->put_text(ToBstr(row.argument).get()), S_OK);
    return XmlOf(outer.get());
}

// A fired trigger: the data document combined into the action document, whose xml goes to the
// action manager, and the data document's root, which stays as it was. Without an argument the
// document is combined with itself, and takes in its old root once.
std::string Combine(ConfigDocumentFactory factory, const Row& row) {
    const ComPtr<IConfigDocument> action = NewDocument(factory);
    LONG loaded = 0;
    EXPECT_EQ(action->LoadXml(ToBstr(row.text).get(), &loaded), S_OK);
    ComPtr<IConfigDocument> data = action;
    if (row.argument != nullptr) {
        data = NewDocument(factory);
        EXPECT_EQ(data->LoadXml(ToBstr(row.argument).get(), &loaded), S_OK);
    }
    LONG combined = 7;
    EXPECT_EQ(action->Combine(data.get(), &combined), S_OK);
    std::string answer = std::to_string(combined) + " " + XmlOf(DomOf(action.get()).get());
    if (row.argument != nullptr) {
        answer += " | " + RootXml(DomOf(data.get()).get());
    }
    return answer;
}

// Wine's DOM writes element-only content re-indented, a line end and a tab per level before
// each child element (its own source says Windows does not); set aside, every row compares the
// rest. No row keeps white-space text of exactly that shape, which this would hide.
std::string WineIndentationAside(const std::string& xml) {
    static const std::regex indentation(">\r\n(?:\t+(?=<)|(?=</))");
    return std::regex_replace(xml, indentation, ">");
}

class DomParity : public testing::TestWithParam<Row> {
  protected:
    static void SetUpTestSuite() {
        ours_ = FactoryOf(kOurLibrary);
        platform_ = FactoryOf(kPlatformLibrary);
    }

    static ConfigDocumentFactory ours_;
    static ConfigDocumentFactory platform_;
};

ConfigDocumentFactory DomParity::ours_ = nullptr;
ConfigDocumentFactory DomParity::platform_ = nullptr;

TEST_P(DomParity, BothFlavours) {
    ASSERT_NE(ours_, nullptr);
    ASSERT_NE(platform_, nullptr);
    const Row& row = GetParam();
    const std::string ours = row.operation(ours_, row);
    std::string platform = row.operation(platform_, row);
    if (UnderWine()) {
        platform = WineIndentationAside(platform);
    }
    EXPECT_EQ(ours, row.ours);
    if (row.parity == Parity::Identical || (row.parity == Parity::WineOnly && !UnderWine())) {
        EXPECT_EQ(platform, ours);
    } else {
        EXPECT_EQ(platform, row.platform) << row.reason;
    }
}

constexpr Parity kSame = Parity::Identical;
constexpr Parity kKept = Parity::Kept;
constexpr Parity kWine = Parity::WineOnly;

// Line ends: the platform DOM writes CRLF after each top-level node of a document and for every
// line feed; ours keeps LF. A parser reads both as the same text, and the Linux system's output
// stays free of carriage returns.
constexpr const char* kLineEnds = "line ends stay LF in ours";

const Row kRows[] = {
    // The module's own requests and results.
    {"RequestAction", Select,
     "<R type=\"trigger\" name=\"registeraction\" id=\"t\"><Action type=\"host\" "
     "name=\"log\"><Say>hi</Say></Action></R>",
     "/*/Action", kSame, "<Action type=\"host\" name=\"log\"><Say>hi</Say></Action>"},
    {"RequestTriggerData", Select,
     "<R type=\"trigger\" name=\"fire\"><TriggerData><door state=\"open\"/></TriggerData></R>",
     "/*/TriggerData", kSame, "<TriggerData><door state=\"open\"/></TriggerData>"},
    {"FirstOfTwoActions", Select, "<R><Action n=\"1\"/><Action n=\"2\"/></R>", "/*/Action", kSame,
     "<Action n=\"1\"/>"},
    {"NoPayload", Select, "<R><Other/></R>", "/*/Action", kSame, "none"},
    {"AttributeRead", Attribute, "<R type=\"trigger\" id=\"a&amp;b&lt;&#233;\"/>", "id", kSame,
     "a&b<\xC3\xA9"},
    {"AttributeAbsent", Attribute, "<R type=\"trigger\"/>", "condition", kSame, "absent"},
    {"AttributeNormalised", Attribute, "<R c=\"a\tb\nc\"/>", "c", kSame, "a b c"},
    {"ResultTrue", Result, "", "true", kSame, "<ActionResult><Result>true</Result></ActionResult>"},
    {"ResultEmpty", Result, "", "", kSame, "<ActionResult><Result/></ActionResult>"},
    {"ResultEscapesMarkup", Result, "", "<FireResult matched=\"1\"/> & >", kSame,
     "<ActionResult><Result>&lt;FireResult matched=\"1\"/&gt; &amp; &gt;</Result></ActionResult>"},
    {"ResultNonAscii", Result, "", "T\xC3\xBCr \xE9\x97\xA8 \xF0\x9D\x84\x9E", kSame,
     "<ActionResult><Result>T\xC3\xBCr \xE9\x97\xA8 \xF0\x9D\x84\x9E</Result></ActionResult>"},
    {"ResultKeepsWhiteSpace", Result, "", " a \n b ", kKept,
     "<ActionResult><Result> a \n b </Result></ActionResult>",
     "<ActionResult><Result> a \r\n b </Result></ActionResult>", kLineEnds},
    {"FiredTrigger", Combine, "<Action type=\"host\" name=\"log\"><Say>hi</Say></Action>",
     "<?xml version=\"1.0\"?> <TriggerData><door state=\"open\"/></TriggerData>", kKept,
     "1 <Action type=\"host\" name=\"log\"><Say>hi</Say><TriggerData><door "
     "state=\"open\"/></TriggerData></Action> | <TriggerData><door state=\"open\"/></TriggerData>",
     "1 <Action type=\"host\" name=\"log\"><Say>hi</Say><TriggerData><door "
     "state=\"open\"/></TriggerData></Action>\r\n | <TriggerData><door "
     "state=\"open\"/></TriggerData>",
     kLineEnds},
    {"CombineSelf", Combine, "<a><b/></a>", nullptr, kKept, "1 <a><b/><a><b/></a></a>",
     "1 <a><b/><a><b/></a></a>\r\n", kLineEnds},
    {"CombineNamespaces", Combine, "<a/>", "<p:b xmlns:p=\"u\"><p:c/></p:b>", kKept,
     "1 <a><p:b xmlns:p=\"u\"><p:c/></p:b></a> | <p:b xmlns:p=\"u\"><p:c/></p:b>",
     "1 <a><p:b xmlns:p=\"u\"><p:c/></p:b></a>\r\n | <p:b xmlns:p=\"u\"><p:c/></p:b>", kLineEnds},
    {"CombineWithoutRoot", Combine, "<a/>", "not xml", kKept, "0 <a/> | none", "0 <a/>\r\n | none",
     kLineEnds},

    // White space.
    {"IndentedRequest", Select,
     "<R type=\"trigger\">\n  <Action type=\"host\">\n    <Text> a b </Text>\n    <Gap> </Gap>\n"
     "  </Action>\n</R>\n",
     "/*/Action", kSame, "<Action type=\"host\"><Text> a b </Text><Gap/></Action>"},
    {"IndentedFiredTrigger", Combine, "<Action>\n\t<Say>hi</Say>\n</Action>",
     "<?xml version=\"1.0\"?> <TriggerData>\n  <door/>\n</TriggerData>", kKept,
     "1 <Action><Say>hi</Say><TriggerData><door/></TriggerData></Action> | "
     "<TriggerData><door/></TriggerData>",
     "1 <Action><Say>hi</Say><TriggerData><door/></TriggerData></Action>\r\n | "
     "<TriggerData><door/></TriggerData>",
     kLineEnds},
    {"BlanksOnly", Load, "<a> \t\r\n</a>", "", kSame, "1 <a/>"},
    {"TextKeptWhole", Load, "<a>  x  </a>", "", kSame, "1 <a>  x  </a>"},
    {"MixedContent", Load, "<a>x <b/> <c/> y</a>", "", kSame, "1 <a>x <b/><c/> y</a>"},
    {"PreservedUntilDefault", Load,
     "<a xml:space=\"preserve\"><b> </b><c xml:space=\"default\"> <d> </d></c></a>", "", kSame,
     "1 <a xml:space=\"preserve\"><b> </b><c xml:space=\"default\"><d/></c></a>"},
    {"LineEndsInText", Load, "<a>x\r\ny\rz</a>", "", kKept, "1 <a>x\ny\nz</a>",
     "1 <a>x\r\ny\r\nz</a>", kLineEnds},
    {"CarriageReturnReference", Load, "<a>x&#13;y</a>", "", kSame, "1 <a>x&#13;y</a>"},

    // Escaping and quoting.
    {"TextEscapes", Load, "<a>a&lt;b&amp;c&gt;d\"e'</a>", "", kSame,
     "1 <a>a&lt;b&amp;c&gt;d\"e'</a>"},
    {"AttributeEscapes", Load, "<a v='a\"b&amp;c&lt;d>&apos;'/>", "", kSame,
     "1 <a v=\"a&quot;b&amp;c&lt;d&gt;'\"/>"},
    {"AttributeWhiteSpaceReferences", Load, "<a v=\"x&#9;y&#10;z&#13;\"/>", "", kSame,
     "1 <a v=\"x&#9;y&#10;z&#13;\"/>"},
    {"CdataCommentInstruction", Load, "<r><!--c--><?p d?><![CDATA[<x>&]]></r>", "", kSame,
     "1 <r><!--c--><?p d?><![CDATA[<x>&]]></r>"},
    {"EmptyPair", Load, "<a></a>", "", kSame, "1 <a/>"},
    {"Namespaces", Load, "<p:r xmlns:p=\"u\" xmlns=\"d\"><p:c p:a=\"1\"/><e/></p:r>", "", kSame,
     "1 <p:r xmlns:p=\"u\" xmlns=\"d\"><p:c p:a=\"1\"/><e/></p:r>"},

    // Characters outside ASCII.
    {"NonAsciiText", Load, "<a>T\xC3\xBCr \xE2\x9C\x93 \xF0\x9D\x84\x9E</a>", "", kSame,
     "1 <a>T\xC3\xBCr \xE2\x9C\x93 \xF0\x9D\x84\x9E</a>"},
    {"NonAsciiReference", Load, "<a>&#233;&#x1D11E;</a>", "", kSame,
     "1 <a>\xC3\xA9\xF0\x9D\x84\x9E</a>"},
    {"NonAsciiAttribute", Select, "<R><Action v=\"\xC3\xA9\xE9\x97\xA8\"/></R>", "/*/Action", kWine,
     "<Action v=\"\xC3\xA9\xE9\x97\xA8\"/>", "<Action v=\"&#xE9;&#x95E8;\"/>",
     "Wine writes non-ASCII attribute values of an element as character references"},

    // Declarations and other top-level nodes: the document's own xml.
    {"NoDeclaration", LoadDocument, "<a/>", "", kKept, "1 <a/>", "1 <a/>\r\n", kLineEnds},
    {"Declaration", LoadDocument, "<?xml version=\"1.0\"?><a/>", "", kKept,
     "1 <?xml version=\"1.0\"?>\n<a/>", "1 <?xml version=\"1.0\"?>\r\n<a/>\r\n", kLineEnds},
    {"DeclarationWithEncoding", LoadDocument, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", "",
     kKept, "1 <?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a/>",
     "1 <?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a/>\r\n", kLineEnds},
    {"TopLevelNodes", LoadDocument, "<!--c--><a/><?p?>", "", kKept, "1 <!--c-->\n<a/>\n<?p?>",
     "1 <!--c-->\r\n<a/>\r\n<?p?>\r\n", kLineEnds},

    // What LoadXml refuses.
    {"Empty", Load, "", "", kSame, "0"},
    {"NotWellFormed", Load, "<a><b></a>", "", kSame, "0"},
    {"TwoRoots", Load, "<a/><b/>", "", kSame, "0"},
    {"TextOnly", Load, "just text", "", kSame, "0"},
    {"UndeclaredEntity", Load, "<a>&nbsp;</a>", "", kSame, "0"},
    {"UndeclaredPrefix", Load, "<p:a/>", "", kWine, "0", "1 <a/>",
     "Wine's DOM loads an undeclared prefix and drops it; Windows refuses the text"},
    {"InternalSubset", Load, "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "", kWine, "0",
     "1 <a>&e;</a>", "Wine's DOM accepts a DTD although DTDs are prohibited"},
    {"ExternalSubset", Load, "<!DOCTYPE a SYSTEM \"http://example.invalid/a.dtd\"><a/>", "", kWine,
     "0", "1 <a/>", "Wine's DOM accepts a DTD although DTDs are prohibited"},
};

INSTANTIATE_TEST_SUITE_P(Table, DomParity, testing::ValuesIn(kRows), CaseName());

}  // namespace
}  // namespace windows_test
