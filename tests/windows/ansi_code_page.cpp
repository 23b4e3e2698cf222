// Prints the system ANSI code page, so the runs under each locale can show they got theirs.
#include <cstdio>

#include "platform/win32.h"

int main() {
    std::printf("ANSI code page %u\n", GetACP());
    return 0;
}
