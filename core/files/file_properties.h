#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/files/file_entry.h"

// What the properties dialog shows of one or several files.
struct FilePropertiesText {
    int readOnly = 0;
    int hidden = 0;
    int archive = 0;
    int system = 0;
    std::string created;
    std::string dosName;
    std::string size;
    std::string kind;
    std::string accessed;
    std::string modified;
    std::string name;
    std::string location;
};

// One file: its own name, kind, size and dates. Several: their count, "Plural Kind", the total
// size (64-bit; it cannot wrap) and the last file's attributes. None: everything empty.
FilePropertiesText DescribeFiles(const std::vector<FileEntry>& files);

// Local time texts without leading zeros: "2001-7-5 14:9:0", "2001-7-5", and the file list's
// "2001/3/7". An empty text when the time cannot be converted.
std::string FormatDateTime(std::int64_t seconds);
std::string FormatDate(std::int64_t seconds);
std::string FormatListDate(std::int64_t seconds);
