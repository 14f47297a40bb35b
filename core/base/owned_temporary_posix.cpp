// Our temporaries' names, their locks, and the removal of those a killed run left behind.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "core/base/owned_temporary.h"
#include "core/base/owned_temporary_names.h"
#include "core/base/system_error_text.h"

namespace owned_temporary {

namespace {

// A process of that id exists (ours included). An id that is not one stays "alive": what
// cannot be told is left alone.
bool ProcessAlive(long pid) {
    if (pid <= 1) return true;
    if (pid == static_cast<long>(::getpid())) return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

// Removes the temporary when its lock can be taken, i.e. nobody holds it any more, and the
// name still leads to the very entry that was locked.
void RemoveIfAbandoned(const std::string& path, Kind kind) {
    const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC |
                      (kind == Kind::StagingFolder ? O_DIRECTORY : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) return;
    struct stat locked {};
    const bool ours = ::fstat(fd, &locked) == 0 && locked.st_uid == ::geteuid() &&
                      (kind == Kind::PartFile ? S_ISREG(locked.st_mode) : S_ISDIR(locked.st_mode));
    if (ours && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == locked.st_dev &&
            named.st_ino == locked.st_ino) {
            if (kind == Kind::PartFile) {
                ::unlink(path.c_str());
            } else {
                std::error_code ec;
                std::filesystem::remove_all(path, ec);
            }
        }
    }
    ::close(fd);
}

}  // namespace

std::string MakeStagingFolder(const std::string& parent, UniqueFd* lock, std::string* reason) {
    std::string pattern = parent;
    if (!pattern.empty() && pattern.back() != '/') pattern += '/';
    pattern += StagingFolderPattern(static_cast<long>(::getpid()));
    // mkdtemp makes it with mode 0700 under a name no other program has.
    if (!::mkdtemp(pattern.data())) {
        *reason = SystemErrorText(errno);
        return {};
    }
    lock->Reset(::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Hold(lock->Get());
    return pattern;
}

bool Hold(int fd) {
    return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

void SweepLitter(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    // Names first, removals after: the listing is not changed while it is read.
    std::vector<std::pair<std::string, Kind>> abandoned;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') continue;
        const Owner owner = OwnerOf(entry->d_name);
        if (owner.kind != Kind::None && !ProcessAlive(owner.pid)) {
            abandoned.emplace_back(entry->d_name, owner.kind);
        }
    }
    ::closedir(dir);
    for (const auto& [name, kind] : abandoned) RemoveIfAbandoned(folder + name, kind);
}

}  // namespace owned_temporary
