// File paths from UTF-8 text and back. The host services keep paths as UTF-8, whatever the ANSI
// code page; these name the same file through the system's own form of a path (wide on Windows),
// so that no character of a path is lost on its way to the file system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

inline std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
