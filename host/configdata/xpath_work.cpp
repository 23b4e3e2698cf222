#include "configdata/xpath_work.h"

#include <libxml/hash.h>
#include <libxml/xpathInternals.h>

#include <array>
#include <bit>
#include <cstring>
#include <string_view>
#include <utility>

#include "configdata/xpath_cost.h"
#include "configdata/xpath_rewrite.h"

namespace configdata {
namespace {

xmlXPathObject* Argument(xmlXPathParserContext* parser, int count, int index) {
    return parser->valueTab[parser->valueNr - count + index];
}

// Frees the arguments of a call that does not run; the failure is set already.
void DropArguments(xmlXPathParserContext* parser, int count) {
    for (int i = 0; i < count; ++i) {
        xmlXPathFreeObject(valuePop(parser));
    }
}

bool ArgumentsPresent(xmlXPathParserContext* parser, int count) {
    if (count < 0 || parser->valueNr < count) {
        xmlXPathErr(parser, XPATH_STACK_ERROR);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (Argument(parser, count, i) == nullptr) {
            xmlXPathErr(parser, XPATH_INVALID_OPERAND);
            return false;
        }
    }
    return true;
}

// For the counting functions, which the rewriter calls with a fixed number of arguments.
bool TakesArguments(xmlXPathParserContext* parser, int count, int expected) {
    if (count != expected) {
        xmlXPathErr(parser, XPATH_INVALID_ARITY);
        return false;
    }
    return ArgumentsPresent(parser, count);
}

// ----- The core functions of XPath -----

enum class Cost {
    Flat,       // constant work, or work libxml2 counts itself
    Strings,    // reads its arguments as strings and builds a string no longer than they are
    Search,     // also searches the first for the second: up to the product of their lengths
    EveryNode,  // takes the string value of every node of its node-set arguments
    Ancestors,  // looks at the ancestors of the context node
};

struct CoreFunction {
    std::string_view name;
    xmlXPathFunction original;  // null: found under its name among libxml2's own
    Cost cost;
};

constexpr std::array<CoreFunction, 27> kCoreFunctions = {{
    {"boolean", xmlXPathBooleanFunction, Cost::Flat},
    {"ceiling", xmlXPathCeilingFunction, Cost::Flat},
    {"concat", xmlXPathConcatFunction, Cost::Strings},
    {"contains", xmlXPathContainsFunction, Cost::Search},
    {"count", xmlXPathCountFunction, Cost::Flat},
    {"false", xmlXPathFalseFunction, Cost::Flat},
    {"floor", xmlXPathFloorFunction, Cost::Flat},
    {"id", xmlXPathIdFunction, Cost::EveryNode},
    {"lang", xmlXPathLangFunction, Cost::Ancestors},
    {"last", xmlXPathLastFunction, Cost::Flat},
    {"local-name", xmlXPathLocalNameFunction, Cost::Flat},
    {"name", nullptr, Cost::Flat},
    {"namespace-uri", xmlXPathNamespaceURIFunction, Cost::Flat},
    {"normalize-space", xmlXPathNormalizeFunction, Cost::Strings},
    {"not", xmlXPathNotFunction, Cost::Flat},
    {"number", xmlXPathNumberFunction, Cost::Strings},
    {"position", xmlXPathPositionFunction, Cost::Flat},
    {"round", xmlXPathRoundFunction, Cost::Flat},
    {"starts-with", xmlXPathStartsWithFunction, Cost::Strings},
    {"string", xmlXPathStringFunction, Cost::Strings},
    {"string-length", xmlXPathStringLengthFunction, Cost::Strings},
    {"substring", xmlXPathSubstringFunction, Cost::Strings},
    {"substring-after", xmlXPathSubstringAfterFunction, Cost::Search},
    {"substring-before", xmlXPathSubstringBeforeFunction, Cost::Search},
    {"sum", xmlXPathSumFunction, Cost::EveryNode},
    {"translate", xmlXPathTranslateFunction, Cost::Search},
    {"true", xmlXPathTrueFunction, Cost::Flat},
}};

std::uint64_t CostOf(Cost cost, xmlXPathParserContext* parser, int count, std::uint64_t cap) {
    std::uint64_t ticks = kTicksPerUnit;
    if (cost == Cost::Flat) {
        return ticks;
    }
    if (cost == Cost::Ancestors) {
        for (const xmlNode* node = parser->context->node; node != nullptr; node = node->parent) {
            ticks += kTicksPerNode;
        }
    }
    if (count == 0 && parser->context->node != nullptr) {
        // string(), string-length(), normalize-space() and number() read the context node.
        return AddTicks(ticks, MultiplyTicks(StringValueSize(parser->context->node, cap).ticks, 2));
    }
    std::uint64_t first = 0;
    for (int i = 0; i < count && ticks <= cap; ++i) {
        const xmlXPathObject* argument = Argument(parser, count, i);
        std::uint64_t longest = 0;
        const TextSize size = cost == Cost::EveryNode
                                  ? EveryStringSize(argument, cap - ticks, longest)
                                  : StringSize(argument, cap - ticks);
        // Reading the text and building what comes of it.
        ticks = AddTicks(ticks, MultiplyTicks(size.ticks, 2));
        if (cost == Cost::Search) {
            if (i == 0) {
                first = size.bytes;
            } else if (i == 1) {
                ticks = AddTicks(ticks, MultiplyTicks(first, size.bytes));
            }
        }
    }
    return ticks;
}

xmlXPathFunction OriginalOf(const CoreFunction& function, xmlXPathParserContext* parser) {
    if (function.original != nullptr) {
        return function.original;
    }
    void* found = xmlHashLookup2(parser->context->funcHash,
                                 reinterpret_cast<const xmlChar*>(function.name.data()), nullptr);
    xmlXPathFunction original = nullptr;
    static_assert(sizeof original == sizeof found);
    std::memcpy(&original, &found, sizeof original);
    return original;
}

template <std::size_t Index>
void CountedCore(xmlXPathParserContext* parser, int count) {
    const CoreFunction& function = kCoreFunctions[Index];
    if (!ArgumentsPresent(parser, count)) {
        return;
    }
    WorkMeter meter(parser);
    const xmlXPathFunction original = OriginalOf(function, parser);
    if (original == nullptr) {
        DropArguments(parser, count);
        xmlXPathErr(parser, XPATH_UNKNOWN_FUNC_ERROR);
        return;
    }
    if (!meter.Spend(CostOf(function.cost, parser, count, meter.Left()))) {
        DropArguments(parser, count);
        return;
    }
    original(parser, count);
}

template <std::size_t... Index>
constexpr std::array<xmlXPathFunction, sizeof...(Index)> CoreWrappers(
    std::index_sequence<Index...>) {
    return {&CountedCore<Index>...};
}

constexpr auto kCoreWrappers = CoreWrappers(std::make_index_sequence<kCoreFunctions.size()>());

// ----- The counting functions the rewritten expressions call -----

enum class Comparison { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

// The string values both sides give up, and, for two node-sets, every pair: their hashes (the
// first two characters) and, for equal hashes, their strings are compared.
std::uint64_t ComparisonCost(const xmlXPathObject* left, const xmlXPathObject* right, bool equality,
                             std::uint64_t cap) {
    const bool leftNodes = NodeSetOf(left) != nullptr;
    const bool rightNodes = NodeSetOf(right) != nullptr;
    if ((leftNodes && right->type == XPATH_BOOLEAN) ||
        (rightNodes && left->type == XPATH_BOOLEAN)) {
        return kTicksPerUnit;  // a node-set against a boolean is only asked whether it is empty
    }
    std::uint64_t leftLongest = 0;
    std::uint64_t rightLongest = 0;
    const TextSize leftSize = EveryStringSize(left, cap, leftLongest);
    const TextSize rightSize =
        EveryStringSize(right, cap - std::min(cap, leftSize.ticks), rightLongest);
    std::uint64_t ticks = AddTicks(kTicksPerUnit, AddTicks(leftSize.ticks, rightSize.ticks));
    if (leftNodes && rightNodes) {
        const std::uint64_t pairs = MultiplyTicks(static_cast<std::uint64_t>(NodeCountOf(left)),
                                                  static_cast<std::uint64_t>(NodeCountOf(right)));
        ticks = AddTicks(
            ticks, MultiplyTicks(pairs, equality ? 1 + std::min(leftLongest, rightLongest) : 1));
    }
    return ticks;
}

template <Comparison Kind>
void CountedComparison(xmlXPathParserContext* parser, int count) {
    if (!TakesArguments(parser, count, 2)) {
        return;
    }
    WorkMeter meter(parser);
    const bool equality = Kind == Comparison::Equal || Kind == Comparison::NotEqual;
    if (!meter.Spend(ComparisonCost(Argument(parser, 2, 0), Argument(parser, 2, 1), equality,
                                    meter.Left()))) {
        DropArguments(parser, count);
        return;
    }
    int holds = 0;
    switch (Kind) {
        case Comparison::Equal:
            holds = xmlXPathEqualValues(parser);
            break;
        case Comparison::NotEqual:
            holds = xmlXPathNotEqualValues(parser);
            break;
        case Comparison::Less:
            holds = xmlXPathCompareValues(parser, 1, 1);
            break;
        case Comparison::LessOrEqual:
            holds = xmlXPathCompareValues(parser, 1, 0);
            break;
        case Comparison::Greater:
            holds = xmlXPathCompareValues(parser, 0, 1);
            break;
        case Comparison::GreaterOrEqual:
            holds = xmlXPathCompareValues(parser, 0, 0);
            break;
    }
    if (parser->error == XPATH_EXPRESSION_OK) {
        // These push the answer from the context's cache of objects, as libxml2's own
        // comparisons do, instead of allocating one.
        (holds != 0 ? xmlXPathTrueFunction : xmlXPathFalseFunction)(parser, 0);
    }
}

// A | B: libxml2 merges B into A, searching A for each node of B.
void CountedUnion(xmlXPathParserContext* parser, int count) {
    if (!TakesArguments(parser, count, 2)) {
        return;
    }
    xmlXPathObject* left = Argument(parser, 2, 0);
    xmlXPathObject* right = Argument(parser, 2, 1);
    if (left->type != XPATH_NODESET || right->type != XPATH_NODESET) {
        DropArguments(parser, count);
        xmlXPathErr(parser, XPATH_INVALID_TYPE);
        return;
    }
    const auto leftCount = static_cast<std::uint64_t>(NodeCountOf(left));
    const auto rightCount = static_cast<std::uint64_t>(NodeCountOf(right));
    WorkMeter meter(parser);
    if (!meter.Spend(AddTicks(MultiplyTicks(leftCount + rightCount, kTicksPerNode),
                              MultiplyTicks(leftCount, rightCount)))) {
        DropArguments(parser, count);
        return;
    }
    right = valuePop(parser);
    left = valuePop(parser);
    if (left->nodesetval == nullptr ||
        (right->nodesetval != nullptr && right->nodesetval->nodeNr != 0)) {
        left->nodesetval = xmlXPathNodeSetMerge(left->nodesetval, right->nodesetval);
    }
    xmlXPathFreeObject(right);
    valuePush(parser, left);
}

using Traversal = xmlNode* (*)(xmlXPathParserContext*, xmlNode*);

Traversal TraversalOf(std::string_view axis) {
    static constexpr std::array<std::pair<std::string_view, Traversal>, 9> kAxes = {{
        {"ancestor", xmlXPathNextAncestor},
        {"ancestor-or-self", xmlXPathNextAncestorOrSelf},
        {"descendant", xmlXPathNextDescendant},
        {"descendant-or-self", xmlXPathNextDescendantOrSelf},
        {"following", xmlXPathNextFollowing},
        {"following-sibling", xmlXPathNextFollowingSibling},
        {"parent", xmlXPathNextParent},
        {"preceding", xmlXPathNextPreceding},
        {"preceding-sibling", xmlXPathNextPrecedingSibling},
    }};
    for (const auto& [name, traversal] : kAxes) {
        if (name == axis) {
            return traversal;
        }
    }
    return nullptr;
}

// Whether a node on one of the axes above passes the node test, as the rewriter wrote it.
bool Passes(const xmlNode* node, std::string_view test) {
    if (test == "node()") {
        return true;
    }
    if (test == "text()") {
        return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE;
    }
    if (test == "comment()") {
        return node->type == XML_COMMENT_NODE;
    }
    if (test == "processing-instruction()") {
        return node->type == XML_PI_NODE;
    }
    return node->type == XML_ELEMENT_NODE && (test == "*" || TextOf(node->name) == test);
}

// What the next step, along `axis` from every node of the set, costs libxml2 beyond the nodes
// it visits: each context node's results are merged into those gathered before, each new node
// searched for among them, and the whole is sorted afterwards.
std::uint64_t MergeCost(xmlXPathParserContext* parser, const xmlNodeSet* nodes, Traversal next,
                        std::string_view test, std::uint64_t cap) {
    std::uint64_t ticks = kTicksPerUnit;
    std::uint64_t gathered = 0;
    xmlXPathContext* context = parser->context;
    xmlNode* const contextNode = context->node;
    for (int i = 0; i < nodes->nodeNr && ticks <= cap; ++i) {
        context->node = nodes->nodeTab[i];
        std::uint64_t found = 0;
        for (xmlNode* node = next(parser, nullptr); node != nullptr && ticks <= cap;
             node = next(parser, node)) {
            ticks += kTicksPerNode;
            found += Passes(node, test) ? 1U : 0U;
        }
        ticks = AddTicks(ticks, MultiplyTicks(found, gathered));
        gathered += found;
    }
    context->node = contextNode;
    const auto sortRounds = static_cast<std::uint64_t>(std::bit_width(gathered));
    return AddTicks(ticks, MultiplyTicks(MultiplyTicks(gathered, sortRounds), kTicksPerNode));
}

// What the namespace axis of each node costs libxml2: it gathers the declarations of the node
// and all its ancestors, comparing each with those gathered before, then copies every namespace
// into the node-set, again comparing each with those added before.
std::uint64_t NamespaceCost(const xmlNodeSet* nodes, std::uint64_t cap) {
    std::uint64_t ticks = kTicksPerUnit;
    for (int i = 0; i < nodes->nodeNr && ticks <= cap; ++i) {
        const xmlNode* node = nodes->nodeTab[i];
        if (node->type != XML_ELEMENT_NODE) {
            continue;
        }
        std::uint64_t declared = 0;
        for (; node != nullptr; node = node->parent) {
            ticks += kTicksPerNode;
            if (node->type == XML_ELEMENT_NODE) {
                for (const xmlNs* ns = node->nsDef; ns != nullptr; ns = ns->next) {
                    ++declared;
                }
            }
        }
        ticks = AddTicks(ticks, AddTicks(MultiplyTicks(MultiplyTicks(declared, declared), 2),
                                         MultiplyTicks(declared, kTicksPerUnit)));
    }
    return ticks;
}

// xpath-work.step(nodes, axis, test): the node-set unchanged, once the work of the step that
// follows it, beyond what libxml2 counts itself, is counted.
void CountedStep(xmlXPathParserContext* parser, int count) {
    if (!TakesArguments(parser, count, 3)) {
        return;
    }
    const xmlXPathObject* input = Argument(parser, 3, 0);
    const xmlXPathObject* axis = Argument(parser, 3, 1);
    const xmlXPathObject* test = Argument(parser, 3, 2);
    const bool namespaces = axis->type == XPATH_STRING && TextOf(axis->stringval) == "namespace";
    const Traversal next =
        axis->type == XPATH_STRING ? TraversalOf(TextOf(axis->stringval)) : nullptr;
    if (input->type != XPATH_NODESET || (next == nullptr && !namespaces) ||
        test->type != XPATH_STRING) {
        DropArguments(parser, count);
        xmlXPathErr(parser, XPATH_INVALID_TYPE);
        return;
    }
    WorkMeter meter(parser);
    std::uint64_t ticks = kTicksPerUnit;
    if (input->nodesetval != nullptr) {
        ticks = namespaces ? NamespaceCost(input->nodesetval, meter.Left())
                           : MergeCost(parser, input->nodesetval, next, TextOf(test->stringval),
                                       meter.Left());
    }
    if (!meter.Spend(ticks)) {
        DropArguments(parser, count);
        return;
    }
    xmlXPathFreeObject(valuePop(parser));
    xmlXPathFreeObject(valuePop(parser));
}

struct WorkFunction {
    std::string_view name;  // after kWorkFunctionPrefix
    xmlXPathFunction function;
};

constexpr std::array<WorkFunction, 8> kWorkFunctions = {{
    {"equal", CountedComparison<Comparison::Equal>},
    {"not-equal", CountedComparison<Comparison::NotEqual>},
    {"less", CountedComparison<Comparison::Less>},
    {"less-or-equal", CountedComparison<Comparison::LessOrEqual>},
    {"greater", CountedComparison<Comparison::Greater>},
    {"greater-or-equal", CountedComparison<Comparison::GreaterOrEqual>},
    {"union", CountedUnion},
    {"step", CountedStep},
}};

}  // namespace

xmlXPathFunction CountedFunction(const xmlChar* name) noexcept {
    const std::string_view text = TextOf(name);
    if (text.substr(0, kWorkFunctionPrefix.size()) == kWorkFunctionPrefix) {
        const std::string_view rest = text.substr(kWorkFunctionPrefix.size());
        for (const WorkFunction& work : kWorkFunctions) {
            if (work.name == rest) {
                return work.function;
            }
        }
        return nullptr;
    }
    for (std::size_t i = 0; i < kCoreFunctions.size(); ++i) {
        if (kCoreFunctions[i].name == text) {
            return kCoreWrappers[i];
        }
    }
    return nullptr;
}

}  // namespace configdata
