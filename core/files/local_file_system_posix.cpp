#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/base/unique_fd.h"
#include "core/files/drive_list.h"
#include "core/files/local_file_system.h"

namespace {

bool StatusOf(const std::string& path, bool follow, struct statx& sx) {
    const int flags = follow ? 0 : AT_SYMLINK_NOFOLLOW;
    return statx(AT_FDCWD, path.c_str(), flags,
                 STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE | STATX_ATIME |
                     STATX_MTIME | STATX_BTIME,
                 &sx) == 0;
}

// Read-only for the user who runs the program: the owner, group or other write bit that
// applies to them is clear. The superuser counts as able to write when any write bit is set.
bool ReadOnlyFor(const struct statx& sx) {
    const unsigned mode = sx.stx_mode;
    const uid_t uid = geteuid();
    if (uid == 0) return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (sx.stx_uid == uid) return (mode & S_IWUSR) == 0;
    if (sx.stx_gid == getegid()) return (mode & S_IWGRP) == 0;
    return (mode & S_IWOTH) == 0;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool CopyContents(int from, int to) {
    std::vector<char> buffer(1 << 18);
    for (;;) {
        ssize_t n = read(from, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (!WriteAll(to, buffer.data(), static_cast<size_t>(n))) return false;
    }
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return "./";
    return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool LocalFileSystem::Exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool LocalFileSystem::MakeFolder(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0;
}

bool LocalFileSystem::RemoveFolder(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return rmdir(path.c_str()) == 0;
}

bool LocalFileSystem::RemoveFile(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(path.c_str()) == 0;
}

bool LocalFileSystem::RemoveFileForced(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    // A link's own permissions mean nothing, and changing them would change its target.
    const bool madeWritable = S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0 &&
                              chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
    if (unlink(path.c_str()) == 0) return true;
    // The file stays: it must stay as protected as it was.
    if (madeWritable) chmod(path.c_str(), st.st_mode & 07777);
    return false;
}

bool LocalFileSystem::Rename(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    // File systems without the no-replace rename: the check right before is the best we have.
    if (Exists(to)) return false;
    return rename(from.c_str(), to.c_str()) == 0;
}

bool LocalFileSystem::CopyFile(const std::string& from, const std::string& to, bool overwrite) {
    // Without O_NONBLOCK, opening a pipe that no one writes would wait for a writer forever.
    UniqueFd source(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (source.Get() < 0) return false;
    struct stat sourceStatus {};
    if (fstat(source.Get(), &sourceStatus) != 0 || !S_ISREG(sourceStatus.st_mode)) return false;

    struct stat targetStatus {};
    const bool targetExists = stat(to.c_str(), &targetStatus) == 0;
    if (!overwrite && (targetExists || Exists(to))) return false;
    if (targetExists && targetStatus.st_dev == sourceStatus.st_dev &&
        targetStatus.st_ino == sourceStatus.st_ino)
        return true;  // the file onto itself: it already holds what a copy would write
    if (targetExists && S_ISDIR(targetStatus.st_mode)) return false;

    // The temporary name must itself be a valid name, however long the target's is.
    static constexpr char kTemporarySuffix[] = ".copy-XXXXXX";
    const std::string stem = NameOf(to).substr(0, NAME_MAX - 1 - (sizeof kTemporarySuffix - 1));
    std::string temporary = FolderOf(to) + "." + stem + kTemporarySuffix;
    std::vector<char> pattern(temporary.begin(), temporary.end());
    pattern.push_back('\0');
    UniqueFd target(mkostemp(pattern.data(), O_CLOEXEC));
    if (target.Get() < 0) return false;
    temporary.assign(pattern.data());

    bool ok = CopyContents(source.Get(), target.Get());
    ok = ok && fchmod(target.Get(), sourceStatus.st_mode & 07777) == 0;
    const struct timespec times[2] = {sourceStatus.st_atim, sourceStatus.st_mtim};
    ok = ok && futimens(target.Get(), times) == 0;
    ok = ok && target.Close();
    if (ok) {
        if (overwrite)
            ok = rename(temporary.c_str(), to.c_str()) == 0;
        else
            ok = Rename(temporary, to);
    }
    if (!ok) unlink(temporary.c_str());
    return ok;
}

bool LocalFileSystem::ListFolder(const std::string& folder, std::vector<LocalFolderItem>& items,
                                 bool followLink) {
    const int fd =
        open(folder.empty() ? "." : folder.c_str(),
             O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    while (dirent* e = readdir(dir)) {
        const char* name = e->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            type = S_ISDIR(st.st_mode)   ? DT_DIR
                   : S_ISLNK(st.st_mode) ? DT_LNK
                   : S_ISREG(st.st_mode) ? DT_REG
                                         : DT_UNKNOWN;
        }
        LocalFolderItem item;
        item.name = name;
        item.type = type == DT_DIR   ? LocalFolderItem::Type::Folder
                    : type == DT_LNK ? LocalFolderItem::Type::Link
                    : type == DT_REG ? LocalFolderItem::Type::File
                                     : LocalFolderItem::Type::Other;
        items.push_back(std::move(item));
    }
    closedir(dir);
    return true;
}

bool LocalFileSystem::ReadStatus(const std::string& path, LocalFileStatus& status) {
    struct statx sx {};
    if (!StatusOf(path, true, sx)) return false;
    status = LocalFileStatus{};
    status.isFolder = S_ISDIR(sx.stx_mode);
    status.isRegular = S_ISREG(sx.stx_mode);
    status.size = sx.stx_size;
    if (sx.stx_mask & STATX_BTIME) status.created = sx.stx_btime.tv_sec;
    if (sx.stx_mask & STATX_ATIME) status.accessed = sx.stx_atime.tv_sec;
    if (sx.stx_mask & STATX_MTIME) status.modified = sx.stx_mtime.tv_sec;
    status.readOnly = ReadOnlyFor(sx);
    return true;
}

// Asks the kernel the surest way it can answer: the mount-root attribute (Linux 5.8 on), else
// a mount id or device that differs from the parent's, else the mount table, since a bind
// mount of the same file system keeps the device number.
bool LocalFileSystem::IsMountRoot(const std::string& path) {
    struct statx self {};
    if (path.empty() ||
        statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MNT_ID, &self) != 0)
        return false;
    if (S_ISLNK(self.stx_mode)) return false;
    if (self.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return (self.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;

    // ".." of a mount root leads out of the mount, to the folder it is mounted on.
    struct statx parent {};
    const std::string up = local_path::WithSeparator(path) + "..";
    if (statx(AT_FDCWD, up.c_str(), 0, STATX_TYPE | STATX_MNT_ID, &parent) != 0) return false;
    if (self.stx_dev_major != parent.stx_dev_major || self.stx_dev_minor != parent.stx_dev_minor)
        return true;
    if ((self.stx_mask & STATX_MNT_ID) && (parent.stx_mask & STATX_MNT_ID))
        return self.stx_mnt_id != parent.stx_mnt_id;

    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) return false;
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream table;
    table << in.rdbuf();
    const std::vector<std::string> points = MountPointsFromMountInfo(table.str());
    return std::find(points.begin(), points.end(), std::string(resolved)) != points.end();
}

bool LocalFileSystem::IsLink(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool LocalFileSystem::SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

LocalFileSystem& LocalFileSystem::Real() {
    static LocalFileSystem real;
    return real;
}
