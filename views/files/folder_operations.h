#pragma once
#include <string>
#include <vector>

#include "views/files/local_file_system.h"
#include "views/files/user_prompt.h"

struct FileEntry;

// What happens when a name edit ends.
enum class RenameOutcome {
    Unchanged,  // same name: nothing to do
    Renamed,    // the file system took the new name
    EditAgain,  // refused before touching the disk; the user goes on editing
    Failed,     // the file system refused; the old name stays
};

// The folder tree's operations on folders and its copy of dropped files, without any window:
// the tree gives paths, this does the work and asks through the prompt.
class FolderOperations {
public:
    FolderOperations(UserPrompt& prompt, LocalFileSystem& fs = LocalFileSystem::Real())
        : m_prompt(prompt), m_fs(fs) {}

    // "New Folder", then "New Folder-1", "New Folder-2", ... whichever names nothing yet in
    // parentFolder (ending with the separator).
    std::string MakeNewFolderName(const std::string& parentFolder);
    // Makes the next free new folder in parentFolder; its name in name. Reports a failure.
    bool NewFolder(const std::string& parentFolder, std::string& name);

    // Renames folderPath (with or without the final separator), whose last component is
    // oldName, to newName in the same parent.
    RenameOutcome RenameFolder(const std::string& folderPath, const std::string& oldName,
                               const std::string& newName);

    enum class DeleteOutcome {
        NotDone,             // declined, a drive, or the content could not be deleted
        Deleted,             // content and folder gone
        FolderRemoveFailed,  // content gone, the empty folder stayed (reported)
    };
    // Asks once, then deletes everything in the folder and the folder itself.
    DeleteOutcome DeleteFolder(const std::string& folderPath, bool isDrive);
    // Deletes everything inside folderPath without asking; links are removed as links and no
    // other device is entered. The first failure is reported once and ends the work.
    bool DeleteFolderTree(const std::string& folderPath);

    // Copies each file into folder (ending with the separator) under its own name, asking
    // before replacing; a failed file never stops the others.
    struct CopyItem {
        std::string name;
        std::string path;
    };
    void CopyFilesTo(const std::vector<CopyItem>& files, const std::string& folder);

private:
    bool DeleteContent(const std::string& folder, const std::string& top);

    UserPrompt& m_prompt;
    LocalFileSystem& m_fs;
};
