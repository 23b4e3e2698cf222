#include "host_xml.h"

#include <new>

const char kDocumentTypeRefused[] = "a document type declaration is not accepted";

namespace {

void StopAtDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    StopParse(static_cast<xmlParserCtxt*>(context), kDocumentTypeRefused);
}

}  // namespace

void StopParse(xmlParserCtxt* parser, const char* reason) noexcept {
    auto* stop = static_cast<ParseStop*>(parser->_private);
    if (stop != nullptr && stop->reason == nullptr) {
        stop->reason = reason;
    }
    xmlStopParser(parser);
}

void RefuseDocumentTypes(xmlSAXHandler& sax) noexcept {
    sax.internalSubset = &StopAtDocumentType;
}

Parser NewParser() {
    Parser parser(xmlNewParserCtxt());
    if (!parser || parser->sax == nullptr) {
        throw std::bad_alloc();
    }
    RefuseDocumentTypes(*parser->sax);
    return parser;
}

std::string ParserErrorText(xmlParserCtxt* parser) {
    const xmlError* error = xmlCtxtGetLastError(parser);
    if (error == nullptr || error->message == nullptr) {
        return "the text is not well-formed XML";
    }
    std::string message = error->message;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    // Some messages go on to a second line (the bytes that are not UTF-8, say); the host prints
    // one line per error.
    for (char& c : message) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return "line " + std::to_string(error->line) + ": " + message;
}
