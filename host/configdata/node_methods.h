// The IXMLDOMNode half of every DOM object of this library, on top of the object's libxml2 node.
#pragma once

#include "companions/dispatch_stub.h"
#include "companions/implements.h"
#include "configdata/node_access.h"
#include "configdata/node_operations.h"

namespace configdata {

// Also ISupportErrorInfo, so that callers read the descriptions the methods leave behind.
template <class Interface>
class NodeMethods
    : public Implements<DispatchStub<XmlDomSlots<Interface>>, IDomNodeAccess, ISupportErrorInfo> {
  public:
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == IID_IXMLDOMNode || riid == IID_IXMLDOMDocument || riid == IID_IXMLDOMElement
                   ? S_OK
                   : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override {
        return GetNodeName(this->XmlNode(), name);
    }
    HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) override {
        return GetNodeType(this->XmlNode(), type);
    }
    HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode* newChild,
                                          IXMLDOMNode** outNewChild) override {
        return AppendChildNode(this->Owner(), this->XmlNode(), newChild, outNewChild);
    }
    HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override {
        return GetNodeText(this->XmlNode(), text);
    }
    HRESULT STDMETHODCALLTYPE put_text(BSTR text) override {
        return PutNodeText(this->Owner(), this->XmlNode(), text);
    }
    HRESULT STDMETHODCALLTYPE get_xml(BSTR* xmlString) override {
        return GetNodeXml(this->XmlNode(), xmlString);
    }
    HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR queryString,
                                               IXMLDOMNode** resultNode) override {
        return SelectSingle(this->Owner(), this->XmlNode(), queryString, resultNode);
    }
};

}  // namespace configdata
