#include "core/files/file_copy.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/base/staged_output_file.h"

namespace fs = std::filesystem;

bool ReplaceWithCopy(const std::string& source, const std::string& target) {
    std::error_code error;
    if (fs::exists(target, error) && fs::equivalent(source, target, error)) return true;
    // Only a file is copied: a named pipe would hold the copy until someone wrote to it.
    if (!fs::is_regular_file(source, error)) return false;
    std::ifstream in(source, std::ios::binary);
    if (!in) return false;
    StagedOutputFile out;
    if (!out.Create(target)) return false;
    std::vector<char> buffer(std::size_t{64} * 1024);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > 0 && !out.Write(reinterpret_cast<const std::uint8_t*>(buffer.data()), got)) {
            return false;
        }
    }
    return !in.bad() && out.Commit();
}
