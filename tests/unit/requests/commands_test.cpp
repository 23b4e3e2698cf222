// Every command through RunAction, against a recording trigger manager and the real configuration
// documents: what the manager is asked, the result code, the result document, and the table after.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bridge/trigger_bridge.h"
#include "companions/com_error.h"
#include "fakes/config_document_factory.h"
#include "fakes/fake_action_manager.h"
#include "fakes/run_request.h"
#include "request_fixture.h"
#include "requests/dispatch_request.h"

namespace {

using fakes::FakeTriggerManager;
using fakes::kFalseResult;
using fakes::kTrueResult;
using fakes::ManagerCall;
using fakes::RunRequest;
using requests_test::ConnectedFixture;
using requests_test::kEmptyResult;
using Table = std::map<std::string, std::string>;

struct CommandCase {
    const char* name;
    std::string request;
    std::function<void(FakeTriggerManager&)> program;
    HRESULT code;
    std::string result;
    std::vector<std::string> managerLog;
    Table table;
};

const CommandCase kCommands[] = {
    {"Register",
     R"(<Request type="trigger" name="registeraction" id="door" condition="/TriggerData[@open='1']">)"
     R"(<Action type="host" name="log"><Text>open &amp; shut</Text></Action></Request>)",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"AddTrigger(door, /TriggerData[@open='1'])"},
     {{"door", R"(<Action type="host" name="log"><Text>open &amp; shut</Text></Action>)"}}},
    {"RegisterWithoutActionOrCondition",
     R"(<R type="trigger" name="registeraction" id="t1"/>)",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"AddTrigger(t1, )"},
     {{"t1", ""}}},
    {"RegisterStoresTheFirstActionOnly",
     R"(<R type="trigger" name="registeraction" id="t1"><Action n="1"><X/></Action>)"
     R"(<Action n="2"/></R>)",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"AddTrigger(t1, )"},
     {{"t1", R"(<Action n="1"><X/></Action>)"}}},
    {"ConditionOnTheActionIsNotRead",
     R"(<R type="trigger" name="registeraction" id="t1"><Action condition="/x"/></R>)",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"AddTrigger(t1, )"},
     {{"t1", R"(<Action condition="/x"/>)"}}},
    {"RegisterWithoutId",
     R"(<R type="trigger" name="registeraction"><Action/></R>)",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"AddTrigger(, )"},
     {{"", "<Action/>"}}},
    {"RegisterRefused",
     R"(<R type="trigger" name="registeraction" id="t1"><Action/></R>)",
     [](FakeTriggerManager& manager) { manager.SetAddTriggerFlag(0); },
     S_FALSE,
     std::string(kFalseResult),
     {"AddTrigger(t1, )"},
     {}},
    {"Unregister",
     R"(<R type="trigger" name="unregisteraction" id="t*"/>)",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"RemoveTrigger(t*)"},
     {}},
    {"DeleteDatabase",
     R"(<R type="trigger" name="deletedb"/>)",
     [](FakeTriggerManager& manager) { manager.SetDeleteDatabaseFlag(7); },
     S_OK,
     std::string(kTrueResult),
     {"DeleteDatabase()"},
     {}},
    {"DeleteDatabaseAnsweringZero",
     R"(<R type="trigger" name="deletedb"/>)",
     [](FakeTriggerManager& manager) { manager.SetDeleteDatabaseFlag(0); },
     S_FALSE,
     std::string(kFalseResult),
     {"DeleteDatabase()"},
     {}},
    {"SuspendWithARootOfAnyName",
     R"(<Whatever type="trigger" name="suspend" id="ignored"/>)",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"Suspend()"},
     {}},
    {"Resume",
     R"(<R type="trigger" name="resume"/>)",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"Resume()"},
     {}},
    {"Fire",
     R"(<R type="trigger" name="fire"><TriggerData sensor="door"><Open at="7">a &lt; b</Open>)"
     R"(</TriggerData></R>)",
     [](FakeTriggerManager& manager) {
         manager.SetFireReply(OLESTR("<Fired><Id>door</Id></Fired>"));
     },
     S_OK,
     "<ActionResult><Result>&lt;Fired&gt;&lt;Id&gt;door&lt;/Id&gt;&lt;/Fired&gt;</Result>"
     "</ActionResult>",
     {R"(Fire(<?xml version="1.0"?> <TriggerData sensor="door"><Open at="7">a &lt; b</Open>)"
      R"(</TriggerData>))"},
     {}},
    {"FireWithoutTriggerData",
     R"(<R type="trigger" name="fire"><Other/></R>)",
     [](FakeTriggerManager& manager) { manager.SetFireReply(OLESTR("a & b")); },
     S_OK,
     "<ActionResult><Result>a &amp; b</Result></ActionResult>",
     {R"(Fire(<?xml version="1.0"?> ))"},
     {}},
    {"FireWithNoReply",
     R"(<R type="trigger" name="fire"><TriggerData/></R>)",
     [](FakeTriggerManager& manager) { manager.SetFireReply(std::nullopt); },
     S_FALSE,
     std::string(kEmptyResult),
     {R"(Fire(<?xml version="1.0"?> <TriggerData/>))"},
     {}},
    {"FireWithAnEmptyReply",
     R"(<R type="trigger" name="fire"><TriggerData/></R>)",
     [](FakeTriggerManager& manager) { manager.SetFireReply(OLESTR("")); },
     S_FALSE,
     std::string(kEmptyResult),
     {R"(Fire(<?xml version="1.0"?> <TriggerData/>))"},
     {}},
    {"NonAsciiTextUnchanged",
     "<R type=\"trigger\" name=\"registeraction\" id=\"\xE9\x97\xA8-\xC3\xA9\" "
     "condition=\"/D[@v='\xC3\xBC']\"><Action note=\"\xE2\x82\xAC\"/></R>",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"AddTrigger(\xE9\x97\xA8-\xC3\xA9, /D[@v='\xC3\xBC'])"},
     {{"\xE9\x97\xA8-\xC3\xA9", "<Action note=\"\xE2\x82\xAC\"/>"}}},
    {"IndentedRegisterStoresTheActionWithoutIndentation",
     "<R type=\"trigger\" name=\"registeraction\" id=\"t1\">\n  <Action type=\"host\">\n"
     "    <Text> a b </Text>\n    <Gap> </Gap>\n  </Action>\n</R>\n",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"AddTrigger(t1, )"},
     {{"t1", R"(<Action type="host"><Text> a b </Text><Gap/></Action>)"}}},
    {"IndentedFireSendsTheDataWithoutIndentation",
     "<R type=\"trigger\" name=\"fire\">\n  <TriggerData>\n    <door state=\"open\"/>\n"
     "  </TriggerData>\n</R>",
     [](FakeTriggerManager& manager) { manager.SetFireReply(OLESTR("r")); },
     S_OK,
     "<ActionResult><Result>r</Result></ActionResult>",
     {R"(Fire(<?xml version="1.0"?> <TriggerData><door state="open"/></TriggerData>))"},
     {}},
    {"EmbeddedZeroEndsTheRequest",
     std::string(R"(<R type="trigger" name="suspend"/>)") + '\0' + "<unclosed",
     nullptr,
     S_OK,
     std::string(kTrueResult),
     {"Suspend()"},
     {}},
};

class CommandTest : public ConnectedFixture, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandTest, AsksTheManagerAndAnswersExactly) {
    const CommandCase& command = GetParam();
    if (command.program) {
        command.program(*manager_.get());
    }
    // Sent with its full length, so an embedded zero reaches the module.
    const fakes::RunOutcome outcome = RunRequest(std::string_view(command.request));
    EXPECT_EQ(outcome.code, command.code);
    EXPECT_EQ(outcome.result, command.result);
    EXPECT_EQ(manager_->CommandLog(), command.managerLog);
    EXPECT_EQ(Table(), command.table);
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandTest, ::testing::ValuesIn(kCommands),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

class CommandsTest : public ConnectedFixture {};

TEST_F(CommandsTest, RegisteredActionRunsWhenTheTriggerFires) {
    ASSERT_EQ(RunRequest("<R type=\"trigger\" name=\"registeraction\" id=\"\xE9\x97\xA8\">"
                         "<Action type=\"host\" name=\"log\" note=\"\xE2\x82\xAC\"/></R>")
                  .code,
              S_OK);
    EXPECT_EQ(manager_->RaiseTriggerFired(OLESTR("\u95E8"), OLESTR("<TriggerData v=\"\u00FC\"/>")),
              S_OK);
    EXPECT_EQ(fakes::ActionManagerFake::Requests(),
              (std::vector<std::string>{"<Action type=\"host\" name=\"log\" note=\"\xE2\x82\xAC\">"
                                        "<TriggerData v=\"\xC3\xBC\"/></Action>"}));
}

TEST_F(CommandsTest, OutcomeOfDeleteDatabaseIsTheManagersValue) {
    manager_->SetDeleteDatabaseFlag(7);
    std::string output;
    EXPECT_EQ(DispatchRequest(TriggerBridge::Instance(), R"(<R type="trigger" name="deletedb"/>)",
                              &output),
              7);
    EXPECT_EQ(output, kTrueResult);
}

TEST_F(CommandsTest, WithoutAnOutputNoResultDocumentIsMade) {
    EXPECT_EQ(DispatchRequest(TriggerBridge::Instance(), R"(<R type="trigger" name="suspend"/>)",
                              nullptr),
              1);
    EXPECT_EQ(fakes::ConfigDocumentFactory::Calls(), 1);
}

TEST_F(CommandsTest, FailingFireKeepsThePreviousOutput) {
    constexpr HRESULT kManagerError = MakeHresult(0x80040001u);
    manager_->Fail(ManagerCall::Fire, kManagerError);
    std::string output = "previous";
    try {
        DispatchRequest(TriggerBridge::Instance(), R"(<R type="trigger" name="fire"/>)", &output);
        ADD_FAILURE() << "the manager's failure was not raised";
    } catch (const ComError& error) {
        EXPECT_EQ(error.code(), kManagerError);
        EXPECT_EQ(error.iid(), IID_ITriggerManager);
    }
    EXPECT_EQ(output, "previous");
}

// Without a manager every command fails and fire asks no one.
class DisconnectedCommandTest : public fakes::ModuleFixture,
                                public ::testing::WithParamInterface<const char*> {};

TEST_P(DisconnectedCommandTest, GivesTheFalseDocument) {
    const std::string request =
        std::string(R"(<R type="trigger" id="t1" name=")") + GetParam() + R"("><TriggerData/></R>)";
    const fakes::RunOutcome outcome = RunRequest(request);
    EXPECT_EQ(outcome.code, S_FALSE);
    EXPECT_EQ(outcome.result, kFalseResult);
    EXPECT_EQ(TriggerBridge::Instance().actionTable().Size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Commands, DisconnectedCommandTest,
                         ::testing::Values("registeraction", "unregisteraction", "deletedb", "fire",
                                           "suspend", "resume"));

}  // namespace
