#include "triggermanager/id_pattern.h"

namespace {

constexpr std::size_t kNoStar = std::string_view::npos;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Bytes of the character starting at `at`; a malformed sequence counts its bytes one by one.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead <= 0xF7) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = lead <= 0xEF ? 3 : 1;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    if (at + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(text[at + i]))) {
            return 1;
        }
    }
    return length;
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameCharacter(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    if (a.size() == 1) {
        return FoldAscii(a[0]) == FoldAscii(b[0]);
    }
    return a == b;
}

}  // namespace

bool IsIdPattern(std::string_view text) noexcept {
    return text.find_first_of("*?") != std::string_view::npos;
}

bool MatchesIdPattern(std::string_view pattern, std::string_view id) noexcept {
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t afterStar = kNoStar;  // pattern position just past the last star seen
    std::size_t starText = 0;         // where the text stood when that star began its run
    while (t < id.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            afterStar = ++p;
            starText = t;
            continue;
        }
        if (p < pattern.size()) {
            const std::size_t textLength = CharacterLength(id, t);
            if (pattern[p] == '?') {
                ++p;
                t += textLength;
                continue;
            }
            const std::size_t patternLength = CharacterLength(pattern, p);
            if (SameCharacter(pattern.substr(p, patternLength), id.substr(t, textLength))) {
                p += patternLength;
                t += textLength;
                continue;
            }
        }
        if (afterStar == kNoStar) {
            return false;
        }
        // Let the last star swallow one more character and try the rest again from there.
        starText += CharacterLength(id, starText);
        p = afterStar;
        t = starText;
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}
