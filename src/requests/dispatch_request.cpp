#include "requests/dispatch_request.h"

#include <cstring>

#include "boundary/text_conversion.h"
#include "bridge/trigger_bridge.h"
#include "companions/variant.h"
#include "requests/result_document.h"

namespace {

// The serialised element the query selects, or empty text when there is none.
std::string SelectedXml(IXMLDOMDocument* document, const char* query) {
    const ComPtr<IXMLDOMElement> element = SelectElement(document, query);
    return element ? NodeXml(element.get()) : std::string();
}

std::string FireAndReply(ITriggerManager* manager, const std::string& data) {
    WideText wideData = WideText::FromNarrow(data);
    BSTR reply = nullptr;
    ThrowIfFailed(manager->Fire(wideData.wide(), &reply), manager);
    WideText replyText = WideText::TakeOver(reply);
    return replyText.narrowString();
}

LONG RunCommand(TriggerBridge& bridge, IXMLDOMDocument* document, const std::string& name,
                const std::string& id) {
    if (name == "registeraction") {
        const std::string action = SelectedXml(document, "/*/Action");
        const std::string condition = ReadRootAttribute(document, "condition");
        return bridge.RegisterTrigger(id, condition, action);
    }
    if (name == "unregisteraction") {
        return bridge.UnregisterTrigger(id);
    }
    if (name == "deletedb") {
        return bridge.DeleteTriggerDatabase();
    }
    if (name == "suspend") {
        return bridge.SuspendTriggers();
    }
    if (name == "resume") {
        return bridge.ResumeTriggers();
    }
    return 0;
}

}  // namespace

std::string PrependXmlDeclaration(std::string_view text) {
    std::string result = "<?xml version=\"1.0\"?> ";
    result.append(text);
    return result;
}

std::string ReadRootAttribute(IXMLDOMDocument* document, const char* name) {
    ComPtr<IXMLDOMElement> root;
    ThrowIfFailed(document->get_documentElement(root.put()), document);
    if (!root) {
        return {};
    }
    WideText wideName = WideText::FromNarrow(name);
    Variant value;
    ThrowIfFailed(root->getAttribute(wideName.wide(), value.put()), root.get());
    if (value.value().vt == VT_NULL) {
        return {};
    }
    if (value.value().vt != VT_BSTR) {
        ThrowIfFailed(VariantChangeType(value.get(), value.get(), 0, VT_BSTR));
    }
    // The variant owns its string for the whole call, so it is converted in place, not copied.
    const NarrowBuffer text = WideToNarrow(value.value().bstrVal);
    return text ? std::string(text.get()) : std::string();
}

ComPtr<IXMLDOMElement> SelectElement(IXMLDOMDocument* document, const char* query) {
    try {
        WideText wideQuery = WideText::FromNarrow(query);
        ComPtr<IXMLDOMNode> node;
        ThrowIfFailed(document->selectSingleNode(wideQuery.wide(), node.put()), document);
        return node.As<IXMLDOMElement>();
    } catch (...) {
        return nullptr;
    }
}

LONG DispatchRequest(TriggerBridge& bridge, const char* request, std::string* output) {
    LONG outcome = 0;
    OpenedDocument opened = OpenDomDocument();
    if (opened.config && opened.dom) {
        IXMLDOMDocument* document = opened.dom.get();
        WideText wideRequest = WideText::FromNarrow(request);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        ThrowIfFailed(document->loadXML(wideRequest.wide(), &loaded), document);
        wideRequest.Release();
        if (loaded == VARIANT_TRUE) {
            const std::string type = ReadRootAttribute(document, "type");
            const std::string name = ReadRootAttribute(document, "name");
            const std::string id = ReadRootAttribute(document, "id");
            if (type == "trigger") {
                if (name == "fire") {
                    // Fire answers with the manager's reply, not with a flag.
                    ComPtr<ITriggerManager> manager =
                        ComPtr<ITriggerManager>::Share(bridge.triggerManager());
                    if (manager) {
                        const std::string data =
                            PrependXmlDeclaration(SelectedXml(document, "/*/TriggerData"));
                        const std::string reply = FireAndReply(manager.get(), data);
                        if (output != nullptr) {
                            *output = ResultXmlFromText(reply.c_str());
                        }
                        return reply.empty() ? 0 : 1;
                    }
                } else {
                    outcome = RunCommand(bridge, document, name, id);
                }
            }
        }
    }
    opened.dom.reset();
    if (output != nullptr) {
        *output = ResultXmlFromFlag(outcome);
    }
    return outcome;
}
