// Text nobody vouches for: each attack is refused, leaves the document empty and costs little.
#include <string>

#include "dom_support.h"

namespace configdata_test {
namespace {

std::string BillionLaughs() {
    std::string text = "<!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int level = 1; level <= 9; ++level) {
        text += "<!ENTITY lol" + std::to_string(level) + " \"" +
                Repeat("&lol" + (level > 1 ? std::to_string(level - 1) : std::string()) + ";", 10) +
                "\">";
    }
    return text + "]><lolz>&lol9;</lolz>";
}

std::string QuadraticBlowUp() {
    return "<!DOCTYPE x [<!ENTITY a \"" + std::string(50000, 'a') + "\">]><x>" +
           Repeat("&a;", 50000) + "</x>";
}

std::string Nested(std::size_t depth) {
    return Repeat("<a>", depth) + Repeat("</a>", depth);
}

std::string ManyAttributes(std::size_t count) {
    std::string text = "<a";
    for (std::size_t i = 0; i < count; ++i) {
        text += " a" + std::to_string(i) + "=\"\"";
    }
    return text + "/>";
}

// `levels` nested elements, each declaring `each` namespaces, around prefixed elements.
std::string StackedNamespaces(std::size_t levels, std::size_t each) {
    std::string text = "<r xmlns:p=\"u\">";
    for (std::size_t level = 0; level < levels; ++level) {
        text += "<e";
        for (std::size_t i = 0; i < each; ++i) {
            text += " xmlns:n" + std::to_string(i) + "=\"v\"";
        }
        text += ">";
    }
    text += Repeat("<p:x/>", 1000);
    return text + Repeat("</e>", levels) + "</r>";
}

struct Attack {
    const char* name;
    std::string (*text)();
};

class HostileText : public testing::TestWithParam<Attack> {};

TEST_P(HostileText, IsRefusedAndLeavesTheDocumentEmpty) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<previous/>");
    VARIANT_BOOL loaded = VARIANT_TRUE;
    EXPECT_EQ(dom->loadXML(B(GetParam().text()).get(), &loaded), S_FALSE);
    EXPECT_EQ(loaded, VARIANT_FALSE);
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(dom->get_documentElement(root.put()), S_FALSE);
    EXPECT_EQ(XmlOf(dom), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileText,
    testing::Values(
        Attack{"ExternalEntityFile",
               [] {
                   return std::string(
                       "<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
                       "<x>&e;</x>");
               }},
        Attack{"ExternalParameterEntity",
               [] {
                   return std::string(
                       "<!DOCTYPE x [<!ENTITY % p SYSTEM "
                       "\"http://127.0.0.1:9/p.dtd\"> %p;]><x/>");
               }},
        Attack{"BillionLaughs", &BillionLaughs}, Attack{"QuadraticBlowUp", &QuadraticBlowUp},
        Attack{"TenThousandDeep", [] { return Nested(10000); }},
        Attack{"JustPastTheDepthLimit", [] { return Nested(257); }},
        Attack{"HundredThousandAttributes", [] { return ManyAttributes(100000); }},
        Attack{"StackedNamespaceDeclarations", [] { return StackedNamespaces(200, 50); }},
        Attack{"MillionElements", [] { return "<r>" + Repeat("<a/>", 1000000) + "</r>"; }},
        Attack{"MillionAttributes",
               [] { return "<r>" + Repeat("<a b=\"\" c=\"\"/>", 400000) + "</r>"; }}),
    CaseName());

TEST(HostileText, FiftyMegabytesAreRefusedBeforeParsing) {
    std::u16string text = u"<a>";
    text.append(50u * 1024u * 1024u, u'x');
    text += u"</a>";
    const ComPtr<IConfigDocument> config = NewConfigDocument();
    LONG loaded = 1;
    EXPECT_EQ(config->LoadXml(Bstr::Copy(text).get(), &loaded), S_OK);
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(XmlOf(DomOf(config)), "");
}

struct Fair {
    const char* name;
    std::string (*text)();
};

class FairText : public testing::TestWithParam<Fair> {};

// The limits refuse attacks, not documents that merely come near them.
TEST_P(FairText, IsAccepted) {
    LoadedDom(GetParam().text());
}

INSTANTIATE_TEST_SUITE_P(
    Table, FairText,
    testing::Values(Fair{"AtTheDepthLimit", [] { return Nested(256); }},
                    Fair{"AtTheAttributeLimit", [] { return ManyAttributes(256); }},
                    Fair{"NamespacesAtTheLimit", [] { return StackedNamespaces(8, 7); }},
                    Fair{"EqualsSignsInText", [] { return "<a>" + Repeat("x=1 ", 5000) + "</a>"; }},
                    Fair{"EqualsSignsInComments",
                         [] { return "<a><!--" + Repeat("a='", 5000) + "--></a>"; }},
                    Fair{"MarkupCharactersInValues",
                         [] { return std::string("<a v=\"x>y=z'\" w='\"'>t</a>"); }},
                    Fair{"ManySmallElements",
                         [] { return "<r>" + Repeat("<e a=\"1\" b=\"2\"/>", 20000) + "</r>"; }}),
    CaseName());

// ---- expressions

TEST(HostileExpression, DeepNestingAndLengthAreRefused) {
    LONG valid = 7;
    const std::string atLimit = Repeat("(", 64) + "1" + Repeat(")", 64);
    EXPECT_EQ(ConfigDataCheckExpression(B(atLimit).get(), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    const std::string tooDeep = Repeat("(", 65) + "1" + Repeat(")", 65);
    EXPECT_EQ(ConfigDataCheckExpression(B(tooDeep).get(), &valid), S_OK);
    EXPECT_EQ(valid, 0);
    const std::string tooDeepPredicates = "/a" + Repeat("[b", 5000) + Repeat("]", 5000);
    EXPECT_EQ(ConfigDataCheckExpression(B(tooDeepPredicates).get(), &valid), S_OK);
    EXPECT_EQ(valid, 0);
    const std::string tooLong = "/a[@b='" + std::string(5000, 'x') + "']";
    EXPECT_EQ(ConfigDataCheckExpression(B(tooLong).get(), &valid), S_OK);
    EXPECT_EQ(valid, 0);
}

TEST(HostileExpression, LongestChainOfOperatorsRunsWithoutHarm) {
    const std::string chain = "1" + Repeat("+1", 2047);
    LONG valid = 0;
    EXPECT_EQ(ConfigDataCheckExpression(B(chain).get(), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    const ComPtr<IConfigDocument> config = NewConfigDocument();
    LONG loaded = 0;
    ASSERT_EQ(config->LoadXml(B("<a/>").get(), &loaded), S_OK);
    LONG matched = 0;
    EXPECT_EQ(ConfigDataEvaluate(config.get(), B(chain).get(), &matched), S_OK);
    EXPECT_EQ(matched, 1);
}

TEST(HostileExpression, RunawayEvaluationStopsAtItsLimit) {
    const ComPtr<IConfigDocument> config = NewConfigDocument();
    LONG loaded = 0;
    ASSERT_EQ(config->LoadXml(B("<r>" + Repeat("<a/>", 3000) + "</r>").get(), &loaded), S_OK);
    const Bstr quadratic = B("//*[count(//*) > 0]");

    SetErrorInfo(0, nullptr);
    LONG matched = 7;
    // count() needs the whole node-set, where a bare path would stop at the first match.
    EXPECT_EQ(ConfigDataEvaluate(config.get(), B("count(//*[count(//*) > 0])").get(), &matched),
              CONFIGDATA_S_OUT_OF_WORK);
    EXPECT_EQ(matched, 0);
    EXPECT_THAT(LastErrorDescription(), testing::HasSubstr("ran out of work"));

    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(DomOf(config)->selectSingleNode(quadratic.get(), node.put()), E_FAIL);
    EXPECT_FALSE(node);
    // The document serves the next, fair query as before.
    EXPECT_EQ(ConfigDataEvaluate(config.get(), B("/r/a").get(), &matched), S_OK);
    EXPECT_EQ(matched, 1);
}

}  // namespace
}  // namespace configdata_test
