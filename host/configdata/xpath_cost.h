// What the work of an XPath evaluation costs, beyond what libxml2 counts itself, and the charging
// of it to libxml2's own count (xmlXPathContext::opCount, against opLimit).
//
// The unit is libxml2's: one operation or one node a step visits. Other work is counted in ticks,
// about what one byte of a string or one comparison of two nodes costs; a unit is 16 ticks.
#pragma once

#include <libxml/xpath.h>

#include <cstdint>
#include <limits>
#include <string_view>

namespace configdata {

inline constexpr std::uint64_t kTicksPerUnit = 16;
// Walking one node of a tree, and making a number or a boolean into text.
inline constexpr std::uint64_t kTicksPerNode = 8;
inline constexpr std::uint64_t kTicksPerScalar = 24;
inline constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

// Sums and products of ticks that stop at kNoLimit instead of wrapping.
std::uint64_t AddTicks(std::uint64_t a, std::uint64_t b) noexcept;
std::uint64_t MultiplyTicks(std::uint64_t a, std::uint64_t b) noexcept;

std::string_view TextOf(const xmlChar* text) noexcept;

// The work an evaluation may still do, and the charging of work to its count.
class WorkMeter {
  public:
    explicit WorkMeter(xmlXPathParserContext* parser) noexcept : parser_(parser) {}

    // In ticks; kNoLimit when the evaluation has no limit.
    std::uint64_t Left() const noexcept;
    // Counts the work; false, with the evaluation failed as libxml2 fails it at its own limit
    // (XPATH_OP_LIMIT_EXCEEDED), when that passes the limit.
    bool Spend(std::uint64_t ticks) noexcept;

  private:
    xmlXPathParserContext* parser_;
};

// Bytes of text and the ticks of finding them.
struct TextSize {
    std::uint64_t bytes = 0;
    std::uint64_t ticks = 0;

    // Adds a zero-terminated text, read no further than `cap` ticks in all.
    void AddText(const xmlChar* text, std::uint64_t cap) noexcept;
    void Add(const TextSize& other) noexcept;
};

// The node-set of an XPath value, or null when it holds none.
const xmlNodeSet* NodeSetOf(const xmlXPathObject* value) noexcept;
int NodeCountOf(const xmlXPathObject* value) noexcept;

// Each counts no further than about `cap` ticks; what it gives past that is some size above cap.
//
// The string value of a node as libxml2 takes it: the text of every text and CDATA section below
// an element or the document, the value of an attribute, the content of other nodes.
TextSize StringValueSize(const xmlNode* node, std::uint64_t cap) noexcept;
// Taking the string of a value: for a node-set, its first node's string value, after libxml2 has
// checked the order of the set.
TextSize StringSize(const xmlXPathObject* value, std::uint64_t cap) noexcept;
// The string values of every node of a node-set, as comparisons, sum() and id() take them; the
// longest of them in `longest`. For any other value, its string.
TextSize EveryStringSize(const xmlXPathObject* value, std::uint64_t cap,
                         std::uint64_t& longest) noexcept;

}  // namespace configdata
