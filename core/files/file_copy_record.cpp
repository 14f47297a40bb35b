#include "core/files/file_copy_record.h"

namespace {

void Put(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t Get(std::string_view in, std::size_t offset, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value |= std::uint64_t(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    return value;
}

}  // namespace

std::string FileCopyRecord::Encode() const {
    std::string out;
    out.reserve(4 + 4 * indices.size() + 16);
    Put(out, indices.size(), 4);
    for (std::uint32_t index : indices) Put(out, index, 4);
    Put(out, instance, 8);
    Put(out, fill, 8);
    return out;
}

bool FileCopyRecord::Decode(std::string_view bytes, FileCopyRecord& record) {
    if (bytes.size() < 4) return false;
    const std::uint64_t count = Get(bytes, 0, 4);
    // Checked before any allocation, so a forged count cannot ask for gigabytes.
    if (count > (bytes.size() - 4) / 4 || 4 + 4 * count + 16 > bytes.size()) return false;
    record.indices.clear();
    record.indices.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i)
        record.indices.push_back(static_cast<std::uint32_t>(Get(bytes, 4 + 4 * i, 4)));
    record.instance = Get(bytes, 4 + 4 * count, 8);
    record.fill = Get(bytes, 12 + 4 * count, 8);
    return true;
}
