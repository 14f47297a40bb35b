#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/byte_stream.h"
#include "core/base/unique_fd.h"

// A ".Bin" message file opened for reading through a buffer of its own, so the frame-sized
// reads of the conversion cost no system call each.
class BinInputFile final : public ByteSource {
public:
    BinInputFile() = default;
    ~BinInputFile() override;
    BinInputFile(const BinInputFile&) = delete;
    BinInputFile& operator=(const BinInputFile&) = delete;

    // Opens a regular file; false with Error() set when it cannot be read (missing, a folder,
    // a named pipe or a device, no permission, in use by a writer that holds an exclusive
    // lock on it). Never waits for a writer to come.
    bool Open(const std::string& path);
    std::uint64_t Size() const { return m_size; }
    // Back to the first byte, for a second pass.
    bool Rewind();
    // True when path names this very file (the same path or a hard link to it); a symbolic
    // link at path is not followed, since replacing it leaves this file alone.
    bool IsSameFile(const std::string& path) const;

    std::size_t Read(std::uint8_t* data, std::size_t size) override;
    std::string Error() const override { return m_error; }

private:
    static constexpr std::size_t kBufferBytes = std::size_t{64} * 1024;

    void Close();
    // The platform's part of Open: the file opened into m_fd with its size and identity, or
    // false with m_error set.
    bool OpenFile(const std::string& path);
    bool Fill();

    UniqueFd m_fd;
    std::string m_path;
    std::uint64_t m_size = 0;
    std::uint64_t m_device = 0;
    std::uint64_t m_inode = 0;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::string m_error;
};
