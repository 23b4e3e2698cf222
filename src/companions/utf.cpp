#include "companions/utf.h"

#include <limits>
#include <new>

namespace {

int CheckedSize(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::bad_alloc();
    }
    return static_cast<int>(size);
}

}  // namespace

std::string ToUtf8(OleStringView text) {
    std::string result;
    if (text.empty()) {
        return result;
    }
    const int units = CheckedSize(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return result;
    }
    result.resize(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), units, result.data(), bytes, nullptr, nullptr);
    return result;
}

OleString ToUtf16(std::string_view text) {
    OleString result;
    if (text.empty()) {
        return result;
    }
    const int bytes = CheckedSize(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0) {
        return result;
    }
    result.resize(static_cast<std::size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, result.data(), units);
    return result;
}

Bstr ToBstr(std::string_view text) {
    return Bstr::Copy(ToUtf16(text));
}
