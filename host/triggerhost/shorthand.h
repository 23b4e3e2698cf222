// The interactive shorthand: what follows a command word, read without a second level of
// escaping (XPath keeps its own quotes as typed), and the request XML each command stands for,
// exactly what the XML-line form would carry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The text as the value of a double-quoted attribute: & < > " escaped, and tab, line feed and
// carriage return as character references, which attribute normalisation would otherwise turn
// into spaces.
std::string EscapedAttribute(std::string_view text);

std::string RegisterRequest(std::string_view id, std::string_view condition,
                            std::string_view actionXml);
std::string FireRequest(std::string_view dataXml);
std::string UnregisterRequest(std::string_view idOrPattern);
// suspend, resume, deletedb: a request with nothing but its name.
std::string NamedRequest(std::string_view name);

// The document the trigger manager receives when data is fired: the plug-in sends the request's
// TriggerData element behind an XML declaration.
std::string TriggerDataDocument(std::string_view dataXml);

// The first word of the line and the rest, each without the white space around it.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view line);
std::string_view Trimmed(std::string_view text);

// register ID [CONDITION] -> [ACTION]: the id (quoted with ' or " when it holds spaces), the
// condition up to the first "->" outside an XPath string, and the action: an element as typed, a
// TYPE/NAME pair standing for <Action type="TYPE" name="NAME"/>, or nothing.
struct Registration {
    std::string id;
    std::string condition;
    std::string actionXml;
};
std::optional<Registration> ParseRegistration(std::string_view text, std::string& error);

// test CONDITION DATA: the data starts at the first "<" outside an XPath string, before a name or
// markup, from which the rest is well-formed XML (a "<" the condition compares with is not
// mistaken for it); when no such rest is well-formed, at the first such "<".
struct Trial {
    std::string condition;
    std::string dataXml;
};
std::optional<Trial> ParseTrial(std::string_view text, std::string& error);

// unregister and list take one id or pattern, quoted like register's id.
std::optional<std::string> ParseId(std::string_view text, std::string& error);
