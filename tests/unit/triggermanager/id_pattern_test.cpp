#include "triggermanager/id_pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PatternCase {
    const char* pattern;
    const char* id;
    bool matches;
};

class IdPatternMatch : public testing::TestWithParam<PatternCase> {};

TEST_P(IdPatternMatch, AgreesWithTheTable) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(MatchesIdPattern(c.pattern, c.id), c.matches)
        << "pattern \"" << c.pattern << "\" id \"" << c.id << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Table, IdPatternMatch,
    testing::Values(
        // anchored at both ends
        PatternCase{"door", "door", true}, PatternCase{"door", "doors", false},
        PatternCase{"door", "adoor", false}, PatternCase{"", "", true}, PatternCase{"", "a", false},
        // '*' any run, none included
        PatternCase{"*", "", true}, PatternCase{"*", "anything", true},
        PatternCase{"door.*", "door.", true}, PatternCase{"door.*", "door.front", true},
        PatternCase{"door.*", "door", false}, PatternCase{"*.front", "door.front", true},
        PatternCase{"d*r", "dr", true}, PatternCase{"d*r", "door", true},
        PatternCase{"d*r", "doors", false}, PatternCase{"a*b*c", "aXbYc", true},
        PatternCase{"a*b*c", "acb", false}, PatternCase{"**", "x", true},
        PatternCase{"a*a", "aaa", true}, PatternCase{"*ab", "aab", true},
        PatternCase{"*aab", "aaab", true},
        // '?' exactly one character
        PatternCase{"?", "", false}, PatternCase{"?", "a", true}, PatternCase{"?", "ab", false},
        PatternCase{"d??r", "door", true}, PatternCase{"d??r", "dor", false},
        PatternCase{"*?", "", false}, PatternCase{"*?", "z", true},
        // ASCII letters in either case; other bytes exactly
        PatternCase{"ROOM.*", "room.a", true}, PatternCase{"room.*", "ROOM.c", true},
        PatternCase{"r?om", "RoOM", true}, PatternCase{"a[", "A[", true},
        PatternCase{"@", "`", false},
        // one UTF-8 sequence is one character
        PatternCase{"t?r", "t\xC3\xBCr", true},      // t-u-umlaut-r
        PatternCase{"t??r", "t\xC3\xBCr", false},    // not two bytes
        PatternCase{"?", "\xE2\x9C\x93", true},      // check mark, three bytes
        PatternCase{"?", "\xF0\x9F\x9A\xAA", true},  // door emoji, four bytes
        PatternCase{"t\xC3\xBC*", "t\xC3\xBCr.vorne", true},
        PatternCase{"T\xC3\x9C*", "t\xC3\xBCr", false}));  // non-ASCII letters keep their case

TEST(IdPattern, OnlyStarsAndQuestionMarksMakeAPattern) {
    EXPECT_TRUE(IsIdPattern("door.*"));
    EXPECT_TRUE(IsIdPattern("d?or"));
    EXPECT_FALSE(IsIdPattern("door.front"));
    EXPECT_FALSE(IsIdPattern("[door]+"));
    EXPECT_FALSE(IsIdPattern(""));
}

TEST(IdPattern, ManyStarsAgainstALongIdStillFinish) {
    // Backtracking into every star would take longer than the universe has; retrying only the
    // last star answers at once.
    std::string pattern;
    for (int i = 0; i < 40; ++i) {
        pattern += "*a";
    }
    pattern += "*b";
    const std::string id(5000, 'a');
    EXPECT_FALSE(MatchesIdPattern(pattern, id));
    EXPECT_TRUE(MatchesIdPattern(pattern, id + "b"));
}

}  // namespace
