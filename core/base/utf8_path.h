#pragma once
#include <filesystem>
#include <string>

// Paths are UTF-8 text throughout the program. The file system library takes a plain string in
// the system's narrow encoding, which on Windows is not UTF-8 for it: names with other than
// ASCII letters go through these.
inline std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
