#include "cli/staging_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

StagingFolder::~StagingFolder() {
    if (m_path.empty()) return;
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

bool StagingFolder::Create(const std::string& outputPath) {
    fs::path parent = fs::path(outputPath).parent_path();
    if (parent.empty()) parent = ".";
    std::string pattern = (parent / ".sonoret-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        m_error = "cannot write " + outputPath + ": " + std::strerror(errno);
        return false;
    }
    m_path = pattern + "/";
    return true;
}

bool StagingFolder::Publish(const std::string& name, const std::string& target) {
    std::error_code ec;
    fs::rename(m_path + name, target, ec);
    if (ec) m_error = "cannot write " + target + ": " + ec.message();
    return !ec;
}

std::string OutputPath(const std::string& given, const std::string& defaultName) {
    if (given.empty()) return defaultName;
    std::error_code ec;
    if (fs::is_directory(given, ec)) return (fs::path(given) / defaultName).string();
    return given;
}
