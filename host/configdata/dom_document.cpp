#include "configdata/dom_document.h"

#include <algorithm>
#include <array>
#include <new>
#include <string_view>

#include "configdata/dom_node.h"
#include "configdata/failure.h"
#include "configdata/libxml_setup.h"
#include "configdata/node_tree.h"
#include "configdata/safe_parser.h"
#include "configdata/utf_text.h"

namespace configdata {
namespace {

xmlDoc* NewEmptyTree() {
    xmlDoc* tree = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    if (tree == nullptr) {
        throw std::bad_alloc();
    }
    return tree;
}

// The node type a createNode argument names: a number, or the platform DOM's type name.
bool NodeTypeOf(const VARIANT& type, long& value) {
    static constexpr std::array<OleStringView, 12> kNames = {OLESTR("element"),
                                                             OLESTR("attribute"),
                                                             OLESTR("text"),
                                                             OLESTR("cdatasection"),
                                                             OLESTR("entityreference"),
                                                             OLESTR("entity"),
                                                             OLESTR("processinginstruction"),
                                                             OLESTR("comment"),
                                                             OLESTR("document"),
                                                             OLESTR("documenttype"),
                                                             OLESTR("documentfragment"),
                                                             OLESTR("notation")};
    switch (type.vt) {
        case VT_I1:
            value = type.cVal;
            return true;
        case VT_UI1:
            value = type.bVal;
            return true;
        case VT_I2:
            value = type.iVal;
            return true;
        case VT_UI2:
            value = type.uiVal;
            return true;
        case VT_I4:
        case VT_INT:
            value = type.lVal;
            return true;
        case VT_UI4:
        case VT_UINT:
            value = type.ulVal <= 0x7FFFFFFFu ? static_cast<long>(type.ulVal) : -1;
            return true;
        case VT_BSTR: {
            const auto found = std::find(kNames.begin(), kNames.end(), ViewOf(type.bstrVal));
            value = found != kNames.end() ? (found - kNames.begin()) + 1 : -1;
            return true;
        }
        default:
            return false;
    }
}

HRESULT DocumentFailure(HRESULT code, std::string_view description) {
    return ReportFailure(code, IID_IXMLDOMDocument, description);
}

}  // namespace

ComPtr<DomDocument> DomDocument::Create() {
    EnsureLibxmlReady();
    xmlDoc* tree = NewEmptyTree();
    auto* document = new (std::nothrow) DomDocument(tree);
    if (document == nullptr) {
        xmlFreeDoc(tree);
        throw std::bad_alloc();
    }
    return ComPtr<DomDocument>::Adopt(document);
}

DomDocument::~DomDocument() {
    // Detached subtrees first: freeing them reads the documents they belong to.
    for (xmlNode* top : detached_) {
        FreeDetached(top);
    }
    for (xmlDoc* tree : retired_) {
        xmlFreeDoc(tree);
    }
    xmlFreeDoc(doc_);
}

HRESULT DomDocument::get_documentElement(IXMLDOMElement** element) try {
    if (element == nullptr) {
        return E_POINTER;
    }
    *element = nullptr;
    xmlNode* root = xmlDocGetRootElement(doc_);
    if (root == nullptr) {
        return S_FALSE;
    }
    // A root element's object is a DomNode, which is its own IXMLDOMElement.
    *element = static_cast<DomNode*>(NewReference(root));
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT DomDocument::createNode(VARIANT type, BSTR name, BSTR namespaceURI,
                                IXMLDOMNode** node) try {
    if (node == nullptr) {
        return E_POINTER;
    }
    *node = nullptr;
    long kind = 0;
    if (!NodeTypeOf(type, kind) || kind < NODE_ELEMENT || kind > NODE_NOTATION) {
        return DocumentFailure(E_INVALIDARG, "the node type is not one of the DOM's");
    }
    if (kind != NODE_ELEMENT) {
        return DocumentFailure(E_NOTIMPL, "only element nodes can be created");
    }
    const Utf8Text qualified(name);
    const Utf8Text uri(namespaceURI);
    if (qualified.empty() || xmlValidateQName(qualified.xml(), 0) != 0) {
        return DocumentFailure(E_INVALIDARG, "the name is not an XML name");
    }
    const std::string_view text = qualified.view();
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && uri.empty()) {
        return DocumentFailure(E_INVALIDARG, "a prefixed name needs a namespace");
    }
    detached_.reserve(detached_.size() + 1);
    const std::string prefix(colon != std::string_view::npos ? text.substr(0, colon) : "");
    const xmlChar* local = qualified.xml() + (colon != std::string_view::npos ? colon + 1 : 0);
    xmlNode* element = xmlNewDocNode(doc_, nullptr, local, nullptr);
    if (element == nullptr) {
        throw std::bad_alloc();
    }
    detached_.push_back(element);
    if (!uri.empty()) {
        xmlNs* ns =
            xmlNewNs(element, uri.xml(),
                     prefix.empty() ? nullptr : reinterpret_cast<const xmlChar*>(prefix.c_str()));
        if (ns == nullptr) {
            throw std::bad_alloc();
        }
        xmlSetNs(element, ns);
    }
    // Should this fail, the element stays among the detached ones and goes with the document.
    *node = NewReference(element);
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT DomDocument::loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) try {
    if (isSuccessful == nullptr) {
        return E_POINTER;
    }
    *isSuccessful = VARIANT_FALSE;
    if (!Load(ViewOf(xml))) {
        return S_FALSE;
    }
    *isSuccessful = VARIANT_TRUE;
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

bool DomDocument::Load(OleStringView text) {
    ParseOutcome outcome = ParseUntrusted(text);
    const bool loaded = outcome.document != nullptr;
    ReplaceTree(loaded ? outcome.document.release() : NewEmptyTree());
    return loaded;
}

void DomDocument::ReplaceTree(xmlDoc* next) {
    try {
        retired_.reserve(retired_.size() + 1);
    } catch (...) {
        xmlFreeDoc(next);
        throw;
    }
    xmlDoc* previous = std::exchange(doc_, next);
    retired_.push_back(previous);
    CollectRetired(previous);
}

IXMLDOMNode* DomDocument::NewReference(xmlNode* node) {
    if (node == XmlNode()) {
        AddRef();
        return static_cast<IXMLDOMDocument*>(this);
    }
    if (node->_private != nullptr) {
        auto* existing = static_cast<DomNode*>(node->_private);
        existing->AddRef();
        return existing;
    }
    return DomNode::Create(*this, node);
}

void DomDocument::Discard(xmlNode* child) {
    detached_.reserve(detached_.size() + 1);
    xmlUnlinkNode(child);
    if (!SubtreeHasWrapper(child)) {
        FreeDetached(child);
        return;
    }
    // Namespaces declared above it are about to be out of its reach: declare them on it.
    if (child->type == XML_ELEMENT_NODE) {
        xmlReconciliateNs(child->doc, child);
    }
    detached_.push_back(child);
}

void DomDocument::Move(xmlNode* child, xmlNode* parent) {
    xmlNode* formerTop = TopOf(child);
    xmlUnlinkNode(child);
    if (formerTop == child) {
        Forget(child);
    }
    LinkLastChild(parent, child);
    if (child->type == XML_ELEMENT_NODE) {
        xmlReconciliateNs(parent->doc, child);
    }
    // The detached subtree it came from may now hold nothing a node object needs.
    if (formerTop != child && formerTop->type != XML_DOCUMENT_NODE) {
        CollectDetached(formerTop);
    }
}

void DomDocument::NodeReleased(xmlNode* node) noexcept {
    node->_private = nullptr;
    xmlNode* top = TopOf(node);
    if (top->type == XML_DOCUMENT_NODE) {
        CollectRetired(reinterpret_cast<xmlDoc*>(top));
    } else {
        CollectDetached(top);
    }
}

void DomDocument::CollectDetached(xmlNode* top) noexcept {
    if (SubtreeHasWrapper(top)) {
        return;
    }
    Forget(top);
    xmlDoc* tree = top->doc;
    FreeDetached(top);
    CollectRetired(tree);
}

void DomDocument::CollectRetired(xmlDoc* tree) noexcept {
    if (tree == doc_) {
        return;
    }
    const auto found = std::find(retired_.begin(), retired_.end(), tree);
    if (found == retired_.end() || SubtreeHasWrapper(reinterpret_cast<xmlNode*>(tree))) {
        return;
    }
    const bool holdsDetached = std::any_of(detached_.begin(), detached_.end(),
                                           [tree](const xmlNode* top) { return top->doc == tree; });
    if (holdsDetached) {
        return;
    }
    retired_.erase(found);
    xmlFreeDoc(tree);
}

void DomDocument::Forget(xmlNode* top) noexcept {
    const auto found = std::find(detached_.begin(), detached_.end(), top);
    if (found != detached_.end()) {
        detached_.erase(found);
    }
}

}  // namespace configdata
