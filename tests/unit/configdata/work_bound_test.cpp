// The bound on the work of one evaluation: expressions keep the values libxml2 gives them
// unbounded, and expressions that would take too long stop with a result that says so.
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <string>

#include "dom_support.h"

namespace configdata_test {
namespace {

constexpr const char* kDocument =
    "<r xml:lang='en'><a id='1' k='x'>one<b>two</b><!--c--><?p data?></a>"
    "<a id='2' k='y'><b>3</b><b>4</b><c><b>5</b></c></a><d xml:id='i1'>4</d>"
    "<e><![CDATA[cd]]></e></r>";

// The value of `expression` as libxml2 gives it without any bound, as the text of string(),
// with the node count of a node-set.
struct Plain {
    bool truth = false;
    std::string text;
    int nodes = -1;
};

Plain PlainValue(const std::string& expression) {
    xmlDoc* document =
        xmlReadMemory(kDocument, static_cast<int>(std::char_traits<char>::length(kDocument)),
                      nullptr, nullptr, XML_PARSE_NONET);
    xmlXPathContext* context = xmlXPathNewContext(document);
    context->node = xmlDocGetRootElement(document);
    xmlXPathObject* value =
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), context);
    Plain plain;
    if (value != nullptr) {
        plain.truth = xmlXPathCastToBoolean(value) != 0;
        xmlChar* text = xmlXPathCastToString(value);
        plain.text = reinterpret_cast<const char*>(text);
        xmlFree(text);
        if (value->type == XPATH_NODESET) {
            plain.nodes = value->nodesetval != nullptr ? value->nodesetval->nodeNr : 0;
        }
        xmlXPathFreeObject(value);
    }
    xmlXPathFreeContext(context);
    xmlFreeDoc(document);
    return plain;
}

LONG Evaluated(IConfigDocument* document, const std::string& expression, HRESULT expected = S_OK) {
    LONG matched = 7;
    EXPECT_EQ(ConfigDataEvaluate(document, B(expression).get(), &matched), expected)
        << expression << ": " << LastErrorDescription();
    return matched;
}

class KeepsItsValue : public testing::TestWithParam<const char*> {};

// Every kind of operand for each construct the bound rewrites (comparisons, arithmetic, unions,
// steps from several nodes along each axis, with and without predicates) and each function.
TEST_P(KeepsItsValue, AsLibxml2GivesItUnbounded) {
    const std::string expression = GetParam();
    const Plain plain = PlainValue(expression);
    const ComPtr<IConfigDocument> document = NewConfigDocument();
    LONG loaded = 0;
    ASSERT_EQ(document->LoadXml(B(kDocument).get(), &loaded), S_OK);

    EXPECT_EQ(Evaluated(document.get(), expression), plain.truth ? 1 : 0) << expression;
    EXPECT_EQ(Evaluated(document.get(), "string(" + expression + ") = \"" + plain.text + "\""), 1)
        << expression << " should give '" << plain.text << "'";
    if (plain.nodes >= 0) {
        EXPECT_EQ(
            Evaluated(document.get(), "count(" + expression + ") = " + std::to_string(plain.nodes)),
            1)
            << expression << " should hold " << plain.nodes << " nodes";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, KeepsItsValue,
    testing::Values(
        "a", "//b", "a/b", "//a//b", "//a//b[1]", "//a//b[last()]", "//b/..", "//b/ancestor::*",
        "//b/ancestor::a[1]", "//b/ancestor-or-self::*[2]", "//b/following::*",
        "//b/following-sibling::b", "//b/preceding::b[1]", "//b/preceding-sibling::*",
        "//a/descendant::b[2]", "//a/descendant-or-self::node()/b", "//c/parent::a/@id",
        "//parent::a", "a//parent::*", "//a//self::b", "//a//descendant-or-self::c",
        "(//b | //a)[3]", "//b | //d", "count(//b | //a/b)", "//b = 4", "//b = '4'", "//b != 4",
        "//b < 4", "//b <= 3", "//b > 4", "//b >= 5", "//a = //d", "//b = //d", "//a/@id = 2",
        "@nothing = ''", "//b = true()", "//nothing = false()", "//b[. = 'two']", "//b[. > 3]",
        "//a[b = 3]", "1 = 1 = 1", "//b = //b", "(//b)[2] < (//b)[3]", "//b + 1", "-//b", "-(-//d)",
        "//b * 2", "//d div 2", "//d mod 3", "string(//b)", "string(.)", "string-length(//a)",
        "normalize-space(' a  b ')", "concat(//a/@k, '-', //d)", "contains(//a, 'tw')",
        "starts-with(//a, 'on')", "substring(//a, 2, 3)", "substring-before(//a, 'two')",
        "substring-after(//a, 'o')", "translate(//a, 'on', 'ON')", "number(//d)", "sum(//b)",
        "count(//b)", "local-name(//b)", "name(//*[2])", "namespace-uri(//b)", "lang('en')",
        "//b[lang('en')]", "id('i1')", "id('i1')/ancestor::*", "not(//x)", "true() and //b",
        "//x or //b", "floor(2.5) + ceiling(2.5) + round(2.5)", "1e2 = 100", ".5 + .5 = 1",
        "//b[position() = last()]", "//text()", "//comment()", "//processing-instruction('p')",
        "//e/text()", "//*[@k][2]", "//@*", "//a[@id = '2']//b", "//a[.//c]", "//b[ancestor::c]",
        "//*[self::b or self::d]", ".//b", "../r", "/", "/r", "//node()[2]",
        "number('x') = number('x')"));

struct Runaway {
    const char* name;
    std::string document;
    const char* expression;
};

// Chains 50 deep: a step from each of their nodes finds every node below it again.
const std::string kChains = "<r>" + Repeat(Repeat("<a>", 50) + Repeat("</a>", 50), 100) + "</r>";
const std::string kFlat = "<r>" + Repeat("<a>x</a>", 3000) + "</r>";
const std::string kText =
    "<r>" + Repeat("<a>", 10) + std::string(400000, 'x') + Repeat("</a>", 10) + "</r>";

std::string Namespaces() {
    std::string text = "<r";
    for (int i = 0; i < 60; ++i) {
        text += " xmlns:p" + std::to_string(i) + "='u'";
    }
    return text + ">" + kChains.substr(3);
}
const std::string kNamespaces = Namespaces();

class StopsOutOfWork : public testing::TestWithParam<Runaway> {};

// Each row's work hides from libxml2's own count in a different place.
TEST_P(StopsOutOfWork, AndSaysSo) {
    const ComPtr<IConfigDocument> document = NewConfigDocument();
    LONG loaded = 0;
    ASSERT_EQ(document->LoadXml(B(GetParam().document).get(), &loaded), S_OK);
    ASSERT_EQ(loaded, 1);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(Evaluated(document.get(), GetParam().expression, CONFIGDATA_S_OUT_OF_WORK), 0);
    EXPECT_THAT(LastErrorDescription(), testing::HasSubstr("ran out of work"));
    // The document and the thread serve the next, fair expression as before.
    EXPECT_EQ(Evaluated(document.get(), "/r/a"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StopsOutOfWork,
    testing::Values(
        Runaway{"MergedDescendants", kChains, "count(//*//*//*) > 0"},
        Runaway{"MergedAncestors", kChains, "count(//*/ancestor::*) < 0"},
        Runaway{"MergedFollowingSiblings", kFlat, "count(//a/following-sibling::a) < 0"},
        Runaway{"Union", kFlat, "count(//a | //a | //a | //a) < 0"},
        Runaway{"NodeSetsCompared", kFlat, "//a = //a"},
        Runaway{"StringValuesCompared", kText, "//*[. = 'xxy']"},
        Runaway{"StringOfTheRootInAPredicate", kFlat, "//a[string-length(string(/)) < 0]"},
        Runaway{"ConcatDoubling", kText,
                "string-length(concat(concat(concat(/, /), concat(/, /)), concat(/, /))) < 0"},
        Runaway{"SearchWithALongNeedle", kText, "contains(/, concat(substring(/, 2), 'y'))"},
        Runaway{"TranslateWithALongTable", kText, "translate(/, /, 'y') = ''"},
        Runaway{"SumOfNestedValues", kText, "sum(//*) < 0"},
        Runaway{"NamespacesOfDeepElements", kNamespaces, "count(//*/namespace::*) < 0"}),
    CaseName());

}  // namespace
}  // namespace configdata_test
