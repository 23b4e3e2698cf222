#include "bridge/wildcard.h"

#include <cstddef>
#include <cstring>

namespace {

using Byte = unsigned char;

// Narrow text is UTF-8 on every platform, while the C runtime's multibyte functions follow a code
// page that cannot be UTF-8 on Windows: so characters are stepped and compared here.

// Bytes in the character at `p`: a lead byte with the continuation bytes it announces, as far as
// they are there (a cut sequence counts as one character, as a conversion makes it one U+FFFD);
// any other byte, the terminator included, stands alone.
std::size_t CharacterLength(const Byte* p) {
    const std::size_t announced = *p >= 0xF0 && *p <= 0xF4   ? 4
                                  : *p >= 0xE0 && *p <= 0xEF ? 3
                                  : *p >= 0xC2 && *p <= 0xDF ? 2
                                                             : 1;
    std::size_t length = 1;
    while (length < announced && (p[length] & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

const Byte* Next(const Byte* p) {
    return p + CharacterLength(p);
}

Byte FoldAscii(Byte byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<Byte>(byte - 'A' + 'a') : byte;
}

// Whole characters, equal byte for byte once ASCII letters are folded.
bool SameCharacter(const Byte* a, const Byte* b) {
    const std::size_t length = CharacterLength(a);
    if (length != CharacterLength(b)) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsWildcardPattern(const char* id) {
    return std::strpbrk(id, "*?") != nullptr;
}

bool MatchWildcard(const char* patternText, const char* textText) {
    if (patternText == nullptr || textText == nullptr) {
        return false;
    }
    auto p = reinterpret_cast<const Byte*>(patternText);
    auto t = reinterpret_cast<const Byte*>(textText);

    // Up to the first star every pattern character must meet its text character.
    while (*t != 0 && *p != '*') {
        if (*p != '?' && !SameCharacter(p, t)) {
            return false;
        }
        p = Next(p);
        t = Next(t);
    }

    // After a star, only the most recent star is ever retried: one text character further on.
    const Byte* retryPattern = p;
    const Byte* retryText = t;
    while (*t != 0) {
        if (*p == '*') {
            p = Next(p);
            if (*p == 0) {
                return true;
            }
            retryPattern = p;
            retryText = Next(t);
        } else if (*p != 0 && (*p == '?' || SameCharacter(p, t))) {
            p = Next(p);
            t = Next(t);
        } else {
            p = retryPattern;
            t = retryText;
            retryText = Next(retryText);
        }
    }
    while (*p == '*') {
        p = Next(p);
    }
    return *p == 0;
}
