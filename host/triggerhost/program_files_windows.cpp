#include "program_files.h"

#include <windows.h>

#include <shellapi.h>

#include <new>

#include "companions/utf.h"

// argv holds the command line in the ANSI code page; the wide command line holds all of it.
std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        throw std::bad_alloc();
    }
    std::vector<std::string> arguments;
    try {
        for (int index = 1; index < count; ++index) {
            arguments.push_back(ToUtf8(wide[index]));
        }
    } catch (...) {
        LocalFree(wide);
        throw;
    }
    LocalFree(wide);
    return arguments;
}

std::FILE* OpenForReading(const std::string& path) {
    return _wfopen(ToUtf16(path).c_str(), L"rb");
}
