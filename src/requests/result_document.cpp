#include "requests/result_document.h"

#include "boundary/text_conversion.h"
#include "companions/variant.h"

namespace {

ComPtr<IXMLDOMElement> CreateElement(IXMLDOMDocument* document, const char* name) {
    WideText wideName = WideText::FromNarrow(name);
    WideText noNamespace = WideText::FromNarrow("");
    ComPtr<IXMLDOMNode> node;
    ThrowIfFailed(document->createNode(Variant::FromLong(NODE_ELEMENT).value(), wideName.wide(),
                                       noNamespace.wide(), node.put()),
                  document);
    return node.As<IXMLDOMElement>();
}

}  // namespace

OpenedDocument OpenDomDocument() {
    OpenedDocument opened;
    IConfigDocument* created = nullptr;
    if (FAILED(CreateConfigDocument(&created))) {
        if (created != nullptr) {
            created->Release();
        }
        return opened;
    }
    opened.config = ComPtr<IConfigDocument>::Adopt(created);
    try {
        ComPtr<IUnknown> wrapped;
        ThrowIfFailed(opened.config->GetDocument(wrapped.put()), opened.config.get());
        opened.dom = wrapped.As<IXMLDOMDocument>();
    } catch (...) {
        // No DOM document: the caller answers as for any document that cannot be had.
        opened.dom.reset();
    }
    return opened;
}

std::string NodeXml(IXMLDOMNode* node) {
    BSTR xml = nullptr;
    ThrowIfFailed(node->get_xml(&xml), node);
    WideText text = WideText::TakeOver(xml);
    return text.narrowString();
}

std::string ResultXmlFromFlag(LONG flag) {
    return ResultXmlFromText(flag != 0 ? "true" : "false");
}

std::string ResultXmlFromText(const char* value) {
    const OpenedDocument opened = OpenDomDocument();
    if (!opened.config || !opened.dom) {
        return {};
    }
    // The document only makes the two nodes; they are never inserted into it.
    const ComPtr<IXMLDOMElement> outer = CreateElement(opened.dom.get(), "ActionResult");
    if (!outer) {
        ThrowComError(E_POINTER);
    }
    const ComPtr<IXMLDOMElement> inner = CreateElement(opened.dom.get(), "Result");
    if (inner) {
        ComPtr<IXMLDOMNode> appended;
        ThrowIfFailed(outer->appendChild(inner.get(), appended.put()), outer.get());
        appended.reset();
        WideText text = WideText::FromNarrow(value);
        ThrowIfFailed(inner->put_text(text.wide()), inner.get());
    }
    return NodeXml(outer.get());
}
