// The library's exported functions: the document factory and the host functions.
#include <new>
#include <string>

#include "companions/com_error.h"
#include "configdata/config_document_impl.h"
#include "configdata/configdata_host.h"
#include "configdata/element_walk.h"
#include "configdata/failure.h"
#include "configdata/utf_text.h"
#include "configdata/xpath_engine.h"

using configdata::CompileExpression;
using configdata::ConfigDocument;
using configdata::IConfigDocumentAccess;

extern "C" TB_EXPORT HRESULT STDAPICALLTYPE CreateConfigDocument(IConfigDocument** document) try {
    if (document == nullptr) {
        return E_POINTER;
    }
    *document = nullptr;
    *document = ConfigDocument::Create().detach();
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

extern "C" TB_EXPORT HRESULT STDAPICALLTYPE ConfigDataEvaluate(IConfigDocument* document,
                                                               BSTR expression, LONG* matched) try {
    if (matched == nullptr) {
        return E_POINTER;
    }
    *matched = 0;
    if (document == nullptr) {
        return E_POINTER;
    }
    const auto access = ComPtr<IConfigDocument>::Share(document).As<IConfigDocumentAccess>();
    if (!access) {
        return configdata::ReportFailure(E_INVALIDARG, IID_IConfigDocument,
                                         "the document does not come from this library");
    }
    std::string error;
    xmlXPathCompExpr* compiled = CompileExpression(configdata::ViewOf(expression), error);
    if (compiled == nullptr) {
        return configdata::ReportFailure(E_INVALIDARG, IID_IConfigDocument,
                                         "the XPath expression does not compile: " + error);
    }
    configdata::DomDocument& dom = access->Dom();
    xmlNode* root = xmlDocGetRootElement(dom.Tree());
    if (root == nullptr) {
        return S_OK;
    }
    switch (configdata::EvaluateBoolean(compiled, root, error)) {
        case configdata::Truth::True:
            *matched = 1;
            return S_OK;
        case configdata::Truth::False:
            return S_OK;
        case configdata::Truth::OutOfWork:
            return configdata::ReportFailure(
                CONFIGDATA_S_OUT_OF_WORK, IID_IConfigDocument,
                "the XPath expression was not evaluated to its end: " + error);
        case configdata::Truth::Failed:
            break;
    }
    return configdata::ReportFailure(S_FALSE, IID_IConfigDocument,
                                     "the XPath expression cannot be evaluated: " + error);
} catch (...) {
    return ResultFromCaughtException();
}

extern "C" TB_EXPORT HRESULT STDAPICALLTYPE ConfigDataCheckExpression(BSTR expression,
                                                                      LONG* valid) try {
    if (valid == nullptr) {
        return E_POINTER;
    }
    std::string error;
    *valid = CompileExpression(configdata::ViewOf(expression), error) != nullptr ? 1 : 0;
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

extern "C" TB_EXPORT HRESULT STDAPICALLTYPE
ConfigDataVisitElements(IConfigDocument* document, IConfigDataElementVisitor* visitor) try {
    if (document == nullptr || visitor == nullptr) {
        return E_POINTER;
    }
    const auto access = ComPtr<IConfigDocument>::Share(document).As<IConfigDocumentAccess>();
    if (!access) {
        return configdata::ReportFailure(E_INVALIDARG, IID_IConfigDocument,
                                         "the document does not come from this library");
    }
    configdata::WalkElements(access->Dom().Tree(), *visitor);
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}
