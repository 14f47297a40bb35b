#include "app/cqp_doc.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

CQPDoc::CQPDoc() = default;
CQPDoc::~CQPDoc() = default;

void CQPDoc::SetMidView(FileListView* view) { m_pMidView = view; }

void CQPDoc::FillFileList(std::string folder) {
    // Built in full below (stub for the first commit).
    if (!folder.empty() && folder.back() != '/') folder += '/';
    FreeFileList();
    m_pFileList = std::make_unique<FileList>();
    m_strCurrentFolder = folder;
    if (m_pMidView) m_pMidView->RefillFromDocument();
}

const CQPDoc::FileList* CQPDoc::GetFileList() const { return m_pFileList.get(); }

std::string CQPDoc::GetCurrentFolder() const { return m_strCurrentFolder; }

void CQPDoc::SetCurrentFolder(std::string folder) { m_strCurrentFolder = std::move(folder); }

void CQPDoc::FreeFileList() {
    m_copyList.clear();
    m_pFileList.reset();
}

void CQPDoc::SetCopyList(const std::vector<const FileEntry*>& entries) { m_copyList = entries; }

const std::vector<const FileEntry*>& CQPDoc::GetCopyList() const { return m_copyList; }

void CQPDoc::SetMessageSelectionClearer(std::function<void()> clear) {
    m_clearMessageSelection = std::move(clear);
}

void CQPDoc::ClearMessageSelection() {
    if (m_clearMessageSelection) m_clearMessageSelection();
}

void CQPDoc::ResetFileEntry(FileEntry& entry) { entry = FileEntry{}; }

void CQPDoc::ListSubfolders(std::vector<std::string>& names, std::string folder) {
    if (folder.empty()) return;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    if (folder.back() != '/') folder += '/';
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (lstat((folder + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(name);
    }
    closedir(dir);
}

int CQPDoc::DeleteLocalFile(std::string path) {
    chmod(path.c_str(), S_IRUSR | S_IWUSR);
    return unlink(path.c_str()) == 0 ? 1 : 0;
}
