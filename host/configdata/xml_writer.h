// The xml property: nodes written as the platform DOM writes them, as UTF-8.
#pragma once

#include <libxml/tree.h>

#include <string>

namespace configdata {

// Appends the serialised form of `node` (any node type). The rules:
// - an element without children is `<a/>`; attributes follow in their order, double-quoted;
// - text escapes `&`, `<` and `>` (quotes stay as they are); attribute values escape `&`, `<`,
//   `>` and `"`, and tab, line feed and carriage return as character references so that they
//   survive a reparse; a carriage return in text is written `&#13;` for the same reason;
//   characters outside ASCII are written as themselves, never as references;
// - characters XML 1.0 cannot hold (C0 controls other than tab, LF and CR; U+FFFE, U+FFFF) are
//   written as U+FFFD, so the output is always well-formed;
// - an element's xml never carries a declaration. A document's carries one only when the text it
//   was loaded from had one: `<?xml version="1.0"?>`, with ` encoding="..."` and
//   ` standalone="..."` when the loaded declaration gave them. A line feed separates the
//   declaration and the document's top-level nodes; nothing follows the last one.
void AppendNodeXml(std::string& out, const xmlNode* node);

// The text content: for elements and documents every text and CDATA descendant joined in document
// order; for other nodes their own value.
void AppendNodeText(std::string& out, const xmlNode* node);

}  // namespace configdata
