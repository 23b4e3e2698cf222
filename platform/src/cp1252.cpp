#include "cp1252.h"

#include <algorithm>
#include <array>

namespace platform_detail {
namespace {

// The characters of bytes 0x80-0x9F; every other byte is the character of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

struct BestFit {
    char16_t character;
    unsigned char byte;
};

// Taken from the real platform once (tools/cp1252_best_fit), so the answers are its own.
constexpr BestFit kBestFits[] = {
#include "cp1252_best_fit.inc"
};

// The byte Windows best-fits a character to, or -1 when it has none.
int BestFitOf(char16_t unit) {
    const auto found = std::lower_bound(
        std::begin(kBestFits), std::end(kBestFits), unit,
        [](const BestFit& entry, char16_t character) { return entry.character < character; });
    return found != std::end(kBestFits) && found->character == unit ? found->byte : -1;
}

char16_t CharacterOf(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80u] : char16_t{byte};
}

// The byte of a character, or -1 when 1252 has none.
int ByteOf(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return unit;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

}  // namespace

Conversion Cp1252ToUtf16(const unsigned char* text, std::size_t count, char16_t* output,
                         std::size_t capacity) {
    if (output == nullptr) {
        return {ConversionStatus::Done, count};
    }
    if (capacity < count) {
        return {ConversionStatus::TooSmall, 0};
    }
    for (std::size_t i = 0; i < count; ++i) {
        output[i] = CharacterOf(text[i]);
    }
    return {ConversionStatus::Done, count};
}

Conversion Utf16ToCp1252(const char16_t* text, std::size_t count, unsigned char* output,
                         std::size_t capacity, bool bestFit, unsigned char defaultChar,
                         bool& usedDefault) {
    usedDefault = false;
    if (output != nullptr && capacity < count) {
        return {ConversionStatus::TooSmall, 0};
    }
    for (std::size_t i = 0; i < count; ++i) {
        int byte = ByteOf(text[i]);
        if (byte < 0 && bestFit) {
            byte = BestFitOf(text[i]);
        }
        if (byte < 0) {
            usedDefault = true;
        }
        if (output != nullptr) {
            output[i] = byte < 0 ? defaultChar : static_cast<unsigned char>(byte);
        }
    }
    return {ConversionStatus::Done, count};
}

}  // namespace platform_detail
