// triggerhost: runs requests through the action manager and the trigger bridge plug-in.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "host_session.h"
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

void RunInteractive(HostSession& session) {
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) {
            continue;
        }
        line = line.substr(first);
        if (line == "quit" || line == "exit") {
            break;
        }
        if (line == "help") {
            std::printf("%s\n", kInteractiveHelp);
            std::fflush(stdout);
            continue;
        }
        session.Send(line);
    }
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
    std::vector<ScenarioStep> steps;
    if (!options->interactive) {
        auto read = options->scenarioPath.empty()
                        ? ParseScenario(BuiltInScenario(), "the built-in scenario", error)
                        : ReadScenarioFile(options->scenarioPath, error);
        if (!read) {
            return Fail(kCannotRun, error);
        }
        steps = std::move(*read);
    }
    HostSession session(*options, stdout);
    if (!session.Start(error)) {
        return Fail(kCannotRun, error);
    }
    if (options->interactive) {
        RunInteractive(session);
    } else {
        for (const ScenarioStep& step : steps) {
            if (step.kind == ScenarioStep::Kind::Note) {
                session.Note(step.text);
            } else {
                session.Send(step.text);
            }
        }
    }
    session.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& failure) {
        return Fail(kCannotRun, failure.what());
    } catch (...) {
        return Fail(kCannotRun, "unexpected failure");
    }
}
