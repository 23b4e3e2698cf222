#include "options.h"

#include <charconv>
#include <limits>

#include "input_limits.h"

namespace {

// A whole decimal number from 1 to the largest 32-bit value; nothing else.
std::optional<std::int32_t> PositiveCount(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    if (failure != std::errc() || stop != end || value < 1 ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<HostOptions> ParseOptions(const std::vector<std::string>& arguments,
                                        std::string& error) {
    HostOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&](const char* name) -> const std::string* {
            if (i + 1 >= arguments.size()) {
                error = std::string("option ") + name + " needs a value";
                return nullptr;
            }
            return &arguments[++i];
        };
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "-i" || argument == "--interactive" || argument == "-") {
            options.interactive = true;
        } else if (argument == "-t" || argument == "--delivery-thread") {
            options.deliveryThread = true;
        } else if (argument == "-q" || argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "-v" || argument == "--verbose") {
            options.verbose = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "-d" || argument == "--database") {
            const std::string* path = value("--database");
            if (path == nullptr) {
                return std::nullopt;
            }
            options.databasePath = *path;
        } else if (argument == "--chain-budget") {
            const std::string* count = value("--chain-budget");
            if (count == nullptr) {
                return std::nullopt;
            }
            const std::optional<std::int32_t> budget = PositiveCount(*count);
            if (!budget) {
                error = "--chain-budget needs a whole number of firings from 1 up, not '" + *count +
                        "'";
                return std::nullopt;
            }
            options.chainBudget = *budget;
        } else if (argument == "-m" || argument == "--module") {
            const std::string* path = value("--module");
            if (path == nullptr) {
                return std::nullopt;
            }
            options.modulePath = *path;
        } else if (argument == "--dom") {
            const std::string* flavour = value("--dom");
            if (flavour == nullptr) {
                return std::nullopt;
            }
            if (*flavour != "platform" && *flavour != "libxml2") {
                error = "--dom takes libxml2 or platform, not '" + *flavour + "'";
                return std::nullopt;
            }
            options.platformDom = *flavour == "platform";
        } else if (!argument.empty() && argument[0] == '-') {
            error = "unknown option '" + argument + "' (try --help)";
            return std::nullopt;
        } else if (options.scenarioPath.empty()) {
            options.scenarioPath = argument;
        } else {
            error = "more than one scenario file given ('" + options.scenarioPath + "' and '" +
                    argument + "')";
            return std::nullopt;
        }
    }
    if (options.interactive && !options.scenarioPath.empty()) {
        error = "give either a scenario file or --interactive, not both";
        return std::nullopt;
    }
    if (options.quiet && options.verbose) {
        error = "--quiet and --verbose exclude each other";
        return std::nullopt;
    }
    if (options.quiet && options.json) {
        error = "--quiet and --json exclude each other (--json prints everything, for scripts)";
        return std::nullopt;
    }
    return options;
}

std::string UsageText() {
    return R"(NAME
    triggerhost - run trigger actions through the trigger bridge plug-in

SYNOPSIS
    triggerhost [OPTIONS] [SCENARIO.xml]
    triggerhost [OPTIONS] --interactive

DESCRIPTION
    Loads the action manager and the trigger bridge plug-in, registers the plug-in's six
    actions, then sends requests through the action manager one by one and prints each
    request's result and every action that a fired trigger runs. Without a scenario file it
    runs a built-in demonstration (a door sensor that logs an alert).

    A scenario file is an XML document whose root element holds request elements, sent in
    document order. A <Note> element is printed instead of sent. Example:

        <Scenario>
          <Note>Register a trigger with an action, then fire matching data.</Note>
          <Request type="trigger" name="registeraction" id="door" condition="/TriggerData/door[@state='open']">
            <Action type="host" name="log"><Message>Door opened</Message></Action>
          </Request>
          <Request type="trigger" name="fire"><TriggerData><door state="open"/></TriggerData></Request>
        </Scenario>

    The file is read as it runs: each request is sent as soon as it has been read. A fault
    found part way (text that is not well-formed XML, a request that is too large) ends the
    run there with an error and exit status 2; the requests before it have been sent.

    Interactively, each line of standard input is a request in XML or a command: register,
    fire, unregister, suspend, resume and deletedb send the request they stand for without
    XML to type (--verbose shows it); list shows the registered triggers with their conditions
    and whether the plug-in holds an action for each; test evaluates a condition against data
    without firing; history shows the last firings and what refused any of them. "help" lists
    the commands and "help COMMAND" shows one with examples; "quit" (or end of input) stops.
    On a terminal, lines can be edited and earlier lines recalled (arrow keys, emacs keys).
    A line that is neither a command nor XML, or cannot be sent, is reported in words with
    what was probably meant, and skipped; the exit status is then 2.

    Output is coloured when it goes to a terminal, unless the NO_COLOR environment variable is
    set to anything but the empty text. With --json every request (with its result), every
    action a fired trigger runs, every log line and every answer of list, test and history is
    one JSON object on a line of its own, with a "kind" member saying which.

    Limits: one request may have at most )" +
           RequestLimitText() + R"( (what the plug-in accepts), and no input may
    declare a document type (<!DOCTYPE ...>). Requests, results and log lines longer than )" +
           std::to_string(kEchoBytes) + R"(
    bytes are printed cut there, with an ellipsis and their full size in bytes.

OPTIONS
    -d, --database FILE     keep the trigger database in FILE (default: in memory)
    -t, --delivery-thread   deliver fired-trigger events on the trigger manager's own thread
    --chain-budget N        let one chain of firings (a request's firing and every firing its
                            actions set off) run at most N firings in all (default: 256)
    -m, --module PATH       the plug-in module to load (default: beside this program)
    --dom libxml2|platform  the configuration documents the plug-in parses and writes XML with:
                            the configuration-data library beside this program (libxml2, the
                            default), or on Windows the one over the platform's XML DOM in the
                            platform-dom folder beside it
    -i, --interactive, -    read requests from standard input
    -q, --quiet             print only fired actions and log lines, not each request
    -v, --verbose           print each request's text and result code, and why the trigger
                            manager refused anything it refused
    --json                  print one JSON object per line, for scripts
    -h, --help              show this text

EXIT STATUS
    0 when every request was sent; 1 for a bad command line; 2 when the scenario cannot be
    read to its end, a line cannot be sent, or the plug-in or host libraries cannot be loaded
    or started (with the cause the trigger manager gives, such as a read-only or locked
    database file).
)";
}
