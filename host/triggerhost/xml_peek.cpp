#include "xml_peek.h"

#include <libxml/SAX2.h>

#include <climits>

#include "host_xml.h"

namespace {

struct Peek : ParseStop {
    RequestSummary* summary = nullptr;
    bool failed = false;
};

bool Named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

std::string Attribute(xmlNode* element, const char* name) {
    xmlChar* value = xmlGetProp(element, reinterpret_cast<const xmlChar*>(name));
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::string Content(xmlNode* node) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::string ChildrenXml(xmlDoc* document, xmlNode* element) {
    std::string text;
    xmlBuffer* buffer = xmlBufferCreate();
    if (buffer == nullptr) {
        return text;
    }
    for (xmlNode* child = element->children; child != nullptr; child = child->next) {
        xmlNodeDump(buffer, document, child, 0, 0);
    }
    text.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return text;
}

void ReadTarget(xmlNode* root, RequestSummary& summary) {
    summary.type = Attribute(root, "type");
    summary.name = Attribute(root, "name");
    summary.id = Attribute(root, "id");
}

// Builds the root element as the tree builder would (so attribute values are decoded as usual),
// reads its attributes and ends the parse.
void ReadRootThenStop(void* context, const xmlChar* localName, const xmlChar* prefix,
                      const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                      int attributeCount, int defaultedCount, const xmlChar** attributes) {
    auto* parser = static_cast<xmlParserCtxt*>(context);
    xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces,
                          attributeCount, defaultedCount, attributes);
    auto* peek = static_cast<Peek*>(parser->_private);
    try {
        if (parser->node != nullptr) {
            ReadTarget(parser->node, *peek->summary);
        }
    } catch (...) {
        peek->failed = true;  // no summary is better than an exception through libxml2
    }
    xmlStopParser(parser);
}

// Parses `xml` with `peek` as the parse's state; null when it does not parse or was refused.
Document Parse(const std::string& xml, Peek& peek, bool rootOnly) {
    if (xml.size() > static_cast<std::size_t>(INT_MAX)) {
        return nullptr;
    }
    Parser parser = NewParser();
    if (rootOnly) {
        parser->sax->startElementNs = &ReadRootThenStop;
    }
    parser->_private = &peek;
    Document document(xmlCtxtReadMemory(parser.get(), xml.data(), static_cast<int>(xml.size()),
                                        nullptr, nullptr, kHostParseOptions));
    parser->_private = nullptr;
    return document;
}

}  // namespace

RequestSummary SummariseRequest(const std::string& xml) {
    RequestSummary summary;
    Peek peek;
    peek.summary = &summary;
    const Document document = Parse(xml, peek, false);
    xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (peek.reason != nullptr || root == nullptr) {
        summary.refusal = peek.reason;
        return summary;
    }
    ReadTarget(root, summary);
    for (xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (Named(child, "TriggerData")) {
            summary.payload = ChildrenXml(document.get(), child);
            break;
        }
    }
    return summary;
}

RequestSummary PeekRequestTarget(const std::string& xml) {
    RequestSummary summary;
    Peek peek;
    peek.summary = &summary;
    Parse(xml, peek, true);
    if (peek.reason != nullptr || peek.failed) {
        RequestSummary refused;
        refused.refusal = peek.reason;
        return refused;
    }
    return summary;
}

std::string ResultValue(const std::string& xml) {
    Peek peek;
    const Document document = Parse(xml, peek, false);
    xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (root == nullptr || !Named(root, "ActionResult")) {
        return xml;
    }
    for (xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (Named(child, "Result")) {
            return Content(child);
        }
    }
    return xml;
}
