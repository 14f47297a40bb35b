#include "cli/staging_folder.h"

#include <filesystem>

#include "core/base/owned_temporary.h"
#include "core/base/system_error_text.h"
#include "core/base/utf8_path.h"

namespace fs = std::filesystem;

StagingFolder::~StagingFolder() {
    if (!m_path.empty()) {
        std::error_code ec;
        fs::remove_all(PathFromUtf8(m_path), ec);
    }
    // Unlocked only once it is gone, so no other run ever takes it for litter.
    m_lock.Reset();
}

bool StagingFolder::Create(const std::string& outputPath) {
    fs::path parent = PathFromUtf8(outputPath).parent_path();
    if (parent.empty()) parent = ".";
    owned_temporary::SweepLitter(Utf8FromPath(parent) + "/");
    std::string reason;
    const std::string made =
        owned_temporary::MakeStagingFolder(Utf8FromPath(parent), &m_lock, &reason);
    if (made.empty()) {
        m_error = "cannot write " + outputPath + ": " + reason;
        return false;
    }
    m_path = made + "/";
    return true;
}

bool StagingFolder::Publish(const std::string& name, const std::string& target) {
    std::error_code ec;
    fs::rename(PathFromUtf8(m_path + name), PathFromUtf8(target), ec);
    if (ec) m_error = "cannot write " + target + ": " + SystemErrorText(ec);
    return !ec;
}

std::string OutputPath(const std::string& given, const std::string& defaultName) {
    if (given.empty()) return defaultName;
    std::error_code ec;
    if (fs::is_directory(PathFromUtf8(given), ec)) {
        return Utf8FromPath(PathFromUtf8(given) / PathFromUtf8(defaultName));
    }
    return given;
}

std::string NearestExistingFolder(const std::string& given) {
    fs::path folder = given.empty() ? fs::path(".") : PathFromUtf8(given);
    std::error_code ec;
    while (!fs::exists(folder, ec)) {
        const fs::path parent = folder.has_relative_path() ? folder.parent_path() : folder;
        if (parent == folder || parent.empty()) return ".";
        folder = parent;
    }
    return Utf8FromPath(folder);
}
