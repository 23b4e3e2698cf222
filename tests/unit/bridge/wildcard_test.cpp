// MatchWildcard over UTF-8 ids: '*' any run, '?' one character (however many bytes), anchored
// at both ends, ASCII letters in either case; the same under every ANSI code page.
#include <gtest/gtest.h>

#include <string>

#include "bridge/wildcard.h"
#include "fakes/ansi_code_page.h"

namespace {

struct MatchCase {
    const char* pattern;
    const char* text;
    bool matches;
};

const MatchCase kMatchCases[] = {
    {"", "", true},
    {"", "a", false},
    {"*", "", true},
    {"*", "anything at all", true},
    {"**", "", true},
    {"a*", "A", true},
    {"a*", "abc", true},
    {"a*", "ba", false},
    {"*b", "ab", true},
    {"*b", "bb", true},
    {"*b", "cab", true},
    {"*b", "abc", false},
    {"a*b*c", "aXbYc", true},
    {"a*b*c", "abc", true},
    {"a*b*c", "acb", false},
    {"a**b", "ab", true},
    {"*aab", "aaab", true},
    {"*ab*cd", "xabyabcd", true},
    {"*a", "b", false},
    {"a*b", "a", false},
    {"abc", "ab", false},
    {"ab", "abc", false},
    {"ABC", "abc", true},
    {"aBc", "AbC", true},
    {"?", "x", true},
    {"?", "", false},
    {"?", "ab", false},
    {"*?", "", false},
    {"*?", "x", true},
    {"??", "xy", true},
    // '?' takes a whole character, however many bytes it has.
    {"?", "\xC3\xA9", true},
    {"?", "\xE2\x82\xAC", true},
    {"?", "\xF0\x9F\x98\x80", true},
    {"??", "\xC3\xA9", false},
    {"a?c",
     "a\xE2\x82\xAC"
     "c",
     true},
    {"t\xC3\xA9*", "t\xC3\xA9st", true},
    {"*\xE2\x82\xAC", "price \xE2\x82\xAC", true},
    {"\xE8\xA7\xA6?\xF0\x9F\x98\x80", "\xE8\xA7\xA6\xE5\x8F\x91\xF0\x9F\x98\x80", true},
    {"*?", "\xF0\x9F\x98\x80", true},
    {"??", "\xF0\x9F\x98\x80", false},
    // Only ASCII letters fold: an accented capital is another character.
    {"\xC3\xA9", "\xC3\x89", false},
    // A cut sequence is one character, and a stray byte is one; neither swallows the next.
    {"?b",
     "\xE2\x82"
     "b",
     true},
    {"a?c",
     "a\xFF"
     "c",
     true},
    {"?",
     "\xE2\x82"
     "b",
     false},
    // In the text '*' and '?' are ordinary characters.
    {"x*y", "x*y", true},
    {"a?", "a?", true},
    {"???", "a?b", true},
    {"*", "*?", true},
    {"a*", "b*", false},
};

class MatchWildcardTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchWildcardTest, DecidesTheMatch) {
    for (const UINT codePage : fakes::AnsiCodePages()) {
        const fakes::AnsiCodePageScope scope(codePage);
        EXPECT_EQ(MatchWildcard(GetParam().pattern, GetParam().text), GetParam().matches)
            << "pattern '" << GetParam().pattern << "' text '" << GetParam().text << "' code page "
            << codePage;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MatchWildcardTest, ::testing::ValuesIn(kMatchCases));

TEST(MatchWildcard, AbsentPatternOrTextNeverMatches) {
    EXPECT_FALSE(MatchWildcard(nullptr, "a"));
    EXPECT_FALSE(MatchWildcard("*", nullptr));
    EXPECT_FALSE(MatchWildcard(nullptr, nullptr));
}

TEST(MatchWildcard, PathologicalPatternFinishes) {
    // A backtracking matcher takes time of the text length to the power of the star count here.
    const std::string text(100000, 'a');
    EXPECT_FALSE(MatchWildcard("*a*a*a*a*b", text.c_str()));
    EXPECT_TRUE(MatchWildcard("*a*a*a*a*a", text.c_str()));
    EXPECT_TRUE(MatchWildcard("*?*?*?*?", text.c_str()));
}

struct PatternCase {
    const char* id;
    bool isPattern;
};

const PatternCase kPatternCases[] = {
    {"", false}, {"abc", false}, {"a*", true}, {"?x", true}, {"a.b[c]", false},
};

class IsWildcardPatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(IsWildcardPatternTest, TellsPatternsFromIds) {
    EXPECT_EQ(IsWildcardPattern(GetParam().id), GetParam().isPattern) << GetParam().id;
}

INSTANTIATE_TEST_SUITE_P(Cases, IsWildcardPatternTest, ::testing::ValuesIn(kPatternCases));

}  // namespace
