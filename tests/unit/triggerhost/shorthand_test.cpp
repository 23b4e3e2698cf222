// The shorthand commands: what each line becomes, and that the text typed reaches the plug-in
// unchanged whatever quotes and markup it holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "shorthand.h"
#include "xml_peek.h"

namespace {

using testing::HasSubstr;

struct RegisterLine {
    std::string text;
    std::string request;  // empty: refused, with `error` in the message
    std::string error = "";
};

class RegisterLines : public testing::TestWithParam<RegisterLine> {};

TEST_P(RegisterLines, BecomeTheRequestTheXmlFormCarries) {
    std::string error;
    const auto registration = ParseRegistration(GetParam().text, error);
    if (GetParam().request.empty()) {
        ASSERT_FALSE(registration);
        EXPECT_THAT(error, HasSubstr(GetParam().error));
        return;
    }
    ASSERT_TRUE(registration) << error;
    EXPECT_EQ(RegisterRequest(registration->id, registration->condition, registration->actionXml),
              GetParam().request);
}

const std::string kOpen = "<Request type=\"trigger\" name=\"registeraction\" ";

INSTANTIATE_TEST_SUITE_P(
    Table, RegisterLines,
    testing::Values(
        RegisterLine{"door /TriggerData/door[@state='open'] -> host/log",
                     kOpen + "id=\"door\" condition=\"/TriggerData/door[@state='open']\">"
                             "<Action type=\"host\" name=\"log\"/></Request>"},
        // An arrow inside an XPath string belongs to the condition.
        RegisterLine{"d /TriggerData[@a=\"->\"] -> <Action type=\"t\" name=\"n\"><x/></Action>",
                     kOpen + "id=\"d\" condition=\"/TriggerData[@a=&quot;-&gt;&quot;]\">"
                             "<Action type=\"t\" name=\"n\"><x/></Action></Request>"},
        RegisterLine{"'front door'   ->   host/log",
                     kOpen + "id=\"front door\"><Action type=\"host\" name=\"log\"/></Request>"},
        RegisterLine{"t /x ->", kOpen + "id=\"t\" condition=\"/x\"/>"},
        RegisterLine{"", "", "an id is missing"}, RegisterLine{"'open", "", "closing ' is missing"},
        RegisterLine{"t /x host/log", "", "'->' and the action are missing"},
        RegisterLine{"t /x -> log", "", "neither an <Action .../> element nor TYPE/NAME"},
        RegisterLine{"t /x -> host/log now", "", "neither"}));

class Conditions : public testing::TestWithParam<std::string> {};

TEST_P(Conditions, ReachThePlugInAsTyped) {
    std::string error;
    const auto registration = ParseRegistration("t " + GetParam() + " -> host/log", error);
    ASSERT_TRUE(registration) << error;
    EXPECT_EQ(registration->condition, GetParam());
    const std::string request =
        RegisterRequest(registration->id, registration->condition, registration->actionXml);
    ASSERT_EQ(XmlFault(request), "");
    EXPECT_EQ(SummariseRequest(request).condition, GetParam());
    EXPECT_EQ(SummariseRequest(UnregisterRequest(GetParam())).id, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, Conditions,
                         testing::Values("/TriggerData/m[. = concat('a\"b', \"'<&\")]",
                                         "count(//x) < 3 and count(//y) > 1",
                                         "/TriggerData[. = '&amp;&lt;']",
                                         "//a[@b='tab\there'] | //c[@d='line\nbreak\r']",
                                         "/TriggerData/\xC3\xA9t\xC3\xA9"));

struct TrialLine {
    std::string text;
    std::string condition;
    std::string data;
};

class TrialLines : public testing::TestWithParam<TrialLine> {};

TEST_P(TrialLines, SplitWhereTheDataBegins) {
    std::string error;
    const auto trial = ParseTrial(GetParam().text, error);
    if (GetParam().data.empty()) {
        EXPECT_FALSE(trial);
        EXPECT_THAT(error, HasSubstr("the data is missing"));
        return;
    }
    ASSERT_TRUE(trial) << error;
    EXPECT_EQ(trial->condition, GetParam().condition);
    EXPECT_EQ(trial->dataXml, GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TrialLines,
    testing::Values(TrialLine{"/TriggerData/door <door/>", "/TriggerData/door", "<door/>"},
                    TrialLine{"<door/><door/>", "", "<door/><door/>"},
                    // A comparison is no start of data: "< 2" is followed by no name, and the
                    // rest after "<b" is not well-formed.
                    TrialLine{"count(//a) < 2 <a/>", "count(//a) < 2", "<a/>"},
                    TrialLine{"@n<b <b/>", "@n<b", "<b/>"},
                    TrialLine{"//x[. = '<y/>'] <x>&lt;y/&gt;</x>", "//x[. = '<y/>']",
                              "<x>&lt;y/&gt;</x>"},
                    // No well-formed rest: the data begins at the first candidate, to be refused
                    // as not XML by the evaluation itself.
                    TrialLine{"/a <b><c>", "/a", "<b><c>"}, TrialLine{"/a 3 < 4", "", ""}));

}  // namespace
