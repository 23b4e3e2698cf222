// One request's document work through the COM layer and through raw libxml2, in the same run:
// load a request, read its attributes, select and serialise its Action, build and serialise the
// result document. Then condition evaluation as the trigger manager does it.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <string>
#include <vector>

#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "companions/variant.h"
#include "configdata/configdata_host.h"

namespace {

constexpr const char* kRequest =
    "<Request type=\"trigger\" name=\"registeraction\" id=\"door1\" "
    "condition=\"/door[@state='open']\"><Action type=\"host\" name=\"log\"><Message>Door "
    "opened</Message></Action></Request>";
constexpr const char* kAttributes[] = {"type", "name", "id", "condition"};

ComPtr<IXMLDOMDocument> OpenDom() {
    ComPtr<IConfigDocument> config;
    CreateConfigDocument(config.put());
    ComPtr<IUnknown> unknown;
    config->GetDocument(unknown.put());
    return unknown.As<IXMLDOMDocument>();
}

ComPtr<IXMLDOMElement> NewElement(IXMLDOMDocument* dom, BSTR name, BSTR none) {
    const Variant type = Variant::FromLong(NODE_ELEMENT);
    ComPtr<IXMLDOMNode> node;
    dom->createNode(type.value(), name, none, node.put());
    return node.As<IXMLDOMElement>();
}

void ComLayer(benchmark::State& state) {
    const Bstr request = ToBstr(kRequest);
    const Bstr query = ToBstr("/*/Action");
    const Bstr actionResult = ToBstr("ActionResult");
    const Bstr resultName = ToBstr("Result");
    const Bstr none = ToBstr("");
    const Bstr trueText = ToBstr("true");
    std::vector<Bstr> names;
    for (const char* name : kAttributes) {
        names.push_back(ToBstr(name));
    }
    for (auto _ : state) {
        const ComPtr<IXMLDOMDocument> dom = OpenDom();
        VARIANT_BOOL loaded = VARIANT_FALSE;
        dom->loadXML(request.get(), &loaded);
        ComPtr<IXMLDOMElement> root;
        dom->get_documentElement(root.put());
        for (const Bstr& name : names) {
            Variant value;
            root->getAttribute(name.get(), value.put());
            benchmark::DoNotOptimize(value.value().bstrVal);
        }
        ComPtr<IXMLDOMNode> action;
        dom->selectSingleNode(query.get(), action.put());
        Bstr actionXml;
        action.As<IXMLDOMElement>()->get_xml(actionXml.put());
        benchmark::DoNotOptimize(actionXml.get());

        const ComPtr<IXMLDOMDocument> resultDom = OpenDom();
        const ComPtr<IXMLDOMElement> outer =
            NewElement(resultDom.get(), actionResult.get(), none.get());
        const ComPtr<IXMLDOMElement> inner =
            NewElement(resultDom.get(), resultName.get(), none.get());
        ComPtr<IXMLDOMNode> appended;
        outer->appendChild(inner.get(), appended.put());
        inner->put_text(trueText.get());
        Bstr resultXml;
        outer->get_xml(resultXml.put());
        benchmark::DoNotOptimize(resultXml.get());
    }
}
BENCHMARK(ComLayer);

std::string Dump(xmlDoc* document, xmlNode* node) {
    xmlBuffer* buffer = xmlBufferCreate();
    xmlNodeDump(buffer, document, node, 0, 0);
    std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                     static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return text;
}

const xmlChar* X(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

// The same work with libxml2 alone, as a careful user would write it: one compiled expression
// and one evaluation context reused, UTF-8 text throughout (no UTF-16 at all).
void RawLibxml2(benchmark::State& state) {
    const std::string request = kRequest;
    xmlXPathCompExpr* query = xmlXPathCompile(X("/*/Action"));
    xmlXPathContext* context = xmlXPathNewContext(nullptr);
    for (auto _ : state) {
        xmlDoc* document =
            xmlReadMemory(request.data(), static_cast<int>(request.size()), nullptr, nullptr,
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        xmlNode* root = xmlDocGetRootElement(document);
        for (const char* name : kAttributes) {
            xmlChar* value = xmlGetProp(root, X(name));
            benchmark::DoNotOptimize(value);
            xmlFree(value);
        }
        context->doc = document;
        context->node = reinterpret_cast<xmlNode*>(document);
        xmlXPathObject* found = xmlXPathCompiledEval(query, context);
        std::string actionXml = Dump(document, found->nodesetval->nodeTab[0]);
        benchmark::DoNotOptimize(actionXml.data());
        xmlXPathFreeObject(found);
        xmlFreeDoc(document);

        xmlDoc* resultDocument = xmlNewDoc(X("1.0"));
        xmlNode* outer = xmlNewDocNode(resultDocument, nullptr, X("ActionResult"), nullptr);
        xmlNode* inner = xmlNewDocNode(resultDocument, nullptr, X("Result"), nullptr);
        xmlAddChild(outer, inner);
        xmlNodeSetContent(inner, X("true"));
        std::string resultXml = Dump(resultDocument, outer);
        benchmark::DoNotOptimize(resultXml.data());
        xmlFreeNode(outer);
        xmlFreeDoc(resultDocument);
    }
    xmlXPathFreeContext(context);
    xmlXPathFreeCompExpr(query);
}
BENCHMARK(RawLibxml2);

ComPtr<IConfigDocument> FiredData() {
    ComPtr<IConfigDocument> config;
    CreateConfigDocument(config.put());
    LONG loaded = 0;
    config->LoadXml(ToBstr("<door id=\"front\" state=\"open\"/>").get(), &loaded);
    return config;
}

// One condition, as the trigger manager evaluates each registered trigger.
void EvaluateCondition(benchmark::State& state) {
    const ComPtr<IConfigDocument> fired = FiredData();
    const Bstr condition = ToBstr("/door[@state='open']");
    for (auto _ : state) {
        LONG matched = 0;
        ConfigDataEvaluate(fired.get(), condition.get(), &matched);
        benchmark::DoNotOptimize(matched);
    }
}
BENCHMARK(EvaluateCondition);

// A firing against 10,000 distinct conditions: every one found compiled in the thread's cache.
void EvaluateTenThousandConditions(benchmark::State& state) {
    const ComPtr<IConfigDocument> fired = FiredData();
    std::vector<Bstr> conditions;
    for (int i = 0; i < 10000; ++i) {
        conditions.push_back(ToBstr("/door[@id='d" + std::to_string(i) + "' or @state='open']"));
    }
    for (auto _ : state) {
        for (const Bstr& condition : conditions) {
            LONG matched = 0;
            ConfigDataEvaluate(fired.get(), condition.get(), &matched);
            benchmark::DoNotOptimize(matched);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(conditions.size()));
}
BENCHMARK(EvaluateTenThousandConditions)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
