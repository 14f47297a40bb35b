#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/file_entry.h"

// The file list view as the document sees it (CMidView implements it).
class FileListView {
public:
    virtual ~FileListView() = default;
    virtual void RefillFromDocument() = 0;
};

// The one document: the file entries of the folder the file list shows, the copy list of a
// drag, and the file helpers the folder tree and the file list share. No Qt here.
class CQPDoc {
public:
    using FileList = std::vector<std::unique_ptr<FileEntry>>;

    CQPDoc();
    ~CQPDoc();

    void SetMidView(FileListView* view);
    // Rebuilds the list from the ".wav" files of folder (ending with the separator), sets the
    // current folder and makes the file list view refill itself.
    void FillFileList(std::string folder);
    const FileList* GetFileList() const;  // null before the first fill
    std::string GetCurrentFolder() const;
    void SetCurrentFolder(std::string folder);
    void FreeFileList();

    void SetCopyList(const std::vector<const FileEntry*>& entries);
    const std::vector<const FileEntry*>& GetCopyList() const;

    // The recorder tree's message-selected state is cleared through this hook, which the main
    // frame installs; the folder tree and the file list call ClearMessageSelection.
    void SetMessageSelectionClearer(std::function<void()> clear);
    void ClearMessageSelection();

    static void ResetFileEntry(FileEntry& entry);
    // Appends the names of the subfolders of folder (with or without a final separator).
    static void ListSubfolders(std::vector<std::string>& names, std::string folder);
    // Clears the file's attributes and deletes it; nonzero on success.
    static int DeleteLocalFile(std::string path);

private:
    FileListView* m_pMidView = nullptr;
    std::unique_ptr<FileList> m_pFileList;
    std::vector<const FileEntry*> m_copyList;
    std::string m_strCurrentFolder;
    std::function<void()> m_clearMessageSelection;
};
