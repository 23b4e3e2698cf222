// The xml property, written as the platform DOM writes it: exact strings.
#include "dom_support.h"

namespace configdata_test {
namespace {

struct Written {
    const char* name;
    const char* loaded;    // text given to loadXML
    const char* root;      // expected xml of the root element
    const char* document;  // expected xml of the document
};

class Serialisation : public testing::TestWithParam<Written> {};

TEST_P(Serialisation, WritesExactly) {
    const Written& c = GetParam();
    const ComPtr<IXMLDOMDocument> dom = LoadedDom(c.loaded);
    EXPECT_EQ(XmlOf(RootOf(dom)), c.root);
    EXPECT_EQ(XmlOf(dom), c.document);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Serialisation,
    testing::Values(
        Written{"EmptyElement", "<Result/>", "<Result/>", "<Result/>"},
        Written{"EmptyPairIsEmptyElement", "<Result></Result>", "<Result/>", "<Result/>"},
        Written{"TextEscapesLtAmp", "<a>a&lt;b&amp;c</a>", "<a>a&lt;b&amp;c</a>",
                "<a>a&lt;b&amp;c</a>"},
        Written{"TextEscapesGtNotQuotes", "<a>x&gt;y\"z'</a>", "<a>x&gt;y\"z'</a>",
                "<a>x&gt;y\"z'</a>"},
        Written{"BareGtInTextIsEscaped", "<a>x>y</a>", "<a>x&gt;y</a>", "<a>x&gt;y</a>"},
        Written{"AttributeEscapes", "<a v='a\"b&amp;c&lt;d>&apos;'/>",
                "<a v=\"a&quot;b&amp;c&lt;d&gt;'\"/>", "<a v=\"a&quot;b&amp;c&lt;d&gt;'\"/>"},
        Written{"AttributeWhiteSpaceReferences", "<a v=\"x&#9;y&#10;z&#13;\"/>",
                "<a v=\"x&#9;y&#10;z&#13;\"/>", "<a v=\"x&#9;y&#10;z&#13;\"/>"},
        Written{"CarriageReturnInText", "<a>x&#13;y</a>", "<a>x&#13;y</a>", "<a>x&#13;y</a>"},
        Written{"NonAsciiAsItself", "<a b=\"&#233;\">T\xC3\xBCr \xE2\x9C\x93 \xF0\x9D\x84\x9E</a>",
                "<a b=\"\xC3\xA9\">T\xC3\xBCr \xE2\x9C\x93 \xF0\x9D\x84\x9E</a>",
                "<a b=\"\xC3\xA9\">T\xC3\xBCr \xE2\x9C\x93 \xF0\x9D\x84\x9E</a>"},
        Written{"ChildrenAndAttributesInOrder", "<r b=\"2\" a=\"1\"><c/>t<d>x</d></r>",
                "<r b=\"2\" a=\"1\"><c/>t<d>x</d></r>", "<r b=\"2\" a=\"1\"><c/>t<d>x</d></r>"},
        Written{"IndentationDropped", "<?xml version=\"1.0\"?>\n<r>\n  <c/>\n</r>\n", "<r><c/></r>",
                "<?xml version=\"1.0\"?>\n<r><c/></r>"},
        Written{"LineEndsStayLineFeeds", "<a>x\r\ny\rz</a>", "<a>x\ny\nz</a>", "<a>x\ny\nz</a>"},
        Written{"CommentPiCdata", "<r><!--c--><?p d?><![CDATA[<x>&]]></r>",
                "<r><!--c--><?p d?><![CDATA[<x>&]]></r>", "<r><!--c--><?p d?><![CDATA[<x>&]]></r>"},
        Written{"Namespaces", "<p:r xmlns:p=\"u\" xmlns=\"d\"><p:c p:a=\"1\"/><e/></p:r>",
                "<p:r xmlns:p=\"u\" xmlns=\"d\"><p:c p:a=\"1\"/><e/></p:r>",
                "<p:r xmlns:p=\"u\" xmlns=\"d\"><p:c p:a=\"1\"/><e/></p:r>"},
        Written{"DeclarationKeptOnDocumentOnly", "<?xml version=\"1.0\"?><a/>", "<a/>",
                "<?xml version=\"1.0\"?>\n<a/>"},
        Written{"DeclarationAttributesAsGiven",
                "<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\n<a/>", "<a/>",
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<a/>"},
        // The text is Unicode already: a declared encoding is kept but changes nothing.
        Written{"DeclaredEncodingIgnored",
                "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xC3\xA9</a>", "<a>\xC3\xA9</a>",
                "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a>\xC3\xA9</a>"},
        Written{"TopLevelNodesOnLinesOfTheirOwn", "<!--c--><a/><?p?>", "<a/>",
                "<!--c-->\n<a/>\n<?p?>"}),
    CaseName());

// Text of nothing but white space is dropped at load unless xml:space="preserve" holds.
struct Spaced {
    const char* name;
    const char* loaded;
    const char* root;  // expected xml of the root element
};

class WhiteSpace : public testing::TestWithParam<Spaced> {};

TEST_P(WhiteSpace, DroppedUnlessPreserved) {
    EXPECT_EQ(XmlOf(RootOf(LoadedDom(GetParam().loaded))), GetParam().root);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WhiteSpace,
    testing::Values(
        Spaced{"OnlyBlanks", "<a> \t\r\n</a>", "<a/>"},
        Spaced{"CharacterReferencesToBlanks", "<a>&#32;&#9;&#10;</a>", "<a/>"},
        Spaced{"TextKeptWhole", "<a>  x \n </a>", "<a>  x \n </a>"},
        Spaced{"ReferenceAmongBlanksKeptWhole", "<a> &amp; </a>", "<a> &amp; </a>"},
        Spaced{"MixedContent", "<a>x <b/> <c/> y</a>", "<a>x <b/><c/> y</a>"},
        Spaced{"NoBreakSpaceIsText", "<a>\xC2\xA0</a>", "<a>\xC2\xA0</a>"},
        Spaced{"AroundOtherNodes", "<a> <![CDATA[ ]]> <!-- c --> <?p?> </a>",
               "<a><![CDATA[ ]]><!-- c --><?p?></a>"},
        Spaced{"Preserved", "<a xml:space=\"preserve\"> <b> </b></a>",
               "<a xml:space=\"preserve\"> <b> </b></a>"},
        Spaced{"PreservedUntilDefault",
               "<a xml:space=\"preserve\"><b> </b><c xml:space=\"default\"> <d> </d></c></a>",
               "<a xml:space=\"preserve\"><b> </b><c xml:space=\"default\"><d/></c></a>"},
        Spaced{"PreservedInsideDefault", "<a> <b xml:space=\"preserve\"> </b> </a>",
               "<a><b xml:space=\"preserve\"> </b></a>"},
        Spaced{"UnknownRuleInherits", "<a xml:space=\"preserve\"><b xml:space=\"x\"> </b></a>",
               "<a xml:space=\"preserve\"><b xml:space=\"x\"> </b></a>"},
        Spaced{"OtherNamespaceNoRule", "<a xmlns:x=\"u\" x:space=\"preserve\"> </a>",
               "<a xmlns:x=\"u\" x:space=\"preserve\"/>"},
        Spaced{"DeepAndSiblingsAfterDrops", "<a><b>\n<c>\n<d> </d>\n</c>\n</b>\n<e> </e>x</a>",
               "<a><b><c><d/></c></b><e/>x</a>"}),
    CaseName());

struct Built {
    const char* name;
    const char* text;  // put_text of a fresh <a> element
    const char* xml;
};

class BuiltText : public testing::TestWithParam<Built> {};

TEST_P(BuiltText, WritesExactly) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    const ComPtr<IXMLDOMElement> element = NewElement(dom, "a");
    ASSERT_EQ(element->put_text(B(GetParam().text).get()), S_OK);
    EXPECT_EQ(XmlOf(element), GetParam().xml);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BuiltText,
    testing::Values(Built{"Markup", "a<b&c", "<a>a&lt;b&amp;c</a>"},
                    Built{"Fragment", "<x/>", "<a>&lt;x/&gt;</a>"},
                    Built{"Quotes", "x>y\"z'", "<a>x&gt;y\"z'</a>"},
                    Built{"EmptyTextNoChild", "", "<a/>"},
                    Built{"WhiteSpaceKeptWhenNotLoaded", " \n ", "<a> \n </a>"},
                    Built{"EntityLookalikeIsLiteral", "&amp;", "<a>&amp;amp;</a>"},
                    Built{"ControlCharacterReplaced", "x\x01y", "<a>x\xEF\xBF\xBDy</a>"}),
    CaseName());

TEST(SerialisationBuilt, AttributeValueEscapes) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    const ComPtr<IXMLDOMElement> element = NewElement(dom, "a");
    VARIANT value;
    value.vt = VT_BSTR;
    const Bstr text = B("a\"b&c<d>'");
    value.bstrVal = text.get();
    ASSERT_EQ(element->setAttribute(B("v").get(), value), S_OK);
    EXPECT_EQ(XmlOf(element), "<a v=\"a&quot;b&amp;c&lt;d&gt;'\"/>");
}

TEST(SerialisationBuilt, NewDocumentHasNoDeclaration) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    EXPECT_EQ(XmlOf(dom), "");
    const ComPtr<IXMLDOMElement> root = NewElement(dom, "r");
    ASSERT_EQ(dom->appendChild(root.get(), nullptr), S_OK);
    EXPECT_EQ(XmlOf(dom), "<r/>");
}

}  // namespace
}  // namespace configdata_test
