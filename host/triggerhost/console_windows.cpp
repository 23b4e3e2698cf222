#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <iterator>

#include "console.h"

namespace {

// The console behind a stream, or null: the C runtime's terminal test also takes the null device.
HANDLE ConsoleOf(std::FILE* stream) noexcept {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

bool IsTerminal(std::FILE* stream) noexcept {
    return _isatty(_fileno(stream)) != 0;
}

bool ShowsColour(std::FILE* stream) noexcept {
    const HANDLE console = ConsoleOf(stream);
    DWORD mode = 0;
    return console != nullptr && GetConsoleMode(console, &mode) &&
           (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void KeepOutputBytes() noexcept {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

ConsoleText::ConsoleText() noexcept {
    bool console = false;
    for (std::size_t index = 0; index < std::size(streams_); ++index) {
        Stream& stream = streams_[index];
        std::FILE* file = index == 0 ? stdout : stderr;
        stream.console = ConsoleOf(file);
        if (stream.console == nullptr) {
            continue;
        }
        console = true;
        // The C runtime writes to a console byte by byte, and the console would decode each
        // byte of a character alone. Buffered, a line reaches it whole: the program flushes
        // after each.
        std::setvbuf(file, nullptr, _IOFBF, 64 * 1024);
        // Colour is written as escape sequences, which a console shows as such only when asked
        // to (a console that cannot leaves colour off).
        DWORD mode = 0;
        if (GetConsoleMode(stream.console, &mode) &&
            (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0 &&
            SetConsoleMode(stream.console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
            stream.previousMode = mode;
            stream.modeChanged = true;
        }
    }
    if (console) {
        const UINT previous = GetConsoleOutputCP();
        if (previous != 0 && previous != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
            previousCodePage_ = previous;
        }
    }
}

ConsoleText::~ConsoleText() {
    std::fflush(stdout);
    std::fflush(stderr);
    // Standard error's console is often standard output's: put back in the reverse order.
    for (std::size_t index = std::size(streams_); index-- > 0;) {
        if (streams_[index].modeChanged) {
            SetConsoleMode(streams_[index].console, streams_[index].previousMode);
        }
    }
    if (previousCodePage_ != 0) {
        SetConsoleOutputCP(previousCodePage_);
    }
}
