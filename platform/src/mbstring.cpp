// Character stepping and case-blind comparison over the current ANSI code page.
#include <climits>
#include <cstdint>

#include "platform/win32.h"
#include "utf8.h"

namespace {

constexpr int kComparisonError = INT_MAX;

// Bytes in the character at `text`: a UTF-8 sequence (or its ill-formed prefix, which a
// conversion turns into one replacement character) under UTF-8, one byte otherwise.
std::size_t CharacterLength(const unsigned char* text, bool utf8) {
    if (!utf8 || text[0] < 0x80) {
        return 1;
    }
    return platform_detail::DecodeUtf8Step(text, SIZE_MAX).length;
}

int Folded(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
}

}  // namespace

extern "C" {

unsigned char* _mbsinc(const unsigned char* current) {
    if (current == nullptr) {
        return nullptr;
    }
    const std::size_t length = CharacterLength(current, GetACP() == CP_UTF8);
    return const_cast<unsigned char*>(current + length);
}

int _mbsnicmp(const unsigned char* first, const unsigned char* second, std::size_t count) {
    if (count == 0) {
        return 0;
    }
    if (first == nullptr || second == nullptr) {
        return kComparisonError;
    }
    const bool utf8 = GetACP() == CP_UTF8;
    for (std::size_t compared = 0; compared < count; ++compared) {
        const std::size_t firstLength = CharacterLength(first, utf8);
        const std::size_t secondLength = CharacterLength(second, utf8);
        // Characters compare as their byte strings, ASCII letters folded; a character that is
        // a prefix of the other sorts first.
        const std::size_t common = firstLength < secondLength ? firstLength : secondLength;
        for (std::size_t i = 0; i < common; ++i) {
            const int difference = Folded(first[i]) - Folded(second[i]);
            if (difference != 0) {
                return difference;
            }
        }
        if (firstLength != secondLength) {
            return firstLength < secondLength ? -1 : 1;
        }
        if (first[0] == 0) {
            return 0;
        }
        first += firstLength;
        second += secondLength;
    }
    return 0;
}

}  // extern "C"
