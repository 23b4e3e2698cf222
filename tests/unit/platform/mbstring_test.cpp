#include <string>

#include "code_page_fixture.h"

namespace {

const unsigned char* Bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

struct Step {
    UINT codePage;
    const char* text;
    std::ptrdiff_t expected;
};

void PrintTo(const Step& c, std::ostream* os) {
    *os << c.codePage << " step " << c.expected << " over";
    for (const char* p = c.text; *p != 0; ++p) {
        *os << ' ' << std::hex << (static_cast<unsigned>(*p) & 0xFFu);
    }
}

using MbsInc = AnsiCodePageParamTest<Step>;

TEST_P(MbsInc, StepsOneCharacterOfTheAnsiCodePage) {
    Use(GetParam().codePage);
    const unsigned char* text = Bytes(GetParam().text);
    EXPECT_EQ(_mbsinc(text) - text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, MbsInc,
    testing::Values(Step{CP_UTF8, "a", 1}, Step{CP_UTF8, "\xC3\xA9x", 2},
                    Step{CP_UTF8, "\xE2\x82\xAC", 3}, Step{CP_UTF8, "\xF0\x9F\x98\x80", 4},
                    Step{CP_UTF8,
                         "\xFF"
                         "a",
                         1},
                    Step{CP_UTF8, "\x80\x80", 1}, Step{CP_UTF8, "\xC0\xAF", 1},
                    // a sequence cut short by the terminator stops at it
                    Step{CP_UTF8, "\xE2\x82", 2}, Step{CP_UTF8, "\xF0", 1},
                    // ... and one cut short by another character is one replaced character
                    Step{CP_UTF8,
                         "\xE2\x82"
                         "a",
                         2},
                    Step{CP_WINDOWS_1252, "\xC3\xA9", 1},
                    Step{CP_WINDOWS_1252, "\xE2\x82\xAC", 1}));

int CharactersIn(const char* text) {
    int count = 0;
    for (const unsigned char* p = Bytes(text); *p != 0; p = _mbsinc(p)) {
        ++count;
    }
    return count;
}

using MbsIncWalk = AnsiCodePageTest;

TEST_F(MbsIncWalk, WalksAStringCharacterByCharacter) {
    const char* text = "h\xC3\xA9llo\xE2\x82\xAC";
    EXPECT_EQ(CharactersIn(text), 6);
    Use(CP_WINDOWS_1252);
    EXPECT_EQ(CharactersIn(text), 9);
}

struct Comparison {
    UINT codePage;
    const char* first;
    const char* second;
    std::size_t count;
    int sign;
};

void PrintTo(const Comparison& c, std::ostream* os) {
    *os << c.codePage << " '" << c.first << "' vs '" << c.second << "' over " << c.count;
}

using MbsNicmp = AnsiCodePageParamTest<Comparison>;

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST_P(MbsNicmp, ComparesCharactersFoldingAsciiLetters) {
    const auto& c = GetParam();
    Use(c.codePage);
    EXPECT_EQ(Sign(_mbsnicmp(Bytes(c.first), Bytes(c.second), c.count)), c.sign);
    EXPECT_EQ(Sign(_mbsnicmp(Bytes(c.second), Bytes(c.first), c.count)), -c.sign);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, MbsNicmp,
    testing::Values(Comparison{CP_UTF8, "abc", "ABC", 3, 0},
                    Comparison{CP_UTF8, "abc", "abd", 3, -1},
                    Comparison{CP_UTF8, "abc", "abd", 2, 0},
                    Comparison{CP_UTF8, "ab", "abc", 3, -1}, Comparison{CP_UTF8, "ab", "AB", 10, 0},
                    Comparison{CP_UTF8, "x", "y", 0, 0},
                    // letters fold to lower case, which orders them after '_'
                    Comparison{CP_UTF8, "_", "A", 1, -1},
                    // only ASCII folds
                    Comparison{CP_UTF8, "\xC3\x89", "\xC3\xA9", 1, -1},
                    // under UTF-8 the first character spans two bytes, so two characters reach
                    // the differing letter; under 1252 they do not
                    Comparison{CP_UTF8,
                               "\xC3\xA9"
                               "a",
                               "\xC3\xA9"
                               "B",
                               2, -1},
                    Comparison{CP_WINDOWS_1252,
                               "\xC3\xA9"
                               "a",
                               "\xC3\xA9"
                               "B",
                               2, 0},
                    Comparison{CP_WINDOWS_1252,
                               "\xC3\xA9"
                               "a",
                               "\xC3\xA9"
                               "B",
                               3, -1},
                    Comparison{CP_WINDOWS_1252, "ABC", "abc", 3, 0}));

}  // namespace
