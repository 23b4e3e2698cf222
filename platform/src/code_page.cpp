// The process ANSI code page and the two conversions between it (or UTF-8) and UTF-16, with
// the argument checks and results of their Win32 namesakes.
#include <atomic>
#include <climits>
#include <cstring>

#include "cp1252.h"
#include "platform/win32.h"
#include "utf8.h"

namespace {

using platform_detail::Conversion;
using platform_detail::ConversionStatus;

constexpr DWORD MB_COMPOSITE = 0x2;
constexpr DWORD MB_USEGLYPHCHARS = 0x4;
constexpr DWORD WC_DISCARDNS = 0x10;
constexpr DWORD WC_SEPCHARS = 0x20;
constexpr DWORD WC_DEFAULTCHAR = 0x40;
constexpr DWORD WC_COMPOSITECHECK = 0x200;

constexpr DWORD kUtf8ToWideFlags = MB_ERR_INVALID_CHARS;
constexpr DWORD k1252ToWideFlags =
    MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
constexpr DWORD kWideToUtf8Flags = WC_ERR_INVALID_CHARS;
constexpr DWORD kWideTo1252Flags =
    WC_NO_BEST_FIT_CHARS | WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR;

// UTF-8 unless a test asks for the lossy single-byte page; read on every conversion.
std::atomic<UINT> ansiCodePage{CP_UTF8};

// The concrete page a caller's code page stands for; 0 for one this layer does not have.
UINT Resolve(UINT codePage) {
    switch (codePage) {
        case CP_ACP:
        case CP_OEMCP:
        case CP_THREAD_ACP:
            return ansiCodePage.load(std::memory_order_relaxed);
        case CP_UTF8:
        case CP_WINDOWS_1252:
            return codePage;
        default:
            return 0;
    }
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// The outcome of a conversion as the Win32 call reports it.
int Report(const Conversion& conversion) {
    switch (conversion.status) {
        case ConversionStatus::Invalid:
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
        case ConversionStatus::TooSmall:
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        case ConversionStatus::Done:
            break;
    }
    // No buffer an int can describe holds more.
    if (conversion.produced > static_cast<std::size_t>(INT_MAX)) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    return static_cast<int>(conversion.produced);
}

std::size_t WideLength(LPCWSTR text) {
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

}  // namespace

extern "C" {

UINT GetACP() {
    return ansiCodePage.load(std::memory_order_relaxed);
}

BOOL PlatformSetAnsiCodePage(UINT codePage) {
    if (codePage != CP_UTF8 && codePage != CP_WINDOWS_1252) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ansiCodePage.store(codePage, std::memory_order_relaxed);
    return TRUE;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR wide,
                        int wideCount) {
    const UINT page = Resolve(codePage);
    const bool sameBuffer =
        wideCount != 0 && static_cast<const void*>(text) == static_cast<const void*>(wide);
    if (page == 0 || text == nullptr || bytes == 0 || bytes < -1 || wideCount < 0 ||
        (wide == nullptr && wideCount != 0) || sameBuffer) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const DWORD allowed = page == CP_UTF8 ? kUtf8ToWideFlags : k1252ToWideFlags;
    if ((flags & ~allowed) != 0) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    // A count of -1 takes the terminator along, so the result is itself zero-terminated.
    const std::size_t count = bytes == -1 ? std::strlen(text) + 1 : static_cast<std::size_t>(bytes);
    const auto* input = reinterpret_cast<const unsigned char*>(text);
    char16_t* output = wideCount == 0 ? nullptr : wide;
    const auto capacity = static_cast<std::size_t>(wideCount);
    if (page == CP_UTF8) {
        return Report(platform_detail::Utf8ToUtf16(input, count, output, capacity,
                                                   (flags & MB_ERR_INVALID_CHARS) != 0));
    }
    return Report(platform_detail::Cp1252ToUtf16(input, count, output, capacity));
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR text,
                        int bytes, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    const UINT page = Resolve(codePage);
    const bool sameBuffer =
        bytes != 0 && static_cast<const void*>(text) == static_cast<const void*>(wide);
    if (page == 0 || wide == nullptr || wideCount == 0 || wideCount < -1 || bytes < 0 ||
        (text == nullptr && bytes != 0) || sameBuffer) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // UTF-8 can spell every character, so a replacement character means nothing there.
    if (page == CP_UTF8 && (defaultChar != nullptr || usedDefaultChar != nullptr)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const DWORD allowed = page == CP_UTF8 ? kWideToUtf8Flags : kWideTo1252Flags;
    if ((flags & ~allowed) != 0) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const std::size_t count =
        wideCount == -1 ? WideLength(wide) + 1 : static_cast<std::size_t>(wideCount);
    auto* output = bytes == 0 ? nullptr : reinterpret_cast<unsigned char*>(text);
    const auto capacity = static_cast<std::size_t>(bytes);
    if (page == CP_UTF8) {
        return Report(platform_detail::Utf16ToUtf8(wide, count, output, capacity,
                                                   (flags & WC_ERR_INVALID_CHARS) != 0));
    }
    const auto replacement =
        static_cast<unsigned char>(defaultChar != nullptr ? *defaultChar : '?');
    bool usedDefault = false;
    const bool bestFit = (flags & WC_NO_BEST_FIT_CHARS) == 0;
    const Conversion conversion = platform_detail::Utf16ToCp1252(wide, count, output, capacity,
                                                                 bestFit, replacement, usedDefault);
    if (usedDefaultChar != nullptr && conversion.status == ConversionStatus::Done) {
        *usedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return Report(conversion);
}

}  // extern "C"
