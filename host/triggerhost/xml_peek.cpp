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

void ReadTarget(xmlNode* root, RequestSummary& summary) {
    summary.type = Attribute(root, "type");
    summary.name = Attribute(root, "name");
    summary.id = Attribute(root, "id");
}

// The element as the plug-in's "/*/Action" selects it: named Action, in no namespace.
bool IsAction(const xmlNode* node) {
    return Named(node, "Action") && node->ns == nullptr;
}

std::string NodeXml(xmlDoc* document, xmlNode* node) {
    std::string text;
    xmlBuffer* buffer = xmlBufferCreate();
    if (buffer == nullptr) {
        return text;
    }
    xmlNodeDump(buffer, document, node, 0, 0);
    text.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return text;
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

// Parses `xml` with `peek` as the parse's state; null when it does not parse or was refused, and
// then, when `fault` is given, why.
Document Parse(const std::string& xml, Peek& peek, bool rootOnly, std::string* fault = nullptr) {
    if (xml.size() > static_cast<std::size_t>(INT_MAX)) {
        if (fault != nullptr) {
            *fault = "the text is too large";
        }
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
    if (fault != nullptr && (!document || peek.reason != nullptr)) {
        *fault = peek.reason != nullptr ? peek.reason : ParserErrorText(parser.get());
    }
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
    summary.condition = Attribute(root, "condition");
    bool dataRead = false;
    for (xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (!dataRead && Named(child, "TriggerData")) {
            for (xmlNode* part = child->children; part != nullptr; part = part->next) {
                summary.payload += NodeXml(document.get(), part);
            }
            dataRead = true;
        } else if (!summary.hasAction && IsAction(child)) {
            summary.action = NodeXml(document.get(), child);
            summary.hasAction = true;
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

std::string XmlFault(const std::string& xml) {
    Peek peek;
    std::string fault;
    Parse(xml, peek, false, &fault);
    return fault;
}

FireReplySummary SummariseFireReply(const std::string& reply) {
    FireReplySummary summary;
    Peek peek;
    const Document document = Parse(reply, peek, false);
    xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (root == nullptr || !Named(root, "FireResult")) {
        return summary;
    }
    summary.isReply = true;
    summary.refused = Attribute(root, "refused");
    summary.suspended = Attribute(root, "suspended") == "true";
    for (xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (Named(child, "Trigger")) {
            summary.matched.push_back(Attribute(child, "id"));
        } else if (Named(child, "Exhausted")) {
            summary.exhausted.push_back(Attribute(child, "id"));
        }
    }
    return summary;
}
