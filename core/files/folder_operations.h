#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/files/local_file_system.h"
#include "core/files/user_prompt.h"

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
        NotDone,             // declined, a drive, or refused before anything was deleted
        Deleted,             // content and folder gone (for a link: the link gone)
        Failed,              // stopped part way (reported): some of the content may be gone
        FolderRemoveFailed,  // content gone, the empty folder stayed (reported)
    };
    // Asks once, naming what the folder holds, then deletes everything in the folder and the
    // folder itself. A folder that is a link loses the link only, never what it leads to.
    DeleteOutcome DeleteFolder(const std::string& folderPath, bool isDrive);
    // Deletes everything inside folderPath without asking; links are removed as links. A tree
    // that holds a mount point (or is one) is refused before anything is deleted. The first
    // failure is reported once and ends the work.
    bool DeleteFolderTree(const std::string& folderPath);

    // The question's line about what a folder holds is counted up to this many names, so a
    // huge tree cannot hold the question up.
    static constexpr std::size_t kContentCountLimit = 10000;

    // Copies each file into folder (ending with the separator) under its own name, asking
    // before replacing; a failed file never stops the others.
    struct CopyItem {
        std::string name;
        std::string path;
    };
    void CopyFilesTo(const std::vector<CopyItem>& files, const std::string& folder);

private:
    enum class TreeResult { Deleted, Refused, Failed };
    TreeResult DeleteTree(const std::string& top);
    bool DeleteContent(const std::string& folder);
    // The first folder of the tree, top included, that is a mount root; "" when there is none.
    std::string FindMountRoot(const std::string& top);
    // "It Holds 3 File(s) and 1 Folder(s)." and the like; "" when the folder cannot be read.
    std::string DescribeContent(const std::string& folder);

    UserPrompt& m_prompt;
    LocalFileSystem& m_fs;
};
