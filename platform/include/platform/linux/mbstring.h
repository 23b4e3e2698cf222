// Multibyte-string helpers of the C runtime, following the current ANSI code page: under UTF-8 a
// whole sequence is one character; ASCII letters fold case.
#pragma once

#include "platform/linux/types.h"

extern "C" {
TB_PLATFORM_API unsigned char* _mbsinc(const unsigned char* current);
TB_PLATFORM_API int _mbsnicmp(const unsigned char* first, const unsigned char* second,
                              std::size_t count);
}
