#include "variant_types.h"

namespace platform_detail {
namespace {

bool IsKnownScalar(VARTYPE type) {
    switch (type) {
        case VT_EMPTY:
        case VT_NULL:
        case VT_I2:
        case VT_I4:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_BSTR:
        case VT_DISPATCH:
        case VT_ERROR:
        case VT_BOOL:
        case VT_UNKNOWN:
        case VT_I1:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_I8:
        case VT_UI8:
        case VT_INT:
        case VT_UINT:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool IsValidVariantType(VARTYPE type) {
    if ((type & VT_BYREF) != 0) {
        const auto referenced = static_cast<VARTYPE>(type & ~VT_BYREF);
        return IsKnownScalar(referenced) || referenced == VT_VARIANT;
    }
    return IsKnownScalar(type);
}

}  // namespace platform_detail
