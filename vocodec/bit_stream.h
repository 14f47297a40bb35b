#pragma once
#include <cstdint>

// Most significant bit first, starting after the header's fixed bits. Reads past the end give
// zeros and writes past the end are dropped, so a miscounted layout can never touch memory
// outside the frame.
namespace vocodec {

class BitWriter {
public:
    BitWriter(std::uint8_t* bytes, int byteCount, int startBit)
        : m_bytes(bytes), m_bits(byteCount * 8), m_pos(startBit) {}

    void Put(unsigned value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            if (m_pos < m_bits && ((value >> i) & 1u))
                m_bytes[m_pos >> 3] |= static_cast<std::uint8_t>(0x80u >> (m_pos & 7));
            ++m_pos;
        }
    }
    int Position() const { return m_pos; }

private:
    std::uint8_t* m_bytes;
    int m_bits;
    int m_pos;
};

class BitReader {
public:
    BitReader(const std::uint8_t* bytes, int byteCount, int startBit)
        : m_bytes(bytes), m_bits(byteCount * 8), m_pos(startBit) {}

    unsigned Get(int width) {
        unsigned value = 0;
        for (int i = 0; i < width; ++i) {
            unsigned bit = 0;
            if (m_pos < m_bits) bit = (m_bytes[m_pos >> 3] >> (7 - (m_pos & 7))) & 1u;
            value = (value << 1) | bit;
            ++m_pos;
        }
        return value;
    }
    int Position() const { return m_pos; }

private:
    const std::uint8_t* m_bytes;
    int m_bits;
    int m_pos;
};

}  // namespace vocodec
