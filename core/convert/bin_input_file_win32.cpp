// The conversion's ".Bin" reader on Windows. A file that a download still writes is shared
// for reading by nobody, so opening it fails at once as "in use".
#include <io.h>
#include <windows.h>

#include "core/base/win32_text.h"
#include "core/convert/bin_input_file.h"

namespace {

std::string FileError(const std::string& what, const std::string& path, DWORD err) {
    return what + " " + path + ": " + WindowsErrorText(err);
}

HANDLE HandleOf(const UniqueFd& fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd.Get()));
}

// The identity of a file: its volume and its number there.
bool IdentityOf(HANDLE file, std::uint64_t* volume, std::uint64_t* index) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return false;
    *volume = info.dwVolumeSerialNumber;
    *index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace

bool BinInputFile::OpenFile(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        m_error = "cannot convert " + path + ": it is a folder, not a file";
        return false;
    }
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        m_error = FileError("cannot open", path, ::GetLastError());
        return false;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
    if (fd < 0) {
        ::CloseHandle(file);
        m_error = FileError("cannot open", path, ERROR_TOO_MANY_OPEN_FILES);
        return false;
    }
    UniqueFd held(fd);
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        m_error = "cannot convert " + path + ": it is a device, not a file";
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || !IdentityOf(file, &m_device, &m_inode)) {
        m_error = FileError("cannot read", path, ::GetLastError());
        return false;
    }
    m_fd = std::move(held);
    m_size = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

bool BinInputFile::Rewind() {
    m_pos = m_end = 0;
    LARGE_INTEGER zero{};
    if (m_fd.Valid() && ::SetFilePointerEx(HandleOf(m_fd), zero, nullptr, FILE_BEGIN)) return true;
    if (m_error.empty()) {
        m_error = FileError("cannot read", m_path,
                            m_fd.Valid() ? ::GetLastError() : ERROR_INVALID_HANDLE);
    }
    return false;
}

bool BinInputFile::IsSameFile(const std::string& path) const {
    if (!m_fd.Valid()) return false;
    HANDLE other = ::CreateFileW(WideFromUtf8(path).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (other == INVALID_HANDLE_VALUE) return false;
    std::uint64_t volume = 0, index = 0;
    const bool same = IdentityOf(other, &volume, &index) && volume == m_device && index == m_inode;
    ::CloseHandle(other);
    return same;
}

bool BinInputFile::Fill() {
    m_pos = m_end = 0;
    if (!m_fd.Valid() || !m_error.empty()) return false;
    DWORD got = 0;
    if (!::ReadFile(HandleOf(m_fd), m_buffer.data(), static_cast<DWORD>(m_buffer.size()), &got,
                    nullptr)) {
        m_error = FileError("cannot read", m_path, ::GetLastError());
        return false;
    }
    m_end = got;
    return got > 0;
}
