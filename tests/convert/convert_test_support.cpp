#include "tests/convert/convert_test_support.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace convert_test {

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

Bytes CodedFrame(std::uint8_t header, int length, std::uint8_t seed) {
    Bytes frame(static_cast<std::size_t>(length));
    frame[0] = header;
    for (int i = 1; i < length; ++i) frame[i] = static_cast<std::uint8_t>(seed + i);
    return frame;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::uint32_t Get32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::uint16_t Get16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

std::vector<ProbeBlock> WavFile::Blocks() const {
    std::vector<ProbeBlock> blocks;
    EXPECT_EQ(data.size() % 320, 0u);
    for (std::size_t at = 0; at + 320 <= data.size(); at += 320) {
        const std::uint8_t* b = data.data() + at;
        EXPECT_EQ(std::memcmp(b, "PRB1", 4), 0) << "block at " << at << " is not the probe's";
        ProbeBlock block;
        block.resets = Get32(b + 4);
        block.call = Get32(b + 8);
        block.announcedLength = Get32(b + 12);
        std::copy(b + 16, b + 40, block.frame.begin());
        block.previousCall = Get32(b + 40);
        block.fillIntact = true;
        for (int i = 44; i < 320; ++i) {
            if (b[i] != static_cast<std::uint8_t>(block.call * 7 + i)) block.fillIntact = false;
        }
        blocks.push_back(block);
    }
    return blocks;
}

WavFile ReadWav(const std::string& path) {
    const Bytes all = ReadFile(path);
    WavFile wav;
    EXPECT_GE(all.size(), 44u) << path;
    if (all.size() < 44) return wav;
    wav.header.assign(all.begin(), all.begin() + 44);
    wav.data.assign(all.begin() + 44, all.end());
    return wav;
}

ProgressFactory RecordingProgress::Factory(std::shared_ptr<Log> log) {
    return [log](const std::string& caption) {
        log->captions.push_back(caption);
        return std::make_unique<RecordingProgress>(log);
    };
}

bool FailingSink::Write(const std::uint8_t* data, std::size_t size) {
    if (size > m_left) {
        // Like a disk that filled up: what fitted went out, the rest did not.
        m_inner.Write(data, static_cast<std::size_t>(m_left));
        m_left = 0;
        return false;
    }
    m_left -= size;
    return m_inner.Write(data, size);
}

}  // namespace convert_test
