// UTF-8 <-> UTF-16 over counted buffers, shared by the code-page conversions and the
// multibyte-string helpers.
#pragma once

#include <cstddef>

#include "conversion_status.h"
#include "platform/win32.h"

namespace platform_detail {

// One step of UTF-8 decoding at `text`, which holds `available` bytes (or runs to a NUL that
// ends it, when the caller passes SIZE_MAX). A well-formed sequence is one code point; anything
// else is its maximal ill-formed prefix, which stands for one U+FFFD. A NUL never joins a
// sequence, so a step never crosses a string's terminator.
struct Utf8Step {
    std::size_t length;
    char32_t codePoint;
    bool valid;
};
Utf8Step DecodeUtf8Step(const unsigned char* text, std::size_t available);

// Converts `count` bytes; `output` null counts only. Ill-formed input becomes U+FFFD, or fails
// the call when `strict`.
Conversion Utf8ToUtf16(const unsigned char* text, std::size_t count, char16_t* output,
                       std::size_t capacity, bool strict);

// Converts `count` units; `output` null counts only. An unpaired surrogate becomes U+FFFD, or
// fails the call when `strict`.
Conversion Utf16ToUtf8(const char16_t* text, std::size_t count, unsigned char* output,
                       std::size_t capacity, bool strict);

}  // namespace platform_detail
