// Small walks and edits over libxml2 trees that the DOM objects share. All iterative: trees built
// through the DOM may be deeper than any stack.
#pragma once

#include <libxml/tree.h>

#include <cstddef>

namespace configdata {

// The DOM refuses to build trees deeper than this many elements, so that libxml2's own recursive
// copies stay well within a thread's stack.
inline constexpr std::size_t kMaxTreeDepth = 1024;

// The topmost ancestor: the document node when `node` is in a document's tree, else the root of
// the detached subtree holding it. An attribute's ancestors are its element's.
xmlNode* TopOf(xmlNode* node) noexcept;

// Whether `ancestor` is `node` or one of its ancestors.
bool IsAncestorOrSelf(const xmlNode* ancestor, const xmlNode* node) noexcept;

// Elements from `node` up to its top, `node` included when it is one.
std::size_t DepthOf(const xmlNode* node) noexcept;

// Levels of elements in the subtree under and including `node`.
std::size_t HeightOf(const xmlNode* node) noexcept;

// Whether any node of the subtree, attributes included, has a COM object (its `_private`).
bool SubtreeHasWrapper(const xmlNode* top) noexcept;

// Makes `child` (detached, of the same document) the last child of `parent`. Unlike xmlAddChild
// it never merges adjacent text nodes, which would free a node a COM object may hold.
void LinkLastChild(xmlNode* parent, xmlNode* child) noexcept;

// Frees a detached subtree of any node type.
void FreeDetached(xmlNode* top) noexcept;

}  // namespace configdata
