#include "bridge/wildcard.h"

#include <cstring>

#include "platform/win32.h"

namespace {

using Byte = unsigned char;

const Byte* Next(const Byte* p) {
    return _mbsinc(p);
}

bool SameCharacter(const Byte* a, const Byte* b) {
    return _mbsnicmp(a, b, 1) == 0;
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
