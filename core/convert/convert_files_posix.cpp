// The conversion's files on POSIX systems: the buffered ".Bin" reader and the staged ".wav"
// writer. OS errors are turned into text in one place, FileError.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "core/base/owned_temporary.h"
#include "core/base/system_error_text.h"
#include "core/convert/bin_input_file.h"
#include "core/convert/staged_output_file.h"

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

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

void CloseQuietly(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Folder part (with its separator) and file part of a path.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const auto slash = path.find_last_of('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// ---- BinInputFile -------------------------------------------------------------------------

BinInputFile::~BinInputFile() {
    Close();
}

void BinInputFile::Close() {
    CloseQuietly(m_fd);
}

bool BinInputFile::Open(const std::string& path) {
    Close();
    m_path = path;
    m_error.clear();
    m_pos = m_end = 0;
    m_size = 0;
    // Without O_NONBLOCK a named pipe would hold the open until some writer came, deaf to
    // Ctrl-C; only a regular file is read, and for it the flag changes nothing.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = FileError("cannot open", path, errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        m_error = FileError("cannot read", path, errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_error = "cannot convert " + path + ": " + NotAFile(st.st_mode);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // Keep out of the way of a writer that holds the file exclusively (a download still
    // writing it); locks that the file system does not support are no reason to refuse.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        m_error = FileError("cannot open", path, EBUSY);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_size = static_cast<std::uint64_t>(st.st_size);
    m_device = static_cast<std::uint64_t>(st.st_dev);
    m_inode = static_cast<std::uint64_t>(st.st_ino);
    m_buffer.resize(kBufferBytes);
    return true;
}

bool BinInputFile::Rewind() {
    m_pos = m_end = 0;
    if (m_fd >= 0 && ::lseek(m_fd, 0, SEEK_SET) == 0) return true;
    if (m_error.empty()) m_error = FileError("cannot read", m_path, m_fd < 0 ? EBADF : errno);
    return false;
}

bool BinInputFile::IsSameFile(const std::string& path) const {
    struct stat st {};
    return m_fd >= 0 && ::lstat(path.c_str(), &st) == 0 &&
           static_cast<std::uint64_t>(st.st_dev) == m_device &&
           static_cast<std::uint64_t>(st.st_ino) == m_inode;
}

bool BinInputFile::Fill() {
    m_pos = m_end = 0;
    if (m_fd < 0 || !m_error.empty()) return false;
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data(), m_buffer.size());
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

std::size_t BinInputFile::Read(std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (m_pos == m_end && !Fill()) break;
        const std::size_t n = std::min(size - done, m_end - m_pos);
        std::memcpy(data + done, m_buffer.data() + m_pos, n);
        m_pos += n;
        done += n;
    }
    return done;
}

// ---- StagedOutputFile ---------------------------------------------------------------------

StagedOutputFile::~StagedOutputFile() {
    Discard();
}

bool StagedOutputFile::Fail(const std::string& what, int err) {
    if (m_error.empty()) m_error = FileError(what, m_targetPath, err);
    return false;
}

bool StagedOutputFile::Create(const std::string& targetPath) {
    Discard();
    m_targetPath = targetPath;
    m_error.clear();
    m_buffer.clear();
    m_buffer.reserve(kBufferBytes);

    std::string folder, name;
    SplitPath(targetPath, folder, name);
    if (name.empty()) return Fail("cannot create", EISDIR);
    // What a run that was killed while writing here left behind goes first.
    owned_temporary::SweepLitter(folder);
    // A dot name the file lists do not show; unique through the process id and a counter,
    // and O_EXCL makes sure a leftover of an earlier run is never reused or overwritten. The
    // lock held until the file is closed tells a later run that its owner is still at work.
    static std::atomic<unsigned> counter{0};
    const std::string stem = name.size() <= 200 ? name : std::string("sonoret");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            folder + owned_temporary::PartFileName(stem, static_cast<long>(::getpid()),
                                                   counter.fetch_add(1));
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            owned_temporary::Hold(fd);
            m_fd = fd;
            m_tempPath = candidate;
            return true;
        }
        if (errno != EEXIST && errno != EINTR) return Fail("cannot create", errno);
    }
    return Fail("cannot create", EEXIST);
}

bool StagedOutputFile::Flush() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t put = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return Fail("cannot write", errno);
        }
        done += static_cast<std::size_t>(put);
    }
    m_buffer.clear();
    return true;
}

bool StagedOutputFile::Write(const std::uint8_t* data, std::size_t size) {
    if (m_fd < 0) return Fail("cannot write", EBADF);
    if (!m_error.empty()) return false;
    if (m_buffer.size() + size > kBufferBytes && !Flush()) return false;
    if (size >= kBufferBytes) {
        m_buffer.assign(data, data + size);
        return Flush();
    }
    m_buffer.insert(m_buffer.end(), data, data + size);
    return true;
}

bool StagedOutputFile::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    if (m_fd < 0) return Fail("cannot write", EBADF);
    if (!m_error.empty() || !Flush()) return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put =
            ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR) continue;
            return Fail("cannot write", errno);
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool StagedOutputFile::Commit() {
    if (m_fd < 0) return Fail("cannot write", EBADF);
    bool ok = m_error.empty() && Flush();
    // Delayed allocation reports a full disk only here, and a crash after the rename must
    // not leave a file that is only named whole.
    if (ok && ::fsync(m_fd) != 0) ok = Fail("cannot write", errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (ok && closed != 0) ok = Fail("cannot write", errno);
    if (ok && ::rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0) {
        ok = Fail("cannot create", errno);
    }
    if (!ok) {
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void StagedOutputFile::Discard() {
    CloseQuietly(m_fd);
    if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_buffer.clear();
}
