// The standard streams as this program uses them, the same on every system.
#pragma once

#include <cstdio>

// Whether the stream is a terminal (a console on Windows).
bool IsTerminal(std::FILE* stream) noexcept;

// Standard output and standard error carry the program's bytes unchanged: no line end is turned
// into CR LF, so a log or a diff of the output reads the same whichever system wrote it.
void KeepOutputBytes() noexcept;

// While it lives, a console that shows standard output or standard error shows this program's
// UTF-8 as text: on Windows the console's output code page is switched to UTF-8 and put back
// afterwards, so the console the user typed in is left as it was.
class ConsoleText {
  public:
    ConsoleText() noexcept;
    ~ConsoleText();
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;

  private:
    unsigned previousCodePage_ = 0;  // 0: unchanged
};
