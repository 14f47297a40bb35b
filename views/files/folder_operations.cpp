#include "views/files/folder_operations.h"

#include <cstdio>

#include "res/strings.h"

namespace {

std::string Formatted(const char* format, const std::string& name) {
    const int length = std::snprintf(nullptr, 0, format, name.c_str());
    std::string result(static_cast<size_t>(length), '\0');
    std::snprintf(result.data(), result.size() + 1, format, name.c_str());
    return result;
}

}  // namespace

std::string FolderOperations::MakeNewFolderName(const std::string& parentFolder) {
    const std::string parent = local_path::WithSeparator(parentFolder);
    std::string candidate = text::kNewFolderName;
    for (unsigned long counter = 1; m_fs.Exists(parent + candidate); ++counter)
        candidate = std::string(text::kNewFolderName) + "-" + std::to_string(counter);
    return candidate;
}

bool FolderOperations::NewFolder(const std::string& parentFolder, std::string& name) {
    name = MakeNewFolderName(parentFolder);
    if (m_fs.MakeFolder(local_path::WithSeparator(parentFolder) + name)) return true;
    m_prompt.ShowStop(text::kMakeFolderFailed, text::kMakeFolderCaption);
    return false;
}

RenameOutcome FolderOperations::RenameFolder(const std::string& folderPath,
                                             const std::string& oldName,
                                             const std::string& newName) {
    if (newName == oldName) return RenameOutcome::Unchanged;
    if (newName.empty()) {
        m_prompt.ShowStop(text::kInputFolderName, text::kFolderRenameCaption);
        return RenameOutcome::EditAgain;
    }
    if (!local_path::IsPlainName(newName)) {
        m_prompt.ShowStop(oldName + text::kFolderRenameInvalidTail,
                          text::kFolderRenameFailedCaption);
        return RenameOutcome::EditAgain;
    }
    const std::string oldPath = local_path::WithoutSeparator(folderPath);
    const std::string parent = oldPath.substr(0, oldPath.size() - oldName.size());
    const std::string newPath = parent + newName;
    if (m_fs.Exists(newPath)) {
        m_prompt.ShowStop(oldName + text::kFolderRenameFailedTail,
                          text::kFolderRenameFailedCaption);
        return RenameOutcome::EditAgain;
    }
    if (!m_fs.Rename(oldPath, newPath)) {
        m_prompt.ShowStop(oldName + text::kFolderRenameRefusedTail,
                          text::kFolderRenameFailedCaption);
        return RenameOutcome::Failed;
    }
    return RenameOutcome::Renamed;
}

FolderOperations::DeleteOutcome FolderOperations::DeleteFolder(const std::string& folderPath,
                                                               bool isDrive) {
    if (isDrive) return DeleteOutcome::NotDone;
    const std::string path = local_path::WithoutSeparator(folderPath);
    if (!m_prompt.AskYesNo("'" + path + "'" + text::kDeleteFolderQuestionTail,
                           text::kDeleteFolderQuestionCaption))
        return DeleteOutcome::NotDone;
    if (!DeleteFolderTree(path)) return DeleteOutcome::NotDone;
    if (m_fs.RemoveFolder(path)) return DeleteOutcome::Deleted;
    m_prompt.ShowStop(text::kDeleteFolderFailed, text::kDeleteFolderCaption);
    return DeleteOutcome::FolderRemoveFailed;
}

bool FolderOperations::DeleteFolderTree(const std::string& folderPath) {
    WaitScope wait(m_prompt);
    const std::string top = local_path::WithoutSeparator(folderPath);
    if (DeleteContent(top, top)) return true;
    m_prompt.ShowStop(text::kDeleteFolderFailed, text::kDeleteFolderCaption);
    return false;
}

// Failures are reported once, by the outermost call.
bool FolderOperations::DeleteContent(const std::string& folder, const std::string& top) {
    std::vector<LocalFolderItem> items;
    // A folder that cannot be listed has nothing we could delete; its removal then fails.
    if (!m_fs.ListFolder(folder, items)) return !m_fs.Exists(folder);
    const std::string prefix = local_path::WithSeparator(folder);
    for (const LocalFolderItem& item : items) {
        const std::string path = prefix + item.name;
        if (item.type == LocalFolderItem::Type::Folder) {
            // A mount point inside belongs to another file system: never empty it from here.
            if (!m_fs.SameDevice(path, top)) return false;
            if (!DeleteContent(path, top)) return false;
            if (!m_fs.RemoveFolder(path)) return false;
        } else if (!m_fs.RemoveFile(path) && !m_fs.RemoveFileForced(path)) {
            return false;
        }
    }
    return true;
}

void FolderOperations::CopyFilesTo(const std::vector<CopyItem>& files, const std::string& folder) {
    WaitScope wait(m_prompt);
    const std::string target = local_path::WithSeparator(folder);
    for (const CopyItem& file : files) {
        const std::string to = target + file.name;
        if (m_fs.CopyFile(file.path, to, false)) continue;
        if (!m_prompt.AskYesNo(Formatted(text::kFileChangeQuestion, file.name),
                               text::kFileChangeCaption))
            continue;
        if (!m_fs.CopyFile(file.path, to, true))
            m_prompt.ShowStop(Formatted(text::kFileCopyFailed, file.name), text::kFileCopyCaption);
    }
}
