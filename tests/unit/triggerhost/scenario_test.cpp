#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "scenario.h"
#include "xml_peek.h"

namespace {

struct ReadOut {
    std::vector<ScenarioStep> steps;
    std::string error;
};

ReadOut ReadAll(const std::string& text) {
    ScenarioReader reader(text, "'s.xml'");
    ReadOut out;
    while (auto step = reader.Next()) {
        out.steps.push_back(std::move(*step));
    }
    out.error = reader.error();
    return out;
}

TEST(Scenario, SendsEveryChildElementInDocumentOrderAndPrintsNotes) {
    const ReadOut read = ReadAll(
        "<S><Note> first </Note><Request type=\"trigger\" name=\"suspend\"/>"
        "<!-- skipped -->text<R2 a=\"1\"><Child>x &amp; y</Child>\n  <!--c--></R2></S>");
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.steps.size(), 3u);
    EXPECT_EQ(read.steps[0].kind, ScenarioStep::Kind::Note);
    EXPECT_EQ(read.steps[0].text, "first");
    EXPECT_EQ(read.steps[1].text, "<Request type=\"trigger\" name=\"suspend\"/>");
    EXPECT_EQ(read.steps[2].text, "<R2 a=\"1\"><Child>x &amp; y</Child><!--c--></R2>");
}

// A request is sent alone, so the prefixes it uses from the scenario's root go with it; the
// default namespace, unused prefixes and its own declarations stay as they were.
TEST(Scenario, CarriesThePrefixesItUsesFromTheRoot) {
    const ReadOut read = ReadAll(
        "<S xmlns=\"urn:d\" xmlns:p=\"urn:p\" xmlns:q=\"urn:q\" xmlns:u=\"urn:u\">"
        "<R><T><p:d q:a=\"1\"/></T></R><R xmlns:p=\"urn:own\"><p:d/></R><p:R/><R/></S>");
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.steps.size(), 4u);
    EXPECT_EQ(read.steps[0].text,
              "<R xmlns:p=\"urn:p\" xmlns:q=\"urn:q\"><T><p:d q:a=\"1\"/></T></R>");
    EXPECT_EQ(read.steps[1].text, "<R xmlns:p=\"urn:own\"><p:d/></R>");
    EXPECT_EQ(read.steps[2].text, "<p:R xmlns:p=\"urn:p\"/>");
    EXPECT_EQ(read.steps[3].text, "<R/>");
}

TEST(Scenario, StepsComeInOrderAcrossThePiecesTheFileIsReadIn) {
    std::string text = "<S>";
    for (int i = 0; i < 5000; ++i) {
        text += "<R n=\"" + std::to_string(i) + "\"/>\n";
    }
    const ReadOut read = ReadAll(text + "</S>");
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.steps.size(), 5000u);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(read.steps[static_cast<std::size_t>(i)].text,
                  "<R n=\"" + std::to_string(i) + "\"/>");
    }
}

// Indentation among elements goes, other blanks stay, wherever the pieces of the input end.
TEST(Scenario, DropsIndentationAloneInPiecesOfEverySize) {
    const std::string_view text =
        "<S><R>\n  </R><R>\n <a/>\n <b>x <c/></b>\n</R><R xml:space=\"preserve\"> <a/> </R></S>";
    for (const std::size_t pieceBytes : {text.size(), std::size_t{1}, std::size_t{7}}) {
        std::string_view rest = text;
        ScenarioReader reader(
            [&rest, pieceBytes] {
                const std::string_view piece = rest.substr(0, pieceBytes);
                rest.remove_prefix(piece.size());
                return piece;
            },
            "'s.xml'");
        std::vector<std::string> steps;
        while (auto step = reader.Next()) {
            steps.push_back(step->text);
        }
        EXPECT_EQ(reader.error(), "");
        EXPECT_THAT(steps, testing::ElementsAre("<R>\n  </R>", "<R><a/><b>x <c/></b></R>",
                                                "<R xml:space=\"preserve\"> <a/> </R>"))
            << pieceBytes;
    }
}

TEST(Scenario, RequestsBeforeAFaultAreGivenThenTheFault) {
    const ReadOut read = ReadAll("<S><R a=\"1\"/><Note>n</Note>\n<R><Bad></R></S>");
    ASSERT_EQ(read.steps.size(), 2u);
    EXPECT_EQ(read.steps[0].text, "<R a=\"1\"/>");
    EXPECT_NE(read.error.find("line 2"), std::string::npos) << read.error;
}

struct BadScenario {
    const char* text;
    const char* messagePart;
};

class BadScenarioTest : public testing::TestWithParam<BadScenario> {};

TEST_P(BadScenarioTest, IsRefusedWithTheReason) {
    const ReadOut read = ReadAll(GetParam().text);
    EXPECT_TRUE(read.steps.empty());
    EXPECT_NE(read.error.find(GetParam().messagePart), std::string::npos) << read.error;
    EXPECT_EQ(read.error.find('\n'), std::string::npos) << read.error;
}

INSTANTIATE_TEST_SUITE_P(Scenario, BadScenarioTest,
                         testing::Values(BadScenario{"", "'s.xml' is not a well-formed scenario"},
                                         BadScenario{"<S><Request></S>", "line 1"},
                                         BadScenario{"<!DOCTYPE S [<!ENTITY e \"x\">]><S>&e;</S>",
                                                     "document type"},
                                         BadScenario{"<S>\x8B\x90</S>", "Bytes: 0x8B 0x90"}));

struct BoundedScenario {
    const char* text;
    RequestBounds bounds;
    std::size_t steps;
    const char* messagePart;
};

class BoundedScenarioTest : public testing::TestWithParam<BoundedScenario> {};

TEST_P(BoundedScenarioTest, StopsAtTheFirstRequestOverItsBounds) {
    std::string_view text = GetParam().text;
    ScenarioReader reader([&text] { return std::exchange(text, std::string_view()); }, "'s.xml'",
                          GetParam().bounds);
    std::size_t steps = 0;
    while (reader.Next()) {
        ++steps;
    }
    EXPECT_EQ(steps, GetParam().steps);
    if (*GetParam().messagePart == '\0') {
        EXPECT_EQ(reader.error(), "");
    } else {
        EXPECT_NE(reader.error().find(GetParam().messagePart), std::string::npos) << reader.error();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenario, BoundedScenarioTest,
    testing::Values(
        // The text just before the end tag counts, though it is handed over before it is read.
        BoundedScenario{"<S><R/><R>0123456789012345678901234567890123456789</R></S>",
                        {40, 10},
                        1,
                        "line 1: the request <R> is larger than 40 bytes"},
        BoundedScenario{"<S><Note>a</Note><R a=\"1\"><!--c--><?p?><x/></R></S>",
                        {1000, 4},
                        1,
                        "the request <R> holds more than 4 elements"},
        BoundedScenario{"<S><R a=\"1\"><!--c--><?p?><x/></R></S>", {1000, 5}, 1, ""},
        BoundedScenario{"<S><R/><R>01234567890123456789</R></S>", {40, 10}, 2, ""}));

TEST(Scenario, MissingFileIsNamed) {
    std::string error;
    EXPECT_EQ(ScenarioReader::OpenFile("/nonexistent/scenario.xml", error), nullptr);
    EXPECT_NE(error.find("/nonexistent/scenario.xml"), std::string::npos);
}

TEST(Scenario, BuiltInScenarioParses) {
    const ReadOut read = ReadAll(BuiltInScenario());
    EXPECT_EQ(read.error, "");
    EXPECT_GT(read.steps.size(), 5u);
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

TEST(XmlPeek, NeverReadsADocumentTypeAndPeeksAtTheRootAlone) {
    const std::string declared = "<!DOCTYPE R [<!ENTITY e \"x\">]><R type=\"&e;\" name=\"fire\"/>";
    for (const RequestSummary& summary :
         {SummariseRequest(declared), PeekRequestTarget(declared)}) {
        EXPECT_NE(summary.refusal, nullptr);
        EXPECT_EQ(summary.type, "");
    }
    // What follows the root's start tag is not read, well-formed or not.
    const RequestSummary target =
        PeekRequestTarget("<R type=\"a&amp;b\" name=\"n\" id=\"i\"><open>");
    EXPECT_EQ(target.refusal, nullptr);
    EXPECT_EQ(target.type, "a&b");
    EXPECT_EQ(target.name, "n");
    EXPECT_EQ(target.id, "i");
}

}  // namespace
