#include <unistd.h>

#include "console.h"

bool IsTerminal(std::FILE* stream) noexcept {
    return isatty(fileno(stream)) != 0;
}

void KeepOutputBytes() noexcept {}
