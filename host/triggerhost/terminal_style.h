// Colour for people at a terminal: only there, and never when NO_COLOR asks for none.
#pragma once

#include <string>
#include <string_view>

enum class Tint { Request, Good, Bad, Log, Advice, Note, Heading };

// Whether to colour a stream: it is a terminal and NO_COLOR is unset or empty.
bool ColourWanted(bool streamIsTerminal, const char* noColor) noexcept;

// The text between the tint's escape sequence and a reset; the text alone without colour.
std::string Tinted(Tint tint, std::string_view text, bool colour);
