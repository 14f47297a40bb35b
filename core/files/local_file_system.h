#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the file browser reads of one file: sizes and times are 64-bit, times in seconds since
// 1970-01-01 UTC (0 when the file system does not keep that time).
struct LocalFileStatus {
    bool isFolder = false;
    bool isRegular = false;
    std::uint64_t size = 0;
    std::int64_t created = 0;
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    bool readOnly = false;  // the user may not write it
};

// One name in a folder, as the folder lists it; links are reported as links, never followed.
struct LocalFolderItem {
    enum class Type { File, Folder, Link, Other };
    std::string name;
    Type type = Type::File;
};

// The file-system calls of the folder and file operations. The operations take it by
// reference so that tests can make single calls fail; Real() is the platform's own.
class LocalFileSystem {
public:
    virtual ~LocalFileSystem() = default;

    // True when anything (file, folder, link, even a dangling one) has that name.
    virtual bool Exists(const std::string& path);
    virtual bool MakeFolder(const std::string& path);
    // Removes an empty folder; a link is never followed.
    virtual bool RemoveFolder(const std::string& path);
    // Removes a file, or a link as a link.
    virtual bool RemoveFile(const std::string& path);
    // Makes the file writable, then removes it (a link is removed as a link). When the removal
    // still fails, the file gets its old permissions back.
    virtual bool RemoveFileForced(const std::string& path);
    // Never replaces an existing name, even when one appears between the check and the call.
    virtual bool Rename(const std::string& from, const std::string& to);
    // Copies contents, permissions and last-write time. Without overwrite it fails when the
    // target exists. The target is written under a temporary name and put in place whole, so
    // a failed copy leaves the old target as it was; a copy onto the source itself (or onto
    // another name of the same file) leaves the file untouched and succeeds. Only a regular
    // file is copied: a pipe, device or socket is refused at once, never waited on.
    virtual bool CopyFile(const std::string& from, const std::string& to, bool overwrite);
    // Lists the folder's names without "." and ".."; false when it cannot be read. Unless
    // followLink is set, a folder that is a link is refused, so a walk that deletes through
    // the result never leaves the folder it started in.
    virtual bool ListFolder(const std::string& folder, std::vector<LocalFolderItem>& items,
                            bool followLink = false);
    // Status of path, following links (a link shows what it points to).
    virtual bool ReadStatus(const std::string& path, LocalFileStatus& status);
    // True when path itself (never what a link points to) is where a file system is mounted,
    // a bind mount of the same file system included.
    virtual bool IsMountRoot(const std::string& path);
    // True when path is a symbolic link, whatever it points to.
    virtual bool IsLink(const std::string& path);
    // True when both paths lead to one and the same file.
    virtual bool SameFile(const std::string& a, const std::string& b);

    static LocalFileSystem& Real();
};

// Path helpers shared by the browser: folder paths end with the separator.
namespace local_path {
inline constexpr char kSeparator = '/';
std::string WithSeparator(std::string folder);
std::string WithoutSeparator(std::string folder);
// The extension after the last "." of name ("" when there is none), letter case kept.
std::string Extension(const std::string& name);
// The kind the file list shows: extension + " File".
std::string KindOf(const std::string& name);
// A name the user may give a file or folder: not empty, not "." or "..", no separator, no
// NUL byte.
bool IsPlainName(const std::string& name);
}  // namespace local_path
