// Result codes as people read them.
#pragma once

#include <string>

#include "platform/win32.h"

// What the code means in a few words ("invalid argument"), or "" for a code without a name here.
std::string CodeMeaning(HRESULT code);

// "0x80070057 invalid argument": the code in hexadecimal, with its meaning when it has one.
std::string CodeInWords(HRESULT code);

// "0x80070057": the code alone.
std::string Hex(HRESULT code);
