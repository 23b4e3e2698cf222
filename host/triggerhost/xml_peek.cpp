#include "xml_peek.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

namespace {

struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
using Document = std::unique_ptr<xmlDoc, DocumentDeleter>;

Document Parse(const std::string& xml) {
    return Document(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

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

}  // namespace

RequestSummary SummariseRequest(const std::string& xml) {
    RequestSummary summary;
    const Document document = Parse(xml);
    xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (root == nullptr) {
        return summary;
    }
    summary.type = Attribute(root, "type");
    summary.name = Attribute(root, "name");
    summary.id = Attribute(root, "id");
    for (xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (Named(child, "TriggerData")) {
            summary.payload = ChildrenXml(document.get(), child);
            break;
        }
    }
    return summary;
}

std::string ResultValue(const std::string& xml) {
    const Document document = Parse(xml);
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
