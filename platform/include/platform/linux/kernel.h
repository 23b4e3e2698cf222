// The kernel32 subset: code pages, last error, critical sections, interlocked operations,
// module paths and libraries, version and locale queries.
#pragma once

#include <pthread.h>

#include "platform/linux/types.h"

#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_MACCP 2u
#define CP_THREAD_ACP 3u
#define CP_UTF8 65001u
#define CP_WINDOWS_1252 1252u

#define MB_PRECOMPOSED 0x1u
#define MB_ERR_INVALID_CHARS 0x8u
#define WC_NO_BEST_FIT_CHARS 0x400u
#define WC_ERR_INVALID_CHARS 0x80u

#define LOCALE_IDEFAULTANSICODEPAGE 0x1004u
#define VER_PLATFORM_WIN32s 0u
#define VER_PLATFORM_WIN32_WINDOWS 1u
#define VER_PLATFORM_WIN32_NT 2u

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

// Recursive for the owning thread, as on Windows.
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

extern "C" {
TB_PLATFORM_API DWORD GetLastError();
TB_PLATFORM_API void SetLastError(DWORD error);

TB_PLATFORM_API UINT GetACP();
TB_PLATFORM_API LCID GetThreadLocale();
TB_PLATFORM_API int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size);
TB_PLATFORM_API BOOL GetVersionExA(LPOSVERSIONINFOA info);
TB_PLATFORM_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes,
                                        LPWSTR wide, int wideCount);
TB_PLATFORM_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount,
                                        LPSTR text, int bytes, LPCSTR defaultChar,
                                        LPBOOL usedDefaultChar);

TB_PLATFORM_API void InitializeCriticalSection(LPCRITICAL_SECTION section);
TB_PLATFORM_API BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section,
                                                           DWORD spinCount);
TB_PLATFORM_API void DeleteCriticalSection(LPCRITICAL_SECTION section);
TB_PLATFORM_API void EnterCriticalSection(LPCRITICAL_SECTION section);
TB_PLATFORM_API void LeaveCriticalSection(LPCRITICAL_SECTION section);
TB_PLATFORM_API BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);

// A module handle is any address inside the module; null names the main program.
TB_PLATFORM_API DWORD GetModuleFileNameA(HMODULE module, LPSTR path, DWORD size);
TB_PLATFORM_API DWORD GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD size);
TB_PLATFORM_API HMODULE LoadLibraryA(LPCSTR path);
// The path in UTF-16; file names here are its UTF-8 bytes.
TB_PLATFORM_API HMODULE LoadLibraryW(LPCWSTR path);
TB_PLATFORM_API FARPROC GetProcAddress(HMODULE module, LPCSTR name);
TB_PLATFORM_API BOOL FreeLibrary(HMODULE module);

// Platform extensions, not Win32 names: the process ANSI code page (and so every thread's) is
// UTF-8 unless a test switches it to Windows-1252 to exercise the lossy conversions.
TB_PLATFORM_API BOOL PlatformSetAnsiCodePage(UINT codePage);
}

inline LONG InterlockedIncrement(LONG volatile* value) {
    return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(LONG volatile* value) {
    return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(LONG volatile* target, LONG value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand) {
    __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return comparand;
}
template <class T>
T* InterlockedExchangePointer(T* volatile* target, T* value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
