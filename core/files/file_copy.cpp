#include "core/files/file_copy.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A name beside target that no file has yet; the copy claims it (copying refuses an existing
// file), so two copies never share one.
fs::path TemporaryBeside(const fs::path& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path name = target;
    name += ".part" + std::to_string(stamp % 1000000) + "-" + std::to_string(counter++) + "-" +
            std::to_string(attempt);
    return name;
}

}  // namespace

bool ReplaceWithCopy(const std::string& source, const std::string& target) {
    std::error_code error;
    if (fs::exists(target, error) && fs::equivalent(source, target, error)) return true;
    const fs::path targetPath(target);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const fs::path temporary = TemporaryBeside(targetPath, attempt);
        error.clear();
        if (!fs::copy_file(source, temporary, fs::copy_options::none, error)) {
            // Only a name that happens to be taken is worth another try.
            if (error == std::errc::file_exists) continue;
            fs::remove(temporary, error);
            return false;
        }
        fs::rename(temporary, targetPath, error);
        if (!error) return true;
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return false;
}
