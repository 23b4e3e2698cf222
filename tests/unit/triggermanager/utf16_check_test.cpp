#include "triggermanager/utf16_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextCase {
    std::u16string text;
    bool wellFormed;
    bool xml;
};

class TextChecks : public testing::TestWithParam<TextCase> {};

TEST_P(TextChecks, AgreeWithTheTable) {
    EXPECT_EQ(IsWellFormedUtf16(GetParam().text), GetParam().wellFormed);
    EXPECT_EQ(IsXmlText(GetParam().text), GetParam().xml);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextChecks,
    testing::Values(TextCase{u"", true, true}, TextCase{u"door.front", true, true},
                    TextCase{u"t\u00FCr \u2713", true, true},
                    TextCase{u"\U0001F6AA", true, true},                   // a surrogate pair
                    TextCase{std::u16string(1, u'\xD83D'), false, false},  // lone high
                    TextCase{std::u16string(u"a") + u'\xDEAA' + u"b", false, false},  // lone low
                    TextCase{std::u16string(u"\xDEAA\xD83D"), false, false},  // reversed pair
                    TextCase{u"tab\tline\ncr\r", true, true},
                    TextCase{std::u16string(u"nul") + u'\0', true, false},
                    TextCase{u"bell\a", true, false}, TextCase{u"\uFFFE", true, false},
                    TextCase{u"\uFFFF", true, false}, TextCase{u"\uFFFD", true, true}));

}  // namespace
