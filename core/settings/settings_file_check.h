#pragma once
#include <cstdint>
#include <string>

// A settings file is a few hundred bytes of text. Anything else under its name (a link to
// /dev/zero or /dev/urandom, a pipe, a folder, a file grown huge) must never be read whole: it
// would grow the program's memory without bound, or wait for ever.
inline constexpr std::uintmax_t kSettingsFileLimit = 1024 * 1024;

// Empty when path is missing (the defaults then hold) or a regular file of at most limit bytes
// (links followed); else why it cannot be the settings file, in a few words ("it is not a
// regular file").
std::string SettingsFileProblem(const std::string& path, std::uintmax_t limit = kSettingsFileLimit);
