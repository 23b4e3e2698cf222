#include "configdata/config_document_impl.h"

#include <new>

#include "configdata/failure.h"
#include "configdata/node_tree.h"
#include "configdata/utf_text.h"

namespace configdata {

ComPtr<ConfigDocument> ConfigDocument::Create() {
    return ComPtr<ConfigDocument>::Adopt(new ConfigDocument(DomDocument::Create()));
}

HRESULT ConfigDocument::GetDocument(IUnknown** document) {
    if (document == nullptr) {
        return E_POINTER;
    }
    dom_->AddRef();
    *document = static_cast<IXMLDOMDocument*>(dom_.get());
    return S_OK;
}

HRESULT ConfigDocument::LoadXml(BSTR xml, LONG* loaded) try {
    if (loaded == nullptr) {
        return E_POINTER;
    }
    *loaded = 0;
    *loaded = dom_->Load(ViewOf(xml)) ? 1 : 0;
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT ConfigDocument::Combine(IConfigDocument* other, LONG* combined) try {
    if (combined == nullptr) {
        return E_POINTER;
    }
    *combined = 0;
    if (other == nullptr) {
        return E_POINTER;
    }
    const auto access = ComPtr<IConfigDocument>::Share(other).As<IConfigDocumentAccess>();
    if (!access) {
        return ReportFailure(E_INVALIDARG, IID_IConfigDocument,
                             "the other document does not come from this library");
    }
    xmlDoc* tree = dom_->Tree();
    xmlNode* root = xmlDocGetRootElement(tree);
    xmlNode* otherRoot = xmlDocGetRootElement(access->Dom().Tree());
    if (root == nullptr || otherRoot == nullptr) {
        return S_OK;
    }
    if (1 + HeightOf(otherRoot) > kMaxTreeDepth) {
        return ReportFailure(E_FAIL, IID_IConfigDocument,
                             "the combined tree would be nested more than 1024 elements deep");
    }
    // Copied before it is linked, so a document combined with itself takes in its old root once.
    xmlNode* copy = xmlDocCopyNode(otherRoot, tree, 1);
    if (copy == nullptr) {
        throw std::bad_alloc();
    }
    LinkLastChild(root, copy);
    *combined = 1;
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

}  // namespace configdata
