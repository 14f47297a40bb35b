// The staged output file on Windows: the temporary file beside the target is put in its place
// by MoveFileExW, which replaces a file there in one step (or, told not to replace, fails).
// Errors here are the system's own codes (GetLastError).
#include <io.h>
#include <windows.h>

#include "core/base/staged_output_file.h"
#include "core/base/win32_text.h"

namespace {

HANDLE HandleOf(const UniqueFd& fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd.Get()));
}

bool WriteAll(HANDLE file, const std::uint8_t* data, std::size_t size, DWORD* err) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t piece = size - done < (1u << 30) ? size - done : (1u << 30);
        DWORD put = 0;
        if (!::WriteFile(file, data + done, static_cast<DWORD>(piece), &put, nullptr)) {
            *err = ::GetLastError();
            return false;
        }
        done += put;
    }
    return true;
}

// A time_t as the system's file time (100 ns steps since 1601).
FILETIME FileTimeOf(std::time_t when) {
    const auto ticks = (static_cast<unsigned long long>(when) + 11644473600ULL) * 10000000ULL;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

}  // namespace

const int StagedOutputFile::kErrorNotOpen = ERROR_INVALID_HANDLE;
const int StagedOutputFile::kErrorIsFolder = ERROR_DIRECTORY;
const int StagedOutputFile::kErrorNameTaken = ERROR_FILE_EXISTS;

std::string StagedOutputFile::ReasonFor(int err) {
    return WindowsErrorText(static_cast<DWORD>(err));
}

// Either separator counts.
void StagedOutputFile::SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const auto slash = path.find_last_of("/\\");
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

bool StagedOutputFile::IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

long StagedOutputFile::ProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

int StagedOutputFile::CreateFresh(const std::string& path) {
    // Others may look, and remove it; nobody may write it but us. CREATE_NEW never reuses a
    // leftover.
    HANDLE file = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return kTaken;
        return static_cast<int>(err);
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
    if (fd < 0) {
        ::CloseHandle(file);
        ::DeleteFileW(WideFromUtf8(path).c_str());
        return ERROR_TOO_MANY_OPEN_FILES;
    }
    m_fd.Reset(fd);
    return 0;
}

bool StagedOutputFile::KeepModeOf(const std::string& path) {
    // A file replaced by another keeps no permissions of its own here: the new one takes its
    // folder's, as the old one did. Only a read-only mark is carried over.
    if (!m_fd.Valid()) return Fail("cannot write", kErrorNotOpen);
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) {
        return true;
    }
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(HandleOf(m_fd), FileBasicInfo, &basic, sizeof basic)) {
        return Fail("cannot write", static_cast<int>(::GetLastError()));
    }
    basic.FileAttributes |= FILE_ATTRIBUTE_READONLY;
    return ::SetFileInformationByHandle(HandleOf(m_fd), FileBasicInfo, &basic, sizeof basic) ||
           Fail("cannot write", static_cast<int>(::GetLastError()));
}

bool StagedOutputFile::Flush() {
    DWORD err = 0;
    if (!WriteAll(HandleOf(m_fd), m_buffer.data(), m_buffer.size(), &err)) {
        return Fail("cannot write", static_cast<int>(err));
    }
    m_buffer.clear();
    return true;
}

bool StagedOutputFile::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    if (!m_fd.Valid()) return Fail("cannot write", kErrorNotOpen);
    if (!m_error.empty() || !Flush()) return false;
    const HANDLE file = HandleOf(m_fd);
    // Written where asked, and the next Write goes on where the last one ended.
    LARGE_INTEGER zero{}, end{}, at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD err = 0;
    if (!::SetFilePointerEx(file, zero, &end, FILE_CURRENT) ||
        !::SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
        return Fail("cannot write", static_cast<int>(::GetLastError()));
    }
    const bool written = WriteAll(file, data, size, &err);
    if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && written) {
        err = ::GetLastError();
        return Fail("cannot write", static_cast<int>(err));
    }
    return written || Fail("cannot write", static_cast<int>(err));
}

bool StagedOutputFile::Seal() {
    bool ok = true;
    if (m_hasModificationTime) {
        const FILETIME written = FileTimeOf(m_modificationTime);
        if (!::SetFileTime(HandleOf(m_fd), nullptr, nullptr, &written)) {
            ok = Fail("cannot write", static_cast<int>(::GetLastError()));
        }
    }
    if (ok && !::FlushFileBuffers(HandleOf(m_fd))) {
        ok = Fail("cannot write", static_cast<int>(::GetLastError()));
    }
    if (!m_fd.Close() && ok) ok = Fail("cannot write", ERROR_WRITE_FAULT);
    return ok;
}

int StagedOutputFile::MoveIntoPlace() {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (m_noReplace ? 0 : MOVEFILE_REPLACE_EXISTING);
    if (::MoveFileExW(WideFromUtf8(m_tempPath).c_str(), WideFromUtf8(m_targetPath).c_str(),
                      flags)) {
        return 0;
    }
    const DWORD err = ::GetLastError();
    if (m_noReplace && (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS)) return kTaken;
    return static_cast<int>(err);
}

void StagedOutputFile::RemoveFile(const std::string& path) {
    ::DeleteFileW(WideFromUtf8(path).c_str());
}
