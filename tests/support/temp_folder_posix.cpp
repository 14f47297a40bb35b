#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "core/base/system_error_text.h"
#include "tests/support/temp_folder.h"

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// Tests make folders read-only on purpose: they are opened up again to be emptied.
void RemoveTree(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(path.c_str());
        return;
    }
    ::chmod(path.c_str(), 0700);
    for (const std::string& name : NamesIn(path)) RemoveTree(path + "/" + name);
    ::rmdir(path.c_str());
}

}  // namespace

TempFolder::TempFolder(const std::string& prefix, const std::string& under) {
    std::string base = under;
    if (base.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp && *tmp ? tmp : "/tmp";
    }
    std::string pattern = base + "/" + prefix + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error(WithSystemReason("cannot make a folder " + pattern, errno));
    }
    m_path = pattern + "/";
}

TempFolder::~TempFolder() {
    RemoveTree(m_path.substr(0, m_path.size() - 1));
}

std::vector<std::string> TempFolder::Names() const {
    return NamesIn(m_path);
}
