#include "core/settings/settings_file_check.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string SettingsFileProblem(const std::string& path, std::uintmax_t limit) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return {};
    if (error) return error.message();
    switch (status.type()) {
        case fs::file_type::regular:
            break;
        case fs::file_type::directory:
            return "it is a folder, not a file";
        case fs::file_type::character:
        case fs::file_type::block:
            return "it is a device, not a file";
        case fs::file_type::fifo:
            return "it is a pipe, not a file";
        default:
            return "it is not a regular file";
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return error.message();
    if (size > limit) {
        return "it is " + std::to_string(size) + " bytes long, more than a settings file can be";
    }
    return {};
}
