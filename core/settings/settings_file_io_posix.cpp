// The settings file's bytes on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/base/owned_temporary.h"
#include "core/settings/settings_file_io.h"

namespace fs = std::filesystem;

namespace {

using Kind = SettingsFileProblem::Kind;

std::string SystemReason(int error) {
    return std::error_code(error, std::generic_category()).message();
}

Kind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return Kind::None;
    if (S_ISDIR(mode)) return Kind::Folder;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return Kind::Device;
    if (S_ISFIFO(mode)) return Kind::Pipe;
    return Kind::NotRegular;
}

// Reads fd to its end, but never more than one byte past limit: that byte tells a file too
// large, also one that grows while it is read or claims no size at all. 0 or the error.
int ReadUpTo(int fd, std::uintmax_t limit, std::string* text) {
    char piece[16 * 1024];
    while (text->size() <= limit) {
        const ssize_t got = ::read(fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) break;
        text->append(piece, static_cast<std::size_t>(got));
    }
    return 0;
}

// Writes all of text to fd and makes it durable. 0 or the error.
int WriteDurably(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return errno;
        done += static_cast<std::size_t>(put);
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

namespace settings_io {

std::optional<std::string> ReadText(const std::string& path, std::uintmax_t limit,
                                    SettingsFileProblem* problem) {
    *problem = {};
    struct stat status {};
    // Looked at before it is opened: opening a pipe or a device may wait, or do something.
    if (::stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            *problem = {Kind::Unreadable, 0, SystemReason(errno)};
        }
        return std::nullopt;
    }
    if (const Kind kind = KindOf(status.st_mode); kind != Kind::None) {
        problem->kind = kind;
        return std::nullopt;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        *problem = {Kind::TooLarge, static_cast<std::uintmax_t>(status.st_size), {}};
        return std::nullopt;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *problem = {Kind::Unreadable, 0, SystemReason(errno)};
        return std::nullopt;
    }
    // What was opened need not be what was looked at: a name can change its file meanwhile.
    std::string text;
    int error = ::fstat(fd, &status) != 0 ? errno : 0;
    const Kind kind = error ? Kind::Unreadable : KindOf(status.st_mode);
    if (!error && kind == Kind::None) error = ReadUpTo(fd, limit, &text);
    ::close(fd);
    if (kind != Kind::None && kind != Kind::Unreadable) {
        problem->kind = kind;
    } else if (error) {
        *problem = {Kind::Unreadable, 0, SystemReason(error)};
    } else if (text.size() > limit) {
        const auto size = static_cast<std::uintmax_t>(status.st_size);
        *problem = {Kind::TooLarge, size > text.size() ? size : text.size(), {}};
    } else {
        return text;
    }
    return std::nullopt;
}

// TODO(atomic-write): the one atomic-write helper of core/base takes this over.
bool WriteText(const std::string& path, const std::string& text, std::string* error) {
    std::error_code ec;
    fs::path target = path;
    // A link stays a link: the file it points to is the one replaced.
    if (fs::is_symlink(target, ec)) {
        if (fs::path resolved = fs::canonical(target, ec); !ec) target = resolved;
    }
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);

    // Written beside the file under a name of our own, then renamed over it: a reader never
    // sees half a file, and a full disk leaves the old one as it was.
    static std::atomic<unsigned> serial{0};
    const long pid = static_cast<long>(::getpid());
    std::string temporary;
    int fd = -1;
    int failure = 0;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = (target.parent_path() /
                     owned_temporary::PartFileName(target.filename().string(), pid, serial++))
                        .string();
        // The umask applies, as to any file of the user's that is made new.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        failure = fd < 0 ? errno : 0;
        if (fd < 0 && failure != EEXIST) break;
    }
    if (fd >= 0) {
        struct stat status {};
        if (::stat(target.c_str(), &status) == 0 && ::fchmod(fd, status.st_mode & 07777) != 0) {
            failure = errno;
        }
        if (!failure) failure = WriteDurably(fd, text);
        if (::close(fd) != 0 && !failure) failure = errno;
        if (!failure && ::rename(temporary.c_str(), target.c_str()) != 0) failure = errno;
        if (failure) ::unlink(temporary.c_str());
    }
    if (failure && error) *error = target.string() + ": " + SystemReason(failure);
    return failure == 0;
}

}  // namespace settings_io
