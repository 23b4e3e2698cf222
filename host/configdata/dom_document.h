// The DOM document: one libxml2 document behind IXMLDOMDocument, and the keeper of every node
// object made for it.
//
// Lifetime. Each node object holds a reference on its document object, so the libxml2 trees live
// as long as any node object does. Node objects are unique per libxml2 node (its `_private`
// points to the object). A subtree taken out of the tree (createNode, or children replaced by
// put_text) stays while a node object holds any part of it and is freed with the last one.
// loadXML puts a new libxml2 document in place; the one it replaces stays, still usable through
// the node objects that hold parts of it, until the last of them goes.
//
// Threads. Reference counts are atomic; everything else about a document and its nodes is for one
// thread at a time, as a request or a firing uses them. XPath evaluation only reads the tree, so
// the host functions may evaluate conditions against one document on several threads at once.
#pragma once

#include <libxml/tree.h>

#include <string_view>
#include <vector>

#include "companions/com_ptr.h"
#include "configdata/node_methods.h"

namespace configdata {

class DomDocument final : public NodeMethods<IXMLDOMDocument> {
  public:
    // A new document without content; raises std::bad_alloc.
    static ComPtr<DomDocument> Create();

    HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** element) override;
    HRESULT STDMETHODCALLTYPE createNode(VARIANT type, BSTR name, BSTR namespaceURI,
                                         IXMLDOMNode** node) override;
    HRESULT STDMETHODCALLTYPE loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) override;

    xmlNode* XmlNode() noexcept override { return reinterpret_cast<xmlNode*>(doc_); }
    DomDocument& Owner() noexcept override { return *this; }

    // Replaces the content with the parsed text (safe_parser.h); refused text leaves the document
    // empty and gives false.
    bool Load(OleStringView text);
    xmlDoc* Tree() const noexcept { return doc_; }

    // A new reference to the object for `node`: this document for its own document node, the
    // node's living object if it has one, else a new one. Raises std::bad_alloc.
    IXMLDOMNode* NewReference(xmlNode* node);
    // Takes `child` out of the tree; it is freed at once unless a node object holds part of it.
    void Discard(xmlNode* child);
    // Makes `child`, of this document's trees, the last child of `parent` in the same tree.
    void Move(xmlNode* child, xmlNode* parent);
    // Called by a node object as it goes.
    void NodeReleased(xmlNode* node) noexcept;

  private:
    explicit DomDocument(xmlDoc* tree) noexcept : doc_(tree) {}
    ~DomDocument() override;

    void ReplaceTree(xmlDoc* next);
    void CollectDetached(xmlNode* top) noexcept;
    void CollectRetired(xmlDoc* tree) noexcept;
    void Forget(xmlNode* top) noexcept;

    xmlDoc* doc_;
    // Documents replaced by loadXML while node objects held parts of them.
    std::vector<xmlDoc*> retired_;
    // Roots of subtrees outside any tree that node objects hold parts of.
    std::vector<xmlNode*> detached_;
};

}  // namespace configdata
