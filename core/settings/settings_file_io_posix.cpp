// The settings file's bytes on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/base/staged_output_file.h"
#include "core/base/system_error_text.h"
#include "core/base/unique_fd.h"
#include "core/res/strings.h"
#include "core/settings/settings_file_io.h"

namespace fs = std::filesystem;

namespace {

using Kind = SettingsFileProblem::Kind;

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

}  // namespace

namespace settings_io {

std::string DefaultLocation() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    return base + "/" + text::kProfileOrganisation + "/" + text::kProfileApplication + ".conf";
}

std::string StandardDevice(int port) {
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::optional<std::string> ReadText(const std::string& path, std::uintmax_t limit,
                                    SettingsFileProblem* problem) {
    *problem = {};
    struct stat status {};
    // Looked at before it is opened: opening a pipe or a device may wait, or do something.
    if (::stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            *problem = {Kind::Unreadable, 0, SystemErrorText(errno)};
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
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) {
        *problem = {Kind::Unreadable, 0, SystemErrorText(errno)};
        return std::nullopt;
    }
    // What was opened need not be what was looked at: a name can change its file meanwhile.
    std::string text;
    int error = ::fstat(fd.Get(), &status) != 0 ? errno : 0;
    const Kind kind = error ? Kind::Unreadable : KindOf(status.st_mode);
    if (!error && kind == Kind::None) error = ReadUpTo(fd.Get(), limit, &text);
    fd.Reset();
    if (kind != Kind::None && kind != Kind::Unreadable) {
        problem->kind = kind;
    } else if (error) {
        *problem = {Kind::Unreadable, 0, SystemErrorText(error)};
    } else if (text.size() > limit) {
        const auto size = static_cast<std::uintmax_t>(status.st_size);
        *problem = {Kind::TooLarge, size > text.size() ? size : text.size(), {}};
    } else {
        return text;
    }
    return std::nullopt;
}

bool WriteText(const std::string& path, const std::string& text, std::string* error) {
    std::error_code ec;
    fs::path target = path;
    // A link stays a link: the file it points to is the one replaced.
    if (fs::is_symlink(target, ec)) {
        if (fs::path resolved = fs::canonical(target, ec); !ec) target = resolved;
    }
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);

    // Written beside the file and renamed over it: a reader never sees half a file, and a full
    // disk leaves the old one as it was.
    StagedOutputFile file;
    const bool written =
        file.Create(target.string()) && file.KeepModeOf(target.string()) &&
        file.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) &&
        file.Commit();
    if (!written && error) *error = target.string() + ": " + file.Reason();
    return written;
}

}  // namespace settings_io
