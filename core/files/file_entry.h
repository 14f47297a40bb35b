#pragma once
#include <cstdint>
#include <string>

// One file of the folder the file list shows.
struct FileEntry {
    std::string name;          // file name with extension, without folder
    std::string path;          // folder and name
    std::uint64_t size = 0;    // bytes; 64-bit, files over 4 GiB are real
    std::string kind;          // extension after the last "." + " File", e.g. "wav File"
    std::int64_t created = 0;  // seconds since 1970-01-01 UTC; 0 when not supplied
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    int hidden = 0;
    int readOnly = 0;
    int archive = 0;
    int system = 0;
};
