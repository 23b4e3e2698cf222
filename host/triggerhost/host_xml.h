// libxml2 as the host uses it on text nobody vouches for (scenario files, typed lines, the texts
// it prints): no network, no DTD loading, no entity substitution, errors kept in the parser
// context and never printed, and a document type declaration stops the parse as soon as its name
// is read, before anything inside it, so no entity can be declared, let alone expanded.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <string>

inline constexpr int kHostParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// The reason a parse stopped at a document type declaration (compared by address).
extern const char kDocumentTypeRefused[];

struct ParserDeleter {
    void operator()(xmlParserCtxt* parser) const noexcept { xmlFreeParserCtxt(parser); }
};
using Parser = std::unique_ptr<xmlParserCtxt, ParserDeleter>;

struct DocumentDeleter {
    void operator()(xmlDoc* document) const noexcept { xmlFreeDoc(document); }
};
using Document = std::unique_ptr<xmlDoc, DocumentDeleter>;

// What every parse of the host keeps in its context's _private: why it was stopped, if it was.
struct ParseStop {
    const char* reason = nullptr;
};

// Stops the parse whose context is `parser` (from inside one of its callbacks) for `reason`.
void StopParse(xmlParserCtxt* parser, const char* reason) noexcept;

// Makes `sax` stop at a document type declaration (for kDocumentTypeRefused).
void RefuseDocumentTypes(xmlSAXHandler& sax) noexcept;

// A parser context for whole texts, refusing document types; raises std::bad_alloc.
Parser NewParser();

// The parser's last error as "line N: message" on one line, or a general phrase when it recorded
// none.
std::string ParserErrorText(xmlParserCtxt* parser);
