// Every DOM node other than a document: elements answer IXMLDOMElement as well, text and the
// other node kinds only IXMLDOMNode.
#pragma once

#include <libxml/tree.h>

#include "companions/com_ptr.h"
#include "configdata/dom_document.h"
#include "configdata/node_methods.h"

namespace configdata {

class DomNode final : public NodeMethods<IXMLDOMElement> {
  public:
    // The object for `node`, with one reference, recorded in the node's `_private`. Raises
    // std::bad_alloc.
    static DomNode* Create(DomDocument& owner, xmlNode* node);

    // Only an element answers IXMLDOMElement.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value) override;

    xmlNode* XmlNode() noexcept override { return node_; }
    DomDocument& Owner() noexcept override { return *owner_.get(); }

  private:
    DomNode(DomDocument& owner, xmlNode* node) noexcept;
    ~DomNode() override;

    ComPtr<DomDocument> owner_;
    xmlNode* node_;
};

}  // namespace configdata
