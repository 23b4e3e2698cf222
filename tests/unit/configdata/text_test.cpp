// Text across the UTF-16 / UTF-8 boundary: what goes in through put_text comes back out.
#include "dom_support.h"

namespace configdata_test {
namespace {

struct RoundTrip {
    const char* name;
    std::u16string_view in;
    std::u16string_view out;
};

class TextRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(TextRoundTrip, ComesBackAsExpected) {
    const ComPtr<IXMLDOMDocument> dom = NewDom();
    const ComPtr<IXMLDOMElement> element = NewElement(dom, "a");
    ASSERT_EQ(element->put_text(Bstr::Copy(GetParam().in).get()), S_OK);
    Bstr text;
    ASSERT_EQ(element->get_text(text.put()), S_OK);
    EXPECT_EQ(text.view(), GetParam().out);
}

using namespace std::string_view_literals;

std::u16string_view LongText() {
    static const std::u16string text = std::u16string(1000, u'x') + u"\u00FC\U0001D11E";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextRoundTrip,
    testing::Values(RoundTrip{"Ascii", u"plain"sv, u"plain"sv},
                    RoundTrip{"Latin", u"T\u00FCr"sv, u"T\u00FCr"sv},
                    RoundTrip{"ThreeByte", u"\u2713\u20AC"sv, u"\u2713\u20AC"sv},
                    RoundTrip{"SurrogatePair", u"\U0001D11E"sv, u"\U0001D11E"sv},
                    RoundTrip{"LoneHighSurrogate", u"a\xD834z"sv, u"a\uFFFDz"sv},
                    RoundTrip{"LoneLowSurrogate", u"a\xDD1Ez"sv, u"a\uFFFDz"sv},
                    RoundTrip{"ReversedPair", u"\xDD1E\xD834"sv, u"\uFFFD\uFFFD"sv},
                    RoundTrip{"ZeroCharacter", u"a\0b"sv, u"a\uFFFDb"sv},
                    RoundTrip{"LongerThanAnyInlineBuffer", LongText(), LongText()}),
    CaseName());

TEST(Text, NamesAndAttributesOutsideAsciiTravelUnchanged) {
    const ComPtr<IXMLDOMDocument> dom = LoadedDom("<t\xC3\xBCr s=\"\xE2\x9C\x93\"/>");
    const ComPtr<IXMLDOMElement> root = RootOf(dom);
    Bstr name;
    ASSERT_EQ(root->get_nodeName(name.put()), S_OK);
    EXPECT_EQ(name.view(), u"t\u00FCr");
    EXPECT_EQ(XmlOf(root), "<t\xC3\xBCr s=\"\xE2\x9C\x93\"/>");
}

}  // namespace
}  // namespace configdata_test
