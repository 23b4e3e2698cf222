#include "configdata/safe_parser.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <new>

#include "configdata/libxml_setup.h"
#include "configdata/markup_scan.h"
#include "configdata/thread_owned.h"
#include "configdata/utf_text.h"
#include "configdata/white_space.h"

namespace configdata {
namespace {

// No network, no entity substitution, no DTD loading or defaulting, and the encoding named in a
// declaration ignored; errors are read from the parser context, never printed.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                              XML_PARSE_IGNORE_ENC | XML_PARSE_NODICT;

struct ParserContextDeleter {
    void operator()(xmlParserCtxt* context) const noexcept { xmlFreeParserCtxt(context); }
};

struct ParseState {
    bool sawDocumentType = false;
};

// Called as soon as "<!DOCTYPE name ..." has been read, before any declaration inside it.
void RefuseDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* parser = static_cast<xmlParserCtxt*>(context);
    static_cast<ParseState*>(parser->_private)->sawDocumentType = true;
    xmlStopParser(parser);
}

// One parser context per thread, reused: making and freeing one takes libxml2's process-wide
// dictionary lock, which made parsing on two threads slower than on one. The context's name
// dictionary is dropped once it holds many names, so untrusted text cannot grow it for ever.
constexpr int kMaxRememberedNames = 4096;

xmlParserCtxt* ThreadParser() {
    std::unique_ptr<xmlParserCtxt, ParserContextDeleter>& parser =
        ThreadOwned<std::unique_ptr<xmlParserCtxt, ParserContextDeleter>>();
    if (parser && xmlDictSize(parser->dict) > kMaxRememberedNames) {
        parser.reset();
    }
    if (!parser) {
        parser.reset(xmlNewParserCtxt());
        if (!parser || parser->sax == nullptr) {
            parser.reset();
            throw std::bad_alloc();
        }
        parser->sax->internalSubset = &RefuseDocumentType;
    }
    return parser.get();
}

std::string LastErrorOf(xmlParserCtxt* parser) {
    const xmlError* error = xmlCtxtGetLastError(parser);
    if (error == nullptr || error->message == nullptr) {
        return "the text is not well-formed XML";
    }
    std::string message = error->message;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    return "line " + std::to_string(error->line) + ": " + message;
}

// The value of `encoding="..."` in a leading XML declaration, which libxml2 does not keep when it
// is told to ignore it.
std::string DeclaredEncoding(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    if (text.substr(0, 5) != "<?xml") {
        return {};
    }
    const std::string_view declaration = text.substr(0, text.find("?>"));
    const std::size_t name = declaration.find("encoding");
    if (name == std::string_view::npos) {
        return {};
    }
    const std::size_t quote = declaration.find_first_of("\"'", name);
    if (quote == std::string_view::npos) {
        return {};
    }
    const std::size_t close = declaration.find(declaration[quote], quote + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(declaration.substr(quote + 1, close - quote - 1));
}

ParseOutcome Refused(std::string error) {
    return ParseOutcome{nullptr, std::move(error)};
}

}  // namespace

ParseOutcome ParseUntrusted(OleStringView text) {
    if (text.empty()) {
        return Refused("the text is empty");
    }
    // Every UTF-16 unit takes at least one byte, so this refuses without converting anything.
    if (text.size() > kMaxDocumentBytes || Utf8Length(text) > kMaxDocumentBytes) {
        return Refused("the text is larger than 16 MiB");
    }
    std::string utf8;
    AppendUtf8(utf8, text);
    if (const char* reason = MarkupLimitExceeded(utf8)) {
        return Refused(reason);
    }

    EnsureLibxmlReady();
    xmlParserCtxt* parser = ThreadParser();
    ParseState state;
    parser->_private = &state;
    XmlDocPtr document(xmlCtxtReadMemory(parser, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, nullptr, kParseOptions));
    parser->_private = nullptr;
    if (state.sawDocumentType) {
        return Refused("a document type declaration is not accepted");
    }
    if (!document || xmlDocGetRootElement(document.get()) == nullptr) {
        return Refused(LastErrorOf(parser));
    }
    // Namespaces belong to well-formedness for the platform DOM too: an undeclared prefix, or a
    // prefix bound to no name, is refused there, not loaded without its namespace.
    if (parser->nsWellFormed == 0) {
        return Refused(LastErrorOf(parser));
    }
    DropWhiteSpaceText(document.get());
    if (const std::string encoding = DeclaredEncoding(utf8); !encoding.empty()) {
        document->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>(encoding.c_str()));
        if (document->encoding == nullptr) {
            throw std::bad_alloc();
        }
    }
    return ParseOutcome{std::move(document), {}};
}

}  // namespace configdata
