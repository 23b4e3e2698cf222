#include "terminal_style.h"

namespace {

const char* Sequence(Tint tint) {
    switch (tint) {
        case Tint::Request:
            return "\x1b[1m";
        case Tint::Good:
            return "\x1b[32m";
        case Tint::Bad:
            return "\x1b[31m";
        case Tint::Log:
            return "\x1b[36m";
        case Tint::Advice:
            return "\x1b[33m";
        case Tint::Note:
            return "\x1b[2m";
        case Tint::Heading:
            return "\x1b[1;4m";
    }
    return "";
}

}  // namespace

bool ColourWanted(bool streamIsTerminal, const char* noColor) noexcept {
    return streamIsTerminal && (noColor == nullptr || *noColor == '\0');
}

std::string Tinted(Tint tint, std::string_view text, bool colour) {
    if (!colour || text.empty()) {
        return std::string(text);
    }
    return Sequence(tint) + std::string(text) + "\x1b[0m";
}
