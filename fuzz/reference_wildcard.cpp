#include "reference_wildcard.h"

#include <cstddef>
#include <vector>

namespace {

// Strict UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
std::optional<std::vector<char32_t>> CodePoints(std::string_view text) {
    std::vector<char32_t> points;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        char32_t point = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            length = 1;
            point = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            point = lead & 0x1Fu;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            point = lead & 0x0Fu;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            point = lead & 0x07u;
            smallest = 0x10000;
        } else {
            return std::nullopt;
        }
        if (at + length > text.size()) {
            return std::nullopt;
        }
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            point = (point << 6) | (next & 0x3Fu);
        }
        if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return std::nullopt;
        }
        points.push_back(point);
        at += length;
    }
    return points;
}

char32_t FoldAscii(char32_t c) {
    return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

}  // namespace

std::optional<bool> ReferenceMatch(std::string_view patternText, std::string_view textText) {
    const auto pattern = CodePoints(patternText);
    const auto text = CodePoints(textText);
    if (!pattern || !text) {
        return std::nullopt;
    }
    const std::size_t p = pattern->size();
    const std::size_t t = text->size();
    // covers[i][j]: the pattern from i on covers the text from j on.
    std::vector<std::vector<bool>> covers(p + 1, std::vector<bool>(t + 1, false));
    covers[p][t] = true;
    for (std::size_t i = p; i-- > 0;) {
        for (std::size_t j = t + 1; j-- > 0;) {
            const char32_t c = (*pattern)[i];
            if (c == U'*') {
                covers[i][j] = covers[i + 1][j] || (j < t && covers[i][j + 1]);
            } else if (j < t && (c == U'?' || FoldAscii(c) == FoldAscii((*text)[j]))) {
                covers[i][j] = covers[i + 1][j + 1];
            }
        }
    }
    return covers[0][0];
}
