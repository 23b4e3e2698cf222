#include "configdata/utf_text.h"

#include <limits>
#include <new>

namespace configdata {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(OLECHAR unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(OLECHAR unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Calls emit(code point) for each character of UTF-16 text, pairing surrogates.
template <class Emit>
void ForEachCodePoint(OleStringView text, Emit&& emit) {
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i) {
        const OLECHAR unit = text[i];
        if (unit == 0) {
            emit(kReplacement);
        } else if (IsHighSurrogate(unit) && i + 1 < size && IsLowSurrogate(text[i + 1])) {
            const char32_t high = unit - 0xD800u;
            const char32_t low = text[i + 1] - 0xDC00u;
            emit(0x10000u + (high << 10) + low);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            emit(kReplacement);
        } else {
            emit(static_cast<char32_t>(unit));
        }
    }
}

std::size_t EncodedSize(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

char* Encode(char32_t c, char* out) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Markup is mostly ASCII: the leading run of it is copied unit for unit, without decoding. U+0000
// ends the run, as it is not copied as itself.
std::size_t AsciiRun(OleStringView text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && static_cast<OLECHAR>(text[i] - 1) < 0x7F) {
        ++i;
    }
    return i;
}

}  // namespace

std::size_t Utf8Length(OleStringView text) noexcept {
    std::size_t bytes = AsciiRun(text);
    ForEachCodePoint(text.substr(bytes), [&bytes](char32_t c) { bytes += EncodedSize(c); });
    return bytes;
}

void AppendUtf8(std::string& out, OleStringView text) {
    const std::size_t start = out.size();
    out.resize(start + Utf8Length(text));
    char* cursor = out.data() + start;
    const std::size_t ascii = AsciiRun(text);
    for (std::size_t i = 0; i < ascii; ++i) {
        *cursor++ = static_cast<char>(text[i]);
    }
    ForEachCodePoint(text.substr(ascii), [&cursor](char32_t c) { cursor = Encode(c, cursor); });
}

Utf8Text::Utf8Text(OleStringView text) {
    // ASCII is the common case and needs no sizing pass.
    if (text.size() < kInline) {
        std::size_t i = 0;
        while (i < text.size() && text[i] < 0x80 && text[i] != 0) {
            inline_[i] = static_cast<char>(text[i]);
            ++i;
        }
        if (i == text.size()) {
            inline_[i] = '\0';
            size_ = i;
            return;
        }
    }
    size_ = Utf8Length(text);
    char* cursor = inline_;
    if (size_ >= kInline) {
        heap_.resize(size_);
        cursor = heap_.data();
        data_ = heap_.data();
    }
    ForEachCodePoint(text, [&cursor](char32_t c) { cursor = Encode(c, cursor); });
    *cursor = '\0';
}

}  // namespace configdata
