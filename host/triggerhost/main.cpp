// triggerhost: runs requests through the action manager and the trigger bridge plug-in.
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host_session.h"
#include "input_limits.h"
#include "line_reader.h"
#include "options.h"
#include "scenario.h"

namespace {

constexpr int kBadCommandLine = 1;
constexpr int kCannotRun = 2;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "triggerhost: %s\n", message.c_str());
    return status;
}

const char* kInteractiveHelp = R"(Type one request per line, for example:
  <Request type="trigger" name="registeraction" id="t1" condition="/TriggerData/ping"><Action type="host" name="log"/></Request>
  <Request type="trigger" name="fire"><TriggerData><ping/></TriggerData></Request>
  <Request type="trigger" name="unregisteraction" id="*"/>
Commands: help, quit.)";

// False when a line had to be refused; the lines after it are still read.
bool RunInteractive(HostSession& session) {
    bool everyLineSent = true;
    LineReader lines(std::cin, kMaxRequestBytes);
    std::string line;
    for (LineReader::Status status; (status = lines.Next(line)) != LineReader::Status::End;) {
        const std::string where = "line " + std::to_string(lines.lineNumber()) + ": ";
        if (status == LineReader::Status::TooLong) {
            Fail(kCannotRun, where + "the request is larger than " + RequestLimitText() +
                                 ", more than the plug-in accepts; it was not sent");
            everyLineSent = false;
            continue;
        }
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) {
            continue;
        }
        line.erase(0, first);
        if (line == "quit" || line == "exit") {
            break;
        }
        if (line == "help") {
            std::printf("%s\n", kInteractiveHelp);
            std::fflush(stdout);
            continue;
        }
        std::string error;
        if (!session.Send(std::move(line), error)) {
            Fail(kCannotRun, where + error);
            everyLineSent = false;
        }
    }
    return everyLineSent;
}

// False when the scenario ended early; the requests before the fault have been sent.
bool RunScenario(HostSession& session, ScenarioReader& scenario) {
    std::size_t sent = 0;
    std::string error;
    while (auto step = scenario.Next()) {
        if (step->kind == ScenarioStep::Kind::Note) {
            session.Note(step->text);
        } else if (session.Send(std::move(step->text), error)) {
            ++sent;
        } else {
            break;
        }
    }
    if (error.empty()) {
        error = scenario.error();
    }
    if (error.empty()) {
        return true;
    }
    if (sent > 0) {
        error += " (stopped there; the " + std::to_string(sent) + " requests before it were sent)";
    }
    Fail(kCannotRun, error);
    return false;
}

int Run(const std::vector<std::string>& arguments) {
    std::string error;
    const auto options = ParseOptions(arguments, error);
    if (!options) {
        return Fail(kBadCommandLine, error);
    }
    if (options->help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    std::unique_ptr<ScenarioReader> scenario;
    if (!options->interactive) {
        scenario =
            options->scenarioPath.empty()
                ? std::make_unique<ScenarioReader>(BuiltInScenario(), "the built-in scenario")
                : ScenarioReader::OpenFile(options->scenarioPath, error);
        if (!scenario) {
            return Fail(kCannotRun, error);
        }
    }
    HostSession session(*options, stdout);
    if (!session.Start(error)) {
        return Fail(kCannotRun, error);
    }
    const bool complete = scenario ? RunScenario(session, *scenario) : RunInteractive(session);
    session.Stop();
    return complete ? 0 : kCannotRun;
}

}  // namespace

int main(int argc, char** argv) {
    // Standard input is read through std::cin alone, so it need not keep in step with stdio.
    std::ios::sync_with_stdio(false);
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& failure) {
        return Fail(kCannotRun, failure.what());
    } catch (...) {
        return Fail(kCannotRun, "unexpected failure");
    }
}
