#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/base/folder_lock.h"
#include "core/base/system_error_text.h"

namespace {

std::string Reason(const std::string& what, int err) {
    return WithSystemReason(what, err);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

FolderLock::~FolderLock() {
    Release();
}

void FolderLock::Release() {
    m_fd.Reset();  // closing the descriptor lets the lock go
}

FolderLock::Result FolderLock::Lock(const std::string& folder, std::string* error) {
    Release();
    // A copy that is closing removes the folder while it still holds the lock: what we opened
    // may be gone once the lock is ours. Then the folder of that name (made again, or by now
    // missing) is tried afresh.
    for (int attempt = 0; attempt < 3; ++attempt) {
        UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd.Valid()) {
            *error = Reason(folder, errno);
            return Result::Failed;
        }
        int locked;
        do {
            locked = ::flock(fd.Get(), LOCK_EX | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            if (errno == EWOULDBLOCK) return Result::Taken;
            *error = Reason(folder, errno);
            return Result::Failed;
        }
        m_fd = std::move(fd);
        if (StillNames(folder)) return Result::Locked;
        Release();
    }
    *error = folder + ": removed while it was being locked";
    return Result::Failed;
}

bool FolderLock::StillNames(const std::string& folder) const {
    if (!m_fd.Valid()) return false;
    struct stat held {
    }, named{};
    return ::fstat(m_fd.Get(), &held) == 0 && ::stat(folder.c_str(), &named) == 0 &&
           SameFile(held, named);
}

std::string MakePrivateFolder(const std::string& base, const std::string& prefix,
                              std::string* error) {
    if (base.empty()) {
        *error = "no folder to make it in";
        return {};
    }
    std::string pattern = base;
    if (pattern.back() != '/') pattern += '/';
    pattern += prefix + "XXXXXX";
    // mkdtemp makes it with mode 0700 under a name no other program has.
    if (!::mkdtemp(pattern.data())) {
        *error = Reason(base, errno);
        return {};
    }
    return pattern;
}
