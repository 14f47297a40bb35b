#include "frame/working_folder.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "recorder/message_directory.h"
#include "res/strings.h"

namespace fs = std::filesystem;

namespace {

// The folder exists (made if needed) and new files can be made in it: a file is made and
// removed again, which answers for every platform and every way of granting access.
bool UsableFolder(const fs::path& folder) {
    std::error_code error;
    if (!fs::exists(folder, error)) fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) return false;
    const fs::path probe = folder / ".sonoret-probe";
    const bool writable = static_cast<bool>(std::ofstream(probe));
    fs::remove(probe, error);
    return writable;
}

std::string WithSeparator(const fs::path& folder) {
    std::string path = folder.string();
    if (path.empty() || path.back() != fs::path::preferred_separator) {
        path += fs::path::preferred_separator;
    }
    return path;
}

}  // namespace

std::string PrepareWorkingFolder(const std::string& programFolder, const std::string& cacheFolder) {
    for (const std::string& base : {programFolder, cacheFolder}) {
        if (base.empty()) continue;
        const fs::path folder = fs::path(base) / text::kWorkingFolderName;
        if (UsableFolder(folder)) return WithSeparator(folder);
    }
    return {};
}

void RemoveWorkingFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (!IsMessageFileName(path.filename().string())) continue;
        // A folder that happens to bear such a name is not ours to remove.
        std::error_code kindError;
        if (it->is_directory(kindError) && !it->is_symlink(kindError)) continue;
        std::error_code removeError;
        fs::remove(path, removeError);
    }
    // Removing a folder fails, as it should, while anything else is left in it.
    fs::path dir(folder);
    if (!dir.has_filename()) dir = dir.parent_path();
    fs::remove(dir, error);
}
