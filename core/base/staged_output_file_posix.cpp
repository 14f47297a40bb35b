// The staged output file on POSIX systems.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "core/base/owned_temporary.h"
#include "core/base/staged_output_file.h"
#include "core/base/system_error_text.h"

namespace {

// Folder part (with its separator) and file part of a path.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const auto slash = path.find_last_of('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

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

bool StagedOutputFile::Fail(const std::string& what, int err) {
    if (m_error.empty()) {
        m_reason = SystemErrorText(err);
        m_error = what + " " + m_targetPath + ": " + m_reason;
    }
    return false;
}

bool StagedOutputFile::Create(const std::string& targetPath) {
    Discard();
    m_targetPath = targetPath;
    m_error.clear();
    m_reason.clear();
    m_targetExists = false;
    m_buffer.clear();
    m_buffer.reserve(kBufferBytes);

    std::string folder, name;
    SplitPath(targetPath, folder, name);
    if (name.empty()) return Fail("cannot create", EISDIR);
    struct stat st {};
    if (::stat(targetPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return Fail("cannot create", EISDIR);
    }
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
        UniqueFd fd(::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.Valid()) {
            owned_temporary::Hold(fd.Get());
            m_fd = std::move(fd);
            m_tempPath = candidate;
            return true;
        }
        if (errno != EEXIST && errno != EINTR) return Fail("cannot create", errno);
    }
    return Fail("cannot create", EEXIST);
}

bool StagedOutputFile::KeepModeOf(const std::string& path) {
    if (!m_fd.Valid()) return Fail("cannot write", EBADF);
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
    if (!m_fd.Valid()) return Fail("cannot write", EBADF);
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

bool StagedOutputFile::Retarget(const std::string& targetPath) {
    std::string folder, name, newFolder, newName;
    SplitPath(m_targetPath, folder, name);
    SplitPath(targetPath, newFolder, newName);
    if (newFolder != folder || newName.empty()) return false;
    m_targetPath = targetPath;
    m_targetExists = false;
    return true;
}

bool StagedOutputFile::Commit() {
    if (m_tempPath.empty()) return Fail("cannot write", EBADF);
    m_targetExists = false;
    bool ok = m_error.empty();
    // A commit after TargetExists finds the file closed already.
    if (ok && m_fd.Valid()) {
        ok = Flush();
        if (ok && m_hasModificationTime) {
            const struct timespec times[2] = {{0, UTIME_OMIT}, {m_modificationTime, 0}};
            if (::futimens(m_fd.Get(), times) != 0) ok = Fail("cannot write", errno);
        }
        // Delayed allocation reports a full disk only here, and a crash after the rename must
        // not leave a file that is only named whole.
        if (ok && ::fsync(m_fd.Get()) != 0) ok = Fail("cannot write", errno);
        if (!m_fd.Close() && ok) ok = Fail("cannot write", errno);
    }
    if (ok) {
        const int err = m_noReplace ? RenameNoReplace(m_tempPath, m_targetPath)
                        : ::rename(m_tempPath.c_str(), m_targetPath.c_str()) == 0 ? 0
                                                                                  : errno;
        if (err == EEXIST && m_noReplace) {
            m_targetExists = true;
            return false;
        }
        if (err != 0) ok = Fail("cannot create", err);
    }
    if (!ok) {
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void StagedOutputFile::Discard() {
    m_fd.Reset();
    if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_buffer.clear();
}
