#include "files_test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace files_test {
void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) != 0) throw std::runtime_error("mkdir " + path);
}

void MakeLink(const std::string& target, const std::string& link) {
    if (symlink(target.c_str(), link.c_str()) != 0) throw std::runtime_error("symlink " + link);
}

FixedFolder::FixedFolder(const std::string& path) : m_path(path) {
    if (geteuid() != 0) {
        m_fixed = chmod(path.c_str(), 0555) == 0;
        return;
    }
    m_fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    if (m_fd >= 0 && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags |= FS_IMMUTABLE_FL;
        m_fixed = ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
}

FixedFolder::~FixedFolder() {
    if (m_fd >= 0) {
        int flags = 0;
        if (m_fixed && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        close(m_fd);
    } else if (m_fixed) {
        chmod(m_path.c_str(), 0755);
    }
}

void ScriptedPrompt::ShowStop(const std::string& text, const std::string& caption) {
    boxes.push_back({false, text, caption});
}

bool ScriptedPrompt::AskYesNo(const std::string& text, const std::string& caption) {
    boxes.push_back({true, text, caption});
    if (m_answers.empty()) return false;
    const bool yes = m_answers.front();
    m_answers.erase(m_answers.begin());
    return yes;
}

bool FailingFileSystem::Fails(Call call, const std::string& path) const {
    return m_failing.count({call, path}) > 0;
}

bool FailingFileSystem::MakeFolder(const std::string& path) {
    return !Fails(MakeFolderCall, path) && LocalFileSystem::MakeFolder(path);
}

bool FailingFileSystem::RemoveFolder(const std::string& path) {
    return !Fails(RemoveFolderCall, path) && LocalFileSystem::RemoveFolder(path);
}

bool FailingFileSystem::RemoveFile(const std::string& path) {
    return !Fails(RemoveFileCall, path) && LocalFileSystem::RemoveFile(path);
}

bool FailingFileSystem::RemoveFileForced(const std::string& path) {
    return !Fails(RemoveFileCall, path) && LocalFileSystem::RemoveFileForced(path);
}

bool FailingFileSystem::Rename(const std::string& from, const std::string& to) {
    return !Fails(RenameCall, from) && LocalFileSystem::Rename(from, to);
}

bool FailingFileSystem::CopyFile(const std::string& from, const std::string& to, bool overwrite) {
    return !Fails(CopyCall, to) && LocalFileSystem::CopyFile(from, to, overwrite);
}

bool FailingFileSystem::IsMountRoot(const std::string& path) {
    return m_mountRoots.count(local_path::WithoutSeparator(path)) > 0 ||
           LocalFileSystem::IsMountRoot(path);
}

}  // namespace files_test
