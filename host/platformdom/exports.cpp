// The library's one export: the configuration-document factory, at the ordinal the module
// imports it by.
#include "companions/com_error.h"
#include "platformdom/platform_document.h"

extern "C" HRESULT STDAPICALLTYPE CreateConfigDocument(IConfigDocument** document) try {
    if (document == nullptr) {
        return E_POINTER;
    }
    *document = nullptr;
    *document = platformdom::PlatformDocument::Create().detach();
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}
