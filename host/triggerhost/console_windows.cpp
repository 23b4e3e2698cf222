#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <initializer_list>

#include "console.h"

bool IsTerminal(std::FILE* stream) noexcept {
    return _isatty(_fileno(stream)) != 0;
}

void KeepOutputBytes() noexcept {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

ConsoleText::ConsoleText() noexcept {
    // The C runtime writes to a console byte by byte, and the console would decode each byte of
    // a character alone. Buffered, a line reaches it whole: the program flushes after each.
    for (std::FILE* stream : {stdout, stderr}) {
        if (IsTerminal(stream)) {
            std::setvbuf(stream, nullptr, _IOFBF, 64 * 1024);
        }
    }
    if (IsTerminal(stdout) || IsTerminal(stderr)) {
        const UINT previous = GetConsoleOutputCP();
        if (previous != 0 && previous != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
            previousCodePage_ = previous;
        }
    }
}

ConsoleText::~ConsoleText() {
    if (previousCodePage_ != 0) {
        SetConsoleOutputCP(previousCodePage_);
    }
}
