#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

#include "core/base/system_error_text.h"
#include "core/base/win32_text.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(WideFromUtf8(folder)), ec), end; !ec && it != end;
         it.increment(ec)) {
        names.push_back(Utf8FromWide(it->path().filename().wstring()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

TempFolder::TempFolder(const std::string& prefix, const std::string& under) {
    std::string base = under;
    if (base.empty()) {
        wchar_t buffer[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
        base = Utf8FromWide(std::wstring_view(buffer, length));
    }
    if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = base + prefix + "-" + std::to_string(entropy() % 1000000);
        if (::CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr)) {
            m_path = path + "/";
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("cannot make a folder below " + base);
}

TempFolder::~TempFolder() {
    // Read-only files are made writable first: the system refuses to remove them.
    const fs::path root(WideFromUtf8(m_path));
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
    fs::remove_all(root, ec);
}

std::vector<std::string> TempFolder::Names() const {
    return NamesIn(m_path);
}
