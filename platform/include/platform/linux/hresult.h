// Result codes and their helpers, with the values Windows gives them.
#pragma once

#include "platform/linux/types.h"

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

constexpr HRESULT MakeHresult(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

#define S_OK (static_cast<HRESULT>(0))
#define S_FALSE (static_cast<HRESULT>(1))
#define E_NOTIMPL MakeHresult(0x80004001u)
#define E_NOINTERFACE MakeHresult(0x80004002u)
#define E_POINTER MakeHresult(0x80004003u)
#define E_ABORT MakeHresult(0x80004004u)
#define E_FAIL MakeHresult(0x80004005u)
#define E_UNEXPECTED MakeHresult(0x8000FFFFu)
#define E_ACCESSDENIED MakeHresult(0x80070005u)
#define E_HANDLE MakeHresult(0x80070006u)
#define E_OUTOFMEMORY MakeHresult(0x8007000Eu)
#define E_INVALIDARG MakeHresult(0x80070057u)
#define DISP_E_MEMBERNOTFOUND MakeHresult(0x80020003u)
#define DISP_E_TYPEMISMATCH MakeHresult(0x80020005u)
#define DISP_E_BADVARTYPE MakeHresult(0x80020008u)
#define DISP_E_OVERFLOW MakeHresult(0x8002000Au)
#define DISP_E_BADPARAMCOUNT MakeHresult(0x8002000Eu)
#define CONNECT_E_NOCONNECTION MakeHresult(0x80040200u)
#define CONNECT_E_ADVISELIMIT MakeHresult(0x80040201u)
#define CONNECT_E_CANNOTCONNECT MakeHresult(0x80040202u)
#define CLASS_E_NOAGGREGATION MakeHresult(0x80040110u)

#define ERROR_SUCCESS 0u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_OUTOFMEMORY 14u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_PROC_NOT_FOUND 127u
#define ERROR_INVALID_FLAGS 1004u
#define ERROR_NO_UNICODE_TRANSLATION 1113u

#define FACILITY_WIN32 7

// Zero stays success; a positive error gets the Win32 facility; anything else is already an
// HRESULT.
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) {
    return static_cast<HRESULT>(error) <= 0
               ? static_cast<HRESULT>(error)
               : static_cast<HRESULT>((error & 0x0000FFFFu) | (FACILITY_WIN32 << 16) | 0x80000000u);
}
