#include "configdata/xpath_cost.h"

#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cstring>

namespace configdata {

std::uint64_t AddTicks(std::uint64_t a, std::uint64_t b) noexcept {
    return a > kNoLimit - b ? kNoLimit : a + b;
}

std::uint64_t MultiplyTicks(std::uint64_t a, std::uint64_t b) noexcept {
    return a != 0 && b > kNoLimit / a ? kNoLimit : a * b;
}

std::string_view TextOf(const xmlChar* text) noexcept {
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text))
                           : std::string_view();
}

std::uint64_t WorkMeter::Left() const noexcept {
    const xmlXPathContext* context = parser_->context;
    if (context->opLimit == 0) {
        return kNoLimit;
    }
    return context->opCount >= context->opLimit
               ? 0
               : MultiplyTicks(context->opLimit - context->opCount, kTicksPerUnit);
}

bool WorkMeter::Spend(std::uint64_t ticks) noexcept {
    xmlXPathContext* context = parser_->context;
    if (context->opLimit == 0) {
        return true;
    }
    const std::uint64_t units = ticks / kTicksPerUnit + (ticks % kTicksPerUnit != 0 ? 1 : 0);
    if (units > context->opLimit - std::min(context->opCount, context->opLimit)) {
        context->opCount = context->opLimit;
        xmlXPathErr(parser_, XPATH_OP_LIMIT_EXCEEDED);
        return false;
    }
    context->opCount += static_cast<unsigned long>(units);
    return true;
}

void TextSize::AddText(const xmlChar* text, std::uint64_t cap) noexcept {
    if (text == nullptr || ticks > cap) {
        return;
    }
    const std::size_t length =
        strnlen(reinterpret_cast<const char*>(text),
                static_cast<std::size_t>(std::min<std::uint64_t>(
                    cap - ticks + 1, std::numeric_limits<std::size_t>::max())));
    bytes += length;
    ticks = AddTicks(ticks, length);
}

void TextSize::Add(const TextSize& other) noexcept {
    bytes = AddTicks(bytes, other.bytes);
    ticks = AddTicks(ticks, other.ticks);
}

TextSize StringValueSize(const xmlNode* node, std::uint64_t cap) noexcept {
    TextSize size;
    size.ticks = kTicksPerNode;
    switch (node->type) {
        case XML_ELEMENT_NODE:
        case XML_DOCUMENT_NODE:
        case XML_DOCUMENT_FRAG_NODE:
        case XML_ATTRIBUTE_NODE: {
            const xmlNode* current = node->children;
            while (current != nullptr && size.ticks <= cap) {
                size.ticks += kTicksPerNode;
                if (current->type == XML_TEXT_NODE || current->type == XML_CDATA_SECTION_NODE) {
                    size.AddText(current->content, cap);
                }
                if (current->type == XML_ELEMENT_NODE && current->children != nullptr) {
                    current = current->children;
                    continue;
                }
                while (current != nullptr && current->next == nullptr) {
                    current = current->parent;
                    if (current == node) {
                        current = nullptr;
                    }
                }
                if (current != nullptr) {
                    current = current->next;
                }
            }
            break;
        }
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
        case XML_COMMENT_NODE:
        case XML_PI_NODE:
            size.AddText(node->content, cap);
            break;
        case XML_NAMESPACE_DECL:
            size.AddText(reinterpret_cast<const xmlNs*>(node)->href, cap);
            break;
        default:
            break;
    }
    return size;
}

const xmlNodeSet* NodeSetOf(const xmlXPathObject* value) noexcept {
    return value->type == XPATH_NODESET || value->type == XPATH_XSLT_TREE ? value->nodesetval
                                                                          : nullptr;
}

int NodeCountOf(const xmlXPathObject* value) noexcept {
    const xmlNodeSet* nodes = NodeSetOf(value);
    return nodes != nullptr ? nodes->nodeNr : 0;
}

TextSize StringSize(const xmlXPathObject* value, std::uint64_t cap) noexcept {
    TextSize size;
    switch (value->type) {
        case XPATH_STRING:
            size.AddText(value->stringval, cap);
            return size;
        case XPATH_NODESET:
        case XPATH_XSLT_TREE: {
            const xmlNodeSet* nodes = value->nodesetval;
            if (nodes == nullptr || nodes->nodeNr == 0) {
                return size;
            }
            size = StringValueSize(nodes->nodeTab[0], cap);
            size.ticks =
                AddTicks(size.ticks,
                         MultiplyTicks(static_cast<std::uint64_t>(nodes->nodeNr), kTicksPerNode));
            return size;
        }
        default:
            size.bytes = kTicksPerScalar;
            size.ticks = kTicksPerScalar;
            return size;
    }
}

TextSize EveryStringSize(const xmlXPathObject* value, std::uint64_t cap,
                         std::uint64_t& longest) noexcept {
    const xmlNodeSet* nodes = NodeSetOf(value);
    if (nodes == nullptr) {
        TextSize size = StringSize(value, cap);
        longest = size.bytes;
        return size;
    }
    TextSize total;
    longest = 0;
    for (int i = 0; i < nodes->nodeNr && total.ticks <= cap; ++i) {
        const TextSize one = StringValueSize(nodes->nodeTab[i], cap - total.ticks);
        longest = std::max(longest, one.bytes);
        total.Add(one);
    }
    return total;
}

}  // namespace configdata
