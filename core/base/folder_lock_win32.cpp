// Folder locks on Windows, where folders take no locks: the lock is on a hidden file in the
// folder, ".sonoret-lock", that goes away with the handle holding it (also when the program
// was killed). Another copy opens the same file and finds its lock taken.
#include <io.h>
#include <windows.h>

#include <atomic>
#include <random>

#include "core/base/folder_lock.h"
#include "core/base/win32_text.h"

namespace {

constexpr const wchar_t* kLockFileName = L".sonoret-lock";

std::wstring LockFileOf(const std::string& folder) {
    std::wstring path = WideFromUtf8(folder);
    if (!path.empty() && path.back() != L'/' && path.back() != L'\\') path += L'\\';
    return path + kLockFileName;
}

HANDLE HandleOf(const UniqueFd& fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd.Get()));
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return ::GetFileInformationByHandle(a, &first) && ::GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace

FolderLock::~FolderLock() {
    Release();
}

void FolderLock::Release() {
    m_fd.Reset();  // the handle's close lets the lock go and removes the file
}

FolderLock::Result FolderLock::Lock(const std::string& folder, std::string* error) {
    Release();
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = folder + ": " +
                 WindowsErrorText(attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError()
                                                                        : ERROR_DIRECTORY);
        return Result::Failed;
    }
    HANDLE file =
        ::CreateFileW(LockFileOf(folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = folder + ": " + WindowsErrorText(::GetLastError());
        return Result::Failed;
    }
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                      MAXDWORD, &whole)) {
        const DWORD err = ::GetLastError();
        ::CloseHandle(file);
        if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) return Result::Taken;
        *error = folder + ": " + WindowsErrorText(err);
        return Result::Failed;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
    if (fd < 0) {
        ::CloseHandle(file);
        *error = folder + ": " + WindowsErrorText(ERROR_TOO_MANY_OPEN_FILES);
        return Result::Failed;
    }
    m_fd.Reset(fd);
    return Result::Locked;
}

bool FolderLock::StillNames(const std::string& folder) const {
    if (!m_fd.Valid()) return false;
    HANDLE named = ::CreateFileW(LockFileOf(folder).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    const bool same = SameFile(HandleOf(m_fd), named);
    ::CloseHandle(named);
    return same;
}

std::string MakePrivateFolder(const std::string& base, const std::string& prefix,
                              std::string* error) {
    if (base.empty()) {
        *error = "no folder to make it in";
        return {};
    }
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    const char* const alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string folder = base;
    if (folder.back() != '/' && folder.back() != '\\') folder += '\\';
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = folder + prefix;
        unsigned mix = entropy() ^ counter.fetch_add(1);
        for (int i = 0; i < 6; ++i, mix = mix / 36 + entropy()) path += alphabet[mix % 36];
        // Made with the user's own folder's permissions, which other users cannot enter.
        if (::CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr)) return path;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            *error = base + ": " + WindowsErrorText(::GetLastError());
            return {};
        }
    }
    *error = base + ": " + WindowsErrorText(ERROR_ALREADY_EXISTS);
    return {};
}
