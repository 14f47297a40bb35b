#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The "FormatFileCopy" record a drag from the file list carries to the folder tree.
//
// It never holds memory addresses: each reference is the index of an entry in the file list
// of the program instance that wrote it, and the record names that instance and the fill of
// its file list, so a reader can refuse a record from another instance or from a list that has
// been read again since. Layout, little-endian:
//   0          u32  N, the number of entries
//   4 + 4i     u32  index of the i-th entry in the writer's file list
//   4 + 4N     u64  the writer's instance token
//   12 + 4N    u64  the writer's fill number
// Bytes after that mean nothing.
struct FileCopyRecord {
    std::uint64_t instance = 0;
    std::uint64_t fill = 0;
    std::vector<std::uint32_t> indices;

    std::string Encode() const;
    // False for a record too short for its count.
    static bool Decode(std::string_view bytes, FileCopyRecord& record);
};

// The data type of the record in a drag; on Windows this names the "FormatFileCopy" clipboard
// format itself.
inline constexpr const char* kFileCopyMimeType =
    "application/x-qt-windows-mime;value=\"FormatFileCopy\"";
