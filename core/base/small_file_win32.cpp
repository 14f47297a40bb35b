#include <windows.h>

#include "core/base/small_file.h"
#include "core/base/win32_text.h"

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (Valid()) ::CloseHandle(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

SmallFile Unreadable(DWORD err) {
    SmallFile file;
    file.kind = SmallFile::Kind::Unreadable;
    file.reason = WindowsErrorText(err);
    return file;
}

}  // namespace

SmallFile ReadSmallFile(const std::string& path, std::uintmax_t limit, bool followLink) {
    SmallFile file;
    const std::wstring wide = WideFromUtf8(path);
    // Looked at before it is opened: a name in the device namespace ("CON", "COM1") may wait.
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &attributes)) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return file;
        // The system's device names are found everywhere and have no attributes to tell.
        if (err == ERROR_INVALID_PARAMETER || err == ERROR_INVALID_NAME) {
            file.kind = SmallFile::Kind::Device;
            return file;
        }
        return Unreadable(err);
    }
    if (!followLink && (attributes.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        file.kind = SmallFile::Kind::Link;
        return file;
    }
    if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        file.kind = SmallFile::Kind::Folder;
        return file;
    }
    const DWORD flags = followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT;
    FileHandle handle(::CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, flags, nullptr));
    if (!handle.Valid()) return Unreadable(::GetLastError());
    switch (::GetFileType(handle.Get())) {
        case FILE_TYPE_DISK:
            break;
        case FILE_TYPE_PIPE:
            file.kind = SmallFile::Kind::Pipe;
            return file;
        case FILE_TYPE_CHAR:
            file.kind = SmallFile::Kind::Device;
            return file;
        default:
            file.kind = SmallFile::Kind::Other;
            return file;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle.Get(), &size)) return Unreadable(::GetLastError());
    if (static_cast<std::uintmax_t>(size.QuadPart) > limit) {
        file.kind = SmallFile::Kind::TooLarge;
        file.size = static_cast<std::uintmax_t>(size.QuadPart);
        return file;
    }
    // Never more than one byte past limit: that byte tells a file that grew meanwhile.
    std::string text;
    char piece[16 * 1024];
    while (text.size() <= limit) {
        DWORD got = 0;
        if (!::ReadFile(handle.Get(), piece, sizeof piece, &got, nullptr)) {
            return Unreadable(::GetLastError());
        }
        if (got == 0) break;
        text.append(piece, got);
    }
    if (text.size() > limit) {
        file.kind = SmallFile::Kind::TooLarge;
        file.size = text.size();
        return file;
    }
    file.kind = SmallFile::Kind::Regular;
    file.text = std::move(text);
    return file;
}
