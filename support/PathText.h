// The program keeps its paths as UTF-8 text on every system. std::filesystem takes a
// std::string in the system's narrow encoding, which on Windows is the ANSI code page and
// not UTF-8; these go through char8_t instead, which every system reads as UTF-8 (on Linux
// the bytes are kept as they are, whatever they are).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The path that UTF-8 text names.
inline std::filesystem::path PathOf(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

// A path as UTF-8 text.
inline std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}
