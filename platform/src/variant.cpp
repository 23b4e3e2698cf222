// VARIANT lifetime: initialising, clearing (freeing what the value owns) and deep copying.
#include "platform/win32.h"
#include "variant_types.h"

namespace {

IUnknown* InterfaceOf(const VARIANTARG& variant) {
    if (variant.vt == VT_UNKNOWN) {
        return variant.punkVal;
    }
    if (variant.vt == VT_DISPATCH) {
        return static_cast<IUnknown*>(variant.pdispVal);
    }
    return nullptr;
}

}  // namespace

extern "C" {

void VariantInit(VARIANTARG* variant) {
    if (variant == nullptr) {
        return;
    }
    variant->vt = VT_EMPTY;
    variant->wReserved1 = 0;
    variant->wReserved2 = 0;
    variant->wReserved3 = 0;
}

HRESULT VariantClear(VARIANTARG* variant) {
    if (variant == nullptr) {
        return E_INVALIDARG;
    }
    if (!platform_detail::IsValidVariantType(variant->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (variant->vt == VT_BSTR) {
        SysFreeString(variant->bstrVal);
    } else if (IUnknown* object = InterfaceOf(*variant)) {
        object->Release();
    }
    variant->vt = VT_EMPTY;
    variant->llVal = 0;
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source) {
    if (destination == nullptr || source == nullptr) {
        return E_INVALIDARG;
    }
    if (destination == source) {
        return S_OK;
    }
    if (!platform_detail::IsValidVariantType(source->vt)) {
        return DISP_E_BADVARTYPE;
    }
    // The copy is made before the destination is cleared, so a failed allocation leaves the
    // destination as it was.
    VARIANTARG copy = *source;
    if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
        copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(source->bstrVal),
                                             SysStringByteLen(source->bstrVal));
        if (copy.bstrVal == nullptr) {
            return E_OUTOFMEMORY;
        }
    }
    const HRESULT cleared = VariantClear(destination);
    if (FAILED(cleared)) {
        if (copy.vt == VT_BSTR) {
            SysFreeString(copy.bstrVal);
        }
        return cleared;
    }
    if (IUnknown* object = InterfaceOf(copy)) {
        object->AddRef();
    }
    *destination = copy;
    return S_OK;
}

}  // extern "C"
