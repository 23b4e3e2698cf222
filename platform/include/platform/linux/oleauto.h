// OLE automation: BSTR and VARIANT with the Windows layout and semantics.
#pragma once

#include "platform/linux/unknown.h"

struct IDispatch;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

// The widest member of a VARIANT's value; named, since a type declared inside an anonymous
// union is an extension that pedantic builds refuse.
struct VariantRecord {
    void* pvRecord;
    void* pRecInfo;
};

// 16-bit type, three reserved words, then the value: 24 bytes on 64-bit systems, 16 on 32-bit.
struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        char cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        VariantRecord record;
    };
};
using VARIANTARG = VARIANT;
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*), "VARIANT must keep the Windows layout");

#define VARIANT_NOVALUEPROP 0x1
#define VARIANT_ALPHABOOL 0x2

extern "C" {
TB_PLATFORM_API BSTR SysAllocString(const OLECHAR* text);
TB_PLATFORM_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
TB_PLATFORM_API BSTR SysAllocStringByteLen(const char* bytes, UINT length);
TB_PLATFORM_API void SysFreeString(BSTR text);
TB_PLATFORM_API UINT SysStringLen(BSTR text);
TB_PLATFORM_API UINT SysStringByteLen(BSTR text);

// Platform extension, not a Win32 name, for tests of the out-of-memory paths: on the calling
// thread, once `successes` more strings have been allocated, the next allocation fails (null), and
// only that one; negative disarms. Returns what was left of the previous setting: negative when
// its failure has happened (or none was armed).
TB_PLATFORM_API LONG PlatformFailStringAllocation(LONG successes);

TB_PLATFORM_API void VariantInit(VARIANTARG* variant);
TB_PLATFORM_API HRESULT VariantClear(VARIANTARG* variant);
TB_PLATFORM_API HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source);
TB_PLATFORM_API HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source,
                                          USHORT flags, VARTYPE type);
}
