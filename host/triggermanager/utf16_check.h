// Checks on the text that arrives as BSTR before it is kept: it is stored as UTF-8 and written
// into XML replies, so it must survive both unchanged.
#pragma once

#include <string_view>

#include "companions/ole_string.h"

// No unpaired surrogate: the text converts to UTF-8 and back unchanged.
bool IsWellFormedUtf16(OleStringView text) noexcept;

// Well-formed, and only characters that XML 1.0 can carry (no NUL, no other control characters
// than tab, line feed and carriage return, no U+FFFE or U+FFFF).
bool IsXmlText(OleStringView text) noexcept;
