// The IXMLDOMNode methods, shared by documents and the other nodes. Each is a COM method body:
// it catches everything and answers with a result code.
#pragma once

#include <libxml/tree.h>

#include "platform/xml_dom.h"

namespace configdata {

class DomDocument;

HRESULT GetNodeName(const xmlNode* node, BSTR* name) noexcept;
HRESULT GetNodeType(const xmlNode* node, DOMNodeType* type) noexcept;
HRESULT GetNodeText(const xmlNode* node, BSTR* text) noexcept;
HRESULT GetNodeXml(const xmlNode* node, BSTR* xml) noexcept;
HRESULT PutNodeText(DomDocument& owner, xmlNode* node, BSTR text) noexcept;
HRESULT AppendChildNode(DomDocument& owner, xmlNode* parent, IXMLDOMNode* newChild,
                        IXMLDOMNode** outNewChild) noexcept;
HRESULT SelectSingle(DomDocument& owner, xmlNode* node, BSTR query,
                     IXMLDOMNode** resultNode) noexcept;

// Sets the text of an attribute: one text node, taken literally (no entity references).
void SetAttributeValue(xmlAttr* attribute, const char* utf8, int length);

}  // namespace configdata
