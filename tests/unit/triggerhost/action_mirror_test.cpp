// The host's copy of the plug-in's table follows the requests the action manager runs as the
// plug-in's own table does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "action_mirror.h"
#include "shorthand.h"

namespace {

using testing::ElementsAreArray;

const std::string kTrue = "<ActionResult><Result>true</Result></ActionResult>";
const std::string kFalse = "<ActionResult><Result>false</Result></ActionResult>";
const std::string kLog = "<Action type=\"host\" name=\"log\"/>";

struct Observed {
    std::string request;
    std::string result;
    HRESULT code;
};

struct MirrorCase {
    const char* name;
    std::vector<Observed> requests;
    std::vector<std::string> ids;  // what the plug-in then holds
    bool suspended = false;
};

class Mirror : public testing::TestWithParam<MirrorCase> {};

TEST_P(Mirror, HoldsWhatThePlugInHolds) {
    ActionMirror mirror;
    mirror.Observe(RegisterRequest("seed", "", kLog), kTrue, S_OK);
    for (const Observed& observed : GetParam().requests) {
        mirror.Observe(observed.request, observed.result, observed.code);
    }
    EXPECT_THAT(mirror.Ids(), ElementsAreArray(GetParam().ids));
    EXPECT_EQ(mirror.suspended(), GetParam().suspended);
}

Observed Registered(const std::string& id, const std::string& result = kTrue) {
    return {RegisterRequest(id, "", kLog), result, result == kTrue ? S_OK : S_FALSE};
}

Observed Unregistered(const std::string& pattern, HRESULT code = S_OK) {
    return {UnregisterRequest(pattern), FAILED(code) ? "" : kTrue, code};
}

INSTANTIATE_TEST_SUITE_P(
    Table, Mirror,
    testing::Values(
        MirrorCase{"RefusedRegistrationKeepsNothing", {Registered("b", kFalse)}, {"seed"}},
        MirrorCase{"ByteOrder",
                   {Registered("b"), Registered("B"), Registered("a")},
                   {"B", "a", "b", "seed"}},
        MirrorCase{"ExactIdsCaseAndAll", {Registered("abc"), Unregistered("ABC")}, {"abc", "seed"}},
        MirrorCase{"PatternsFoldAsciiCase",
                   {Registered("abc"), Registered("ABD"), Registered("xab"), Unregistered("AB*")},
                   {"seed", "xab"}},
        MirrorCase{"QuestionMarkIsOneCharacter",
                   {Registered("a\xC3\xA9"
                               "c"),
                    Registered("ac"), Registered("abbc"), Unregistered("a?c")},
                   {"abbc", "ac", "seed"}},
        // The plug-in erases its entries before the trigger manager fails the removal.
        MirrorCase{"FailedRemovalStillErases", {Unregistered("seed", E_FAIL)}, {}},
        MirrorCase{"OtherCategoriesChangeNothing",
                   {{"<Action type=\"host\" name=\"unregisteraction\" id=\"*\"/>", kTrue, S_OK},
                    {"not xml", kFalse, E_INVALIDARG}},
                   {"seed"}},
        MirrorCase{
            "SuspendAndResume",
            {{NamedRequest("suspend"), kTrue, S_OK}, {NamedRequest("resume"), kFalse, S_FALSE}},
            {"seed"},
            true}),
    [](const testing::TestParamInfo<MirrorCase>& row) { return std::string(row.param.name); });

TEST(Mirror, KeepsTheActionAndForgetsAllAtStop) {
    ActionMirror mirror;
    mirror.Observe(RegisterRequest("t", "/x", "<Action type=\"a\" name=\"b\"><m/></Action>"), kTrue,
                   S_OK);
    mirror.Observe(RegisterRequest("empty", "", ""), kTrue, S_OK);
    EXPECT_EQ(mirror.ActionFor("t"), "<Action type=\"a\" name=\"b\"><m/></Action>");
    EXPECT_EQ(mirror.ActionFor("empty"), "");
    EXPECT_EQ(mirror.ActionFor("none"), std::nullopt);
    mirror.Clear();
    EXPECT_TRUE(mirror.Ids().empty());
}

}  // namespace
