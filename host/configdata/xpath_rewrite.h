// Makes the work of an XPath 1.0 expression countable before libxml2 compiles it. libxml2 counts
// one unit per operation and per node a step visits, but not what some operations cost beyond
// that: the string values a comparison takes of every node of a node-set, the pairwise merge of
// a union, and the merge of the results a step gathers from each of many context nodes, which
// compares every new node with every node gathered before it. Each of those becomes a call of a
// function of xpath_work.h that counts that work first and then has libxml2 do it exactly as it
// would have; arithmetic on a node-set takes its number through the counted number(). Nothing
// else of the text changes, so every expression keeps its value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace configdata {

// The names the rewritten text calls all begin with this; an expression that calls such a name
// itself is refused, as libxml2 would refuse a function it does not know.
inline constexpr std::string_view kWorkFunctionPrefix = "xpath-work.";

// The rewritten expression, or nothing with the reason in `error` when the text is not an XPath
// 1.0 expression (as libxml2 reads one: numbers may carry an exponent).
std::optional<std::string> RewriteForCountedWork(std::string_view expression, std::string& error);

}  // namespace configdata
