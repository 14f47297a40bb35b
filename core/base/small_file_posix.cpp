#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/base/small_file.h"
#include "core/base/system_error_text.h"
#include "core/base/unique_fd.h"

namespace {

using Kind = SmallFile::Kind;

Kind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return Kind::Regular;
    if (S_ISLNK(mode)) return Kind::Link;
    if (S_ISDIR(mode)) return Kind::Folder;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return Kind::Device;
    if (S_ISFIFO(mode)) return Kind::Pipe;
    return Kind::Other;
}

SmallFile Unreadable(int err) {
    SmallFile file;
    file.kind = Kind::Unreadable;
    file.reason = SystemErrorText(err);
    return file;
}

SmallFile OfKind(Kind kind) {
    SmallFile file;
    file.kind = kind;
    return file;
}

}  // namespace

SmallFile ReadSmallFile(const std::string& path, std::uintmax_t limit, bool followLink) {
    struct stat status {};
    // Looked at before it is opened: opening a pipe or a device may wait, or do something.
    if ((followLink ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        return Unreadable(errno);
    }
    if (const Kind kind = KindOf(status.st_mode); kind != Kind::Regular) return OfKind(kind);
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        SmallFile file = OfKind(Kind::TooLarge);
        file.size = static_cast<std::uintmax_t>(status.st_size);
        return file;
    }
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    UniqueFd fd(::open(path.c_str(), flags));
    if (!fd.Valid()) {
        if (errno == ELOOP) return OfKind(Kind::Link);
        if (errno == ENOENT) return {};
        return Unreadable(errno);
    }
    // What was opened need not be what was looked at: a name can change its file meanwhile.
    if (::fstat(fd.Get(), &status) != 0) return Unreadable(errno);
    if (const Kind kind = KindOf(status.st_mode); kind != Kind::Regular) return OfKind(kind);
    // Never more than one byte past limit: that byte tells a file too large, also one that
    // grows while it is read or claims no size at all.
    std::string text;
    char piece[16 * 1024];
    while (text.size() <= limit) {
        const ssize_t got = ::read(fd.Get(), piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Unreadable(errno);
        if (got == 0) break;
        text.append(piece, static_cast<std::size_t>(got));
    }
    if (text.size() > limit) {
        SmallFile file = OfKind(Kind::TooLarge);
        const auto size = static_cast<std::uintmax_t>(status.st_size);
        file.size = size > text.size() ? size : text.size();
        return file;
    }
    SmallFile file = OfKind(Kind::Regular);
    file.text = std::move(text);
    return file;
}
