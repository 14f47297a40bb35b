#pragma once
#include <cstdint>
#include <string>

// A small file of the program's own (a settings file, a folder's sync record) read whole, and
// never more than that: a pipe or a device under its name is not waited on, a file grown huge
// is not read into memory.
struct SmallFile {
    enum class Kind { Regular, Missing, Link, Folder, Device, Pipe, Other, TooLarge, Unreadable };
    Kind kind = Kind::Missing;
    std::string text;         // Regular: the whole file
    std::uintmax_t size = 0;  // TooLarge: the bytes it has, at least
    std::string reason;       // Unreadable: the system's reason
};

// The file at path when it is a regular file of at most limit bytes. With followLink a link
// at path is read through; without, it is reported as Link and left alone.
SmallFile ReadSmallFile(const std::string& path, std::uintmax_t limit, bool followLink);
