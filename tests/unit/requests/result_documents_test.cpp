// Result documents: their exact text, and what every request answers when the configuration
// library cannot give it a document.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "fakes/config_document_factory.h"
#include "fakes/run_request.h"
#include "request_fixture.h"
#include "requests/result_document.h"

namespace {

using fakes::ConfigDocumentFactory;
using fakes::DocumentFaults;
using fakes::kFalseResult;
using fakes::kTrueResult;
using fakes::ManagerCall;
using fakes::RunRequest;
using requests_test::ConnectedFixture;
using requests_test::kEmptyResult;

class ResultDocumentTest : public fakes::ModuleFixture {};

struct FlagCase {
    LONG flag;
    std::string_view result;
};

class ResultFromFlagTest : public ResultDocumentTest,
                           public ::testing::WithParamInterface<FlagCase> {};

TEST_P(ResultFromFlagTest, IsTrueForAnyNonzeroFlag) {
    EXPECT_EQ(ResultXmlFromFlag(GetParam().flag), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Flags, ResultFromFlagTest,
                         ::testing::Values(FlagCase{1, kTrueResult}, FlagCase{-1, kTrueResult},
                                           FlagCase{7, kTrueResult}, FlagCase{0, kFalseResult}));

struct TextCase {
    const char* name;
    const char* value;
    std::string_view result;
};

const TextCase kTextCases[] = {
    {"Plain", "3 triggers", "<ActionResult><Result>3 triggers</Result></ActionResult>"},
    {"MarkupIsEscaped", "<a x=\"1\">b &amp; c</a>",
     "<ActionResult><Result>&lt;a x=\"1\"&gt;b &amp;amp; c&lt;/a&gt;</Result></ActionResult>"},
    {"DeclarationIsText", "<?xml version=\"1.0\"?>",
     "<ActionResult><Result>&lt;?xml version=\"1.0\"?&gt;</Result></ActionResult>"},
    {"NonAscii", "\xE2\x82\xAC \xE9\x97\xA8",
     "<ActionResult><Result>\xE2\x82\xAC \xE9\x97\xA8</Result></ActionResult>"},
    {"Empty", "", requests_test::kEmptyResult},
    {"Null", nullptr, requests_test::kEmptyResult},
};

class ResultFromTextTest : public ResultDocumentTest,
                           public ::testing::WithParamInterface<TextCase> {};

TEST_P(ResultFromTextTest, CarriesTheValueAsText) {
    EXPECT_EQ(ResultXmlFromText(GetParam().value), GetParam().result);
    EXPECT_EQ(ConfigDocumentFactory::Calls(), 1) << "one document of its own per result";
}

INSTANTIATE_TEST_SUITE_P(Texts, ResultFromTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// The request's document is creation 0, the result's creation 1.
struct MissingDocument {
    const char* name;
    const char* request;
    std::function<void()> program;
    HRESULT code;
    std::string_view result;
    int managerCalls;
};

DocumentFaults Faults(void (*set)(DocumentFaults&)) {
    DocumentFaults faults;
    set(faults);
    return faults;
}

const MissingDocument kMissingDocuments[] = {
    {"NoDocumentAtAll", R"(<R type="trigger" name="suspend"/>)",
     [] { ConfigDocumentFactory::FailEvery(E_OUTOFMEMORY); }, S_FALSE, "", 0},
    {"NoDocumentAtAllForFire", R"(<R type="trigger" name="fire"><TriggerData/></R>)",
     [] { ConfigDocumentFactory::FailEvery(E_FAIL, true); }, S_FALSE, "", 0},
    {"NoResultDocument", R"(<R type="trigger" name="suspend"/>)",
     [] { ConfigDocumentFactory::FailCreation(1, E_OUTOFMEMORY); }, S_OK, "", 1},
    {"NoResultDocumentForFire", R"(<R type="trigger" name="fire"><TriggerData/></R>)",
     [] { ConfigDocumentFactory::FailCreation(1, E_FAIL); }, S_OK, "", 1},
    {"NoDomBehindTheResultDocument", R"(<R type="trigger" name="suspend"/>)",
     [] {
         ConfigDocumentFactory::SetFaults(
             1, Faults([](DocumentFaults& f) { f.getDocumentNoDom = true; }));
     },
     S_OK, "", 1},
    {"RequestDocumentWrittenDespiteFailure", R"(<R type="trigger" name="suspend"/>)",
     [] { ConfigDocumentFactory::FailCreation(0, E_FAIL, true); }, S_FALSE, kFalseResult, 0},
    {"RequestDomFails", R"(<R type="trigger" name="suspend"/>)",
     [] {
         ConfigDocumentFactory::SetFaults(
             0, Faults([](DocumentFaults& f) { f.getDocument = E_UNEXPECTED; }));
     },
     S_FALSE, kFalseResult, 0},
    {"RequestDomMissing", R"(<R type="trigger" name="suspend"/>)",
     [] {
         ConfigDocumentFactory::SetFaults(
             0, Faults([](DocumentFaults& f) { f.getDocumentNull = true; }));
     },
     S_FALSE, kFalseResult, 0},
    {"RequestDomOfAnotherKind", R"(<R type="trigger" name="suspend"/>)",
     [] {
         ConfigDocumentFactory::SetFaults(
             0, Faults([](DocumentFaults& f) { f.getDocumentNoDom = true; }));
     },
     S_FALSE, kFalseResult, 0},
};

class MissingDocumentTest : public ConnectedFixture,
                            public ::testing::WithParamInterface<MissingDocument> {};

TEST_P(MissingDocumentTest, AnswersWithTheTextThatCanBeHad) {
    GetParam().program();
    const fakes::RunOutcome outcome = RunRequest(GetParam().request);
    EXPECT_EQ(outcome.code, GetParam().code);
    EXPECT_EQ(outcome.result, std::optional<std::string>(GetParam().result));
    EXPECT_EQ(manager_->CommandLog().size(), static_cast<std::size_t>(GetParam().managerCalls));
    EXPECT_EQ(ConfigDocumentFactory::Alive(), 0);
}

INSTANTIATE_TEST_SUITE_P(Documents, MissingDocumentTest, ::testing::ValuesIn(kMissingDocuments),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
