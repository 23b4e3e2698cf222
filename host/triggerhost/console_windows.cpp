#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <iterator>

#include "console.h"

namespace {

struct Console {
    HANDLE handle = nullptr;  // null: the stream is no console
    DWORD mode = 0;
};

// The console behind a stream and its mode. The C runtime's terminal test also takes the null
// device, which is no console.
Console ConsoleOf(std::FILE* stream) noexcept {
    Console console;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &console.mode)) {
        console.handle = handle;
    }
    return console;
}

}  // namespace

bool IsTerminal(std::FILE* stream) noexcept {
    return _isatty(_fileno(stream)) != 0;
}

bool ShowsColour(std::FILE* stream) noexcept {
    const Console console = ConsoleOf(stream);
    return console.handle != nullptr && (console.mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
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
        const Console found = ConsoleOf(file);
        if (found.handle == nullptr) {
            continue;
        }
        console = true;
        // The C runtime writes to a console byte by byte, and the console would decode each
        // byte of a character alone. Buffered, a line reaches it whole: the program flushes
        // after each.
        std::setvbuf(file, nullptr, _IOFBF, 64 * 1024);
        // Colour is written as escape sequences, which a console shows as such only when asked
        // to (a console that cannot leaves colour off).
        if ((found.mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0 &&
            SetConsoleMode(found.handle, found.mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
            stream.console = found.handle;
            stream.previousMode = found.mode;
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
        if (streams_[index].console != nullptr) {
            SetConsoleMode(streams_[index].console, streams_[index].previousMode);
        }
    }
    if (previousCodePage_ != 0) {
        SetConsoleOutputCP(previousCodePage_);
    }
}
