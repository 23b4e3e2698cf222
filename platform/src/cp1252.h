// Windows-1252 <-> UTF-16 over counted buffers, with the byte mapping Windows uses.
#pragma once

#include <cstddef>

#include "conversion_status.h"

namespace platform_detail {

// Every byte has a character (the five bytes 1252 leaves undefined stand for the C1 controls
// of the same value), so this never fails for want of a mapping.
Conversion Cp1252ToUtf16(const unsigned char* text, std::size_t count, char16_t* output,
                         std::size_t capacity);

// A character 1252 cannot hold becomes its best fit, as Windows chooses it (U+0100 'A', U+2212
// '-'), when `bestFit` is set and it has one; else `defaultChar`, and `usedDefault` is set.
Conversion Utf16ToCp1252(const char16_t* text, std::size_t count, unsigned char* output,
                         std::size_t capacity, bool bestFit, unsigned char defaultChar,
                         bool& usedDefault);

}  // namespace platform_detail
