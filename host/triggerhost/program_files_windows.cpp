#include "program_files.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <new>

#include "companions/utf.h"

namespace {

struct LocalFreer {
    void operator()(LPWSTR* block) const noexcept { LocalFree(block); }
};

}  // namespace

// argv holds the command line in the ANSI code page; the wide command line holds all of it.
std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!wide) {
        throw std::bad_alloc();
    }
    std::vector<std::string> arguments;
    for (int index = 1; index < count; ++index) {
        arguments.push_back(ToUtf8(wide.get()[index]));
    }
    return arguments;
}

std::FILE* OpenForReading(const std::string& path) {
    return _wfopen(ToUtf16(path).c_str(), L"rb");
}
