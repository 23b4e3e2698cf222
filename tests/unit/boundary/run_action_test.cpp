// RunAction: the request in, the result string out, and every error mapped to a result code with
// the result slot left null, never stale.
#include <gtest/gtest.h>

#include <string>

#include "boundary/exports.h"
#include "bridge/trigger_bridge.h"
#include "companions/bstr.h"
#include "companions/utf.h"
#include "fakes/ansi_code_page.h"
#include "fakes/config_document_factory.h"
#include "fakes/module_fixture.h"
#include "fakes/run_request.h"
#include "fakes/trigger_manager_factory.h"

namespace {

using fakes::ConfigDocumentFactory;
using fakes::FakeTriggerManager;
using fakes::kFalseResult;
using fakes::kTrueResult;
using fakes::ManagerCall;
using fakes::RunRequest;
using fakes::TriggerManagerFactory;

constexpr HRESULT kManagerError = MakeHresult(0x80040001u);

class RunActionTest : public fakes::ModuleFixture {
  protected:
    // Connects the process-wide bridge to a manager this test can program.
    ComPtr<FakeTriggerManager> Connect() {
        ComPtr<FakeTriggerManager> manager = FakeTriggerManager::Create();
        TriggerManagerFactory::Enqueue(manager);
        EXPECT_EQ(RegisterActions(), S_OK);
        manager->ClearCalls();
        return manager;
    }
};

struct NullSlotCase {
    const char* name;
    const char* request;
    HRESULT expected;
    bool managerFails;
};

const NullSlotCase kNullSlotCases[] = {
    {"Succeeding", R"(<R type="trigger" name="suspend"/>)", S_OK, false},
    {"Failing", R"(<R type="trigger" name="launch"/>)", S_FALSE, false},
    {"Raising", R"(<R type="trigger" name="resume"/>)", kManagerError, true},
};

class RunActionNullSlotTest : public RunActionTest,
                              public ::testing::WithParamInterface<NullSlotCase> {};

TEST_P(RunActionNullSlotTest, RunsTheCommandAndGivesTheSameCodeAsWithASlot) {
    ComPtr<FakeTriggerManager> manager = Connect();
    if (GetParam().managerFails) {
        manager->Fail(ManagerCall::Resume, kManagerError);
    }
    const Bstr text = ToBstr(GetParam().request);

    const HRESULT withoutSlot = RunAction(text.get(), nullptr);
    const std::size_t callsWithoutSlot = manager->CommandLog().size();
    Bstr result;
    const HRESULT withSlot = RunAction(text.get(), result.put());

    EXPECT_EQ(withoutSlot, GetParam().expected);
    EXPECT_EQ(withSlot, withoutSlot);
    EXPECT_EQ(manager->CommandLog().size(), 2 * callsWithoutSlot);
}

INSTANTIATE_TEST_SUITE_P(Commands, RunActionNullSlotTest, ::testing::ValuesIn(kNullSlotCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(RunActionTest, SucceedingCommandGivesTheTrueDocument) {
    ComPtr<FakeTriggerManager> manager = Connect();
    const fakes::RunOutcome outcome = RunRequest(R"(<R type="trigger" name="suspend"/>)");
    EXPECT_EQ(outcome.code, S_OK);
    EXPECT_EQ(outcome.result, kTrueResult);
}

TEST_F(RunActionTest, FailingCommandGivesOneAndTheFalseDocument) {
    ComPtr<FakeTriggerManager> manager = Connect();
    manager->SetAddTriggerFlag(0);
    const fakes::RunOutcome outcome =
        RunRequest(R"(<R type="trigger" name="registeraction" id="t1"><Action/></R>)");
    EXPECT_EQ(outcome.code, S_FALSE);
    EXPECT_EQ(outcome.result, kFalseResult);
}

TEST_F(RunActionTest, NullRequestGivesTheFalseDocument) {
    const fakes::RunOutcome outcome = RunRequest(std::nullopt);
    EXPECT_EQ(outcome.code, S_FALSE);
    EXPECT_EQ(outcome.result, kFalseResult);
}

TEST_F(RunActionTest, ErrorGivesItsCodeAndNullsAFilledSlot) {
    ComPtr<FakeTriggerManager> manager = Connect();
    manager->Fail(ManagerCall::Fire, kManagerError);
    const Bstr request = Bstr::Copy(OLESTR("<R type=\"trigger\" name=\"fire\"><TriggerData/></R>"));
    // The slot holds a string the caller still owns; the module must neither free nor keep it.
    const Bstr callersString = Bstr::Copy(OLESTR("stale"));
    BSTR slot = callersString.get();

    EXPECT_EQ(RunAction(request.get(), &slot), kManagerError);
    EXPECT_EQ(slot, nullptr);
    const Bstr unexpected(slot != callersString.get() ? slot : nullptr);
    EXPECT_EQ(manager->CountOf(ManagerCall::Fire), 1);
}

TEST_F(RunActionTest, EmptyResultTextGivesAnEmptyStringNotNull) {
    ConfigDocumentFactory::FailEvery(E_OUTOFMEMORY);
    const fakes::RunOutcome outcome = RunRequest(R"(<R type="trigger" name="suspend"/>)");
    EXPECT_EQ(outcome.code, S_FALSE);
    EXPECT_EQ(outcome.result, std::optional<std::string>(""));
}

TEST_F(RunActionTest, RequestCharactersOutsideTheAnsiCodePageReachTheParserUnchanged) {
    for (const UINT codePage : fakes::AnsiCodePages()) {
        SCOPED_TRACE(codePage);
        const fakes::AnsiCodePageScope scope(codePage);
        ComPtr<FakeTriggerManager> manager = Connect();
        const Bstr request = Bstr::Copy(OLESTR(
            "<R type=\"trigger\" name=\"registeraction\" id=\"\u03A9-\u00E9\"><Action/></R>"));
        Bstr result;
        EXPECT_EQ(RunAction(request.get(), result.put()), S_OK);
        EXPECT_EQ(manager->FirstArguments(ManagerCall::AddTrigger),
                  (std::vector<std::string>{"\xCE\xA9-\xC3\xA9"}));
        EXPECT_EQ(TriggerBridge::Instance().actionTable().Ids(),
                  (std::vector<std::string>{"\xCE\xA9-\xC3\xA9"}));
        EXPECT_EQ(result.view(), OLESTR("<ActionResult><Result>true</Result></ActionResult>"));
        EXPECT_EQ(StopHandler(), S_OK);
    }
}

}  // namespace
