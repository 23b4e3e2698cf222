// What loadXML and LoadXml accept, and the empty document a refusal leaves.
#include "dom_support.h"

namespace configdata_test {
namespace {

struct Outcome {
    const char* name;
    const char* text;  // null: a null BSTR
    bool loads;
};

class LoadOutcomes : public testing::TestWithParam<Outcome> {
  protected:
    Bstr Text() const { return GetParam().text != nullptr ? B(GetParam().text) : Bstr(); }
};

TEST_P(LoadOutcomes, LoadXmlAnswersWhetherTheTextParsed) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    VARIANT_BOOL loaded = 7;
    const HRESULT code = dom->loadXML(Text().get(), &loaded);
    EXPECT_EQ(code, GetParam().loads ? S_OK : S_FALSE);
    EXPECT_EQ(loaded, GetParam().loads ? VARIANT_TRUE : VARIANT_FALSE);
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(dom->get_documentElement(root.put()), GetParam().loads ? S_OK : S_FALSE);
    EXPECT_EQ(static_cast<bool>(root), GetParam().loads);
}

TEST_P(LoadOutcomes, ConfigDocumentLoadXmlAgrees) {
    const ComPtr<IConfigDocument> config = NewConfigDocument();
    LONG loaded = 7;
    EXPECT_EQ(config->LoadXml(Text().get(), &loaded), S_OK);
    EXPECT_EQ(loaded, GetParam().loads ? 1 : 0);
}

TEST_P(LoadOutcomes, RefusalAfterALoadLeavesTheDocumentEmpty) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<?xml version=\"1.0\"?><old/>");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    dom->loadXML(Text().get(), &loaded);
    if (!GetParam().loads) {
        EXPECT_EQ(XmlOf(dom), "");
        ComPtr<IXMLDOMNode> none;
        EXPECT_EQ(dom->selectSingleNode(B("/*").get(), none.put()), S_FALSE);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadOutcomes,
    testing::Values(
        Outcome{"Element", "<a/>", true},
        Outcome{"WithDeclaration", "<?xml version=\"1.0\"?> <a b=\"c\">d</a>", true},
        Outcome{"LeadingByteOrderMark", "\xEF\xBB\xBF<a/>", true},
        Outcome{"SurroundingWhiteSpace", "\n <a/> \n", true}, Outcome{"Empty", "", false},
        Outcome{"Null", nullptr, false}, Outcome{"WhiteSpaceOnly", "   ", false},
        Outcome{"Unclosed", "<a>", false}, Outcome{"Mismatched", "<a></b>", false},
        Outcome{"TwoRoots", "<a/><b/>", false}, Outcome{"CommentOnly", "<!--c-->", false},
        Outcome{"UndefinedEntity", "<a>&e;</a>", false}, Outcome{"NotXml", "hello", false},
        Outcome{"InternalSubset", "<!DOCTYPE a [<!ELEMENT a ANY>]><a/>", false},
        Outcome{"ExternalSubset", "<!DOCTYPE a SYSTEM \"a.dtd\"><a/>", false},
        Outcome{"UndeclaredPrefix", "<a><p:b/></a>", false},
        Outcome{"UndeclaredAttributePrefix", "<a p:b=\"1\"/>", false},
        Outcome{"PrefixBoundToNoName", "<p:a xmlns:p=\"\"/>", false},
        Outcome{"PublicExternalSubset",
                "<!DOCTYPE a PUBLIC \"-//x//y\" \"http://127.0.0.1:9/a.dtd\"><a/>", false}),
    CaseName());

TEST(Load, NullOutSlotIsRefused) {
    EXPECT_EQ(NewDom()->loadXML(B("<a/>").get(), nullptr), E_POINTER);
    EXPECT_EQ(NewConfigDocument()->LoadXml(B("<a/>").get(), nullptr), E_POINTER);
}

TEST(Load, ANewLoadReplacesTheContent) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<a><b/></a>");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(dom->loadXML(B("<c/>").get(), &loaded), S_OK);
    EXPECT_EQ(XmlOf(dom), "<c/>");
}

TEST(Load, FreshDocumentTakesCreateNodeAndLoadXml) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(dom->get_documentElement(root.put()), S_FALSE);
    EXPECT_FALSE(root);
    EXPECT_TRUE(NewElement(dom, "x"));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    EXPECT_EQ(dom->loadXML(B("<y/>").get(), &loaded), S_OK);
}

// Parsing on one thread reuses one parser: a refused or stopped parse must leave nothing behind
// for the next, and a parser that has seen many distinct names is replaced without a trace.
TEST(Load, EachParseOnAThreadStartsClean) {
    for (const char* refused : {"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "<a>", "<a></b>"}) {
        const ComPtr<IXMLDOMDocument> dom = NewDom();
        VARIANT_BOOL loaded = VARIANT_TRUE;
        dom->loadXML(B(refused).get(), &loaded);
        EXPECT_EQ(loaded, VARIANT_FALSE) << refused;
        EXPECT_EQ(XmlOf(LoadedDom("<ok a=\"1\">text</ok>")), "<ok a=\"1\">text</ok>") << refused;
    }
    for (int i = 0; i < 6000; ++i) {
        // Built by append: GCC 12 at -O3 misreads `"<" + name` as an overlapping copy.
        std::string element = "<n";
        element.append(std::to_string(i)).append("/>");
        ASSERT_EQ(XmlOf(LoadedDom(element)), element);
    }
}

}  // namespace
}  // namespace configdata_test
