#include "triggermanager/fire_reply.h"

#include <gtest/gtest.h>

namespace {

struct EscapeCase {
    const char* id;
    const char* written;
};

class ReplyEscaping : public testing::TestWithParam<EscapeCase> {};

TEST_P(ReplyEscaping, WritesTheIdSoAParserReadsItBack) {
    std::string out;
    AppendAttributeValue(out, GetParam().id);
    EXPECT_EQ(out, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyEscaping,
    testing::Values(EscapeCase{"door.front", "door.front"}, EscapeCase{"a&b", "a&amp;b"},
                    EscapeCase{"<x>", "&lt;x&gt;"}, EscapeCase{"say \"hi\"", "say &quot;hi&quot;"},
                    EscapeCase{"it's", "it's"}, EscapeCase{"tab\there", "tab&#x9;here"},
                    EscapeCase{"line\nbreak\r", "line&#xA;break&#xD;"},
                    EscapeCase{"t\xC3\xBCr \xE2\x9C\x93", "t\xC3\xBCr \xE2\x9C\x93"}));

TEST(FireReplies, ListMatchesInTheOrderGiven) {
    EXPECT_EQ(MatchedReply({"door1", "door2"}),
              "<FireResult matched=\"2\"><Trigger id=\"door1\"/><Trigger id=\"door2\"/>"
              "</FireResult>");
    EXPECT_EQ(MatchedReply({}), "<FireResult matched=\"0\"/>");
    EXPECT_EQ(MatchedReply({"a&b"}),
              "<FireResult matched=\"1\"><Trigger id=\"a&amp;b\"/></FireResult>");
    EXPECT_EQ(MatchedReply({"door1"}, {"slow", "<x>"}),
              "<FireResult matched=\"1\" exhausted=\"2\"><Trigger id=\"door1\"/>"
              "<Exhausted id=\"slow\"/><Exhausted id=\"&lt;x&gt;\"/></FireResult>");
    EXPECT_EQ(MatchedReply({}, {"slow"}),
              "<FireResult matched=\"0\" exhausted=\"1\"><Exhausted id=\"slow\"/></FireResult>");
}

TEST(FireReplies, SaySuspendedOrRefused) {
    EXPECT_EQ(SuspendedReply(), "<FireResult suspended=\"true\" matched=\"0\"/>");
    EXPECT_EQ(RefusedReply(17), "<FireResult refused=\"loop\" depth=\"17\" matched=\"0\"/>");
    EXPECT_EQ(OverBudgetReply(256),
              "<FireResult refused=\"budget\" budget=\"256\" matched=\"0\"/>");
}

}  // namespace
