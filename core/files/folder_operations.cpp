#include "core/files/folder_operations.h"

#include "core/files/message_text.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"

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
    const bool link = m_fs.IsLink(path);
    std::string question = "'" + path + "'" + text::kDeleteFolderQuestionTail;
    const std::string holds = link ? std::string(text::kFolderIsLink) : DescribeContent(path);
    if (!holds.empty()) question += "\n" + holds;
    if (!m_prompt.AskYesNo(question, text::kDeleteFolderQuestionCaption))
        return DeleteOutcome::NotDone;

    if (link) {
        if (m_fs.RemoveFile(path)) return DeleteOutcome::Deleted;
        m_prompt.ShowStop(text::kDeleteFolderFailed, text::kDeleteFolderCaption);
        return DeleteOutcome::NotDone;
    }
    switch (DeleteTree(path)) {
        case TreeResult::Refused:
            return DeleteOutcome::NotDone;
        case TreeResult::Failed:
            return DeleteOutcome::Failed;
        case TreeResult::Deleted:
            break;
    }
    if (m_fs.RemoveFolder(path)) return DeleteOutcome::Deleted;
    m_prompt.ShowStop(text::kDeleteFolderFailed, text::kDeleteFolderCaption);
    return DeleteOutcome::FolderRemoveFailed;
}

bool FolderOperations::DeleteFolderTree(const std::string& folderPath) {
    return DeleteTree(local_path::WithoutSeparator(folderPath)) == TreeResult::Deleted;
}

FolderOperations::TreeResult FolderOperations::DeleteTree(const std::string& top) {
    WaitScope wait(m_prompt);
    // Emptying a mounted volume (or, through a bind mount, a folder elsewhere) is never what
    // deleting one folder means; the whole tree is checked before the first file goes.
    const std::string mountRoot = FindMountRoot(top);
    if (!mountRoot.empty()) {
        m_prompt.ShowStop(std::string(text::kDeleteFolderFailed) + "\n" +
                              text::Format(text::kFolderIsMountPoint, mountRoot),
                          text::kDeleteFolderCaption);
        return TreeResult::Refused;
    }
    if (DeleteContent(top)) return TreeResult::Deleted;
    m_prompt.ShowStop(text::kDeleteFolderFailed, text::kDeleteFolderCaption);
    return TreeResult::Failed;
}

std::string FolderOperations::FindMountRoot(const std::string& top) {
    std::vector<std::string> pending{top};
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        if (m_fs.IsMountRoot(folder)) return folder;
        // A folder that cannot be listed cannot be emptied either: the delete stops there.
        std::vector<LocalFolderItem> items;
        if (!m_fs.ListFolder(folder, items)) continue;
        const std::string prefix = local_path::WithSeparator(folder);
        for (const LocalFolderItem& item : items)
            if (item.type == LocalFolderItem::Type::Folder) pending.push_back(prefix + item.name);
    }
    return {};
}

// Failures are reported once, by the outermost call.
bool FolderOperations::DeleteContent(const std::string& folder) {
    std::vector<LocalFolderItem> items;
    // A folder that cannot be listed has nothing we could delete; its removal then fails.
    if (!m_fs.ListFolder(folder, items)) return !m_fs.Exists(folder);
    const std::string prefix = local_path::WithSeparator(folder);
    for (const LocalFolderItem& item : items) {
        const std::string path = prefix + item.name;
        if (item.type == LocalFolderItem::Type::Folder) {
            // Checked again on the way: a mount made since the check is still never entered.
            if (m_fs.IsMountRoot(path)) return false;
            if (!DeleteContent(path)) return false;
            if (!m_fs.RemoveFolder(path)) return false;
        } else if (!m_fs.RemoveFile(path) && !m_fs.RemoveFileForced(path)) {
            return false;
        }
    }
    return true;
}

std::string FolderOperations::DescribeContent(const std::string& folder) {
    std::size_t files = 0, folders = 0;
    std::vector<std::string> pending{folder};
    bool top = true;
    while (!pending.empty()) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        std::vector<LocalFolderItem> items;
        const bool listed = m_fs.ListFolder(current, items);
        if (!listed && top) return {};
        top = false;
        const std::string prefix = local_path::WithSeparator(current);
        for (const LocalFolderItem& item : items) {
            if (files + folders == kContentCountLimit)
                return text::Format(text::kFolderHoldsMany, static_cast<int>(kContentCountLimit));
            if (item.type == LocalFolderItem::Type::Folder) {
                ++folders;
                pending.push_back(prefix + item.name);
            } else {
                ++files;
            }
        }
    }
    if (files + folders == 0) return text::kFolderEmpty;
    return text::Format(text::kFolderHolds, static_cast<int>(files), static_cast<int>(folders));
}

void FolderOperations::CopyFilesTo(const std::vector<CopyItem>& files, const std::string& folder) {
    WaitScope wait(m_prompt);
    const std::string target = local_path::WithSeparator(folder);
    std::vector<std::string> alreadyThere;
    for (const CopyItem& file : files) {
        const std::string to = target + file.name;
        const std::string failed = text::Format(text::kFileCopyFailed, file.name);
        LocalFileStatus source;
        if (!m_fs.ReadStatus(file.path, source)) {
            m_prompt.ShowStop(failed, text::kFileCopyCaption);
            continue;
        }
        // A pipe or a device listed under a ".wav" name would be read without end.
        if (!source.isRegular) {
            m_prompt.ShowStop(failed + "\n" + text::kCopyNotRegularFile, text::kFileCopyCaption);
            continue;
        }
        // Dropped on its own folder: replacing a file by itself would change nothing.
        if (m_fs.SameFile(file.path, to)) {
            alreadyThere.push_back(file.name);
            continue;
        }
        if (m_fs.CopyFile(file.path, to, false)) continue;
        // Only an existing target is a question; anything else is a plain failure.
        if (!m_fs.Exists(to)) {
            m_prompt.ShowStop(failed, text::kFileCopyCaption);
            continue;
        }
        if (!m_prompt.AskYesNo(text::Format(text::kFileChangeQuestion, file.name),
                               text::kFileChangeCaption))
            continue;
        if (!m_fs.CopyFile(file.path, to, true)) m_prompt.ShowStop(failed, text::kFileCopyCaption);
    }
    if (!alreadyThere.empty())
        m_prompt.ShowStop(
            std::string(text::kAlreadyInFolder) + "\n" + message_text::NameLines(alreadyThere),
            text::kFileCopyCaption);
}
