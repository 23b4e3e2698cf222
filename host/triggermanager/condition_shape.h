// What the trigger index reads from a condition's text: for an absolute path of child steps with
// plain names (/TriggerData/door[@id='front']), the literal facts a fired document must hold for
// the path to select anything. Any other shape is not read; its trigger is always evaluated.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

enum class FactKind : char {
    Attribute,  // an element on `path` has attribute `name` with string value `value`
    Exists,     // an element on `path` exists
    Text,       // an element on `path` has the string value `value`
};

// Names, attribute names and values are views of the condition's text (XPath literals carry no
// escapes, so a literal's value is the text between its quotes).
struct ConditionFact {
    FactKind kind = FactKind::Exists;
    std::vector<std::string_view> path;  // element names from the root element down
    std::string_view name;
    std::string_view value;
};

// Every fact the UTF-8 condition needs, the existence of its whole path first; nothing when the
// shape is not one read here. Each fact is necessary, none need be sufficient: predicates and
// conjuncts of other shapes only narrow further, and the evaluation still decides.
std::optional<std::vector<ConditionFact>> NecessaryFacts(std::string_view condition);
