// The two configuration-document libraries side by side: every row runs one document or DOM edit
// against ours (libxml2) and against the one over the platform DOM, and says how their answers
// relate: the same, a documented platform difference we keep (with its reason), or a Wine
// artefact that Windows does not show and that we never imitate.
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

enum class Parity { Identical, Kept, WineOnly };

enum class Edit {
    Root,       // load `text`: "0" when refused, else "1 " and the root element's xml
    Document,   // the same with the document's own xml
    Select,     // load `text`, select `argument`: the node's xml, or "none"
    Attribute,  // load `text`, the root's attribute `argument`, or "absent"
    Result,     // the module's result: two created elements, the inner one's text `argument`
    Combine,    // load `text` and `argument` (null: the same document), combine them; the flag,
                // the combined document's xml and the other document's root
};

struct Row {
    const char* name;
    Edit edit;
    const char* text;
    const char* argument;
    Parity parity;
    const char* ours;                // our library's answer
    const char* platform = nullptr;  // the platform DOM's, where it differs
    const char* reason = nullptr;
};

template <class Node>
std::string XmlOf(const ComPtr<Node>& node) {
    Bstr xml;
    return node && SUCCEEDED(node->get_xml(xml.put())) ? ToUtf8(xml.view()) : "none";
}

struct Opened {
    ComPtr<IConfigDocument> config;
    ComPtr<IXMLDOMDocument> dom;
    LONG loaded = 0;
    ComPtr<IXMLDOMElement> Root() const {
        ComPtr<IXMLDOMElement> root;
        EXPECT_TRUE(SUCCEEDED(dom->get_documentElement(root.put())));
        return root;
    }
};

// A new document of the library, loaded with `text` unless it is null; the test ends when the
// library gives none.
Opened Open(ConfigDocumentFactory factory, const char* text) {
    Opened opened;
    if (FAILED(factory(opened.config.put())) || !opened.config) {
        throw std::runtime_error("the library gives no document");
    }
    if (text != nullptr) {
        EXPECT_EQ(opened.config->LoadXml(ToBstr(text).get(), &opened.loaded), S_OK);
    }
    ComPtr<IUnknown> dom;
    EXPECT_EQ(opened.config->GetDocument(dom.put()), S_OK);
    opened.dom = dom.As<IXMLDOMDocument>();
    return opened;
}

ComPtr<IXMLDOMNode> NewElement(IXMLDOMDocument* dom, const char* name) {
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(dom->createNode(Variant::FromLong(NODE_ELEMENT).value(), ToBstr(name).get(),
                              ToBstr("").get(), node.put()),
              S_OK);
    return node;
}

std::string Answer(ConfigDocumentFactory factory, const Row& row) {
    const Opened opened = Open(factory, row.edit == Edit::Result ? nullptr : row.text);
    switch (row.edit) {
        case Edit::Root:
        case Edit::Document:
            if (opened.loaded == 0) {
                return "0";
            }
            return "1 " + (row.edit == Edit::Root ? XmlOf(opened.Root()) : XmlOf(opened.dom));
        case Edit::Select: {
            ComPtr<IXMLDOMNode> node;
            EXPECT_TRUE(
                SUCCEEDED(opened.dom->selectSingleNode(ToBstr(row.argument).get(), node.put())));
            return XmlOf(node);
        }
        case Edit::Attribute: {
            Variant value;
            const HRESULT read =
                opened.Root()->getAttribute(ToBstr(row.argument).get(), value.put());
            return read == S_OK && value.value().vt == VT_BSTR      ? ToUtf8(value.value().bstrVal)
                   : read == S_FALSE && value.value().vt == VT_NULL ? "absent"
                                                                    : "getAttribute failed";
        }
        case Edit::Result: {
            const ComPtr<IXMLDOMNode> outer = NewElement(opened.dom.get(), "ActionResult");
            const ComPtr<IXMLDOMNode> inner = NewElement(opened.dom.get(), "Result");
            ComPtr<IXMLDOMNode> appended;
            EXPECT_EQ(outer->appendChild(inner.get(), appended.put()), S_OK);
            EXPECT_EQ(inner->put_text(ToBstr(row.argument).get()), S_OK);
            return XmlOf(outer);
        }
        case Edit::Combine: {
            const Opened other = row.argument != nullptr ? Open(factory, row.argument) : opened;
            LONG combined = 7;
            EXPECT_EQ(opened.config->Combine(other.config.get(), &combined), S_OK);
            const std::string answer = std::to_string(combined) + " " + XmlOf(opened.dom);
            return row.argument != nullptr ? answer + " | " + XmlOf(other.Root()) : answer;
        }
    }
    return "unknown edit";
}

// Wine's DOM writes element-only content re-indented, a line end and a tab per level before
// each child element (its own source says Windows does not); set aside, every row compares the
// rest. No row keeps white-space text of exactly that shape, which this would hide.
std::string WineIndentationAside(const std::string& xml) {
    static const std::regex indentation(">\r\n(?:\t+(?=<)|(?=</))");
    return std::regex_replace(xml, indentation, ">");
}

class DomParity : public testing::TestWithParam<Row> {};

TEST_P(DomParity, BothFlavours) {
    const ConfigDocumentFactory ours = FactoryOf(kOurLibrary);
    const ConfigDocumentFactory platform = FactoryOf(kPlatformLibrary);
    ASSERT_NE(ours, nullptr);
    ASSERT_NE(platform, nullptr);
    const Row& row = GetParam();
    const std::string ourAnswer = Answer(ours, row);
    std::string platformAnswer = Answer(platform, row);
    if (UnderWine()) {
        platformAnswer = WineIndentationAside(platformAnswer);
    }
    EXPECT_EQ(ourAnswer, row.ours);
    if (row.parity == Parity::Identical || (row.parity == Parity::WineOnly && !UnderWine())) {
        EXPECT_EQ(platformAnswer, ourAnswer);
    } else {
        EXPECT_EQ(platformAnswer, row.platform) << row.reason;
    }
}

constexpr Parity kSame = Parity::Identical;
constexpr Parity kKept = Parity::Kept;
constexpr Parity kWine = Parity::WineOnly;

// The platform DOM writes CRLF after each top-level node of a document and for every line feed;
// ours keeps LF. A parser reads both as the same text, and the Linux system's output stays free
// of carriage returns.
constexpr const char* kLineEnds = "line ends stay LF in ours";
constexpr const char* kWineDtd = "Wine's DOM accepts a DTD although DTDs are prohibited";

const Row kRows[] = {
    // The module's own requests and results.
    {"RequestAction", Edit::Select,
     "<R type=\"trigger\" name=\"registeraction\"><Action type=\"host\"><Say>hi</Say></Action></R>",
     "/*/Action", kSame, "<Action type=\"host\"><Say>hi</Say></Action>"},
    {"RequestTriggerData", Edit::Select,
     "<R><Action n=\"1\"/><TriggerData><door state=\"open\"/></TriggerData><Action/></R>",
     "/*/TriggerData", kSame, "<TriggerData><door state=\"open\"/></TriggerData>"},
    {"NoPayload", Edit::Select, "<R><Other/></R>", "/*/Action", kSame, "none"},
    {"AttributeRead", Edit::Attribute, "<R id=\"a&amp;b&lt;&#233;\tc\"/>", "id", kSame,
     "a&b<\xC3\xA9 c"},
    {"AttributeAbsent", Edit::Attribute, "<R type=\"trigger\"/>", "condition", kSame, "absent"},
    {"ResultTrue", Edit::Result, nullptr, "true", kSame,
     "<ActionResult><Result>true</Result></ActionResult>"},
    {"ResultEscapesMarkup", Edit::Result, nullptr, "<FireResult matched=\"1\"/> & >", kSame,
     "<ActionResult><Result>&lt;FireResult matched=\"1\"/&gt; &amp; &gt;</Result></ActionResult>"},
    {"ResultNonAscii", Edit::Result, nullptr, "T\xC3\xBCr \xE9\x97\xA8 \xF0\x9D\x84\x9E", kSame,
     "<ActionResult><Result>T\xC3\xBCr \xE9\x97\xA8 \xF0\x9D\x84\x9E</Result></ActionResult>"},
    {"ResultKeepsWhiteSpace", Edit::Result, nullptr, " a \n b ", kKept,
     "<ActionResult><Result> a \n b </Result></ActionResult>",
     "<ActionResult><Result> a \r\n b </Result></ActionResult>", kLineEnds},
    {"FiredTrigger", Edit::Combine, "<Action>\n\t<Say>hi</Say>\n</Action>",
     "<?xml version=\"1.0\"?> <TriggerData>\n  <door/>\n</TriggerData>", kKept,
     "1 <Action><Say>hi</Say><TriggerData><door/></TriggerData></Action> | "
     "<TriggerData><door/></TriggerData>",
     "1 <Action><Say>hi</Say><TriggerData><door/></TriggerData></Action>\r\n | "
     "<TriggerData><door/></TriggerData>",
     kLineEnds},
    {"CombineSelf", Edit::Combine, "<a><b/></a>", nullptr, kKept, "1 <a><b/><a><b/></a></a>",
     "1 <a><b/><a><b/></a></a>\r\n", kLineEnds},
    {"CombineWithoutRoot", Edit::Combine, "<a/>", "not xml", kKept, "0 <a/> | none",
     "0 <a/>\r\n | none", kLineEnds},

    // White space.
    {"IndentedRequest", Edit::Select,
     "<R>\n  <Action type=\"host\">\n    <Text> a b </Text>\n    <Gap> </Gap>\n  </Action>\n</R>\n",
     "/*/Action", kSame, "<Action type=\"host\"><Text> a b </Text><Gap/></Action>"},
    {"BlanksOnly", Edit::Root, "<a> \t\r\n</a>", nullptr, kSame, "1 <a/>"},
    {"MixedContent", Edit::Root, "<a>x <b/> <c/> y</a>", nullptr, kSame, "1 <a>x <b/><c/> y</a>"},
    {"PreservedUntilDefault", Edit::Root,
     "<a xml:space=\"preserve\"><b> </b><c xml:space=\"default\"> <d> </d></c></a>", nullptr, kSame,
     "1 <a xml:space=\"preserve\"><b> </b><c xml:space=\"default\"><d/></c></a>"},
    {"LineEndsInText", Edit::Root, "<a>x\r\ny\rz&#13;w</a>", nullptr, kKept,
     "1 <a>x\ny\nz&#13;w</a>", "1 <a>x\r\ny\r\nz&#13;w</a>", kLineEnds},

    // Escaping, quoting and the other kinds of node.
    {"TextEscapes", Edit::Root, "<a>a&lt;b&amp;c&gt;d\"e'</a>", nullptr, kSame,
     "1 <a>a&lt;b&amp;c&gt;d\"e'</a>"},
    {"AttributeEscapes", Edit::Root, "<a v='a\"b&amp;c&lt;d>&apos;' w=\"x&#9;y&#10;z&#13;\"/>",
     nullptr, kSame, "1 <a v=\"a&quot;b&amp;c&lt;d&gt;'\" w=\"x&#9;y&#10;z&#13;\"/>"},
    {"CdataCommentInstruction", Edit::Root, "<r><!--c--><?p d?><![CDATA[<x>&]]><e></e></r>",
     nullptr, kSame, "1 <r><!--c--><?p d?><![CDATA[<x>&]]><e/></r>"},
    {"Namespaces", Edit::Root, "<p:r xmlns:p=\"u\" xmlns=\"d\"><p:c p:a=\"1\"/><e/></p:r>", nullptr,
     kSame, "1 <p:r xmlns:p=\"u\" xmlns=\"d\"><p:c p:a=\"1\"/><e/></p:r>"},

    // Characters outside ASCII.
    {"NonAsciiText", Edit::Root, "<a>T\xC3\xBCr \xE2\x9C\x93 \xF0\x9D\x84\x9E&#233;</a>", nullptr,
     kSame, "1 <a>T\xC3\xBCr \xE2\x9C\x93 \xF0\x9D\x84\x9E\xC3\xA9</a>"},
    {"NonAsciiAttribute", Edit::Select, "<R><Action v=\"\xC3\xA9\xE9\x97\xA8\"/></R>", "/*/Action",
     kWine, "<Action v=\"\xC3\xA9\xE9\x97\xA8\"/>", "<Action v=\"&#xE9;&#x95E8;\"/>",
     "Wine writes non-ASCII attribute values of an element as character references"},

    // Declarations and other top-level nodes: the document's own xml.
    {"NoDeclaration", Edit::Document, "<a/>", nullptr, kKept, "1 <a/>", "1 <a/>\r\n", kLineEnds},
    {"Declaration", Edit::Document, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", nullptr,
     kKept, "1 <?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a/>",
     "1 <?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a/>\r\n", kLineEnds},
    {"TopLevelNodes", Edit::Document, "<!--c--><a/><?p?>", nullptr, kKept,
     "1 <!--c-->\n<a/>\n<?p?>", "1 <!--c-->\r\n<a/>\r\n<?p?>\r\n", kLineEnds},

    // What LoadXml refuses.
    {"Empty", Edit::Root, "", nullptr, kSame, "0"},
    {"NotWellFormed", Edit::Root, "<a><b></a>", nullptr, kSame, "0"},
    {"TwoRoots", Edit::Root, "<a/><b/>", nullptr, kSame, "0"},
    {"UndeclaredEntity", Edit::Root, "<a>&nbsp;</a>", nullptr, kSame, "0"},
    {"UndeclaredPrefix", Edit::Root, "<p:a/>", nullptr, kWine, "0", "1 <a/>",
     "Wine's DOM loads an undeclared prefix and drops it; Windows refuses the text"},
    {"InternalSubset", Edit::Root, "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", nullptr, kWine,
     "0", "1 <a>&e;</a>", kWineDtd},
    {"ExternalSubset", Edit::Root, "<!DOCTYPE a SYSTEM \"http://example.invalid/a.dtd\"><a/>",
     nullptr, kWine, "0", "1 <a/>", kWineDtd},
};

INSTANTIATE_TEST_SUITE_P(Table, DomParity, testing::ValuesIn(kRows), CaseName());

}  // namespace
}  // namespace windows_test
