// Registration and dispatch: which action a request reaches, and what every kind of bad
// request or registration answers.
#include <gmock/gmock.h>

#include <optional>

#include "action_manager_support.h"

namespace actionmanager_test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

// --- Registration -------------------------------------------------------------------------------

struct BadRegistration {
    const char* label;
    std::optional<std::string> category;
    std::optional<std::string> action;
    std::optional<std::string> modulePath;
    std::optional<std::string> entry;
};

class RefusedRegistration : public ActionManagerTest,
                            public testing::WithParamInterface<BadRegistration> {};

Bstr Optional(const std::optional<std::string>& text) {
    return text ? ToBstr(*text) : Bstr();
}

TEST_P(RefusedRegistration, IsInvalidAndRegistersNothing) {
    const BadRegistration& bad = GetParam();
    Bstr category = Optional(bad.category);
    Bstr action = Optional(bad.action);
    Bstr modulePath = Optional(bad.modulePath);
    Bstr entry = Optional(bad.entry);
    EXPECT_EQ(AddAction(category.get(), action.get(), modulePath.get(), entry.get(), 1),
              E_INVALIDARG);

    const Reply reply = Send(Request(bad.category.value_or("test"), bad.action.value_or("act")));
    EXPECT_EQ(reply.code, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(reply.text, kFalse);
}

INSTANTIATE_TEST_SUITE_P(
    AddAction, RefusedRegistration,
    testing::Values(BadRegistration{"NullCategory", std::nullopt, "act", kModule, "EchoEntry"},
                    BadRegistration{"EmptyCategory", "", "act", kModule, "EchoEntry"},
                    BadRegistration{"NullAction", "test", std::nullopt, kModule, "EchoEntry"},
                    BadRegistration{"EmptyAction", "test", "", kModule, "EchoEntry"},
                    BadRegistration{"NullModule", "test", "act", std::nullopt, "EchoEntry"},
                    BadRegistration{"EmptyModule", "test", "act", "", "EchoEntry"},
                    BadRegistration{"NullEntry", "test", "act", kModule, std::nullopt},
                    BadRegistration{"EmptyEntry", "test", "act", kModule, ""}),
    ByLabel());

TEST_F(ActionManagerTest, ALaterRegistrationOfThePairReplacesTheEarlierOnly) {
    ASSERT_EQ(Register("test", "act", kModule, "EchoEntry"), S_OK);
    ASSERT_EQ(Register("test", "other", kModule, "EchoEntry"), S_OK);
    ASSERT_EQ(Register("test", "act", kModule, "FailEntry"), S_OK);

    EXPECT_EQ(Send(Request("test", "act")).code, E_ACCESSDENIED);
    const std::string other = Request("test", "other");
    EXPECT_EQ(Send(other).text, other);
}

TEST_F(ActionManagerTest, ARegistrationTakesPrecedenceOverTheBuiltInOfThatName) {
    ASSERT_EQ(Register("host", "log", kModule, "EchoEntry"), S_OK);
    const std::string request = Request("host", "log", "<Said/>");
    EXPECT_EQ(Send(request).text, request);
    EXPECT_THAT(output.Get(), IsEmpty());

    ActionManagerShutdown();
    EXPECT_EQ(Send(request).text, kTrue);
    EXPECT_THAT(output.Get(), ElementsAre(request));
}

// --- Dispatch to a module's entry ---------------------------------------------------------------

struct EntryCase {
    const char* entry;
    HRESULT code;
    std::optional<std::string> text;  // nullopt: the request itself
};

class ModuleEntry : public ActionManagerTest, public testing::WithParamInterface<EntryCase> {};

TEST_P(ModuleEntry, AnswersWithTheEntrysCodeAndText) {
    ASSERT_EQ(Register("test", "act", kModule, GetParam().entry), S_OK);
    const std::string request =
        Request("test", "act", "<Payload n=\"1\">\xC3\xA9t\xC3\xA9</Payload>");

    const Reply reply = Send(request);
    EXPECT_EQ(reply.code, GetParam().code);
    EXPECT_TRUE(reply.hasText);
    EXPECT_EQ(reply.text, GetParam().text.value_or(request));
}

INSTANTIATE_TEST_SUITE_P(
    DoAction, ModuleEntry,
    testing::Values(EntryCase{"EchoEntry", S_OK, std::nullopt},
                    EntryCase{"FailEntry", E_ACCESSDENIED, "<refused/>"},
                    EntryCase{"SilentEntry", S_FALSE, ""},
                    EntryCase{"NestedEntry", S_OK,
                              "<ActionResult><Result>&lt;Action type=\"host\" "
                              "name=\"echo\"&gt;inner&lt;/Action&gt;</Result></ActionResult>"}),
    [](const auto& named) { return std::string(named.param.entry); });

struct LoadFailure {
    const char* label;
    std::string modulePath;
    const char* entry;
    HRESULT code;
};

class UnusableModule : public ActionManagerTest, public testing::WithParamInterface<LoadFailure> {};

TEST_P(UnusableModule, AnswersFalseWithTheLoadingError) {
    ASSERT_EQ(Register("test", "act", GetParam().modulePath, GetParam().entry), S_OK);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Reply reply = Send(Request("test", "act"));
        EXPECT_EQ(reply.code, GetParam().code);
        EXPECT_EQ(reply.text, kFalse);
    }
}

INSTANTIATE_TEST_SUITE_P(DoAction, UnusableModule,
                         testing::Values(LoadFailure{"MissingFile", "/nonexistent/libnothing.so",
                                                     "EchoEntry",
                                                     HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
                                         LoadFailure{"NotALibrary", __FILE__, "EchoEntry",
                                                     HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
                                         LoadFailure{"MissingEntry", kModule, "NoSuchEntry",
                                                     HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)},
                                         LoadFailure{"EntryNameCaseMatters", kModule, "echoentry",
                                                     HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)}),
                         ByLabel());

// --- Built-in host actions ----------------------------------------------------------------------

TEST_F(ActionManagerTest, HostLogWritesTheWholeRequestAsOneLineAndAnswersTrue) {
    const std::string request = Request("host", "log", "<Say>hi</Say>");
    const Reply reply = Send(request);
    EXPECT_EQ(reply.code, S_OK);
    EXPECT_EQ(reply.text, kTrue);
    EXPECT_THAT(output.Get(), ElementsAre(request));
}

struct LineCase {
    const char* label;
    std::string request;
    std::string line;
};

class LoggedLine : public ActionManagerTest, public testing::WithParamInterface<LineCase> {};

TEST_P(LoggedLine, KeepsOneLinePerAction) {
    ASSERT_EQ(Send(GetParam().request).code, S_OK);
    EXPECT_THAT(output.Get(), ElementsAre(GetParam().line));
}

INSTANTIATE_TEST_SUITE_P(
    HostLog, LoggedLine,
    testing::Values(LineCase{"TrailingNewline", "<a type=\"host\" name=\"log\"/>\n",
                             "<a type=\"host\" name=\"log\"/>"},
                    LineCase{"BreaksInside", "<a type=\"host\" name=\"log\">\r\n  <b/>\n\n</a>",
                             "<a type=\"host\" name=\"log\">   <b/> </a>"},
                    LineCase{"LeadingBreak", "\n<a type=\"host\" name=\"log\"/>",
                             "<a type=\"host\" name=\"log\"/>"},
                    LineCase{"NonAscii",
                             "<a type=\"host\" name=\"log\">\xE6\x97\xA5\xF0\x9F\x98\x80</a>",
                             "<a type=\"host\" name=\"log\">\xE6\x97\xA5\xF0\x9F\x98\x80</a>"}),
    ByLabel());

TEST_F(ActionManagerTest, HostEchoAnswersTheRequestAsEscapedText) {
    const Reply reply = Send("<A type=\"host\" name=\"echo\">x &amp; y</A>");
    EXPECT_EQ(reply.code, S_OK);
    EXPECT_EQ(reply.text,
              "<ActionResult><Result>&lt;A type=\"host\" name=\"echo\"&gt;x &amp;amp; "
              "y&lt;/A&gt;</Result></ActionResult>");
}

TEST_F(ActionManagerTest, HostFailAnswersFalse) {
    const Reply reply = Send(Request("host", "fail"));
    EXPECT_EQ(reply.code, E_FAIL);
    EXPECT_EQ(reply.text, kFalse);
}

TEST_F(ActionManagerTest, WithoutAnOutputCallbackHostLogWritesToStandardOutput) {
    ActionManagerSetOutput(nullptr, nullptr);
    testing::internal::CaptureStdout();
    const Reply reply = Send(Request("host", "log", "<Say>out</Say>"));
    const std::string written = testing::internal::GetCapturedStdout();
    EXPECT_EQ(reply.code, S_OK);
    EXPECT_EQ(written, Request("host", "log", "<Say>out</Say>") + "\n");
}

// --- Requests that name no action ---------------------------------------------------------------

struct Unknown {
    const char* label;
    const char* type;
    const char* name;
};

class UnknownAction : public ActionManagerTest, public testing::WithParamInterface<Unknown> {};

TEST_P(UnknownAction, AnswersFalseWithMemberNotFound) {
    ASSERT_EQ(Register("test", "act", kModule, "EchoEntry"), S_OK);
    const Reply reply = Send(Request(GetParam().type, GetParam().name));
    EXPECT_EQ(reply.code, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(reply.text, kFalse);
    EXPECT_THAT(output.Get(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    DoAction, UnknownAction,
    testing::Values(Unknown{"UnregisteredName", "test", "nope"},
                    Unknown{"UnregisteredType", "other", "act"}, Unknown{"TypeCase", "Test", "act"},
                    Unknown{"NameCase", "test", "ACT"}, Unknown{"HostTypeCase", "Host", "log"},
                    Unknown{"HostNameCase", "host", "Log"},
                    Unknown{"HostUnknown", "host", "reboot"},
                    Unknown{"BuiltInNameOtherType", "test", "log"}, Unknown{"EmptyNames", "", ""}),
    ByLabel());

struct Malformed {
    const char* label;
    std::string request;
};

class MalformedRequest : public ActionManagerTest, public testing::WithParamInterface<Malformed> {};

TEST_P(MalformedRequest, AnswersFalseWithInvalidArgAndRunsNothing) {
    ASSERT_EQ(Register("test", "act", kModule, "CountEntry"), S_OK);
    const Reply reply = Send(GetParam().request);
    EXPECT_EQ(reply.code, E_INVALIDARG);
    EXPECT_EQ(reply.text, kFalse);
    EXPECT_THAT(output.Get(), IsEmpty());
    // Nothing reached the module: its first counted call is still the first.
    EXPECT_EQ(Send(Request("test", "act")).text, "1");
}

INSTANTIATE_TEST_SUITE_P(
    DoAction, MalformedRequest,
    testing::Values(
        Malformed{"Empty", ""}, Malformed{"NotXml", "log this"},
        Malformed{"Unclosed", "<a type=\"host\" name=\"log\">"},
        Malformed{"NoRoot", "<?xml version=\"1.0\"?>"}, Malformed{"NoType", "<a name=\"log\"/>"},
        Malformed{"NoName", "<a type=\"host\"/>"},
        Malformed{"AttributesOnAChild", "<a><b type=\"test\" name=\"act\"/></a>"},
        Malformed{"InternalSubset",
                  "<!DOCTYPE a [<!ENTITY e \"x\">]><a type=\"test\" name=\"act\">&e;</a>"},
        Malformed{"ExternalSubset",
                  "<!DOCTYPE a SYSTEM \"file:///etc/passwd\"><a type=\"test\" name=\"act\"/>"}),
    ByLabel());

TEST_F(ActionManagerTest, NullRequestAnswersFalseWithInvalidArg) {
    Bstr result;
    EXPECT_EQ(DoAction(nullptr, result.put()), E_INVALIDARG);
    EXPECT_EQ(ToUtf8(result.view()), kFalse);
}

TEST_F(ActionManagerTest, NullResultSlotDiscardsTheResultButRunsTheAction) {
    ASSERT_EQ(Register("test", "act", kModule, "EchoEntry"), S_OK);
    for (const std::string& text : {Request("host", "log"), Request("test", "act")}) {
        Bstr request = ToBstr(text);
        EXPECT_EQ(DoAction(request.get(), nullptr), S_OK) << text;
    }
    Bstr malformed = ToBstr("<");
    EXPECT_EQ(DoAction(malformed.get(), nullptr), E_INVALIDARG);
    EXPECT_THAT(output.Get(), ElementsAre(Request("host", "log")));
}

}  // namespace
}  // namespace actionmanager_test
