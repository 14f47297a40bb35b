#include "core/base/byte_stream.h"

#include <algorithm>
#include <cstring>

std::size_t MemorySource::Read(std::uint8_t* data, std::size_t size) {
    const std::size_t n = std::min(size, m_size - m_pos);
    if (n > 0) std::memcpy(data, m_data + m_pos, n);
    m_pos += n;
    return n;
}
