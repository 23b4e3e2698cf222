// Configuration documents as the module uses them, on text the fuzzer writes: a document that
// loads serialises to text that loads again and serialises the same; the module's own reads
// (root attributes, the Action and TriggerData payloads), the merge of trigger data into an
// action, a document merged into itself and the result document all keep to what they promise.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "companions/com_error.h"
#include "companions/com_ptr.h"
#include "companions/config_document.h"
#include "companions/utf.h"
#include "fuzz_check.h"
#include "requests/dispatch_request.h"
#include "requests/result_document.h"

namespace {

struct Loaded {
    ComPtr<IConfigDocument> config;
    ComPtr<IXMLDOMDocument> dom;
};

Loaded Load(std::u16string_view text) {
    Loaded document;
    FuzzCheck(SUCCEEDED(CreateConfigDocument(document.config.put())) && document.config,
              "a configuration document can be had");
    const Bstr wide = Bstr::Copy(text);
    LONG loaded = 0;
    FuzzCheck(SUCCEEDED(document.config->LoadXml(wide.get(), &loaded)), "LoadXml answers");
    if (loaded == 0) {
        return {};
    }
    ComPtr<IUnknown> wrapped;
    FuzzCheck(SUCCEEDED(document.config->GetDocument(wrapped.put())), "GetDocument answers");
    document.dom = wrapped.As<IXMLDOMDocument>();
    FuzzCheck(static_cast<bool>(document.dom), "the wrapped document is a DOM document");
    return document;
}

std::string Xml(IXMLDOMNode* node) {
    Bstr xml;
    FuzzCheck(SUCCEEDED(node->get_xml(xml.put())), "a loaded node serialises");
    return ToUtf8(xml.get());
}

ComPtr<IXMLDOMElement> Root(IXMLDOMDocument* dom) {
    ComPtr<IXMLDOMElement> root;
    FuzzCheck(SUCCEEDED(dom->get_documentElement(root.put())) && root,
              "a loaded document has a root element");
    return root;
}

std::string Name(IXMLDOMNode* node) {
    Bstr name;
    FuzzCheck(SUCCEEDED(node->get_nodeName(name.put())), "a node has a name");
    return ToUtf8(name.get());
}

// What the module reads of a request; none of it may fail on a document that loaded.
void ReadAsRequest(IXMLDOMDocument* dom) {
    for (const char* attribute : {"type", "name", "id", "condition"}) {
        ReadRootAttribute(dom, attribute);
    }
    for (const char* payload : {"/*/Action", "/*/TriggerData"}) {
        if (const ComPtr<IXMLDOMElement> element = SelectElement(dom, payload)) {
            NodeXml(element.get());
        }
    }
}

// The stored action takes the fired data's root element in as its last child.
void CheckMergeIntoAction(const Loaded& data, const std::string& rootXml) {
    const Loaded action = Load(u"<Action type=\"host\" name=\"log\"/>");
    LONG combined = 0;
    if (FAILED(action.config->Combine(data.config.get(), &combined))) {
        return;  // too deep to merge: refused, and said so
    }
    FuzzCheck(combined == 1, "Combine of two rooted documents merges");
    FuzzCheck(
        Xml(action.dom.get()) == "<Action type=\"host\" name=\"log\">" + rootXml + "</Action>",
        "the merged action ends with a copy of the data's root", rootXml);
}

// A document merged into itself takes in its old root once.
void CheckMergeIntoItself(const Loaded& document, const std::string& rootXml) {
    const std::string name = Name(Root(document.dom.get()).get());
    LONG combined = 0;
    if (FAILED(document.config->Combine(document.config.get(), &combined))) {
        return;
    }
    std::string expected;
    if (rootXml.ends_with("/>")) {
        expected = rootXml.substr(0, rootXml.size() - 2) + ">" + rootXml + "</" + name + ">";
    } else {
        const std::size_t end = rootXml.rfind("</");
        expected = rootXml.substr(0, end) + rootXml + rootXml.substr(end);
    }
    FuzzCheck(Xml(Root(document.dom.get()).get()) == expected,
              "a document merged into itself holds its old root once more", rootXml);
}

bool XmlCanCarry(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
            return false;
        }
    }
    return text.find("\xEF\xBF\xBE") == std::string_view::npos &&
           text.find("\xEF\xBF\xBF") == std::string_view::npos;
}

bool OnlyWhiteSpace(std::string_view text) {
    return text.find_first_not_of(" \t\n") == std::string_view::npos;
}

// The fire reply travels as the text of the result document and comes out as it went in.
void CheckResultDocument(const std::string& value) {
    if (!XmlCanCarry(value)) {
        return;
    }
    const std::string result = ResultXmlFromText(value.c_str());
    const Loaded reloaded = Load(ToUtf16(result));
    FuzzCheck(static_cast<bool>(reloaded.dom), "a result document loads", result);
    const ComPtr<IXMLDOMElement> inner = SelectElement(reloaded.dom.get(), "/ActionResult/Result");
    FuzzCheck(static_cast<bool>(inner), "a result document holds its Result", result);
    Bstr text;
    FuzzCheck(SUCCEEDED(inner->get_text(text.put())), "Result has text");
    // White space alone may be dropped at load, as the platform's document drops it.
    const std::string carried = ToUtf8(text.get());
    FuzzCheck(carried == value || (carried.empty() && OnlyWhiteSpace(value)),
              "a result carries its text unchanged", result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::u16string text;
    if (input.ConsumeBool()) {
        // UTF-16 units as they come, unpaired surrogates included.
        while (input.remaining_bytes() >= 2) {
            text += static_cast<char16_t>(input.ConsumeIntegral<std::uint16_t>());
        }
    } else {
        text = ToUtf16(input.ConsumeRemainingBytesAsString());
    }
    try {
        CheckResultDocument(ToUtf8(text));
        const Loaded document = Load(text);
        if (!document.dom) {
            return 0;
        }
        const std::string first = Xml(document.dom.get());
        const Loaded again = Load(ToUtf16(first));
        FuzzCheck(static_cast<bool>(again.dom), "a serialised document loads again", first);
        FuzzCheck(Xml(again.dom.get()) == first, "serialising is stable after one load", first);

        ReadAsRequest(document.dom.get());
        const std::string rootXml = Xml(Root(document.dom.get()).get());
        CheckMergeIntoAction(document, rootXml);
        CheckMergeIntoItself(document, rootXml);
    } catch (const ComError& error) {
        FuzzFail("no DOM call fails on a loaded document", error.what());
    }
    return 0;
}
