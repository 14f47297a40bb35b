// The conversion's ".Bin" reader on POSIX systems. OS errors are turned into text in one
// place, FileError.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/base/system_error_text.h"
#include "core/convert/bin_input_file.h"

namespace {

std::string FileError(const std::string& what, const std::string& path, int err) {
    return WithSystemReason(what + " " + path, err);
}

// What a path that is no regular file leads to, in the user's words.
std::string NotAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    if (S_ISFIFO(mode)) return "it is a named pipe, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
    if (S_ISSOCK(mode)) return "it is a socket, not a file";
    return "it is not a regular file";
}

}  // namespace

bool BinInputFile::OpenFile(const std::string& path) {
    // Without O_NONBLOCK a named pipe would hold the open until some writer came, deaf to
    // Ctrl-C; only a regular file is read, and for it the flag changes nothing.
    UniqueFd fd;
    do {
        fd.Reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    } while (!fd.Valid() && errno == EINTR);
    if (!fd.Valid()) {
        m_error = FileError("cannot open", path, errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        m_error = FileError("cannot read", path, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_error = "cannot convert " + path + ": " + NotAFile(st.st_mode);
        return false;
    }
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    // Keep out of the way of a writer that holds the file exclusively (a download still
    // writing it); locks that the file system does not support are no reason to refuse.
    if (::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        m_error = FileError("cannot open", path, EBUSY);
        return false;
    }
    m_fd = std::move(fd);
    m_size = static_cast<std::uint64_t>(st.st_size);
    m_device = static_cast<std::uint64_t>(st.st_dev);
    m_inode = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool BinInputFile::Rewind() {
    m_pos = m_end = 0;
    if (m_fd.Valid() && ::lseek(m_fd.Get(), 0, SEEK_SET) == 0) return true;
    if (m_error.empty()) m_error = FileError("cannot read", m_path, m_fd.Valid() ? errno : EBADF);
    return false;
}

bool BinInputFile::IsSameFile(const std::string& path) const {
    struct stat st {};
    return m_fd.Valid() && ::lstat(path.c_str(), &st) == 0 &&
           static_cast<std::uint64_t>(st.st_dev) == m_device &&
           static_cast<std::uint64_t>(st.st_ino) == m_inode;
}

bool BinInputFile::Fill() {
    m_pos = m_end = 0;
    if (!m_fd.Valid() || !m_error.empty()) return false;
    for (;;) {
        const ssize_t got = ::read(m_fd.Get(), m_buffer.data(), m_buffer.size());
        if (got >= 0) {
            m_end = static_cast<std::size_t>(got);
            return got > 0;
        }
        if (errno != EINTR) {
            m_error = FileError("cannot read", m_path, errno);
            return false;
        }
    }
}
