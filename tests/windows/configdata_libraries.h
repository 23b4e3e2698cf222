// The two configuration-document libraries of the Windows build, each loaded by its full path
// beside the test program: ours over libxml2 (configdata.dll) and the one over the platform DOM
// (platform-dom/configdata.dll). Both have the name the module imports, so only a full path
// tells them apart.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "companions/config_document.h"

namespace windows_test {

using ConfigDocumentFactory = HRESULT(STDAPICALLTYPE*)(IConfigDocument**);

inline constexpr const wchar_t* kOurLibrary = L"configdata.dll";
inline constexpr const wchar_t* kPlatformLibrary = L"platform-dom\\configdata.dll";

// The directory of the running program, with a trailing backslash.
std::wstring ProgramDirectory();

// Loads `relativePath` (to the program's directory) and gives its factory at ordinal 3; null
// when either cannot be had.
ConfigDocumentFactory FactoryOf(const wchar_t* relativePath);

// Whether the program runs under Wine rather than Windows.
bool UnderWine();

// Names each case of a parameterised test after its `name` field.
struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

}  // namespace windows_test
