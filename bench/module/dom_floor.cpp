#include "dom_floor.h"

#include <string>

#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/config_document.h"
#include "companions/variant.h"

namespace bench {

namespace {

// The constant texts are made once: the floor pays only for the DOM work itself.
struct Names {
    Bstr type = Bstr::Copy(u"type");
    Bstr name = Bstr::Copy(u"name");
    Bstr id = Bstr::Copy(u"id");
    Bstr condition = Bstr::Copy(u"condition");
    Bstr actionQuery = Bstr::Copy(u"/*/Action");
    Bstr dataQuery = Bstr::Copy(u"/*/TriggerData");
    Bstr actionResult = Bstr::Copy(u"ActionResult");
    Bstr result = Bstr::Copy(u"Result");
    Bstr empty = Bstr::Copy(u"");
    Bstr trueText = Bstr::Copy(u"true");
};

const Names& Texts() {
    static const Names names;
    return names;
}

struct Document {
    ComPtr<IConfigDocument> config;
    ComPtr<IXMLDOMDocument> dom;
};

Document Open() {
    Document document;
    ThrowIfFailed(CreateConfigDocument(document.config.put()));
    ComPtr<IUnknown> wrapped;
    ThrowIfFailed(document.config->GetDocument(wrapped.put()), document.config.get());
    document.dom = wrapped.As<IXMLDOMDocument>();
    return document;
}

std::size_t AttributeLength(IXMLDOMElement* root, BSTR name) {
    Variant value;
    ThrowIfFailed(root->getAttribute(name, value.put()), root);
    return value.value().vt == VT_BSTR ? SysStringLen(value.value().bstrVal) : 0;
}

// Parses the request and reads the three attributes every request reads.
ComPtr<IXMLDOMElement> ParseRequest(const Document& document, BSTR request, std::size_t& work) {
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ThrowIfFailed(document.dom->loadXML(request, &loaded), document.dom.get());
    ComPtr<IXMLDOMElement> root;
    ThrowIfFailed(document.dom->get_documentElement(root.put()), document.dom.get());
    const Names& names = Texts();
    work += AttributeLength(root.get(), names.type.get()) +
            AttributeLength(root.get(), names.name.get()) +
            AttributeLength(root.get(), names.id.get());
    return root;
}

Bstr SelectedXml(const Document& document, BSTR query) {
    ComPtr<IXMLDOMNode> node;
    ThrowIfFailed(document.dom->selectSingleNode(query, node.put()), document.dom.get());
    const ComPtr<IXMLDOMElement> element = node.As<IXMLDOMElement>();
    Bstr xml;
    if (element) {
        ThrowIfFailed(element->get_xml(xml.put()), element.get());
    }
    return xml;
}

ComPtr<IXMLDOMElement> NewElement(IXMLDOMDocument* dom, BSTR name) {
    ComPtr<IXMLDOMNode> node;
    ThrowIfFailed(dom->createNode(Variant::FromLong(NODE_ELEMENT).value(), name,
                                  Texts().empty.get(), node.put()),
                  dom);
    return node.As<IXMLDOMElement>();
}

std::size_t ResultLength(BSTR value) {
    const Document document = Open();
    const ComPtr<IXMLDOMElement> outer = NewElement(document.dom.get(), Texts().actionResult.get());
    const ComPtr<IXMLDOMElement> inner = NewElement(document.dom.get(), Texts().result.get());
    ComPtr<IXMLDOMNode> appended;
    ThrowIfFailed(outer->appendChild(inner.get(), appended.put()), outer.get());
    ThrowIfFailed(inner->put_text(value), inner.get());
    Bstr xml;
    ThrowIfFailed(outer->get_xml(xml.put()), outer.get());
    return xml.length();
}

}  // namespace

std::size_t RegisterFloor(BSTR request) {
    std::size_t work = 0;
    {
        const Document document = Open();
        const ComPtr<IXMLDOMElement> root = ParseRequest(document, request, work);
        work += SelectedXml(document, Texts().actionQuery.get()).length();
        work += AttributeLength(root.get(), Texts().condition.get());
    }
    return work + ResultLength(Texts().trueText.get());
}

std::size_t UnregisterFloor(BSTR request) {
    std::size_t work = 0;
    {
        const Document document = Open();
        ParseRequest(document, request, work);
    }
    return work + ResultLength(Texts().trueText.get());
}

std::size_t FireFloor(BSTR request, BSTR reply) {
    std::size_t work = 0;
    {
        const Document document = Open();
        ParseRequest(document, request, work);
        const Bstr data = SelectedXml(document, Texts().dataQuery.get());
        const Bstr sent = Bstr::Copy(u"<?xml version=\"1.0\"?> " + std::u16string(data.view()));
        work += sent.length();
    }
    return work + ResultLength(reply);
}

}  // namespace bench
