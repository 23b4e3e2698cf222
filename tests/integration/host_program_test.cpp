// The host program as a user runs it: examples, bad command lines, bad files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using testing::HasSubstr;
using testing::Not;

struct HostRun {
    int status;
    std::string output;
};

HostRun RunHost(const std::string& arguments, const std::string& input = "") {
    std::string command = std::string("'") + TB_HOST_PATH + "' " + arguments + " 2>&1";
    if (!input.empty()) {
        command = "printf '" + input + "' | " + command;
    } else {
        command += " </dev/null";
    }
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {-1, ""};
    }
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        output.append(buffer.data(), read);
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
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
    EXPECT_THAT(run.output, HasSubstr("refused"));
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
    EXPECT_THAT(run.output, HasSubstr("Commands: help, quit."));
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
                    Failure{"--database /nonexistent/dir/t.db", 2, "/nonexistent/dir/t.db"},
                    Failure{"'" TB_EXAMPLES_DIR "/../README.md'", 2, "not a well-formed"}));

TEST(HostProgram, HelpDescribesTheProgram) {
    const HostRun run = RunHost("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.output, HasSubstr("SYNOPSIS"));
}

}  // namespace
