#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/file_entry.h"

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
    CQPDoc(const CQPDoc&) = delete;
    CQPDoc& operator=(const CQPDoc&) = delete;

    void SetMidView(FileListView* view);
    // Rebuilds the list from the ".wav" files of folder (ending with the separator), sets the
    // current folder and makes the file list view refill itself: ShowFileList(ReadFileList).
    void FillFileList(std::string folder);
    // The entries of the ".wav" files of folder, read from the disk. Touches no document, so
    // a folder of many files can be read on a worker thread.
    static FileList ReadFileList(const std::string& folder);
    // Takes list as the file list of folder, sets the current folder and makes the file list
    // view refill itself.
    void ShowFileList(std::string folder, FileList list);
    const FileList* GetFileList() const;  // null before the first fill
    std::string GetCurrentFolder() const;
    void SetCurrentFolder(std::string folder);
    // Drops the entries; the copy list goes with them, since it points into them.
    void FreeFileList();

    void SetCopyList(const std::vector<const FileEntry*>& entries);
    const std::vector<const FileEntry*>& GetCopyList() const;

    // The "FormatFileCopy" record of the copy list (see core/files/file_copy_record.h).
    // Storing writes the entries of the copy list that belong to the current file list.
    std::string StoreCopyList() const;
    // Loading empties the copy list, then takes the record's entries when the record was
    // written by this document for its current file list; anything else is refused (false)
    // and leaves the copy list empty.
    bool LoadCopyList(std::string_view record);
    // Whether LoadCopyList would take the record; changes nothing.
    bool IsOwnCopyRecord(std::string_view record) const;

    // The recorder tree's message-selected state is cleared through this hook, which the main
    // frame installs; the folder tree and the file list call ClearMessageSelection.
    void SetMessageSelectionClearer(std::function<void()> clear);
    void ClearMessageSelection();

    static void ResetFileEntry(FileEntry& entry);
    // Appends the names of the subfolders of folder (with or without a final separator),
    // hidden ones and links to folders included.
    static void ListSubfolders(std::vector<std::string>& names, std::string folder);
    // Clears the file's attributes (makes it writable) and deletes it; nonzero on success.
    static int DeleteLocalFile(const std::string& path);

private:
    bool ResolveCopyRecord(std::string_view record, std::vector<const FileEntry*>* out) const;

    FileListView* m_pMidView = nullptr;
    std::unique_ptr<FileList> m_pFileList;
    std::vector<const FileEntry*> m_copyList;
    std::string m_strCurrentFolder;
    std::function<void()> m_clearMessageSelection;
    // Who wrote a copy record, and for which fill: a record is only good for both.
    const std::uint64_t m_instanceToken;
    std::uint64_t m_fillNumber = 0;
};
