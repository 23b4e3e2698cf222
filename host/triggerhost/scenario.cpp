#include "scenario.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

struct ParserContextDeleter {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
struct BufferDeleter {
    void operator()(xmlBuffer* buffer) const { xmlBufferFree(buffer); }
};

const char* Chars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string ElementXml(xmlDoc* document, xmlNode* element) {
    std::unique_ptr<xmlBuffer, BufferDeleter> buffer(xmlBufferCreate());
    if (!buffer || xmlNodeDump(buffer.get(), document, element, 0, 0) < 0) {
        throw std::bad_alloc();
    }
    return std::string(Chars(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

}  // namespace

std::optional<std::vector<ScenarioStep>> ParseScenario(const std::string& text,
                                                       const std::string& name,
                                                       std::string& error) {
    std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(xmlNewParserCtxt());
    if (!context) {
        error = "out of memory reading " + name;
        return std::nullopt;
    }
    std::unique_ptr<xmlDoc, DocumentDeleter> document(xmlCtxtReadMemory(
        context.get(), text.data(), static_cast<int>(text.size()), name.c_str(), nullptr,
        XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (root == nullptr) {
        const xmlError* last = xmlCtxtGetLastError(context.get());
        error = name + " is not a well-formed scenario";
        if (last != nullptr && last->message != nullptr) {
            error += " (line " + std::to_string(last->line) + ": " + Trimmed(last->message) + ")";
        }
        return std::nullopt;
    }
    if (document->intSubset != nullptr || document->extSubset != nullptr) {
        error = name + " declares a document type; scenarios may not";
        return std::nullopt;
    }
    std::vector<ScenarioStep> steps;
    for (xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) {
            continue;
        }
        if (xmlStrcmp(child->name, reinterpret_cast<const xmlChar*>("Note")) == 0) {
            xmlChar* content = xmlNodeGetContent(child);
            steps.push_back(
                {ScenarioStep::Kind::Note, Trimmed(content != nullptr ? Chars(content) : "")});
            xmlFree(content);
        } else {
            steps.push_back({ScenarioStep::Kind::Request, ElementXml(document.get(), child)});
        }
    }
    return steps;
}

std::optional<std::vector<ScenarioStep>> ReadScenarioFile(const std::string& path,
                                                          std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open scenario file '" + path + "'";
        return std::nullopt;
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) {
        error = "cannot read scenario file '" + path + "'";
        return std::nullopt;
    }
    return ParseScenario(content.str(), "'" + path + "'", error);
}

const std::string& BuiltInScenario() {
    static const std::string scenario = R"(<Scenario>
  <Note>A door sensor: when the front door opens, log an alert.</Note>
  <Request type="trigger" name="registeraction" id="door.front" condition="/TriggerData/door[@id='front' and @state='open']">
    <Action type="host" name="log"><Alert>Front door opened</Alert></Action>
  </Request>
  <Note>The door closes: no trigger matches, nothing runs.</Note>
  <Request type="trigger" name="fire"><TriggerData><door id="front" state="closed"/></TriggerData></Request>
  <Note>The door opens: the trigger fires and its action runs with the event's data merged in.</Note>
  <Request type="trigger" name="fire"><TriggerData><door id="front" state="open"/></TriggerData></Request>
  <Note>Suspended, the trigger manager ignores the door.</Note>
  <Request type="trigger" name="suspend"/>
  <Request type="trigger" name="fire"><TriggerData><door id="front" state="open"/></TriggerData></Request>
  <Request type="trigger" name="resume"/>
  <Note>Unregistering the trigger ends the alerts.</Note>
  <Request type="trigger" name="unregisteraction" id="door.*"/>
  <Request type="trigger" name="fire"><TriggerData><door id="front" state="open"/></TriggerData></Request>
</Scenario>
)";
    return scenario;
}
