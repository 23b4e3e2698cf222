#include "shorthand.h"

#include <vector>

#include "xml_peek.h"

namespace {

constexpr std::string_view kSpace = " \t\r\n";
// Candidates for the start of the data tried for well-formedness, at most.
constexpr std::size_t kMaxDataStarts = 32;

std::string Request(std::string_view name) {
    return "<Request type=\"trigger\" name=\"" + std::string(name) + "\"";
}

// Positions of `what` outside XPath string literals ('...' or "...", no escapes inside).
std::vector<std::size_t> FindOutsideLiterals(std::string_view text, std::string_view what,
                                             std::size_t most) {
    std::vector<std::size_t> found;
    char quote = 0;
    for (std::size_t at = 0; at < text.size() && found.size() < most; ++at) {
        const char c = text[at];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (text.substr(at, what.size()) == what) {
            found.push_back(at);
        }
    }
    return found;
}

bool StartsMarkup(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size()) {
        return false;
    }
    const auto next = static_cast<unsigned char>(text[at + 1]);
    return (next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z') || next == '_' ||
           next == ':' || next == '!' || next == '?' || next >= 0x80;
}

// A quoted or plain first token; `rest` gets what follows it.
std::optional<std::string> Token(std::string_view text, std::string_view& rest,
                                 std::string& error) {
    text = Trimmed(text);
    if (text.empty()) {
        error = "an id is missing";
        return std::nullopt;
    }
    if (text[0] == '\'' || text[0] == '"') {
        const std::size_t close = text.find(text[0], 1);
        if (close == std::string_view::npos) {
            error = std::string("the id's closing ") + text[0] + " is missing";
            return std::nullopt;
        }
        rest = text.substr(close + 1);
        return std::string(text.substr(1, close - 1));
    }
    const std::size_t end = std::min(text.find_first_of(kSpace), text.size());
    rest = text.substr(end);
    return std::string(text.substr(0, end));
}

// TYPE/NAME, each part without white space, "/" or markup.
std::optional<std::string> ActionShorthand(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == 0 || slash == std::string_view::npos || slash + 1 == text.size() ||
        text.find_first_of(" \t/<>&\"'", slash + 1) != std::string_view::npos ||
        text.substr(0, slash).find_first_of(" \t<>&\"'") != std::string_view::npos) {
        return std::nullopt;
    }
    return "<Action type=\"" + std::string(text.substr(0, slash)) + "\" name=\"" +
           std::string(text.substr(slash + 1)) + "\"/>";
}

}  // namespace

std::string EscapedAttribute(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\t':
                escaped += "&#9;";
                break;
            case '\n':
                escaped += "&#10;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string RegisterRequest(std::string_view id, std::string_view condition,
                            std::string_view actionXml) {
    std::string request = Request("registeraction") + " id=\"" + EscapedAttribute(id) + "\"";
    if (!condition.empty()) {
        request += " condition=\"" + EscapedAttribute(condition) + "\"";
    }
    if (actionXml.empty()) {
        return request + "/>";
    }
    return request + ">" + std::string(actionXml) + "</Request>";
}

std::string FireRequest(std::string_view dataXml) {
    return Request("fire") + "><TriggerData>" + std::string(dataXml) + "</TriggerData></Request>";
}

std::string UnregisterRequest(std::string_view idOrPattern) {
    return Request("unregisteraction") + " id=\"" + EscapedAttribute(idOrPattern) + "\"/>";
}

std::string NamedRequest(std::string_view name) {
    return Request(name) + "/>";
}

std::string TriggerDataDocument(std::string_view dataXml) {
    return "<?xml version=\"1.0\"?> <TriggerData>" + std::string(dataXml) + "</TriggerData>";
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::pair<std::string_view, std::string_view> SplitWord(std::string_view line) {
    line = Trimmed(line);
    const std::size_t end = std::min(line.find_first_of(kSpace), line.size());
    return {line.substr(0, end), Trimmed(line.substr(end))};
}

std::optional<Registration> ParseRegistration(std::string_view text, std::string& error) {
    std::string_view rest;
    std::optional<std::string> id = Token(text, rest, error);
    if (!id) {
        return std::nullopt;
    }
    const std::vector<std::size_t> arrows = FindOutsideLiterals(rest, "->", 1);
    if (arrows.empty()) {
        error =
            "'->' and the action are missing after the condition (write '->' alone for "
            "no action)";
        return std::nullopt;
    }
    Registration registration;
    registration.id = std::move(*id);
    registration.condition = std::string(Trimmed(rest.substr(0, arrows[0])));
    const std::string_view action = Trimmed(rest.substr(arrows[0] + 2));
    if (action.empty() || action[0] == '<') {
        registration.actionXml = std::string(action);
    } else if (std::optional<std::string> element = ActionShorthand(action)) {
        registration.actionXml = std::move(*element);
    } else {
        error = "the action '" + std::string(action) +
                "' is neither an <Action .../> element nor TYPE/NAME (such as host/log)";
        return std::nullopt;
    }
    return registration;
}

std::optional<Trial> ParseTrial(std::string_view text, std::string& error) {
    text = Trimmed(text);
    std::vector<std::size_t> starts;
    for (const std::size_t at : FindOutsideLiterals(text, "<", std::string_view::npos)) {
        if (StartsMarkup(text, at)) {
            starts.push_back(at);
            if (starts.size() == kMaxDataStarts) {
                break;
            }
        }
    }
    if (starts.empty()) {
        error = "the data is missing: it follows the condition and starts with '<'";
        return std::nullopt;
    }
    std::size_t chosen = starts.front();
    for (const std::size_t at : starts) {
        if (XmlFault(TriggerDataDocument(text.substr(at))).empty()) {
            chosen = at;
            break;
        }
    }
    return Trial{std::string(Trimmed(text.substr(0, chosen))), std::string(text.substr(chosen))};
}

std::optional<std::string> ParseId(std::string_view text, std::string& error) {
    std::string_view rest;
    std::optional<std::string> id = Token(text, rest, error);
    if (id && !Trimmed(rest).empty()) {
        error = "one id or pattern only (quote an id that holds spaces)";
        return std::nullopt;
    }
    return id;
}
