// The manager failing each command's call: a refused registration is an ordinary failure, every
// other failure reaches RunAction's caller as the manager's code with the result slot null.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "fakes/run_request.h"
#include "request_fixture.h"

namespace {

using fakes::kFalseResult;
using fakes::ManagerCall;
using fakes::RunRequest;
using requests_test::ConnectedFixture;
using Table = std::map<std::string, std::string>;

constexpr HRESULT kManagerError = MakeHresult(0x80040001u);
constexpr char kOld[] = R"(<Action n="old"/>)";

struct ManagerFailure {
    const char* name;
    ManagerCall call;
    const char* request;
    HRESULT code;
    std::optional<std::string> result;
    Table table;
};

const ManagerFailure kFailures[] = {
    // The earlier entry of the same id stays as it was.
    {"AddTrigger",
     ManagerCall::AddTrigger,
     R"(<R type="trigger" name="registeraction" id="t1"><Action n="new"/></R>)",
     S_FALSE,
     std::string(kFalseResult),
     {{"t1", kOld}, {"t2", kOld}}},
    // The entries are erased before the manager is asked, and stay erased.
    {"RemoveTrigger",
     ManagerCall::RemoveTrigger,
     R"(<R type="trigger" name="unregisteraction" id="t1"/>)",
     kManagerError,
     std::nullopt,
     {{"t2", kOld}}},
    {"RemoveTriggerForAPattern",
     ManagerCall::RemoveTrigger,
     R"(<R type="trigger" name="unregisteraction" id="t*"/>)",
     kManagerError,
     std::nullopt,
     {}},
    {"Fire",
     ManagerCall::Fire,
     R"(<R type="trigger" name="fire"><TriggerData/></R>)",
     kManagerError,
     std::nullopt,
     {{"t1", kOld}, {"t2", kOld}}},
    {"DeleteDatabase",
     ManagerCall::DeleteDatabase,
     R"(<R type="trigger" name="deletedb"/>)",
     kManagerError,
     std::nullopt,
     {{"t1", kOld}, {"t2", kOld}}},
    {"Suspend",
     ManagerCall::Suspend,
     R"(<R type="trigger" name="suspend"/>)",
     kManagerError,
     std::nullopt,
     {{"t1", kOld}, {"t2", kOld}}},
    {"Resume",
     ManagerCall::Resume,
     R"(<R type="trigger" name="resume"/>)",
     kManagerError,
     std::nullopt,
     {{"t1", kOld}, {"t2", kOld}}},
};

class ManagerFailureTest : public ConnectedFixture,
                           public ::testing::WithParamInterface<ManagerFailure> {};

TEST_P(ManagerFailureTest, ReachesTheCallerAsItShould) {
    for (const char* id : {"t1", "t2"}) {
        ASSERT_EQ(RunRequest(std::string(R"(<R type="trigger" name="registeraction" id=")") + id +
                             R"("><Action n="old"/></R>)")
                      .code,
                  S_OK);
    }
    manager_->Fail(GetParam().call, kManagerError);

    const fakes::RunOutcome outcome = RunRequest(GetParam().request);
    EXPECT_EQ(outcome.code, GetParam().code);
    EXPECT_EQ(outcome.result, GetParam().result);
    EXPECT_EQ(manager_->CountOf(GetParam().call),
              GetParam().call == ManagerCall::AddTrigger ? 3 : 1);
    EXPECT_EQ(Table(), GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(Calls, ManagerFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
