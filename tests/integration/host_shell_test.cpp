// The interactive host as people and scripts use it: typed at a terminal (editing, recall, every
// command, a misspelt one), read by a script line by line as JSON, and list, test and history
// agreeing with what fire does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "terminal_host.h"

namespace {

using nlohmann::json;
using testing::HasSubstr;

const std::string kUp = "\x1b[A";
const std::string kLeft = "\x1b[D";
const std::string kBackspace = "\x7f";

TEST(HostShell, AtATerminalEveryCommandEditingAndRecallWork) {
    TerminalHost host({TB_HOST_PATH, "--interactive"});
    ASSERT_TRUE(host.started());
    host.WaitFor("triggerhost> ");
    host.Type("register door.front /TriggerData/door[@state='open'] -> host/log\r");
    host.WaitFor("< true");
    host.Type("fire <door state=\"shut\"/>\r");
    host.WaitFor("matched=\"0\"");
    // Editing keys only work once the line editor holds the terminal again, which its prompt shows;
    // typed earlier, they arrive in the terminal's own line mode as plain characters.
    host.WaitFor("triggerhost> ");
    // The last line back, its end rubbed out and typed again.
    host.Type(kUp + std::string(8, kBackspace[0]) + "\"open\"/>\r");
    EXPECT_THAT(host.WaitFor("<Trigger id=\"door.front\"/>"),
                HasSubstr("log: <Action type=\"host\" name=\"log\"><TriggerData><door "
                          "state=\"open\"/></TriggerData></Action>"));
    host.WaitFor("triggerhost> ");
    // "lst", the cursor moved back two places and the missing letter put in.
    host.Type("lst" + kLeft + kLeft + "i\r");
    EXPECT_THAT(host.WaitFor("1 trigger"),
                HasSubstr("door.front  /TriggerData/door[@state='open']  -> <Action"));
    host.Type("hisory\r");
    host.WaitFor("'hisory' is neither a command nor an XML request; did you mean 'history'?");
    host.Type("test /TriggerData/door[@state='open'] <door state=\"open\"/>\r");
    host.WaitFor("matched: the condition holds");
    host.Type("history\r");
    EXPECT_THAT(host.WaitFor("-> matched door.front"), HasSubstr("#1  <door state=\"shut\"/>"));
    host.Type("help fire\r");
    host.WaitFor("fire DATA");
    host.Type("help\r");
    host.WaitFor("help COMMAND shows a command's examples.");
    for (const char* command : {"suspend", "resume", "deletedb", "unregister door.*"}) {
        host.Type(std::string(command) + "\r");
        host.WaitFor("< true");
    }
    host.Type("<R type=\"trigger\" name=\"Fire\"/>\r");
    host.WaitFor("did you mean name=\"fire\"?");
    host.Type("quit\r");
    // The misspelt command was reported, so the run ends with status 2.
    EXPECT_EQ(host.Finish(), 2);
    // Results are coloured on a terminal.
    EXPECT_THAT(host.bytes(), HasSubstr("\x1b[32m< true"));
}

struct ScriptRun {
    int status;
    std::vector<json> objects;
    std::string output;
};

// Runs the host with `arguments` on the script, each line of its output parsed as JSON.
ScriptRun RunScript(const std::string& arguments, const std::string& script) {
    const std::string path = testing::TempDir() + "host-shell-script.txt";
    std::ofstream(path, std::ios::binary) << script;
    const std::string command = std::string("'") + TB_HOST_PATH + "' --interactive --json " +
                                arguments + " <'" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ScriptRun run{-1, {}, {}};
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        run.output.append(buffer.data(), read);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::remove(path.c_str());
    std::size_t start = 0;
    for (std::size_t end; (end = run.output.find('\n', start)) != std::string::npos;
         start = end + 1) {
        // Strict: anything but one well-formed object in valid UTF-8 on the line fails.
        run.objects.push_back(json::parse(run.output.substr(start, end - start)));
        EXPECT_TRUE(run.objects.back().is_object()) << run.objects.back();
    }
    EXPECT_EQ(start, run.output.size()) << "the output ends inside a line";
    return run;
}

std::vector<json> OfKind(const ScriptRun& run, const std::string& kind) {
    std::vector<json> found;
    for (const json& object : run.objects) {
        if (object.at("kind") == kind) {
            found.push_back(object);
        }
    }
    return found;
}

TEST(HostShell, JsonOutputIsOneObjectPerLineWhateverTheTextHolds) {
    // Control characters, quotes, backslashes, non-ASCII text and bytes that are not UTF-8 in
    // what the lines carry.
    const ScriptRun run =
        RunScript("",
                  "register \"t \\\\ \xC3\xA9\" -> <Action type=\"host\" name=\"log\"><m>&#9;"
                  "\"q\" \xE2\x82\xAC</m></Action>\n"
                  "fire <x a=\"&#10;\"/>\nlist\ntest /TriggerData/x <x/>\n"
                  "test /TriggerData <x>\x01\x7F\xFF</x>\nhistory\nhelp\n"
                  "<R type=\"trigger\" name=\"Fire\"/>\nnot xml\n");
    EXPECT_EQ(run.status, 2) << run.output;
    ASSERT_EQ(OfKind(run, "request").size(), 3u) << run.output;
    EXPECT_EQ(OfKind(run, "request")[0].at("id"), "t \\\\ \xC3\xA9");
    EXPECT_EQ(OfKind(run, "request")[1].at("matched"), json::array({"t \\\\ \xC3\xA9"}));
    EXPECT_EQ(OfKind(run, "request")[2].at("meaning"), "member not found");
    EXPECT_THAT(OfKind(run, "request")[2].at("advice").get<std::string>(),
                HasSubstr("did you mean name=\"fire\"?"));
    ASSERT_EQ(OfKind(run, "log").size(), 1u);
    EXPECT_THAT(OfKind(run, "log")[0].at("text").get<std::string>(),
                HasSubstr("<m>\t\"q\" \xE2\x82\xAC</m>"));
    EXPECT_THAT(OfKind(run, "firing").at(0).at("data").get<std::string>(),
                HasSubstr("<x a=\"&#10;\"/>"));
    ASSERT_EQ(OfKind(run, "test").size(), 2u);
    EXPECT_EQ(OfKind(run, "test")[0].at("outcome"), "matched");
    EXPECT_EQ(OfKind(run, "test")[1].at("data"), "<x>\x01\x7F\xEF\xBF\xBD</x>");
    EXPECT_EQ(OfKind(run, "test")[1].at("outcome"), "data is not XML");
    EXPECT_EQ(OfKind(run, "action").size(), 1u);
    EXPECT_EQ(OfKind(run, "trigger").size(), 1u);
    EXPECT_EQ(OfKind(run, "firing").size(), 1u);
    EXPECT_EQ(OfKind(run, "help").size(), 1u);
}

// One condition and one piece of data through list, test, fire and history, in one session;
// `before` runs first (a suspend, triggers that feed each other, a budget).
struct Agreement {
    const char* name;
    std::string condition;
    std::string data;
    std::string testOutcome;    // what test says
    std::string firingOutcome;  // what the history says of the first firing
    bool matched;               // fire, history and test agree on the trigger "t"
    std::string arguments = "";
    std::string before = "";
    std::string refusal = "";  // an outcome some later firing of the chain shows
};

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

const std::string kFeeder =
    "-> <Action type=\"trigger\" name=\"fire\"><TriggerData><x/>"
    "</TriggerData></Action>\n";

const Agreement kAgreements[] = {
    {"Matches", "/TriggerData/door[@state='open']", "<door state=\"open\"/>", "matched",
     "evaluated", true},
    {"DoesNotMatch", "/TriggerData/door[@state='open']", "<door state=\"shut\"/>", "not matched",
     "evaluated", false},
    {"BothQuotesAndMarkup", "/TriggerData/m[. = concat('a\"b', \"'<&\")]", "<m>a\"b'&lt;&amp;</m>",
     "matched", "evaluated", true},
    {"LessThanBeforeTheData", "count(//door) < 2", "<door/>", "matched", "evaluated", true},
    {"Invalid", "/TriggerData/[", "<x/>", "invalid condition", "evaluated", false},
    {"OutOfWork", "count(//*//*//*) > 0", Repeat(Repeat("<a>", 250) + Repeat("</a>", 250), 40),
     "out of work", "evaluated", false},
    {"Suspended", "/TriggerData/x", "<x/>", "matched", "suspended", false, "", "suspend\n"},
    {"Loop", "/TriggerData/door", "<door/>", "matched", "evaluated", true, "--chain-budget 100000",
     "register self " + kFeeder, "refused loop"},
    {"Budget", "/TriggerData/door", "<door/>", "matched", "evaluated", true, "--chain-budget 5",
     "register a " + kFeeder + "register b " + kFeeder, "refused budget"},
};

void PrintTo(const Agreement& row, std::ostream* out) {
    *out << row.name;
}

class ListTestHistoryAgreeWithFire : public testing::TestWithParam<Agreement> {};

TEST_P(ListTestHistoryAgreeWithFire, OnOneConditionAndOneFiring) {
    const Agreement& row = GetParam();
    const ScriptRun run =
        RunScript(row.arguments, row.before + "register t " + row.condition +
                                     " -> host/log\nlist t\ntest " + row.condition + " " +
                                     row.data + "\nfire " + row.data + "\nhistory 200\n");
    const bool valid = row.testOutcome != "invalid condition";
    const std::vector<json> requests = OfKind(run, "request");
    ASSERT_FALSE(requests.empty()) << run.output;
    const json& fire = requests.back();
    ASSERT_EQ(fire.at("name"), "fire") << run.output;
    // list: the trigger is there, with its condition as typed, exactly when it registered.
    const std::vector<json> listed = OfKind(run, "trigger");
    ASSERT_EQ(listed.size(), valid ? 1u : 0u) << run.output;
    if (valid) {
        EXPECT_EQ(listed[0].at("condition"), row.condition);
        EXPECT_EQ(listed[0].at("hasAction"), true);
    }
    // test says what fire then does.
    EXPECT_EQ(OfKind(run, "test").at(0).at("outcome"), row.testOutcome) << run.output;
    const json& ids = fire.at("matched");
    const bool fireMatched = std::find(ids.begin(), ids.end(), "t") != ids.end();
    EXPECT_EQ(fireMatched, row.matched) << fire;
    EXPECT_EQ(fire.at("exhausted") == json::array({"t"}), row.testOutcome == "out of work");
    // history: the request's own firing (the first after the registrations) and any refusal.
    const std::vector<json> firings = OfKind(run, "firing");
    ASSERT_FALSE(firings.empty()) << run.output;
    EXPECT_EQ(firings[0].at("outcome"), row.firingOutcome);
    EXPECT_EQ(firings[0].at("matched"), fire.at("matched"));
    EXPECT_EQ(firings[0].at("exhausted"), fire.at("exhausted"));
    if (!row.refusal.empty()) {
        EXPECT_EQ(firings.back().at("outcome"), row.refusal) << run.output;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ListTestHistoryAgreeWithFire, testing::ValuesIn(kAgreements),
                         [](const testing::TestParamInfo<Agreement>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
