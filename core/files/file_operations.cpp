#include "core/files/file_operations.h"

#include <string>

#include "core/files/file_entry.h"
#include "core/files/message_text.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"

RenameOutcome FileOperations::RenameFile(FileEntry& entry, const std::string& folder,
                                         const std::string& newName) {
    if (newName == entry.name) return RenameOutcome::Unchanged;
    if (newName.empty()) {
        m_prompt.ShowStop(text::kInputFileName, text::kFileRenameCaption);
        return RenameOutcome::EditAgain;
    }
    if (!local_path::IsPlainName(newName)) {
        m_prompt.ShowStop(entry.name + text::kFileRenameInvalidTail,
                          text::kFileRenameFailedCaption);
        return RenameOutcome::EditAgain;
    }
    const std::string newPath = local_path::WithSeparator(folder) + newName;
    if (m_fs.Exists(newPath)) {
        m_prompt.ShowStop(entry.name + text::kFileRenameFailedTail, text::kFileRenameFailedCaption);
        return RenameOutcome::EditAgain;
    }
    if (!m_fs.Rename(entry.path, newPath)) {
        m_prompt.ShowStop(entry.name + text::kFileRenameRefusedTail,
                          text::kFileRenameFailedCaption);
        return RenameOutcome::Failed;
    }
    entry.name = newName;
    entry.path = newPath;
    entry.kind = local_path::KindOf(newName);
    return RenameOutcome::Renamed;
}

bool FileOperations::DeleteFile(const std::string& path) {
    return m_fs.RemoveFile(path) || m_fs.RemoveFileForced(path);
}

std::size_t FileOperations::DeleteFiles(const std::vector<std::string>& paths,
                                        const std::function<void(std::size_t)>& removed) {
    if (paths.empty()) return 0;
    std::string question = paths.size() == 1 ? std::string(text::kDeleteFileQuestion)
                                             : text::Format(text::kDeleteFilesQuestion,
                                                            static_cast<int>(paths.size()));
    std::vector<std::string> names;
    names.reserve(paths.size());
    for (const std::string& path : paths)
        names.push_back(path.substr(path.rfind(local_path::kSeparator) + 1));
    question += "\n" + message_text::NameLines(names);
    if (!m_prompt.AskYesNo(question, text::kDeleteFileCaption)) return 0;

    WaitScope wait(m_prompt);
    std::size_t deleted = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!DeleteFile(paths[i])) {
            m_prompt.ShowStop(text::kDeleteFileFailed, text::kDeleteFileCaption);
            break;
        }
        ++deleted;
        if (removed) removed(i);
    }
    return deleted;
}
