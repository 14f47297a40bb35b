#include "cli/staging_folder.h"

#include <filesystem>

#include "core/base/owned_temporary.h"
#include "core/base/system_error_text.h"

namespace fs = std::filesystem;

StagingFolder::~StagingFolder() {
    if (!m_path.empty()) {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    // Unlocked only once it is gone, so no other run ever takes it for litter.
    m_lock.Reset();
}

bool StagingFolder::Create(const std::string& outputPath) {
    fs::path parent = fs::path(outputPath).parent_path();
    if (parent.empty()) parent = ".";
    owned_temporary::SweepLitter(parent.string() + "/");
    std::string reason;
    const std::string made = owned_temporary::MakeStagingFolder(parent.string(), &m_lock, &reason);
    if (made.empty()) {
        m_error = "cannot write " + outputPath + ": " + reason;
        return false;
    }
    m_path = made + "/";
    return true;
}

bool StagingFolder::Publish(const std::string& name, const std::string& target) {
    std::error_code ec;
    fs::rename(m_path + name, target, ec);
    if (ec) m_error = "cannot write " + target + ": " + SystemErrorText(ec);
    return !ec;
}

std::string OutputPath(const std::string& given, const std::string& defaultName) {
    if (given.empty()) return defaultName;
    std::error_code ec;
    if (fs::is_directory(given, ec)) return (fs::path(given) / defaultName).string();
    return given;
}

std::string NearestExistingFolder(const std::string& given) {
    fs::path folder = given.empty() ? fs::path(".") : fs::path(given);
    std::error_code ec;
    while (!fs::exists(folder, ec)) {
        const fs::path parent = folder.has_relative_path() ? folder.parent_path() : folder;
        if (parent == folder || parent.empty()) return ".";
        folder = parent;
    }
    return folder.string();
}
