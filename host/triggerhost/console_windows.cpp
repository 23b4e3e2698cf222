#include <fcntl.h>
#include <io.h>

#include "console.h"

bool IsTerminal(std::FILE* stream) noexcept {
    return _isatty(_fileno(stream)) != 0;
}

void KeepOutputBytes() noexcept {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}
