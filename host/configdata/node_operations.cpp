#include "configdata/node_operations.h"

#include <libxml/xpathInternals.h>

#include <limits>
#include <new>
#include <string>

#include "companions/com_error.h"
#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "configdata/dom_document.h"
#include "configdata/failure.h"
#include "configdata/node_access.h"
#include "configdata/node_tree.h"
#include "configdata/utf_text.h"
#include "configdata/xml_writer.h"
#include "configdata/xpath_engine.h"

namespace configdata {
namespace {

HRESULT NodeFailure(HRESULT code, std::string_view description) {
    return ReportFailure(code, IID_IXMLDOMNode, description);
}

HRESULT ReturnText(const std::string& utf8, BSTR* out) {
    *out = ToBstr(utf8).detach();
    return S_OK;
}

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::bad_alloc();
    }
    return static_cast<int>(size);
}

bool CanHoldChildren(const xmlNode* node) {
    return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE;
}

bool CanBeChild(const xmlNode* node) {
    switch (node->type) {
        case XML_ELEMENT_NODE:
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
        case XML_COMMENT_NODE:
        case XML_PI_NODE:
            return true;
        default:
            return false;
    }
}

// Why `child` may not go under `parent`; null when it may.
const char* RefusedPlacement(const xmlNode* parent, const xmlNode* child) {
    if (!CanHoldChildren(parent)) {
        return "this node cannot hold child nodes";
    }
    if (!CanBeChild(child)) {
        return "a document or an attribute cannot be a child node";
    }
    if (parent->type == XML_DOCUMENT_NODE) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            return "text cannot stand at the top level of a document";
        }
        if (child->type == XML_ELEMENT_NODE &&
            xmlDocGetRootElement(reinterpret_cast<const xmlDoc*>(parent)) != nullptr) {
            return "a document has only one root element";
        }
    }
    if (DepthOf(parent) + HeightOf(child) > kMaxTreeDepth) {
        return "the tree would be nested more than 1024 elements deep";
    }
    return nullptr;
}

// The first node of a node-set in document order; namespace nodes, which libxml2 makes as
// copies with no place in the tree, are passed over.
xmlNode* FirstInDocumentOrder(const xmlNodeSet* nodes) {
    xmlNode* first = nullptr;
    if (nodes == nullptr) {
        return first;
    }
    for (int i = 0; i < nodes->nodeNr; ++i) {
        xmlNode* node = nodes->nodeTab[i];
        if (node->type == XML_NAMESPACE_DECL) {
            continue;
        }
        if (first == nullptr || xmlXPathCmpNodes(node, first) > 0) {
            first = node;
        }
    }
    return first;
}

}  // namespace

HRESULT GetNodeName(const xmlNode* node, BSTR* name) noexcept try {
    if (name == nullptr) {
        return E_POINTER;
    }
    *name = nullptr;
    std::string text;
    switch (node->type) {
        case XML_ELEMENT_NODE:
        case XML_ATTRIBUTE_NODE:
            if (node->ns != nullptr && node->ns->prefix != nullptr) {
                text = reinterpret_cast<const char*>(node->ns->prefix);
                text += ':';
            }
            text += reinterpret_cast<const char*>(node->name);
            break;
        case XML_TEXT_NODE:
            text = "#text";
            break;
        case XML_CDATA_SECTION_NODE:
            text = "#cdata-section";
            break;
        case XML_COMMENT_NODE:
            text = "#comment";
            break;
        case XML_DOCUMENT_NODE:
            text = "#document";
            break;
        case XML_DOCUMENT_FRAG_NODE:
            text = "#document-fragment";
            break;
        default:
            text = node->name != nullptr ? reinterpret_cast<const char*>(node->name) : "";
            break;
    }
    return ReturnText(text, name);
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT GetNodeType(const xmlNode* node, DOMNodeType* type) noexcept {
    if (type == nullptr) {
        return E_POINTER;
    }
    switch (node->type) {
        case XML_ELEMENT_NODE:
            *type = NODE_ELEMENT;
            break;
        case XML_ATTRIBUTE_NODE:
            *type = NODE_ATTRIBUTE;
            break;
        case XML_TEXT_NODE:
            *type = NODE_TEXT;
            break;
        case XML_CDATA_SECTION_NODE:
            *type = NODE_CDATA_SECTION;
            break;
        case XML_ENTITY_REF_NODE:
            *type = NODE_ENTITY_REFERENCE;
            break;
        case XML_PI_NODE:
            *type = NODE_PROCESSING_INSTRUCTION;
            break;
        case XML_COMMENT_NODE:
            *type = NODE_COMMENT;
            break;
        case XML_DOCUMENT_NODE:
            *type = NODE_DOCUMENT;
            break;
        case XML_DOCUMENT_FRAG_NODE:
            *type = NODE_DOCUMENT_FRAGMENT;
            break;
        default:
            *type = NODE_INVALID;
            break;
    }
    return S_OK;
}

HRESULT GetNodeText(const xmlNode* node, BSTR* text) noexcept try {
    if (text == nullptr) {
        return E_POINTER;
    }
    *text = nullptr;
    std::string utf8;
    AppendNodeText(utf8, node);
    return ReturnText(utf8, text);
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT GetNodeXml(const xmlNode* node, BSTR* xml) noexcept try {
    if (xml == nullptr) {
        return E_POINTER;
    }
    *xml = nullptr;
    std::string utf8;
    AppendNodeXml(utf8, node);
    return ReturnText(utf8, xml);
} catch (...) {
    return ResultFromCaughtException();
}

void SetAttributeValue(xmlAttr* attribute, const char* utf8, int length) {
    xmlNode* text =
        xmlNewDocTextLen(attribute->doc, reinterpret_cast<const xmlChar*>(utf8), length);
    if (text == nullptr) {
        throw std::bad_alloc();
    }
    xmlFreeNodeList(attribute->children);
    attribute->children = nullptr;
    attribute->last = nullptr;
    LinkLastChild(reinterpret_cast<xmlNode*>(attribute), text);
}

HRESULT PutNodeText(DomDocument& owner, xmlNode* node, BSTR text) noexcept try {
    const Utf8Text utf8(text);
    const int length = CheckedLength(utf8.size());
    switch (node->type) {
        case XML_ELEMENT_NODE:
            // The platform DOM gives an element whose text is set empty no child at all.
            while (node->children != nullptr) {
                owner.Discard(node->children);
            }
            if (!utf8.empty()) {
                xmlNode* replacement = xmlNewDocTextLen(node->doc, utf8.xml(), length);
                if (replacement == nullptr) {
                    throw std::bad_alloc();
                }
                LinkLastChild(node, replacement);
            }
            return S_OK;
        case XML_ATTRIBUTE_NODE:
            SetAttributeValue(reinterpret_cast<xmlAttr*>(node), utf8.c_str(), length);
            return S_OK;
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
        case XML_COMMENT_NODE:
        case XML_PI_NODE:
            xmlNodeSetContentLen(node, utf8.xml(), length);
            if (node->content == nullptr && length > 0) {
                throw std::bad_alloc();
            }
            return S_OK;
        default:
            return NodeFailure(E_FAIL, "the text of this node cannot be set");
    }
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT AppendChildNode(DomDocument& owner, xmlNode* parent, IXMLDOMNode* newChild,
                        IXMLDOMNode** outNewChild) noexcept try {
    if (outNewChild != nullptr) {
        *outNewChild = nullptr;
    }
    if (newChild == nullptr) {
        return E_INVALIDARG;
    }
    const auto access = ComPtr<IXMLDOMNode>::Share(newChild).As<IDomNodeAccess>();
    if (!access) {
        return NodeFailure(E_INVALIDARG, "the node does not come from this library");
    }
    xmlNode* child = access->XmlNode();
    if (const char* refusal = RefusedPlacement(parent, child)) {
        return NodeFailure(E_FAIL, refusal);
    }
    xmlNode* placed = child;
    if (child->doc != parent->doc) {
        // A node of another document is imported: a deep copy goes in, the original stays.
        placed = xmlDocCopyNode(child, parent->doc, 1);
        if (placed == nullptr) {
            throw std::bad_alloc();
        }
        LinkLastChild(parent, placed);
    } else {
        if (IsAncestorOrSelf(child, parent)) {
            return NodeFailure(E_FAIL,
                               "a node cannot become a child of itself or of its descendant");
        }
        owner.Move(child, parent);
    }
    if (outNewChild != nullptr) {
        *outNewChild = owner.NewReference(placed);
    }
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT SelectSingle(DomDocument& owner, xmlNode* node, BSTR query,
                     IXMLDOMNode** resultNode) noexcept try {
    if (resultNode == nullptr) {
        return E_POINTER;
    }
    *resultNode = nullptr;
    std::string error;
    xmlXPathCompExpr* expression = CompileExpression(ViewOf(query), error);
    if (expression == nullptr) {
        return NodeFailure(E_FAIL, "the XPath expression does not compile: " + error);
    }
    const XPathObjectPtr value = Evaluate(expression, node, error);
    if (!value) {
        return NodeFailure(E_FAIL, "the XPath expression cannot be evaluated: " + error);
    }
    if (value->type != XPATH_NODESET) {
        return NodeFailure(E_FAIL,
                           "the XPath expression selects no nodes: its value is not a node-set");
    }
    xmlNode* found = FirstInDocumentOrder(value->nodesetval);
    if (found == nullptr) {
        return S_FALSE;
    }
    *resultNode = owner.NewReference(found);
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

}  // namespace configdata
