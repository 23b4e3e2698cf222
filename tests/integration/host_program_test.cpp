// The host program as a user runs it: examples, bad command lines, bad files, hostile input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

using testing::HasSubstr;
using testing::Not;

struct HostRun {
    int status;
    std::string output;
    long peakKilobytes;  // the most that any host run so far held at once
};

// `input` is printed into the host's standard input; without it, `inputFile` is read instead,
// after the shell commands `setup` (limits for the host, say).
HostRun RunHost(const std::string& arguments, const std::string& input = "",
                const std::string& inputFile = "/dev/null", const std::string& setup = "") {
    std::string command = std::string("'") + TB_HOST_PATH + "' " + arguments + " 2>&1";
    if (!input.empty()) {
        command = "printf '" + input + "' | " + command;
    } else {
        command = setup + command + " <'" + inputFile + "'";
    }
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {-1, "", 0};
    }
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        output.append(buffer.data(), read);
    }
    const int status = pclose(pipe);
    // The kernel keeps the largest peak of the children waited for (the shell waited for the host).
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output, children.ru_maxrss};
}

std::string Example(const char* name) {
    return std::string("'") + TB_EXAMPLES_DIR + "/" + name + "'";
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(HostProgram, DoorSensorLogsTheAlertOnceTheDoorOpens) {
    const HostRun run = RunHost(Example("door-sensor.xml"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, "  log: "), 1u) << run.output;
    EXPECT_THAT(run.output, HasSubstr("Front door opened</Alert><TriggerData><door id=\"front\" "
                                      "state=\"open\"/></TriggerData></Action>"));
    EXPECT_THAT(run.output, HasSubstr("suspended"));
}

TEST(HostProgram, WildcardExampleLeavesOnlyTheGarage) {
    const HostRun run = RunHost(Example("wildcard-unregister.xml"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, "Smoke in the kitchen"), 1u) << run.output;
    EXPECT_EQ(Count(run.output, "The kitchen is hot"), 1u) << run.output;
    EXPECT_EQ(Count(run.output, "Garage door moved"), 2u) << run.output;
}

TEST(HostProgram, ChainedExampleRunsTheChainAndStopsTheLoop) {
    const HostRun run = RunHost(Example("chained-action.xml"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, "Hall light is on"), 1u) << run.output;
    EXPECT_THAT(run.output, HasSubstr("refused=\"loop\" depth=\"17\""));
    EXPECT_THAT(run.output, Not(HasSubstr("refused=\"budget\"")));
}

TEST(HostProgram, AChainBudgetStopsTheLoopBeforeItsDepthDoes) {
    const HostRun run = RunHost("--chain-budget 5 " + Example("chained-action.xml"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, "Hall light is on"), 1u) << run.output;
    EXPECT_THAT(run.output, HasSubstr("refused=\"budget\" budget=\"5\""));
    EXPECT_THAT(run.output, Not(HasSubstr("refused=\"loop\"")));
}

TEST(HostProgram, BuiltInScenarioRunsWithoutArguments) {
    const HostRun run = RunHost("");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, "  log: "), 1u) << run.output;
}

TEST(HostProgram, DeliveryThreadAndDatabaseFileGiveTheSameStory) {
    const std::string database = testing::TempDir() + "triggerhost-test.db";
    std::remove(database.c_str());
    const HostRun run =
        RunHost("--delivery-thread --database '" + database + "' " + Example("door-sensor.xml"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, "  log: "), 1u) << run.output;
    std::remove(database.c_str());
}

TEST(HostProgram, InteractiveRequestsRunLineByLine) {
    const HostRun run = RunHost(
        "--interactive",
        "help\\n<R type=\"trigger\" name=\"registeraction\" id=\"t\"><Action type=\"host\" "
        "name=\"log\"/></R>\\n<R type=\"trigger\" name=\"fire\"><TriggerData><x/></TriggerData>"
        "</R>\\nquit\\n<R type=\"trigger\" name=\"suspend\"/>\\n");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("help COMMAND shows a command's examples."));
    EXPECT_EQ(Count(run.output, "  log: "), 1u) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr("> suspend")));
}

struct Failure {
    std::string arguments;
    int status;
    std::string messagePart;
};

class HostProgramFailure : public testing::TestWithParam<Failure> {};

TEST_P(HostProgramFailure, GivesOneLineNamingTheProblemAndANonzeroStatus) {
    const HostRun run = RunHost(GetParam().arguments);
    EXPECT_EQ(run.status, GetParam().status) << run.output;
    EXPECT_THAT(run.output, HasSubstr("triggerhost: "));
    EXPECT_THAT(run.output, HasSubstr(GetParam().messagePart));
    EXPECT_EQ(Count(run.output, "\n"), 1u) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    HostProgram, HostProgramFailure,
    testing::Values(Failure{"--bogus", 1, "--bogus"},
                    Failure{"/nonexistent/s.xml", 2, "/nonexistent/s.xml"},
                    Failure{"--module /nonexistent/plugin.so", 2, "/nonexistent/plugin.so"},
                    Failure{"--database /nonexistent/dir/t.db", 2,
                            "\"/nonexistent/dir\" does not exist"},
                    Failure{"'" TB_EXAMPLES_DIR "/../README.md'", 2, "not a well-formed"},
                    Failure{"--dom platform", 2, "no platform XML DOM"}));

TEST(HostProgram, HelpDescribesTheProgram) {
    const HostRun run = RunHost("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.output, HasSubstr("SYNOPSIS"));
}

// --- hostile input -----------------------------------------------------------------------------

// A hostile input of 256 MB: an implementation that holds its input whole would need all of it.
constexpr std::size_t kInputBytes = 256u << 20;
// A bounded host holds one request of at most 16 MiB: with the growth of its buffers and what the
// address sanitizer keeps of freed memory, it stays well below this.
constexpr long kBoundKilobytes = 96 * 1024;

constexpr char kEntityBomb[] =
    "<!DOCTYPE R [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
    "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
    "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>";

// Writes `part` until `bytes` are written, without holding them: the peak of a child includes what
// this process holds when it starts the child.
std::function<void(std::ostream&)> Repeated(std::string head, std::string part, std::size_t bytes) {
    return [=](std::ostream& out) {
        out << head;
        for (std::size_t written = 0; written < bytes; written += part.size()) {
            out << part;
        }
    };
}

std::function<void(std::ostream&)> Text(std::string text) {
    return [=](std::ostream& out) { out << text; };
}

// A file that `write` fills; when `padded`, it goes on to kInputBytes with a hole that reads as
// zero bytes (nothing the host may take for a line break or a tag).
std::string InputFile(const std::string& name, const std::function<void(std::ostream&)>& write,
                      bool padded) {
    const std::string path = testing::TempDir() + "host-input-" + name;
    {
        std::ofstream file(path, std::ios::binary);
        write(file);
    }
    if (padded) {
        std::filesystem::resize_file(path, kInputBytes);
    }
    return path;
}

struct HostileInput {
    const char* name;
    bool interactive;  // the input is standard input, else a scenario file
    bool padded;       // the text goes on to kInputBytes
    std::function<void(std::ostream&)> write;
    const char* messagePart;
};

class HostileHostInput : public testing::TestWithParam<HostileInput> {};

TEST_P(HostileHostInput, EndsWithAOneLineErrorHoldingOneRequestAtMost) {
    const HostileInput& row = GetParam();
    const std::string path = InputFile(row.name, row.write, row.padded);
    // What the host holds when it reads nothing (and what the host runs before it held).
    static const long idleKilobytes = RunHost("--interactive").peakKilobytes;
    const HostRun run = row.interactive ? RunHost("--interactive", "", path) : RunHost(path);
    std::remove(path.c_str());
    EXPECT_EQ(run.status, 2) << run.output;
    const auto at = run.output.find("triggerhost: ");
    ASSERT_NE(at, std::string::npos) << run.output;
    EXPECT_THAT(run.output.substr(at), HasSubstr(row.messagePart));
    EXPECT_EQ(run.output.find('\n', at), run.output.size() - 1) << run.output;
    EXPECT_LT(run.peakKilobytes - idleKilobytes, kBoundKilobytes);
}

const std::string kRequest = "<R type=\"trigger\" name=\"fire\"><TriggerData>";

INSTANTIATE_TEST_SUITE_P(
    HostProgram, HostileHostInput,
    testing::Values(HostileInput{"ScenarioWithAnEntityBomb", false, true,
                                 Text(std::string(kEntityBomb) + "<S><R type=\"&d;\"/></S>\n"),
                                 "declares a document type"},
                    HostileInput{
                        "LineWithAnEntityBomb", true, false,
                        Text(std::string(kEntityBomb) + "<R type=\"trigger\" name=\"&d;\"/>\n"),
                        "line 1: the request was not sent: a document type declaration"},
                    HostileInput{"OversizedLine", true, true, Text(kRequest),
                                 "line 1: the request is larger than 16 MiB"},
                    HostileInput{"OversizedRequestInAScenario", false, true,
                                 Repeated("<S><R type=\"trigger\" name=\"suspend\"/>\n" + kRequest,
                                          "<p>" + std::string(1000, 'x') + "</p>", 17u << 20),
                                 "line 2: the request <R> is larger than 16 MiB"},
                    HostileInput{"OversizedStartTagInAScenario", false, true,
                                 Repeated("<S><R a=\"", std::string(1000, 'v'), 20u << 20),
                                 "is not a well-formed scenario (line 1: "},
                    HostileInput{"ScenarioInventingNames", false, false,
                                 [](std::ostream& out) {
                                     out << "<S><Note>";
                                     for (int i = 0; i < 150'000; ++i) {
                                         out << "<n" << i << "/>";
                                     }
                                     out << "</Note></S>";
                                 },
                                 "uses more than 100000 different names"},
                    HostileInput{"MalformedScenario", false, false,
                                 Text("<S><R type=\"trigger\" name=\"suspend\"/>\n<R>\n</S>"),
                                 "is not a well-formed scenario (line 3: "}),
    [](const testing::TestParamInfo<HostileInput>& row) { return std::string(row.param.name); });

TEST(HostProgram, ARegistrationTheDatabaseRefusesShowsItsCauseWhenVerbose) {
    const std::string database = testing::TempDir() + "host-input-limited.db";
    // No file may grow past 128 blocks: a trigger whose id alone is 300 KB cannot be written.
    const std::string lines = InputFile("lines",
                                        Text("<R type=\"trigger\" name=\"registeraction\" id=\"" +
                                             std::string(300'000, 'i') + "\"><A/></R>\n"),
                                        false);
    const HostRun run = RunHost("--verbose --interactive --database '" + database + "'", "", lines,
                                "ulimit -f 128; trap '' XFSZ; ");
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::remove((database + suffix).c_str());
    }
    std::remove(lines.c_str());
    const auto cause = run.output.find("\n  trigger manager: trigger database: cannot ");
    ASSERT_NE(cause, std::string::npos) << run.output;
    EXPECT_LT(cause, run.output.find("\n< <ActionResult><Result>false</Result>"));
}

}  // namespace
