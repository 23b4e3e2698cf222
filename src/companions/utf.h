// UTF-8 <-> UTF-16 for the host services, whose own text is UTF-8 whatever the ANSI code page.
// Unpaired surrogates and invalid bytes become U+FFFD.
#pragma once

#include <string>
#include <string_view>

#include "companions/bstr.h"

std::string ToUtf8(OleStringView text);
inline std::string ToUtf8(const OLECHAR* text) {
    return text != nullptr ? ToUtf8(OleStringView(text)) : std::string();
}
OleString ToUtf16(std::string_view text);
// A new BSTR of the text; raises std::bad_alloc when it cannot be had.
Bstr ToBstr(std::string_view text);
