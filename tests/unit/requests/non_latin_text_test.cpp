// Text outside ASCII through every boundary of the module, under every ANSI code page the process
// can have: request, trigger id, condition, stored action, fired data, the fire reply and the
// result document, and wildcard patterns whose '?' stands for a CJK character or an emoji. None
// of it may be lost, and two ids that differ only outside ASCII must stay two ids.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "companions/utf.h"
#include "fakes/ansi_code_page.h"
#include "fakes/fake_action_manager.h"
#include "fakes/run_request.h"
#include "request_fixture.h"

namespace {

using fakes::ManagerCall;
using fakes::RunRequest;

struct Sample {
    const char* name;
    const char* text;  // UTF-8
};

// Each defeats some narrow code page: 1252 has no CJK, Greek or emoji and best-fits U+0100,
// U+2212 and fullwidth A to "A-A"; 932 has no é (it becomes e) but half-width katakana.
const Sample kSamples[] = {
    {"Chinese", "\xE8\xA7\xA6\xE5\x8F\x91\xE5\x99\xA8"},
    {"ChineseAndAccent", "\xE8\xA7\xA6\xE5\x8F\x91\xE5\x99\xA8-\xC3\xA9"},
    {"Emoji", "\xF0\x9F\x98\x80"},
    {"EmojiBetweenCjk", "\xE8\xA7\xA6\xF0\x9F\x98\x80\xE5\x99\xA8"},
    {"Greek", "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1"},
    {"BestFitBait", "\xC4\x80\xE2\x88\x92\xEF\xBC\xA1"},
    {"HalfwidthKatakana", "\xEF\xBD\xB6\xEF\xBE\x80\xEF\xBD\xB6\xEF\xBE\x85"},
    {"Accent", "caf\xC3\xA9"},
};

void PrintTo(const Sample& sample, std::ostream* os) {
    *os << sample.name;
}

// Text content as the result document writes it.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    }
    return out;
}

// The pattern that puts '?' for every character outside ASCII: one '?' per code point.
std::string QuestionMarksForNonAscii(const std::string& text) {
    std::string pattern;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            pattern += c;
        } else if ((byte & 0xC0) != 0x80) {
            pattern += '?';
        }
    }
    return pattern;
}

class NonLatinTextTest : public requests_test::ConnectedFixture,
                         public ::testing::WithParamInterface<std::tuple<Sample, UINT>> {};

TEST_P(NonLatinTextTest, CrossesEveryBoundaryUnchanged) {
    const auto& [sample, codePage] = GetParam();
    const fakes::AnsiCodePageScope scope(codePage);
    const std::string text = sample.text;
    const std::string id = "t-" + text;
    const std::string condition = "/TriggerData/v[@t='" + text + "']";
    const std::string action = R"(<Action type="host" name="log"><Say>)" + text + "</Say></Action>";
    const std::string data =
        R"(<TriggerData><v t=")" + text + R"(">)" + text + "</v></TriggerData>";
    const std::string reply =
        R"(<FireResult matched="1"><Trigger id=")" + id + R"("/></FireResult>)";

    const fakes::RunOutcome registered =
        RunRequest(R"(<R type="trigger" name="registeraction" id=")" + id + R"(" condition=")" +
                   condition + R"(">)" + action + "</R>");
    EXPECT_EQ(registered.code, S_OK);
    EXPECT_EQ(registered.result, std::string(fakes::kTrueResult));
    EXPECT_EQ(manager_->CommandLog(),
              (std::vector<std::string>{"AddTrigger(" + id + ", " + condition + ")"}));
    EXPECT_EQ(Table(), (std::map<std::string, std::string>{{id, action}}));

    manager_->ClearCalls();
    manager_->SetFireReply(ToUtf16(reply));
    const fakes::RunOutcome fired = RunRequest(R"(<R type="trigger" name="fire">)" + data + "</R>");
    EXPECT_EQ(fired.code, S_OK);
    EXPECT_EQ(fired.result, "<ActionResult><Result>" + Escaped(reply) + "</Result></ActionResult>");
    EXPECT_EQ(manager_->CommandLog(),
              (std::vector<std::string>{R"(Fire(<?xml version="1.0"?> )" + data + ")"}));

    EXPECT_EQ(manager_->RaiseTriggerFired(ToUtf16(id), ToUtf16(data)), S_OK);
    EXPECT_EQ(fakes::ActionManagerFake::Requests(),
              (std::vector<std::string>{R"(<Action type="host" name="log"><Say>)" + text +
                                        "</Say>" + data + "</Action>"}));

    // One '?' too many matches nothing; one per character takes the id, emoji included.
    const std::string pattern = QuestionMarksForNonAscii(id);
    manager_->ClearCalls();
    EXPECT_EQ(
        RunRequest(R"(<R type="trigger" name="unregisteraction" id=")" + pattern + R"(?"/>)").code,
        S_OK);
    EXPECT_EQ(Table().size(), 1u) << pattern << "?";
    EXPECT_EQ(
        RunRequest(R"(<R type="trigger" name="unregisteraction" id=")" + pattern + R"("/>)").code,
        S_OK);
    EXPECT_TRUE(Table().empty()) << pattern;
    EXPECT_EQ(manager_->FirstArguments(ManagerCall::RemoveTrigger),
              (std::vector<std::string>{pattern + "?", pattern}));
}

INSTANTIATE_TEST_SUITE_P(Samples, NonLatinTextTest,
                         ::testing::Combine(::testing::ValuesIn(kSamples),
                                            ::testing::ValuesIn(fakes::AnsiCodePages())),
                         [](const auto& param) {
                             return std::string(std::get<0>(param.param).name) + "_Cp" +
                                    std::to_string(std::get<1>(param.param));
                         });

class DistinctIdsTest : public requests_test::ConnectedFixture,
                        public ::testing::WithParamInterface<UINT> {};

TEST_P(DistinctIdsTest, IdsThatDifferOnlyOutsideAsciiKeepTheirOwnActions) {
    const fakes::AnsiCodePageScope scope(GetParam());
    // Under 1252 the first three would all be "???", under 932 the last two the same "e".
    const std::vector<std::string> ids = {"\xE8\xA7\xA6\xE5\x8F\x91", "\xE9\x97\xA8\xE5\x8F\x91",
                                          "\xF0\x9F\x98\x80\xF0\x9F\x98\x81", "\xC3\xA9", "e"};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        ASSERT_EQ(RunRequest(R"(<R type="trigger" name="registeraction" id=")" + ids[i] +
                             R"("><Action n=")" + std::to_string(i) + R"("/></R>)")
                      .code,
                  S_OK);
    }
    EXPECT_EQ(Table().size(), ids.size());
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(manager_->RaiseTriggerFired(ToUtf16(ids[i]), OLESTR("<TriggerData/>")), S_OK);
        expected.push_back(R"(<Action n=")" + std::to_string(i) + R"("><TriggerData/></Action>)");
    }
    EXPECT_EQ(fakes::ActionManagerFake::Requests(), expected);
}

INSTANTIATE_TEST_SUITE_P(CodePages, DistinctIdsTest, ::testing::ValuesIn(fakes::AnsiCodePages()),
                         [](const auto& param) { return "Cp" + std::to_string(param.param); });

}  // namespace
