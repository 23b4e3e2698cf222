// What the trigger index reads from a condition's text: for an absolute path of child steps with
// plain names (/TriggerData/door[@id='front']), the literal facts a fired document must hold for
// the path to select anything. Any other shape is not read; its trigger is always evaluated.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

enum class FactKind : char {
    Attribute,  // an element on the fact's path has attribute `name` with string value `value`
    Exists,     // an element on the path exists
    Text,       // an element on the path has the string value `value`
};

// A fact about one step of the condition's path (names, attribute names and values are views of
// the condition's text: XPath literals carry no escapes, so a literal's value is the text
// between its quotes).
struct ConditionFact {
    FactKind kind = FactKind::Attribute;
    std::size_t depth = 0;   // its path is the condition's first `depth` steps ...
    std::string_view child;  // ... and then this child element, when not empty
    std::string_view name;
    std::string_view value;
};

struct ConditionFacts {
    // The path, names of elements from the root element down: every match needs it to exist.
    std::vector<std::string_view> steps;
    // The attributes and string values compared with literals: every match needs each.
    std::vector<ConditionFact> values;
};

// What the UTF-8 condition needs, or nothing when its shape is not one read here. Each fact is
// necessary, none need be sufficient: predicates and conjuncts of other shapes only narrow
// further, and the evaluation still decides.
std::optional<ConditionFacts> NecessaryFacts(std::string_view condition);
