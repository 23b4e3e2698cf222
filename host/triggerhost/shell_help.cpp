#include "shell_help.h"

#include <array>

namespace {

struct Command {
    std::string_view word;
    std::string_view synopsis;
    std::string_view summary;
    std::string_view details;  // more words and examples, for help COMMAND
};

constexpr std::array<Command, 11> kCommands = {{
    {"register", "register ID [CONDITION] -> [ACTION]", "register a trigger and the action it runs",
     R"(  CONDITION is XPath 1.0 over the fired data, whose root element is TriggerData; type it
  as it is, quotes and all (empty: the trigger matches every firing). ACTION is an <Action>
  element, TYPE/NAME for <Action type="TYPE" name="NAME"/>, or nothing. Quote an ID that holds
  spaces. Registering an id again replaces its condition and its action.
  Examples:
    register door.front /TriggerData/door[@state='open'] -> host/log
    register door.front /TriggerData/door[@state="open"] -> <Action type="host" name="log"><Alert>Front door opened</Alert></Action>
    register 'any firing' -> host/log
  The first sends:
    <Request type="trigger" name="registeraction" id="door.front" condition="/TriggerData/door[@state='open']"><Action type="host" name="log"/></Request>)"},
    {"fire", "fire DATA", "fire trigger data at every registered condition",
     R"(  DATA is the XML inside TriggerData: the conditions see it under /TriggerData.
  Example:
    fire <door id="front" state="open"/>
  sends:
    <Request type="trigger" name="fire"><TriggerData><door id="front" state="open"/></TriggerData></Request>)"},
    {"unregister", "unregister ID|PATTERN",
     "unregister a trigger, or every trigger a pattern matches",
     R"(  In a pattern * stands for any run of characters and ? for one; ASCII letters match in
  either case. An id without * or ? is matched exactly, case and all.
  Examples:
    unregister door.front
    unregister door.*)"},
    {"suspend", "suspend", "stop evaluating firings (fire then matches nothing)",
     "  Sends <Request type=\"trigger\" name=\"suspend\"/>."},
    {"resume", "resume", "evaluate firings again",
     "  Sends <Request type=\"trigger\" name=\"resume\"/>."},
    {"deletedb", "deletedb", "empty the trigger database",
     R"(  The trigger manager forgets every trigger; the plug-in keeps the actions it holds (list
  names them) until their ids are unregistered or registered again.)"},
    {"list", "list [PATTERN]", "the triggers, their conditions and the actions the plug-in holds",
     R"(  Each trigger the trigger manager holds (all, or those PATTERN matches, as unregister
  would take them) with its condition, and the action the plug-in holds for it, as this host saw
  it registered. "no action" means the plug-in runs nothing when that trigger fires: a trigger
  kept in a database file from an earlier run, for instance, has none until it is registered
  again in this one.
  Examples:
    list
    list door.*)"},
    {"test", "test CONDITION DATA", "what a condition makes of some data, without firing",
     R"(  Evaluates CONDITION against DATA exactly as fire would (the same engine, the same bound
  on work) and says matched, not matched, invalid condition, data is not XML, or out of work.
  Nothing fires and nothing runs. DATA starts at the first '<' before a name that begins
  well-formed XML.
  Examples:
    test /TriggerData/door[@state='open'] <door state="open"/>
    test count(//door) > 1 <door/><door/>)"},
    {"history", "history [N]", "the last N firings (10 unless N is given)",
     R"(  Every firing the trigger manager made, the ones actions set off included, with the
  triggers it matched and why it evaluated nothing when it did not: a loop (a chain too deep),
  a chain over its budget, the manager suspended, data that is not XML, or conditions that ran
  out of work. The last 200 are kept.
  Examples:
    history
    history 50)"},
    {"help", "help [COMMAND]", "this overview, or one command's with examples", ""},
    {"quit", "quit", "stop (also: exit, or the end of the input)", ""},
}};

}  // namespace

std::vector<std::string_view> CommandWords() {
    std::vector<std::string_view> words;
    for (const Command& command : kCommands) {
        words.push_back(command.word);
    }
    words.emplace_back("exit");
    return words;
}

std::string HelpText() {
    std::string text = "Type a command, or a request as one line of XML.\n\n";
    for (const Command& command : kCommands) {
        std::string line = "  " + std::string(command.synopsis);
        line.resize(std::max<std::size_t>(line.size() + 2, 40), ' ');
        text += line + std::string(command.summary) + "\n";
    }
    text += R"(
Conditions are XPath 1.0 over the fired data (its root is TriggerData), typed as they are.
--verbose shows the XML request each command sends. The same requests as XML:
  <Request type="trigger" name="registeraction" id="t1" condition="/TriggerData/ping"><Action type="host" name="log"/></Request>
  <Request type="trigger" name="fire"><TriggerData><ping/></TriggerData></Request>
  <Request type="trigger" name="unregisteraction" id="*"/>
help COMMAND shows a command's examples.)";
    return text;
}

std::optional<std::string> CommandHelp(std::string_view word) {
    for (const Command& command : kCommands) {
        if (command.word == word) {
            std::string text =
                std::string(command.synopsis) + "\n  " + std::string(command.summary) + ".";
            if (!command.details.empty()) {
                text += '\n';
                text += command.details;
            }
            return text;
        }
    }
    return std::nullopt;
}
