// The staged output file on POSIX systems.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/base/staged_output_file.h"
#include "core/base/system_error_text.h"

namespace {

// Renames from to to unless something is at to already: 0, or the error (EEXIST when there
// is). The kernel does it in one step where the file system can; elsewhere a hard link (which
// never replaces) stands in, and where neither is known (some removable media) a look first.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST) return EEXIST;
    if (errno != EPERM && errno != ENOTSUP && errno != EMLINK && errno != ENOSYS) return errno;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

const int StagedOutputFile::kErrorNotOpen = EBADF;
const int StagedOutputFile::kErrorIsFolder = EISDIR;
const int StagedOutputFile::kErrorNameTaken = EEXIST;

std::string StagedOutputFile::ReasonFor(int err) {
    return SystemErrorText(err);
}

void StagedOutputFile::SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const auto slash = path.find_last_of('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

bool StagedOutputFile::IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

long StagedOutputFile::ProcessId() {
    return static_cast<long>(::getpid());
}

int StagedOutputFile::CreateFresh(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.Valid()) return errno == EEXIST || errno == EINTR ? kTaken : errno;
    m_fd = std::move(fd);
    return 0;
}

bool StagedOutputFile::KeepModeOf(const std::string& path) {
    if (!m_fd.Valid()) return Fail("cannot write", kErrorNotOpen);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    return ::fchmod(m_fd.Get(), st.st_mode & 07777) == 0 || Fail("cannot write", errno);
}

bool StagedOutputFile::Flush() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t put = ::write(m_fd.Get(), m_buffer.data() + done, m_buffer.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return Fail("cannot write", errno);
        }
        done += static_cast<std::size_t>(put);
    }
    m_buffer.clear();
    return true;
}

bool StagedOutputFile::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    if (!m_fd.Valid()) return Fail("cannot write", kErrorNotOpen);
    if (!m_error.empty() || !Flush()) return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put =
            ::pwrite(m_fd.Get(), data + done, size - done, static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR) continue;
            return Fail("cannot write", errno);
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool StagedOutputFile::Seal() {
    bool ok = true;
    if (m_hasModificationTime) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {m_modificationTime, 0}};
        if (::futimens(m_fd.Get(), times) != 0) ok = Fail("cannot write", errno);
    }
    // Delayed allocation reports a full disk only here.
    if (ok && ::fsync(m_fd.Get()) != 0) ok = Fail("cannot write", errno);
    if (!m_fd.Close() && ok) ok = Fail("cannot write", errno);
    return ok;
}

int StagedOutputFile::MoveIntoPlace() {
    if (!m_noReplace) return ::rename(m_tempPath.c_str(), m_targetPath.c_str()) == 0 ? 0 : errno;
    const int err = RenameNoReplace(m_tempPath, m_targetPath);
    return err == EEXIST ? kTaken : err;
}

void StagedOutputFile::RemoveFile(const std::string& path) {
    ::unlink(path.c_str());
}
