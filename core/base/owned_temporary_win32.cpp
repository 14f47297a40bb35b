// Our temporaries on Windows. A file's lock is a byte-range lock on it (LockFileEx), which
// ends with its owner's handle; a staging folder is known by its owner's process id alone, as
// the system locks no folders.
#include <io.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <random>
#include <vector>

#include "core/base/owned_temporary.h"
#include "core/base/owned_temporary_names.h"
#include "core/base/win32_text.h"

namespace owned_temporary {

namespace {

// A process of that id exists (ours included); one that cannot be told stays "alive".
bool ProcessAlive(long pid) {
    if (pid <= 0 || static_cast<DWORD>(pid) == ::GetCurrentProcessId()) return true;
    HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}

// A part file is removed when no handle holds its lock any more; a staging folder whole.
void RemoveIfAbandoned(const std::filesystem::path& path, Kind kind) {
    std::error_code ec;
    if (kind == Kind::StagingFolder) {
        if (!std::filesystem::is_symlink(path, ec)) std::filesystem::remove_all(path, ec);
        return;
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    OVERLAPPED whole{};
    if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                     MAXDWORD, &whole)) {
        FILE_DISPOSITION_INFO dispose{};
        dispose.DeleteFile = TRUE;
        ::SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
        ::UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    }
    ::CloseHandle(file);
}

}  // namespace

std::string MakeStagingFolder(const std::string& parent, UniqueFd* lock, std::string* reason) {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    const char* const alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string folder = parent;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = StagingFolderPattern(static_cast<long>(::GetCurrentProcessId()));
        unsigned mix = entropy() ^ counter.fetch_add(1);
        for (std::size_t i = name.size() - kStagingRandomChars; i < name.size(); ++i) {
            name[i] = alphabet[mix % 36];
            mix = mix / 36 + entropy();
        }
        const std::string path = folder + name;
        const std::wstring wide = WideFromUtf8(path);
        if (!::CreateDirectoryW(wide.c_str(), nullptr)) {
            const DWORD err = ::GetLastError();
            if (err == ERROR_ALREADY_EXISTS) continue;
            *reason = WindowsErrorText(err);
            return {};
        }
        // Held open (and removable meanwhile) for the command's life.
        HANDLE handle = ::CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
            if (fd < 0) ::CloseHandle(handle);
            lock->Reset(fd);
        }
        return path;
    }
    *reason = WindowsErrorText(ERROR_ALREADY_EXISTS);
    return {};
}

bool Hold(int fd) {
    if (fd < 0) return false;
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED whole{};
    return ::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                        MAXDWORD, &whole) != 0;
}

void SweepLitter(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path base = folder.empty() ? fs::path(".") : fs::path(WideFromUtf8(folder));
    // Names first, removals after: the listing is not changed while it is read.
    std::vector<std::pair<fs::path, Kind>> abandoned;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = Utf8FromWide(it->path().filename().wstring());
        if (name.empty() || name[0] != '.') continue;
        const Owner owner = OwnerOf(name);
        if (owner.kind != Kind::None && !ProcessAlive(owner.pid)) {
            abandoned.emplace_back(it->path(), owner.kind);
        }
    }
    for (const auto& [path, kind] : abandoned) RemoveIfAbandoned(path, kind);
}

}  // namespace owned_temporary
