// The two configuration-document libraries of the Windows build, each loaded by its full path
// beside the test program: ours over libxml2 (configdata.dll) and the one over the platform DOM
// (platform-dom/configdata.dll). Both have the name the module imports, so only a full path
// tells them apart.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "companions/config_document.h"

namespace windows_test {

using ConfigDocumentFactory = HRESULT(STDAPICALLTYPE*)(IConfigDocument**);

inline constexpr const wchar_t* kOurLibrary = L"configdata.dll";
inline constexpr const wchar_t* kPlatformLibrary = L"platform-dom\\configdata.dll";

// Loads `relativePath` (to the program's directory) and gives its factory at ordinal 3; null
// when either cannot be had.
inline ConfigDocumentFactory FactoryOf(const wchar_t* relativePath) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + relativePath;
    HMODULE library = LoadLibraryW(path.c_str());
    FARPROC symbol = library != nullptr ? GetProcAddress(library, MAKEINTRESOURCEA(3)) : nullptr;
    ConfigDocumentFactory factory = nullptr;
    static_assert(sizeof factory == sizeof symbol);
    std::memcpy(&factory, &symbol, sizeof factory);
    return factory;
}

// Whether the program runs under Wine rather than Windows.
inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Names each case of a parameterised test after its `name` field.
struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

}  // namespace windows_test
