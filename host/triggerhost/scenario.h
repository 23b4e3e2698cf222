// Scenario files: an XML document whose root element holds the requests, in order.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct ScenarioStep {
    enum class Kind { Request, Note } kind;
    std::string text;  // the request's XML, or the note's text
};

// Reads the steps of a scenario text; on failure returns nothing and sets `error`.
std::optional<std::vector<ScenarioStep>> ParseScenario(const std::string& text,
                                                       const std::string& name, std::string& error);

// Reads a scenario file; on failure returns nothing and sets `error` to a one-line message.
std::optional<std::vector<ScenarioStep>> ReadScenarioFile(const std::string& path,
                                                          std::string& error);

// The built-in demonstration run when no scenario file is given.
const std::string& BuiltInScenario();
