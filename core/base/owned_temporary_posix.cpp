// Our temporaries' names, their locks, and the removal of those a killed run left behind.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/base/owned_temporary.h"

namespace owned_temporary {

namespace {

constexpr std::string_view kPartSuffix = ".part";
constexpr std::string_view kStagingPrefix = ".sonoret-";
constexpr std::size_t kStagingRandomChars = 6;  // mkdtemp's XXXXXX

enum class Kind { None, PartFile, StagingFolder };

struct Owner {
    Kind kind = Kind::None;
    long pid = 0;
};

bool IsNumber(std::string_view s) {
    if (s.empty() || s.size() > 9) return false;  // a process id fits in nine digits
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

long ToNumber(std::string_view digits) {
    long value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

bool IsAlphanumeric(std::string_view s) {
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            return false;
        }
    }
    return true;
}

// ".NAME.PID-N.part" with a name of at least one character.
Owner PartFileOwner(std::string_view name) {
    if (name.size() < 2 || name.front() != '.' || !name.ends_with(kPartSuffix)) return {};
    name.remove_suffix(kPartSuffix.size());
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < 2) return {};
    const std::string_view id = name.substr(dot + 1);
    const auto dash = id.find('-');
    if (dash == std::string_view::npos) return {};
    if (!IsNumber(id.substr(0, dash)) || !IsNumber(id.substr(dash + 1))) return {};
    return {Kind::PartFile, ToNumber(id.substr(0, dash))};
}

// ".sonoret-PID-XXXXXX".
Owner StagingFolderOwner(std::string_view name) {
    if (!name.starts_with(kStagingPrefix)) return {};
    name.remove_prefix(kStagingPrefix.size());
    const auto dash = name.find('-');
    if (dash == std::string_view::npos || name.size() - dash - 1 != kStagingRandomChars) return {};
    if (!IsNumber(name.substr(0, dash)) || !IsAlphanumeric(name.substr(dash + 1))) return {};
    return {Kind::StagingFolder, ToNumber(name.substr(0, dash))};
}

Owner OwnerOf(std::string_view name) {
    const Owner staging = StagingFolderOwner(name);
    return staging.kind != Kind::None ? staging : PartFileOwner(name);
}

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

std::string PartFileName(const std::string& name, long pid, unsigned n) {
    return "." + name + "." + std::to_string(pid) + "-" + std::to_string(n) +
           std::string(kPartSuffix);
}

std::string StagingFolderPattern(long pid) {
    return std::string(kStagingPrefix) + std::to_string(pid) + "-" +
           std::string(kStagingRandomChars, 'X');
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
