#include "interactive_shell.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

#include "input_limits.h"
#include "json_text.h"
#include "nearest_word.h"
#include "request_advice.h"
#include "result_words.h"
#include "shell_answers.h"
#include "shell_help.h"
#include "shorthand.h"
#include "terminal_style.h"
#include "triggermanager/id_pattern.h"
#include "triggermanager/triggermanager_host.h"
#include "xml_peek.h"

InteractiveShell::InteractiveShell(HostSession& session, const ActionMirror& mirror,
                                   ShellSettings settings, std::FILE* errors)
    : session_(session), mirror_(mirror), settings_(settings), errors_(errors) {
    TriggerManagerSetHistoryLength(kHistoryLength);
}

bool InteractiveShell::Run(LineSource& lines) {
    bool everyLineRun = true;
    std::string line;
    for (LineReader::Status status; (status = lines.Next(line)) != LineReader::Status::End;) {
        if (status == LineReader::Status::TooLong) {
            ReportError(lines.lineNumber(), "the request is larger than " + RequestLimitText() +
                                                ", more than the plug-in accepts; it was not sent");
            everyLineRun = false;
            continue;
        }
        const std::string_view command = Trimmed(line);
        if (command == "quit" || command == "exit") {
            break;
        }
        std::string error;
        if (!Execute(std::move(line), error)) {
            ReportError(lines.lineNumber(), error);
            everyLineRun = false;
        }
    }
    return everyLineRun;
}

bool InteractiveShell::Execute(std::string line, std::string& error) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return true;
    }
    if (line[first] == '<') {
        // The XML-line form, sent as typed; a large request is not held twice while it runs.
        line.erase(0, first);
        return session_.Send(std::move(line), error);
    }
    const auto [word, rest] = SplitWord(line);
    if (word == "register") {
        const std::optional<Registration> registration = ParseRegistration(rest, error);
        if (!registration) {
            error = "register: " + error + " (help register)";
            return false;
        }
        return SendShorthand(
            RegisterRequest(registration->id, registration->condition, registration->actionXml),
            !registration->actionXml.empty(), error);
    }
    if (word == "fire") {
        if (rest.empty()) {
            error = "fire: the data is missing, as in: fire <door state=\"open\"/>";
            return false;
        }
        return SendShorthand(FireRequest(rest), false, error);
    }
    if (word == "unregister") {
        const std::optional<std::string> id = ParseId(rest, error);
        if (!id) {
            error = "unregister: " + error + " (help unregister)";
            return false;
        }
        return SendShorthand(UnregisterRequest(*id), false, error);
    }
    if (word == "suspend" || word == "resume" || word == "deletedb") {
        if (!rest.empty()) {
            error = std::string(word) + " takes nothing after it";
            return false;
        }
        return SendShorthand(NamedRequest(word), false, error);
    }
    if (word == "help") {
        return Help(rest, error);
    }
    if (word == "list") {
        return List(rest, error);
    }
    if (word == "test") {
        return Test(rest, error);
    }
    if (word == "history") {
        return History(rest, error);
    }
    error = Unknown(word);
    return false;
}

bool InteractiveShell::SendShorthand(std::string request, bool withAction, std::string& error) {
    const std::string fault = XmlFault(request);
    if (!fault.empty()) {
        error = "the command does not make a well-formed request (" + fault + "); nothing was sent";
        return false;
    }
    if (withAction && !SummariseRequest(request).hasAction) {
        error =
            "the action must be an <Action> element; the plug-in would keep none, so nothing "
            "was sent";
        return false;
    }
    return session_.Send(std::move(request), error);
}

std::string InteractiveShell::Unknown(std::string_view word) const {
    std::string message = "'";
    message.append(word).append("' is neither a command nor an XML request");
    // A request's name typed as a command: the shorthand that sends it.
    for (const std::string_view action : kTriggerActions) {
        if (word == action) {
            const std::string_view command = action == "registeraction"     ? "register"
                                             : action == "unregisteraction" ? "unregister"
                                                                            : action;
            return message + "; the command that sends it is '" + std::string(command) +
                   "' (help " + std::string(command) + ")";
        }
    }
    if (std::optional<std::string> nearest = NearestWord(word, CommandWords())) {
        return message + "; did you mean '" + *nearest + "'? (help lists the commands)";
    }
    return message + "; help lists the commands";
}

bool InteractiveShell::Help(std::string_view topic, std::string& error) {
    std::string text;
    if (topic.empty()) {
        text = HelpText();
    } else if (std::optional<std::string> help = CommandHelp(topic)) {
        text = *help;
    } else {
        error = "help: " + Unknown(topic);
        return false;
    }
    session_.Emit(settings_.json ? JsonObject().Text("kind", "help").Text("text", text).Line()
                                 : text);
    return true;
}

bool InteractiveShell::List(std::string_view pattern, std::string& error) {
    std::string wanted;
    if (!pattern.empty()) {
        std::optional<std::string> id = ParseId(pattern, error);
        if (!id) {
            error = "list: " + error;
            return false;
        }
        wanted = std::move(*id);
    }
    std::vector<std::pair<std::string, std::string>> triggers;
    const HRESULT listed = TriggerManagerListTriggers(
        wanted.c_str(),
        [](const char* id, const char* condition, void* context) {
            static_cast<decltype(triggers)*>(context)->emplace_back(id, condition);
        },
        &triggers);
    if (FAILED(listed)) {
        error =
            "list: the trigger manager could not list its triggers [" + CodeInWords(listed) + "]";
        return false;
    }
    std::string out;
    std::vector<std::string> listedIds;
    for (const auto& [id, condition] : triggers) {
        const std::optional<std::string> action = mirror_.ActionFor(id);
        listedIds.push_back(id);
        if (settings_.json) {
            JsonObject object;
            object.Text("kind", "trigger").Text("id", id).Text("condition", condition);
            object.Flag("hasAction", action.has_value()).Text("action", action.value_or(""));
            out += object.Line() + "\n";
            continue;
        }
        out += "  " + Tinted(Tint::Heading, id, settings_.colour) + "  " +
               (condition.empty() ? "(every firing)" : condition) + "  -> ";
        out += !action ? Tinted(Tint::Advice, "no action: the plug-in runs nothing when it fires",
                                settings_.colour)
               : action->empty() ? "an empty action: nothing runs when it fires"
                                 : *action;
        out += "\n";
    }
    // Actions the plug-in still holds for triggers the manager no longer has (after deletedb).
    std::sort(listedIds.begin(), listedIds.end());
    std::vector<std::string> orphans;
    for (const std::string& id : mirror_.Ids()) {
        const bool wantedId =
            wanted.empty() || (IsIdPattern(wanted) ? MatchesIdPattern(wanted, id) : id == wanted);
        if (wantedId && !std::binary_search(listedIds.begin(), listedIds.end(), id)) {
            orphans.push_back(id);
        }
    }
    const bool suspended = mirror_.suspended();
    if (settings_.json) {
        out += JsonObject()
                   .Text("kind", "list")
                   .Number("count", static_cast<std::int64_t>(triggers.size()))
                   .Flag("suspended", suspended)
                   .List("actionsWithoutTrigger", orphans)
                   .Line();
    } else {
        out += std::to_string(triggers.size()) + (triggers.size() == 1 ? " trigger" : " triggers");
        if (!wanted.empty()) {
            out += " matching " + wanted;
        }
        if (suspended) {
            out += "\nthe trigger manager is suspended: fire evaluates nothing until resume";
        }
        if (!orphans.empty()) {
            out +=
                "\nthe plug-in still holds actions for ids the trigger manager no longer has "
                "(deletedb empties the database, not the plug-in): " +
                Joined(orphans, static_cast<LONG>(orphans.size()));
        }
    }
    session_.Emit(out);
    return true;
}

bool InteractiveShell::Test(std::string_view text, std::string& error) {
    const std::optional<Trial> trial = ParseTrial(text, error);
    if (!trial) {
        error = "test: " + error + " (help test)";
        return false;
    }
    LONG outcome = TRIGGERMANAGER_TEST_NOT_MATCHED;
    const HRESULT tested = TriggerManagerTestCondition(
        trial->condition.c_str(), TriggerDataDocument(trial->dataXml).c_str(), &outcome);
    if (FAILED(tested)) {
        error = "test: the condition could not be evaluated [" + CodeInWords(tested) + "]";
        return false;
    }
    const bool suspended = mirror_.suspended();
    if (settings_.json) {
        session_.Emit(JsonObject()
                          .Text("kind", "test")
                          .Text("condition", trial->condition)
                          .Text("data", trial->dataXml)
                          .Text("outcome", TestOutcomeText(outcome))
                          .Flag("suspended", suspended)
                          .Line());
        return true;
    }
    const Tint tint = outcome == TRIGGERMANAGER_TEST_MATCHED       ? Tint::Good
                      : outcome == TRIGGERMANAGER_TEST_NOT_MATCHED ? Tint::Note
                                                                   : Tint::Bad;
    std::string out = Tinted(tint, TestOutcomeText(outcome), settings_.colour) + ": " +
                      TestOutcomeMeaning(outcome);
    if (suspended) {
        out += '\n';
        out += Tinted(Tint::Advice,
                      "  the trigger manager is suspended: fire evaluates nothing until resume",
                      settings_.colour);
    }
    session_.Emit(out);
    return true;
}

bool InteractiveShell::History(std::string_view count, std::string& error) {
    long wanted = kHistoryShown;
    if (!count.empty()) {
        const char* end = count.data() + count.size();
        const auto [stop, failure] = std::from_chars(count.data(), end, wanted);
        if (failure != std::errc() || stop != end || wanted < 1 || wanted > kHistoryLength) {
            error = "history: N is a whole number from 1 to " + std::to_string(kHistoryLength) +
                    ", the firings kept";
            return false;
        }
    }
    std::vector<Firing> firings;
    const HRESULT read = TriggerManagerFiringHistory(
        static_cast<LONG>(wanted),
        [](const TriggerManagerFiring* facts, void* context) {
            static_cast<std::vector<Firing>*>(context)->push_back(CopyFiring(*facts));
        },
        &firings);
    if (FAILED(read)) {
        error =
            "history: the trigger manager could not give its history [" + CodeInWords(read) + "]";
        return false;
    }
    std::string out;
    for (const Firing& firing : firings) {
        out += (settings_.json ? FiringJson(firing) : FiringLine(firing)) + "\n";
    }
    if (firings.empty() && !settings_.json) {
        out = "no firings yet\n";
    }
    if (!out.empty()) {
        out.pop_back();
    }
    session_.Emit(out);
    return true;
}

void InteractiveShell::ReportError(std::size_t line, const std::string& message) {
    std::fprintf(errors_, "%s line %zu: %s\n",
                 Tinted(Tint::Bad, "triggerhost:", settings_.errorColour).c_str(), line,
                 message.c_str());
    std::fflush(errors_);
}
