#include "core/files/cqp_doc.h"

#include <random>
#include <unordered_map>

#include "core/files/file_copy_record.h"
#include "core/files/local_file_system.h"

namespace {

std::uint64_t NewInstanceToken() {
    std::random_device device;
    std::uint64_t token = 0;
    while (token == 0) token = (std::uint64_t(device()) << 32) ^ device();
    return token;
}

bool IsWavName(const std::string& name) {
    if (name.size() < 4) return false;
    static const char kWav[] = ".wav";
    for (size_t i = 0; i < 4; ++i) {
        char c = name[name.size() - 4 + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kWav[i]) return false;
    }
    return true;
}

}  // namespace

CQPDoc::CQPDoc() : m_instanceToken(NewInstanceToken()) {}

CQPDoc::~CQPDoc() {
    if (m_pFileList) FreeFileList();
}

void CQPDoc::SetMidView(FileListView* view) {
    m_pMidView = view;
}

void CQPDoc::FillFileList(std::string folder) {
    FileList list = ReadFileList(folder);
    ShowFileList(std::move(folder), std::move(list));
}

CQPDoc::FileList CQPDoc::ReadFileList(const std::string& folder) {
    FileList list;
    LocalFileSystem& fs = LocalFileSystem::Real();
    std::vector<LocalFolderItem> items;
    const std::string prefix = local_path::WithSeparator(folder);
    if (folder.empty() || !fs.ListFolder(folder, items, true)) return list;
    list.reserve(items.size());
    for (const LocalFolderItem& item : items) {
        if (item.type == LocalFolderItem::Type::Folder || !IsWavName(item.name)) continue;
        const std::string path = prefix + item.name;
        LocalFileStatus status;
        if (!fs.ReadStatus(path, status) || status.isFolder) continue;
        auto entry = std::make_unique<FileEntry>();
        ResetFileEntry(*entry);
        entry->name = item.name;
        entry->path = path;
        entry->kind = local_path::KindOf(item.name);
        entry->size = status.size;
        entry->created = status.created;
        entry->accessed = status.accessed;
        entry->modified = status.modified;
        // This platform keeps no attribute byte: a dot name is hidden, a file the user may
        // not write is read-only, devices, pipes and sockets count as system files, and there
        // is no archive flag.
        entry->hidden = item.name[0] == '.' ? 1 : 0;
        entry->readOnly = status.readOnly ? 1 : 0;
        entry->archive = 0;
        entry->system = status.isRegular ? 0 : 1;
        list.push_back(std::move(entry));
    }
    return list;
}

void CQPDoc::ShowFileList(std::string folder, FileList list) {
    if (m_pFileList) FreeFileList();
    m_pFileList = std::make_unique<FileList>(std::move(list));
    ++m_fillNumber;
    SetCurrentFolder(std::move(folder));
    if (m_pMidView) m_pMidView->RefillFromDocument();
}

const CQPDoc::FileList* CQPDoc::GetFileList() const {
    return m_pFileList.get();
}

std::string CQPDoc::GetCurrentFolder() const {
    return m_strCurrentFolder;
}

void CQPDoc::SetCurrentFolder(std::string folder) {
    m_strCurrentFolder = std::move(folder);
}

void CQPDoc::FreeFileList() {
    m_copyList.clear();
    m_pFileList.reset();
}

void CQPDoc::SetCopyList(const std::vector<const FileEntry*>& entries) {
    m_copyList = entries;
}

const std::vector<const FileEntry*>& CQPDoc::GetCopyList() const {
    return m_copyList;
}

std::string CQPDoc::StoreCopyList() const {
    FileCopyRecord record;
    record.instance = m_instanceToken;
    record.fill = m_fillNumber;
    if (m_pFileList && !m_copyList.empty()) {
        std::unordered_map<const FileEntry*, std::uint32_t> indexOf;
        indexOf.reserve(m_pFileList->size());
        for (size_t i = 0; i < m_pFileList->size(); ++i)
            indexOf.emplace((*m_pFileList)[i].get(), static_cast<std::uint32_t>(i));
        for (const FileEntry* entry : m_copyList) {
            auto found = indexOf.find(entry);
            if (found != indexOf.end()) record.indices.push_back(found->second);
        }
    }
    return record.Encode();
}

bool CQPDoc::ResolveCopyRecord(std::string_view bytes, std::vector<const FileEntry*>* out) const {
    FileCopyRecord record;
    if (!FileCopyRecord::Decode(bytes, record)) return false;
    if (record.instance != m_instanceToken || record.fill != m_fillNumber || !m_pFileList)
        return false;
    for (std::uint32_t index : record.indices)
        if (index >= m_pFileList->size()) return false;
    if (out)
        for (std::uint32_t index : record.indices) out->push_back((*m_pFileList)[index].get());
    return true;
}

bool CQPDoc::LoadCopyList(std::string_view record) {
    m_copyList.clear();
    std::vector<const FileEntry*> entries;
    if (!ResolveCopyRecord(record, &entries)) return false;
    m_copyList = std::move(entries);
    return true;
}

bool CQPDoc::IsOwnCopyRecord(std::string_view record) const {
    return ResolveCopyRecord(record, nullptr);
}

void CQPDoc::SetMessageSelectionClearer(std::function<void()> clear) {
    m_clearMessageSelection = std::move(clear);
}

void CQPDoc::ClearMessageSelection() {
    if (m_clearMessageSelection) m_clearMessageSelection();
}

void CQPDoc::ResetFileEntry(FileEntry& entry) {
    entry = FileEntry{};
}

void CQPDoc::ListSubfolders(std::vector<std::string>& names, std::string folder) {
    if (folder.empty()) return;
    folder = local_path::WithSeparator(std::move(folder));
    LocalFileSystem& fs = LocalFileSystem::Real();
    std::vector<LocalFolderItem> items;
    if (!fs.ListFolder(folder, items, true)) return;
    for (const LocalFolderItem& item : items) {
        if (item.type == LocalFolderItem::Type::Folder) {
            names.push_back(item.name);
        } else if (item.type == LocalFolderItem::Type::Link) {
            LocalFileStatus status;
            if (fs.ReadStatus(folder + item.name, status) && status.isFolder)
                names.push_back(item.name);
        }
    }
}

int CQPDoc::DeleteLocalFile(const std::string& path) {
    return LocalFileSystem::Real().RemoveFileForced(path) ? 1 : 0;
}
