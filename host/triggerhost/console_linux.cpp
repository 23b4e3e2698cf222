#include <unistd.h>

#include "console.h"

bool IsTerminal(std::FILE* stream) noexcept {
    return isatty(fileno(stream)) != 0;
}

bool ShowsColour(std::FILE* stream) noexcept {
    return IsTerminal(stream);
}

void KeepOutputBytes() noexcept {}

// A terminal here takes the program's bytes as they are.
ConsoleText::ConsoleText() noexcept = default;
ConsoleText::~ConsoleText() = default;
