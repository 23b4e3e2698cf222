// A fired trigger: Invoke's checks of the event call, the lookup of the stored action, the merge
// of the trigger data into it through two configuration documents, and the run through DoAction.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "boundary/exports.h"
#include "bridge/trigger_bridge.h"
#include "fakes/config_document_factory.h"
#include "fakes/event_arguments.h"
#include "fakes/fake_action_manager.h"
#include "fakes/module_fixture.h"
#include "fakes/run_request.h"
#include "fakes/trigger_manager_factory.h"

namespace {

using fakes::ActionManagerFake;
using fakes::ConfigDocumentFactory;
using fakes::DocumentFaults;
using fakes::EventArguments;
using fakes::FakeTriggerManager;
using fakes::TriggerManagerFactory;

constexpr char kAction[] = R"(<Action type="host" name="log"><Text>on</Text></Action>)";
constexpr OLECHAR kData[] =
    OLESTR(R"(<?xml version="1.0"?> <TriggerData sensor="door"><Open/></TriggerData>)");
constexpr char kMerged[] = R"(<Action type="host" name="log"><Text>on</Text>)"
                           R"(<TriggerData sensor="door"><Open/></TriggerData></Action>)";

class FiredTriggerTest : public fakes::ModuleFixture {
  protected:
    void SetUp() override {
        ModuleFixture::SetUp();
        ASSERT_TRUE(bridge_.Connect());
        for (const auto& [id, action] : std::vector<std::pair<std::string, std::string>>{
                 {"t1", kAction}, {"42", kAction}, {"", kAction}, {"empty", ""}}) {
            ASSERT_NE(bridge_.RegisterTrigger(id, "", action), 0);
        }
    }
    void TearDown() override {
        bridge_.Disconnect();
        ModuleFixture::TearDown();
    }

    HRESULT Invoke(DISPID member, DISPPARAMS* params) {
        return bridge_.Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params,
                              nullptr, nullptr, nullptr);
    }

    TriggerBridge bridge_;
};

// ---- the event call and the lookup ---------------------------------------------------------

enum class Params { Absent, NullArray, Given };

struct EventCase {
    const char* name;
    DISPID member;
    Params params;
    std::function<EventArguments()> arguments;
    HRESULT expected;
    bool runs;  // DoAction called once, with the merged action
};

EventArguments Fired(std::optional<OleStringView> id) {
    return EventArguments::TriggerFired(id, kData);
}

const EventCase kEventCases[] = {
    {"RegisteredId", DISPID_TRIGGERFIRED, Params::Given, [] { return Fired(OLESTR("t1")); }, S_OK,
     true},
    {"OtherDispid", 2, Params::Given, [] { return Fired(OLESTR("t1")); }, E_FAIL, false},
    {"NoParams", DISPID_TRIGGERFIRED, Params::Absent, nullptr, E_FAIL, false},
    {"NoArgumentArray", DISPID_TRIGGERFIRED, Params::NullArray, nullptr, E_FAIL, false},
    {"OneArgument", DISPID_TRIGGERFIRED, Params::Given,
     [] {
         EventArguments arguments;
         arguments.String(OLESTR("t1"));
         return arguments;
     },
     E_FAIL, false},
    {"ThreeArguments", DISPID_TRIGGERFIRED, Params::Given,
     [] {
         EventArguments arguments;
         arguments.String(kData).String(OLESTR("t1")).String(OLESTR("extra"));
         return arguments;
     },
     E_FAIL, false},
    {"UnknownId", DISPID_TRIGGERFIRED, Params::Given, [] { return Fired(OLESTR("t2")); }, S_FALSE,
     false},
    {"LookupIsCaseSensitive", DISPID_TRIGGERFIRED, Params::Given,
     [] { return Fired(OLESTR("T1")); }, S_FALSE, false},
    {"EmptyAction", DISPID_TRIGGERFIRED, Params::Given, [] { return Fired(OLESTR("empty")); },
     S_FALSE, false},
    {"NumericIdReadsAsItsText", DISPID_TRIGGERFIRED, Params::Given,
     [] {
         EventArguments arguments;
         arguments.String(kData).Long(42);
         return arguments;
     },
     S_OK, true},
    {"NullIdReadsAsEmpty", DISPID_TRIGGERFIRED, Params::Given, [] { return Fired(std::nullopt); },
     S_OK, true},
    {"IdWithoutStringFormReadsAsEmpty", DISPID_TRIGGERFIRED, Params::Given,
     [] {
         EventArguments arguments;
         arguments.String(kData).Null();
         return arguments;
     },
     S_OK, true},
    {"DataThatDoesNotLoad", DISPID_TRIGGERFIRED, Params::Given,
     [] { return EventArguments::TriggerFired(OLESTR("t1"), OLESTR("not xml")); }, S_OK, false},
    {"NullData", DISPID_TRIGGERFIRED, Params::Given,
     [] { return EventArguments::TriggerFired(OLESTR("t1"), std::nullopt); }, S_OK, false},
};

class FiredEventTest : public FiredTriggerTest, public ::testing::WithParamInterface<EventCase> {};

TEST_P(FiredEventTest, GivesTheResultAndRunsTheActionOnlyWhenItShould) {
    const EventCase& testCase = GetParam();
    const std::size_t entries = bridge_.actionTable().Size();
    EventArguments arguments = testCase.arguments ? testCase.arguments() : EventArguments();
    DISPPARAMS* params = nullptr;
    if (testCase.params != Params::Absent) {
        params = arguments.params();
        if (testCase.params == Params::NullArray) {
            params->rgvarg = nullptr;
            params->cArgs = 2;
        }
    }

    EXPECT_EQ(Invoke(testCase.member, params), testCase.expected);
    if (testCase.runs) {
        EXPECT_EQ(ActionManagerFake::Requests(), (std::vector<std::string>{kMerged}));
    } else {
        EXPECT_TRUE(ActionManagerFake::Requests().empty());
    }
    // No document for a call that finds no action; a pair of them otherwise.
    EXPECT_EQ(ConfigDocumentFactory::Calls(), testCase.expected == S_OK ? 2 : 0);
    EXPECT_EQ(ConfigDocumentFactory::Alive(), 0);
    EXPECT_EQ(bridge_.actionTable().Size(), entries);
}

INSTANTIATE_TEST_SUITE_P(Events, FiredEventTest, ::testing::ValuesIn(kEventCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// ---- the documents failing at each step ----------------------------------------------------

struct DocumentFailure {
    const char* name;
    int creation;  // 0: the trigger-data document, 1: the action document
    bool creationFails;
    bool writesPointer;
    DocumentFaults faults;
};

DocumentFaults With(void (*set)(DocumentFaults&)) {
    DocumentFaults faults;
    set(faults);
    return faults;
}

const DocumentFailure kDocumentFailures[] = {
    {"DataDocumentNotCreated", 0, true, false, {}},
    {"ActionDocumentNotCreated", 1, true, false, {}},
    {"ActionDocumentFailsWithAPointer", 1, true, true, {}},
    {"DataLoadFails", 0, false, false, With([](DocumentFaults& f) { f.loadXml = E_OUTOFMEMORY; })},
    {"ActionLoadFails", 1, false, false, With([](DocumentFaults& f) { f.loadXml = E_FAIL; })},
    {"ActionDoesNotLoad", 1, false, false,
     With([](DocumentFaults& f) { f.loadXmlAnswersZero = true; })},
    {"CombineFails", 1, false, false, With([](DocumentFaults& f) { f.combine = E_FAIL; })},
    {"CombineRefuses", 1, false, false,
     With([](DocumentFaults& f) { f.combineAnswersZero = true; })},
    {"GetDocumentFails", 1, false, false,
     With([](DocumentFaults& f) { f.getDocument = E_UNEXPECTED; })},
    {"GetDocumentGivesNothing", 1, false, false,
     With([](DocumentFaults& f) { f.getDocumentNull = true; })},
    {"GetDocumentGivesNoDom", 1, false, false,
     With([](DocumentFaults& f) { f.getDocumentNoDom = true; })},
};

class DocumentFailureTest : public FiredTriggerTest,
                            public ::testing::WithParamInterface<DocumentFailure> {};

TEST_P(DocumentFailureTest, EndsTheRunWithSuccessAndReleasesEverything) {
    const DocumentFailure& failure = GetParam();
    if (failure.creationFails) {
        ConfigDocumentFactory::FailCreation(failure.creation, E_OUTOFMEMORY, failure.writesPointer);
    } else {
        ConfigDocumentFactory::SetFaults(failure.creation, failure.faults);
    }
    EventArguments arguments = Fired(OLESTR("t1"));

    EXPECT_EQ(Invoke(DISPID_TRIGGERFIRED, arguments.params()), S_OK);
    EXPECT_TRUE(ActionManagerFake::Requests().empty());
    EXPECT_EQ(ConfigDocumentFactory::Calls(), 2) << "both documents are asked for";
    EXPECT_EQ(ConfigDocumentFactory::Alive(), 0);
}

INSTANTIATE_TEST_SUITE_P(Failures, DocumentFailureTest, ::testing::ValuesIn(kDocumentFailures),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(FiredTriggerTest, ActionThatFailsStillGivesSuccess) {
    ActionManagerFake::SetDoActionAnswer(
        E_FAIL, OLESTR("<ActionResult><Result>false</Result></ActionResult>"));
    EventArguments arguments = Fired(OLESTR("t1"));
    EXPECT_EQ(Invoke(DISPID_TRIGGERFIRED, arguments.params()), S_OK);
    EXPECT_EQ(ActionManagerFake::Requests().size(), 1u);
}

TEST_F(FiredTriggerTest, ActionWithoutAResultStringStillGivesSuccess) {
    ActionManagerFake::SetDoActionAnswer(S_OK, std::nullopt);
    EventArguments arguments = Fired(OLESTR("t1"));
    EXPECT_EQ(Invoke(DISPID_TRIGGERFIRED, arguments.params()), S_OK);
    EXPECT_EQ(ActionManagerFake::Requests().size(), 1u);
}

TEST_F(FiredTriggerTest, NonAsciiDataReachesTheActionUnchanged) {
    EventArguments arguments = EventArguments::TriggerFired(
        OLESTR("t1"),
        OLESTR("<TriggerData place=\"K\u00F6ln \u89E6\"><V>\U0001F600</V></TriggerData>"));
    EXPECT_EQ(Invoke(DISPID_TRIGGERFIRED, arguments.params()), S_OK);
    EXPECT_EQ(ActionManagerFake::Requests(),
              (std::vector<std::string>{
                  R"(<Action type="host" name="log"><Text>on</Text>)"
                  "<TriggerData place=\"K\xC3\xB6ln \xE8\xA7\xA6\"><V>\xF0\x9F\x98\x80</V>"
                  "</TriggerData></Action>"}));
}

// ---- an action that comes back into the module -------------------------------------------

class ReentrantActionTest : public fakes::ModuleFixture {};

TEST_F(ReentrantActionTest, ActionMayRegisterAndUnregisterOnTheSameThread) {
    ComPtr<FakeTriggerManager> manager = FakeTriggerManager::Create();
    TriggerManagerFactory::Enqueue(manager);
    ASSERT_EQ(RegisterActions(), S_OK);
    const std::string action =
        std::string(R"(<R type="trigger" name="registeraction" id="t1">)") + kAction + "</R>";
    ASSERT_EQ(fakes::RunRequest(action).code, S_OK);

    int depth = 0;
    std::vector<HRESULT> nested;
    ActionManagerFake::OnDoAction([&](const std::string&) {
        if (++depth > 1) {
            return;
        }
        nested.push_back(fakes::RunRequest(R"(<R type="trigger" name="registeraction" id="t2">)"
                                           R"(<Action type="host" name="log"/></R>)")
                             .code);
        nested.push_back(
            fakes::RunRequest(R"(<R type="trigger" name="unregisteraction" id="t1"/>)").code);
        // A trigger firing from inside the action, as a chained action makes it.
        nested.push_back(manager->RaiseTriggerFired(OLESTR("t2"), kData));
    });

    EXPECT_EQ(manager->RaiseTriggerFired(OLESTR("t1"), kData), S_OK);
    EXPECT_EQ(nested, (std::vector<HRESULT>{S_OK, S_OK, S_OK}));
    EXPECT_EQ(depth, 2);
    EXPECT_EQ(TriggerBridge::Instance().actionTable().Ids(), (std::vector<std::string>{"t2"}));
}

}  // namespace
