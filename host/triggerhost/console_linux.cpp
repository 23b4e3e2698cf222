#include <unistd.h>

#include "console.h"

bool IsTerminal(std::FILE* stream) noexcept {
    return isatty(fileno(stream)) != 0;
}

void KeepOutputBytes() noexcept {}

// A terminal here takes the program's bytes as they are.
ConsoleText::ConsoleText() noexcept = default;
ConsoleText::~ConsoleText() = default;
