// The ".Bin" reader's parts that every system shares; opening and filling are the platform's.
#include "core/convert/bin_input_file.h"

#include <algorithm>
#include <cstring>

BinInputFile::~BinInputFile() {
    Close();
}

bool BinInputFile::Open(const std::string& path) {
    Close();
    m_path = path;
    m_error.clear();
    m_pos = m_end = 0;
    m_size = 0;
    if (!OpenFile(path)) return false;
    m_buffer.resize(kBufferBytes);
    return true;
}

void BinInputFile::Close() {
    m_fd.Reset();
}

std::size_t BinInputFile::Read(std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (m_pos == m_end && !Fill()) break;
        const std::size_t n = std::min(size - done, m_end - m_pos);
        std::memcpy(data + done, m_buffer.data() + m_pos, n);
        m_pos += n;
        done += n;
    }
    return done;
}
