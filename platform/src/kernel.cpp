// The thread's last-error code, critical sections, and the version and locale queries.
#include <cstdio>
#include <cstring>

#include "platform/win32.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

constexpr LCID kUsEnglish = 0x0409;
constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000u;

// A recursive mutex, as a critical section may be entered again by its owner.
bool InitializeRecursive(pthread_mutex_t& mutex) {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) {
        return false;
    }
    const bool ready = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
                       pthread_mutex_init(&mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return ready;
}

}  // namespace

extern "C" {

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD error) {
    lastError = error;
}

LCID GetThreadLocale() {
    return kUsEnglish;
}

int GetLocaleInfoA(LCID /*locale*/, LCTYPE type, LPSTR data, int size) {
    if (size < 0 || (data == nullptr && size != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((type & ~LOCALE_NOUSEROVERRIDE) != LOCALE_IDEFAULTANSICODEPAGE) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    char value[16];
    const int length = std::snprintf(value, sizeof value, "%u", GetACP());
    const int needed = length + 1;
    if (size == 0) {
        return needed;
    }
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(data, value, static_cast<std::size_t>(needed));
    return needed;
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 7601;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    if (section != nullptr) {
        InitializeRecursive(section->mutex);
    }
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD /*spinCount*/) {
    if (section == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!InitializeRecursive(section->mutex)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    if (section != nullptr) {
        pthread_mutex_destroy(&section->mutex);
    }
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
    if (section != nullptr) {
        pthread_mutex_lock(&section->mutex);
    }
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    if (section != nullptr) {
        pthread_mutex_unlock(&section->mutex);
    }
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    return section != nullptr && pthread_mutex_trylock(&section->mutex) == 0 ? TRUE : FALSE;
}

}  // extern "C"
