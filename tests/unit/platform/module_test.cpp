#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32.h"

namespace {

std::string NameOf(HMODULE module) {
    char path[4096];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    return std::string(path, length);
}

HMODULE PlatformLibrary() {
    return reinterpret_cast<HMODULE>(reinterpret_cast<std::uintptr_t>(&SysStringLen));
}

TEST(ModuleFileName, NullNamesTheRunningProgramByItsAbsolutePath) {
    const std::string name = NameOf(nullptr);
    EXPECT_EQ(name, std::filesystem::canonical("/proc/self/exe").string());
}

TEST(ModuleFileName, AnAddressNamesTheLibraryHoldingIt) {
    const std::string name = NameOf(PlatformLibrary());
    EXPECT_TRUE(std::filesystem::path(name).is_absolute()) << name;
    EXPECT_EQ(std::filesystem::path(name).filename(), "libtbplatform.so");
}

TEST(ModuleFileName, AnAddressInTheProgramNamesTheProgram) {
    static int inProgram = 0;
    EXPECT_EQ(NameOf(reinterpret_cast<HMODULE>(&inProgram)), NameOf(nullptr));
}

TEST(ModuleFileName, TooSmallABufferIsTruncatedAndTerminated) {
    const std::string full = NameOf(nullptr);
    const auto length = static_cast<DWORD>(full.size());
    for (DWORD size : {DWORD{1}, DWORD{5}, length}) {
        std::string buffer(size + 8, '#');
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), size), size);
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(buffer.substr(0, size - 1), full.substr(0, size - 1));
        EXPECT_EQ(buffer[size - 1], '\0');
        EXPECT_EQ(buffer[size], '#') << "nothing written past the buffer";
    }
    std::string exact(length + 1, '#');
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(GetModuleFileNameA(nullptr, exact.data(), length + 1), length);
    EXPECT_EQ(exact, full + '\0');
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(ModuleFileName, WideCallGivesTheSameNameAndTruncatesAlike) {
    for (HMODULE module : {HMODULE{}, PlatformLibrary()}) {
        const std::string narrow = NameOf(module);
        char16_t wide[4096];
        const DWORD length = GetModuleFileNameW(module, wide, 4096);
        ASSERT_EQ(length, narrow.size());
        // The build's paths are ASCII, where both forms spell each character alike.
        EXPECT_EQ(std::u16string(wide, length), std::u16string(narrow.begin(), narrow.end()));
        char16_t cut[6] = {u'#', u'#', u'#', u'#', u'#', u'#'};
        EXPECT_EQ(GetModuleFileNameW(module, cut, 5), 5u);
        EXPECT_EQ(std::u16string(cut, 6),
                  std::u16string(narrow.begin(), narrow.begin() + 4) + u'\0' + u'#');
    }
}

TEST(ModuleFileName, AnAddressOutsideEveryModuleIsNotFound) {
    const auto heap = std::make_unique<int>(0);
    char path[64] = "unset";
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(heap.get()), path, sizeof path), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    char16_t wide[64] = u"unset";
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(heap.get()), wide, 64), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Library, LoadedHandleNamesItsFileAndFindsItsExports) {
    const std::string path = NameOf(PlatformLibrary());
    HMODULE module = LoadLibraryA(path.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(NameOf(module), path);
    const FARPROC found = GetProcAddress(module, "SysStringLen");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(found),
              reinterpret_cast<std::uintptr_t>(&SysStringLen));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Library, MissingFileAndMissingNameSayWhichWasMissing) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryA("/nonexistent/libnothing.so"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    HMODULE module = LoadLibraryA(NameOf(PlatformLibrary()).c_str());
    ASSERT_NE(module, nullptr);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(std::uintptr_t{3})), nullptr)
        << "an ordinal is not dereferenced";
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    FreeLibrary(module);
}

TEST(Library, AWidePathReachesTheFileItsUtf8BytesName) {
    namespace fs = std::filesystem;
    const std::string path = NameOf(PlatformLibrary());
    // A folder whose name no single-byte code page holds, linking to the library.
    const fs::path folder = fs::temp_directory_path() /
                            fs::path(u8"wide-path-\u6d4b\u8bd5-" + std::u8string(u8"\u00e9"));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path link = folder / "library.so";
    fs::create_symlink(path, link);
    const std::u16string wide = link.u16string();

    HMODULE byWide = LoadLibraryW(wide.c_str());
    HMODULE byNarrow = LoadLibraryA(path.c_str());
    EXPECT_NE(byWide, nullptr);
    EXPECT_EQ(byWide, byNarrow) << "the same file, so the same module";
    FreeLibrary(byWide);
    FreeLibrary(byNarrow);
    fs::remove_all(folder);
}

}  // namespace
