// The standard streams as this program uses them, the same on every system.
#pragma once

#include <cstdio>

// Whether the stream is a terminal (a console on Windows).
bool IsTerminal(std::FILE* stream) noexcept;

// Standard output and standard error carry the program's bytes unchanged: no line end is turned
// into CR LF, so a log or a diff of the output reads the same whichever system wrote it.
void KeepOutputBytes() noexcept;
