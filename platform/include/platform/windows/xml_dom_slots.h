// The platform DOM's interfaces have far more methods than this system calls. XmlDomSlots<I>
// answers every method of I outside that subset (the subset platform/linux/xml_dom.h declares)
// with E_NOTIMPL, clearing its out-parameter, so an implementation of the subset still fills the
// whole method table, in its order, and a caller of the real interface finds each method where
// the platform's headers put it.
#pragma once

#include <msxml2.h>

namespace platform_detail {

template <class T>
HRESULT NotImplemented(T* out) noexcept {
    if (out != nullptr) {
        *out = T{};
    }
    return E_NOTIMPL;
}

}  // namespace platform_detail

template <class Interface>
class XmlDomNodeSlots : public Interface {
  public:
    // The interface these slots belong to, for a class that lists them among its bases.
    using ComInterface = Interface;

    HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override {
        return platform_detail::NotImplemented(value);
    }
    HRESULT STDMETHODCALLTYPE put_nodeValue(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) override {
        return platform_detail::NotImplemented(parent);
    }
    HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList** childList) override {
        return platform_detail::NotImplemented(childList);
    }
    HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** firstChild) override {
        return platform_detail::NotImplemented(firstChild);
    }
    HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** lastChild) override {
        return platform_detail::NotImplemented(lastChild);
    }
    HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** previousSibling) override {
        return platform_detail::NotImplemented(previousSibling);
    }
    HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** nextSibling) override {
        return platform_detail::NotImplemented(nextSibling);
    }
    HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributeMap) override {
        return platform_detail::NotImplemented(attributeMap);
    }
    HRESULT STDMETHODCALLTYPE insertBefore(IXMLDOMNode*, VARIANT,
                                           IXMLDOMNode** outNewChild) override {
        return platform_detail::NotImplemented(outNewChild);
    }
    HRESULT STDMETHODCALLTYPE replaceChild(IXMLDOMNode*, IXMLDOMNode*,
                                           IXMLDOMNode** outOldChild) override {
        return platform_detail::NotImplemented(outOldChild);
    }
    HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode*, IXMLDOMNode** oldChild) override {
        return platform_detail::NotImplemented(oldChild);
    }
    HRESULT STDMETHODCALLTYPE hasChildNodes(VARIANT_BOOL* hasChild) override {
        return platform_detail::NotImplemented(hasChild);
    }
    HRESULT STDMETHODCALLTYPE get_ownerDocument(IXMLDOMDocument** document) override {
        return platform_detail::NotImplemented(document);
    }
    HRESULT STDMETHODCALLTYPE cloneNode(VARIANT_BOOL, IXMLDOMNode** cloneRoot) override {
        return platform_detail::NotImplemented(cloneRoot);
    }
    HRESULT STDMETHODCALLTYPE get_nodeTypeString(BSTR* nodeType) override {
        return platform_detail::NotImplemented(nodeType);
    }
    HRESULT STDMETHODCALLTYPE get_specified(VARIANT_BOOL* isSpecified) override {
        return platform_detail::NotImplemented(isSpecified);
    }
    HRESULT STDMETHODCALLTYPE get_definition(IXMLDOMNode** definitionNode) override {
        return platform_detail::NotImplemented(definitionNode);
    }
    HRESULT STDMETHODCALLTYPE get_nodeTypedValue(VARIANT* typedValue) override {
        return platform_detail::NotImplemented(typedValue);
    }
    HRESULT STDMETHODCALLTYPE put_nodeTypedValue(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_dataType(VARIANT* dataTypeName) override {
        return platform_detail::NotImplemented(dataTypeName);
    }
    HRESULT STDMETHODCALLTYPE put_dataType(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE transformNode(IXMLDOMNode*, BSTR* xmlString) override {
        return platform_detail::NotImplemented(xmlString);
    }
    HRESULT STDMETHODCALLTYPE selectNodes(BSTR, IXMLDOMNodeList** resultList) override {
        return platform_detail::NotImplemented(resultList);
    }
    HRESULT STDMETHODCALLTYPE get_parsed(VARIANT_BOOL* isParsed) override {
        return platform_detail::NotImplemented(isParsed);
    }
    HRESULT STDMETHODCALLTYPE get_namespaceURI(BSTR* namespaceURI) override {
        return platform_detail::NotImplemented(namespaceURI);
    }
    HRESULT STDMETHODCALLTYPE get_prefix(BSTR* prefixString) override {
        return platform_detail::NotImplemented(prefixString);
    }
    HRESULT STDMETHODCALLTYPE get_baseName(BSTR* nameString) override {
        return platform_detail::NotImplemented(nameString);
    }
    HRESULT STDMETHODCALLTYPE transformNodeToObject(IXMLDOMNode*, VARIANT) override {
        return E_NOTIMPL;
    }
};

template <class Interface>
class XmlDomSlots;

template <>
class XmlDomSlots<IXMLDOMDocument> : public XmlDomNodeSlots<IXMLDOMDocument> {
  public:
    HRESULT STDMETHODCALLTYPE get_doctype(IXMLDOMDocumentType** documentType) override {
        return platform_detail::NotImplemented(documentType);
    }
    HRESULT STDMETHODCALLTYPE get_implementation(IXMLDOMImplementation** impl) override {
        return platform_detail::NotImplemented(impl);
    }
    HRESULT STDMETHODCALLTYPE putref_documentElement(IXMLDOMElement*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE createElement(BSTR, IXMLDOMElement** element) override {
        return platform_detail::NotImplemented(element);
    }
    HRESULT STDMETHODCALLTYPE createDocumentFragment(IXMLDOMDocumentFragment** docFrag) override {
        return platform_detail::NotImplemented(docFrag);
    }
    HRESULT STDMETHODCALLTYPE createTextNode(BSTR, IXMLDOMText** text) override {
        return platform_detail::NotImplemented(text);
    }
    HRESULT STDMETHODCALLTYPE createComment(BSTR, IXMLDOMComment** comment) override {
        return platform_detail::NotImplemented(comment);
    }
    HRESULT STDMETHODCALLTYPE createCDATASection(BSTR, IXMLDOMCDATASection** cdata) override {
        return platform_detail::NotImplemented(cdata);
    }
    HRESULT STDMETHODCALLTYPE
    createProcessingInstruction(BSTR, BSTR, IXMLDOMProcessingInstruction** instruction) override {
        return platform_detail::NotImplemented(instruction);
    }
    HRESULT STDMETHODCALLTYPE createAttribute(BSTR, IXMLDOMAttribute** attribute) override {
        return platform_detail::NotImplemented(attribute);
    }
    HRESULT STDMETHODCALLTYPE createEntityReference(BSTR,
                                                    IXMLDOMEntityReference** entityRef) override {
        return platform_detail::NotImplemented(entityRef);
    }
    HRESULT STDMETHODCALLTYPE getElementsByTagName(BSTR, IXMLDOMNodeList** resultList) override {
        return platform_detail::NotImplemented(resultList);
    }
    HRESULT STDMETHODCALLTYPE nodeFromID(BSTR, IXMLDOMNode** node) override {
        return platform_detail::NotImplemented(node);
    }
    HRESULT STDMETHODCALLTYPE load(VARIANT, VARIANT_BOOL* isSuccessful) override {
        return platform_detail::NotImplemented(isSuccessful);
    }
    HRESULT STDMETHODCALLTYPE get_readyState(LONG* value) override {
        return platform_detail::NotImplemented(value);
    }
    HRESULT STDMETHODCALLTYPE get_parseError(IXMLDOMParseError** errorObj) override {
        return platform_detail::NotImplemented(errorObj);
    }
    HRESULT STDMETHODCALLTYPE get_url(BSTR* urlString) override {
        return platform_detail::NotImplemented(urlString);
    }
    HRESULT STDMETHODCALLTYPE get_async(VARIANT_BOOL* isAsync) override {
        return platform_detail::NotImplemented(isAsync);
    }
    HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE abort() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE save(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_validateOnParse(VARIANT_BOOL* isValidating) override {
        return platform_detail::NotImplemented(isValidating);
    }
    HRESULT STDMETHODCALLTYPE put_validateOnParse(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_resolveExternals(VARIANT_BOOL* isResolving) override {
        return platform_detail::NotImplemented(isResolving);
    }
    HRESULT STDMETHODCALLTYPE put_resolveExternals(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_preserveWhiteSpace(VARIANT_BOOL* isPreserving) override {
        return platform_detail::NotImplemented(isPreserving);
    }
    HRESULT STDMETHODCALLTYPE put_preserveWhiteSpace(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onreadystatechange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondataavailable(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ontransformnode(VARIANT) override { return E_NOTIMPL; }
};

template <>
class XmlDomSlots<IXMLDOMElement> : public XmlDomNodeSlots<IXMLDOMElement> {
  public:
    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* tagName) override {
        return platform_detail::NotImplemented(tagName);
    }
    HRESULT STDMETHODCALLTYPE removeAttribute(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE getAttributeNode(BSTR, IXMLDOMAttribute** attributeNode) override {
        return platform_detail::NotImplemented(attributeNode);
    }
    HRESULT STDMETHODCALLTYPE setAttributeNode(IXMLDOMAttribute*,
                                               IXMLDOMAttribute** attributeNode) override {
        return platform_detail::NotImplemented(attributeNode);
    }
    HRESULT STDMETHODCALLTYPE removeAttributeNode(IXMLDOMAttribute*,
                                                  IXMLDOMAttribute** attributeNode) override {
        return platform_detail::NotImplemented(attributeNode);
    }
    HRESULT STDMETHODCALLTYPE getElementsByTagName(BSTR, IXMLDOMNodeList** resultList) override {
        return platform_detail::NotImplemented(resultList);
    }
    HRESULT STDMETHODCALLTYPE normalize() override { return E_NOTIMPL; }
};
