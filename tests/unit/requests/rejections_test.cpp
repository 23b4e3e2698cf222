// Requests the module must turn away: the "false" document and code 1, and nothing registered,
// removed, fired or forwarded.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fakes/run_request.h"
#include "request_fixture.h"

namespace {

using fakes::kFalseResult;
using fakes::RunRequest;
using requests_test::ConnectedFixture;

struct Rejection {
    const char* name;
    std::optional<std::string> request;
};

const Rejection kRejections[] = {
    {"TypeCapitalised", R"(<R type="Trigger" name="suspend"/>)"},
    {"TypeMissing", R"(<R name="suspend"/>)"},
    {"TypeWithABlank", R"(<R type="trigger " name="suspend"/>)"},
    {"TypeOnAChildOnly", R"(<R name="suspend"><X type="trigger"/></R>)"},
    {"NameCapitalised", R"(<R type="trigger" name="Suspend"/>)"},
    {"NameMissing", R"(<R type="trigger" id="t1"/>)"},
    {"NameWithABlank", R"(<R type="trigger" name=" suspend"/>)"},
    {"UnknownName", R"(<R type="trigger" name="launch"/>)"},
    {"RegisterOfAnotherType", R"(<R type="host" name="registeraction" id="t1"><Action/></R>)"},
    {"Malformed", R"(<R type="trigger" name="registeraction" id="t1"><Action></R>)"},
    {"Unclosed", R"(<R type="trigger" name="suspend">)"},
    {"NotXml", "suspend"},
    {"Empty", ""},
    {"Null", std::nullopt},
    {"InternalDtd", R"(<!DOCTYPE R [<!ENTITY e "suspend">]><R type="trigger" name="&e;"/>)"},
    {"InternalDtdWithoutEntities",
     R"(<!DOCTYPE R [<!ELEMENT R EMPTY>]><R type="trigger" name="suspend"/>)"},
    {"ExternalDtd",
     R"(<!DOCTYPE R SYSTEM "file:///etc/hostname"><R type="trigger" name="suspend"/>)"},
    {"ZeroInsideTheMarkup", std::string(R"(<R type="trigger" name="sus)") + '\0' + R"(pend"/>)"},
};

class RejectionTest : public ConnectedFixture, public ::testing::WithParamInterface<Rejection> {};

TEST_P(RejectionTest, GivesTheFalseDocumentAndDoesNothing) {
    const auto& request = GetParam().request;
    const fakes::RunOutcome outcome =
        request ? RunRequest(std::string_view(*request)) : RunRequest(std::nullopt);
    EXPECT_EQ(outcome.code, S_FALSE);
    EXPECT_EQ(outcome.result, kFalseResult);
    EXPECT_TRUE(manager_->CommandLog().empty());
    EXPECT_TRUE(Table().empty());
}

INSTANTIATE_TEST_SUITE_P(Requests, RejectionTest, ::testing::ValuesIn(kRejections),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
