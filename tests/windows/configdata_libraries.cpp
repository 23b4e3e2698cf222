#include "configdata_libraries.h"

#include <cstring>

namespace windows_test {

std::wstring ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
    path.resize(length);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

ConfigDocumentFactory FactoryOf(const wchar_t* relativePath) {
    HMODULE library = LoadLibraryW((ProgramDirectory() + relativePath).c_str());
    FARPROC symbol = library != nullptr ? GetProcAddress(library, MAKEINTRESOURCEA(3)) : nullptr;
    ConfigDocumentFactory factory = nullptr;
    static_assert(sizeof factory == sizeof symbol);
    std::memcpy(&factory, &symbol, sizeof factory);
    return factory;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace windows_test
