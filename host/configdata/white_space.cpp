#include "configdata/white_space.h"

#include <string_view>
#include <vector>

namespace configdata {
namespace {

bool IsWhiteSpaceOnly(const xmlChar* text) noexcept {
    for (; text != nullptr && *text != 0; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r') {
            return false;
        }
    }
    return true;
}

bool Is(const xmlChar* text, std::string_view expected) noexcept {
    return text != nullptr && reinterpret_cast<const char*>(text) == expected;
}

// Whether white space inside `element` is kept: its own xml:space when that names a rule, else
// its parent's.
bool PreservesWhiteSpace(const xmlNode* element, bool inherited) noexcept {
    for (const xmlAttr* attribute = element->properties; attribute != nullptr;
         attribute = attribute->next) {
        const bool isSpace = attribute->ns != nullptr &&
                             xmlStrEqual(attribute->ns->href, XML_XML_NAMESPACE) &&
                             Is(attribute->name, "space");
        if (!isSpace || attribute->children == nullptr) {
            continue;
        }
        const xmlChar* value = attribute->children->content;
        if (Is(value, "preserve")) {
            return true;
        }
        if (Is(value, "default")) {
            return false;
        }
    }
    return inherited;
}

}  // namespace

void DropWhiteSpaceText(xmlDoc* document) {
    // One entry per element entered, its rule on top; the document level preserves nothing.
    std::vector<bool> preserving{false};
    xmlNode* node = document->children;
    while (node != nullptr) {
        if (node->type == XML_ELEMENT_NODE) {
            preserving.push_back(PreservesWhiteSpace(node, preserving.back()));
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
            preserving.pop_back();
        }
        xmlNode* next = node->next;
        xmlNode* parent = node->parent;
        if (node->type == XML_TEXT_NODE && !preserving.back() && IsWhiteSpaceOnly(node->content)) {
            xmlUnlinkNode(node);
            xmlFreeNode(node);
        }
        node = next;
        while (node == nullptr && parent != nullptr && parent->type == XML_ELEMENT_NODE) {
            preserving.pop_back();
            node = parent->next;
            parent = parent->parent;
        }
    }
}

}  // namespace configdata
