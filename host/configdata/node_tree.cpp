#include "configdata/node_tree.h"

namespace configdata {
namespace {

// Calls visit(node, depth) for every node below and including `top` (attributes aside), in
// document order, with `depth` counting levels from `top` (1). Stops when visit returns false.
template <class Visit>
bool Walk(const xmlNode* top, Visit&& visit) {
    const xmlNode* node = top;
    std::size_t depth = 1;
    while (node != nullptr) {
        if (!visit(node, depth)) {
            return false;
        }
        const bool container = node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE;
        if (container && node->children != nullptr) {
            node = node->children;
            ++depth;
            continue;
        }
        while (node != top && node->next == nullptr) {
            node = node->parent;
            --depth;
        }
        node = node != top ? node->next : nullptr;
    }
    return true;
}

}  // namespace

xmlNode* TopOf(xmlNode* node) noexcept {
    while (node->parent != nullptr) {
        node = node->parent;
    }
    return node;
}

bool IsAncestorOrSelf(const xmlNode* ancestor, const xmlNode* node) noexcept {
    for (; node != nullptr; node = node->parent) {
        if (node == ancestor) {
            return true;
        }
    }
    return false;
}

std::size_t DepthOf(const xmlNode* node) noexcept {
    std::size_t depth = 0;
    for (; node != nullptr; node = node->parent) {
        depth += node->type == XML_ELEMENT_NODE ? 1 : 0;
    }
    return depth;
}

std::size_t HeightOf(const xmlNode* node) noexcept {
    std::size_t height = 0;
    Walk(node, [&height](const xmlNode* current, std::size_t depth) {
        if (current->type == XML_ELEMENT_NODE && depth > height) {
            height = depth;
        }
        return true;
    });
    return height;
}

bool SubtreeHasWrapper(const xmlNode* top) noexcept {
    return !Walk(top, [](const xmlNode* node, std::size_t) {
        if (node->_private != nullptr) {
            return false;
        }
        if (node->type == XML_ELEMENT_NODE) {
            for (const xmlAttr* attribute = node->properties; attribute != nullptr;
                 attribute = attribute->next) {
                if (attribute->_private != nullptr) {
                    return false;
                }
            }
        }
        return true;
    });
}

void LinkLastChild(xmlNode* parent, xmlNode* child) noexcept {
    child->parent = parent;
    child->next = nullptr;
    child->prev = parent->last;
    if (parent->last != nullptr) {
        parent->last->next = child;
    } else {
        parent->children = child;
    }
    parent->last = child;
}

void FreeDetached(xmlNode* top) noexcept {
    if (top->type == XML_ATTRIBUTE_NODE) {
        xmlFreeProp(reinterpret_cast<xmlAttr*>(top));
    } else {
        xmlFreeNode(top);
    }
}

}  // namespace configdata
