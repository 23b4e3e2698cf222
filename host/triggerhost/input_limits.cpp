#include "input_limits.h"

std::string RequestLimitText() {
    return SizeText(kMaxRequestBytes);
}

std::string SizeText(std::size_t bytes) {
    constexpr std::size_t kMebibyte = 1024 * 1024;
    if (bytes != 0 && bytes % kMebibyte == 0) {
        return std::to_string(bytes / kMebibyte) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

std::string Shortened(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    std::size_t cut = limit;
    // Continuation bytes of UTF-8 are 10xxxxxx: never end the text in the middle of a character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(text.substr(0, cut)) + "\xE2\x80\xA6 (" + std::to_string(text.size()) +
           " bytes)";
}
