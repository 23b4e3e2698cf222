#include <gtest/gtest.h>

#include "scenario.h"
#include "xml_peek.h"

namespace {

TEST(Scenario, SendsEveryChildElementInDocumentOrderAndPrintsNotes) {
    std::string error;
    const auto steps = ParseScenario(
        "<S><Note> first </Note><Request type=\"trigger\" name=\"suspend\"/>"
        "<!-- skipped --><R2 a=\"1\"><Child>x &amp; y</Child></R2></S>",
        "test", error);
    ASSERT_TRUE(steps.has_value()) << error;
    ASSERT_EQ(steps->size(), 3u);
    EXPECT_EQ((*steps)[0].kind, ScenarioStep::Kind::Note);
    EXPECT_EQ((*steps)[0].text, "first");
    EXPECT_EQ((*steps)[1].text, "<Request type=\"trigger\" name=\"suspend\"/>");
    EXPECT_EQ((*steps)[2].text, "<R2 a=\"1\"><Child>x &amp; y</Child></R2>");
}

struct BadScenario {
    const char* text;
    const char* messagePart;
};

class BadScenarioTest : public testing::TestWithParam<BadScenario> {};

TEST_P(BadScenarioTest, IsRefusedWithTheReason) {
    std::string error;
    EXPECT_FALSE(ParseScenario(GetParam().text, "'s.xml'", error).has_value());
    EXPECT_NE(error.find(GetParam().messagePart), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Scenario, BadScenarioTest,
                         testing::Values(BadScenario{"", "'s.xml' is not a well-formed scenario"},
                                         BadScenario{"<S><Request></S>", "line 1"},
                                         BadScenario{"<!DOCTYPE S [<!ENTITY e \"x\">]><S>&e;</S>",
                                                     "document type"}));

TEST(Scenario, MissingFileIsNamed) {
    std::string error;
    EXPECT_FALSE(ReadScenarioFile("/nonexistent/scenario.xml", error).has_value());
    EXPECT_NE(error.find("/nonexistent/scenario.xml"), std::string::npos);
}

TEST(Scenario, BuiltInScenarioParses) {
    std::string error;
    const auto steps = ParseScenario(BuiltInScenario(), "built-in", error);
    ASSERT_TRUE(steps.has_value()) << error;
    EXPECT_GT(steps->size(), 5u);
}

TEST(XmlPeek, SummarisesRequestsAndResults) {
    const RequestSummary fire = SummariseRequest(
        "<R type=\"trigger\" name=\"fire\" id=\"x\"><TriggerData><d a=\"1\"/></TriggerData></R>");
    EXPECT_EQ(fire.type, "trigger");
    EXPECT_EQ(fire.name, "fire");
    EXPECT_EQ(fire.id, "x");
    EXPECT_EQ(fire.payload, "<d a=\"1\"/>");
    EXPECT_EQ(SummariseRequest("not xml").type, "");
    EXPECT_EQ(ResultValue("<ActionResult><Result>a&lt;b</Result></ActionResult>"), "a<b");
    EXPECT_EQ(ResultValue("plain"), "plain");
}

}  // namespace
