// triggerhost: runs requests through the action manager and the trigger bridge plug-in.
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <cstdlib>

#include "action_mirror.h"
#include "companions/com_apartment.h"
#include "console.h"
#include "host_session.h"
#include "input_limits.h"
#include "interactive_shell.h"
#include "line_source.h"
#include "options.h"
#include "program_files.h"
#include "scenario.h"
#include "session_format.h"
#include "terminal_style.h"

namespace {

constexpr int kBadCommandLine = 1;
constexpr int kCannotRun = 2;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "triggerhost: %s\n", message.c_str());
    return status;
}

// Interactive lines: edited on a terminal, read plainly (with the size bound) otherwise.
bool RunInteractive(HostSession& session, const ActionMirror& mirror, const HostOptions& options) {
    ShellSettings settings;
    settings.json = options.json;
    settings.colour = !options.json && ColourWanted(ShowsColour(stdout), std::getenv("NO_COLOR"));
    settings.errorColour = ColourWanted(ShowsColour(stderr), std::getenv("NO_COLOR"));
    InteractiveShell shell(session, mirror, settings, stderr);
    // The prompt and the line as it is edited go to a terminal: standard output, or standard
    // error when the output is kept in a file.
    std::FILE* screen = IsTerminal(stdout) ? stdout : IsTerminal(stderr) ? stderr : nullptr;
    if (IsTerminal(stdin) && screen != nullptr) {
        const std::unique_ptr<LineSource> lines =
            OpenEditedLines(stdin, screen, kMaxRequestBytes, "triggerhost> ");
        return shell.Run(*lines);
    }
    PlainLines lines(std::cin, kMaxRequestBytes);
    return shell.Run(lines);
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
    // Requests run on this thread, and with --dom platform the plug-in's documents are COM
    // objects of the system's, made here.
    const ComApartment apartment;
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
    const bool colour =
        !options->json && ColourWanted(ShowsColour(stdout), std::getenv("NO_COLOR"));
    ActionMirror mirror;
    HostSession session(*options, stdout,
                        options->json ? MakeJsonFormat() : MakeTextFormat(*options, colour),
                        options->interactive ? &mirror : nullptr);
    if (!session.Start(error)) {
        return Fail(kCannotRun, error);
    }
    const bool complete =
        scenario ? RunScenario(session, *scenario) : RunInteractive(session, mirror, *options);
    session.Stop();
    return complete ? 0 : kCannotRun;
}

}  // namespace

int main(int argc, char** argv) {
    // Standard input is read through std::cin alone, so it need not keep in step with stdio.
    std::ios::sync_with_stdio(false);
    KeepOutputBytes();
    const ConsoleText consoleText;
    try {
        return Run(ProgramArguments(argc, argv));
    } catch (const std::exception& failure) {
        return Fail(kCannotRun, failure.what());
    } catch (...) {
        return Fail(kCannotRun, "unexpected failure");
    }
}
