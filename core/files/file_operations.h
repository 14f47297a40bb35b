#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/files/folder_operations.h"

struct FileEntry;

// The file list's operations on its files, without any window.
class FileOperations {
public:
    FileOperations(UserPrompt& prompt, LocalFileSystem& fs = LocalFileSystem::Real())
        : m_prompt(prompt), m_fs(fs) {}

    // Renames the entry's file to newName in folder (ending with the separator) and keeps the
    // entry in step: name, path and kind (from the last ".", as the folder read gives it).
    RenameOutcome RenameFile(FileEntry& entry, const std::string& folder,
                             const std::string& newName);

    // Asks once for all paths (the count in the question when there are several, and their
    // names), then deletes them in order; removed(i) is called for each one gone. The first failure
    // is reported and ends the work. Returns how many were deleted.
    std::size_t DeleteFiles(const std::vector<std::string>& paths,
                            const std::function<void(std::size_t)>& removed);

    // One file, whatever its permissions.
    bool DeleteFile(const std::string& path);

private:
    UserPrompt& m_prompt;
    LocalFileSystem& m_fs;
};
