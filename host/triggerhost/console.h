// The standard streams as this program uses them, the same on every system.
#pragma once

#include <cstdio>

// Whether the stream is a terminal (a console on Windows).
bool IsTerminal(std::FILE* stream) noexcept;

// Whether the stream is a terminal that shows colour escape sequences as colour (on Windows, a
// console in its virtual-terminal mode, which ConsoleText asks for).
bool ShowsColour(std::FILE* stream) noexcept;

// Standard output and standard error carry the program's bytes unchanged: no line end is turned
// into CR LF, so a log or a diff of the output reads the same whichever system wrote it.
void KeepOutputBytes() noexcept;

// While it lives, a console that shows standard output or standard error shows this program's
// UTF-8 as text and its colour as colour: on Windows the console's output code page and mode are
// switched and put back afterwards, so the console the user typed in is left as it was.
class ConsoleText {
  public:
    ConsoleText() noexcept;
    ~ConsoleText();
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;

  private:
    struct Stream {
        // Standard output's, then standard error's console, when its mode was changed.
        void* console = nullptr;
        unsigned long previousMode = 0;
    };
    // What a Windows console had before; a terminal elsewhere is not changed.
    [[maybe_unused]] Stream streams_[2];
    [[maybe_unused]] unsigned previousCodePage_ = 0;  // 0: unchanged
};
