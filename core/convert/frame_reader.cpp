#include "core/convert/frame_reader.h"

bool FrameReader::ReadExactly(std::uint8_t* data, std::size_t size) {
    // The length was taken before reading: a short read means the file shrank underneath or
    // the device failed, never a normal end.
    if (m_source.Read(data, size) == size) return true;
    m_failed = true;
    return false;
}

FrameReader::Item FrameReader::Next() {
    if (m_failed) return Item::ReadFailed;
    if (m_remaining == 0) return Item::End;

    std::uint8_t header = 0;
    if (!ReadExactly(&header, 1)) return Item::ReadFailed;
    m_length = FrameLength(header);
    m_consumed += static_cast<std::uint64_t>(m_length);
    if (m_remaining < static_cast<std::uint64_t>(m_length)) {
        m_remaining = 0;
        return Item::CutShort;
    }
    m_remaining -= static_cast<std::uint64_t>(m_length);

    if (IsSilenceRun(header)) {
        std::uint8_t count = 0;
        if (!ReadExactly(&count, 1)) return Item::ReadFailed;
        m_repeats = SilenceRunRepeats(header, count);
        m_frame[0] = kSilenceRunHeader;
        m_frame[1] = 0x00;
        return Item::SilenceRun;
    }
    m_frame[0] = header;
    if (!ReadExactly(m_frame.data() + 1, static_cast<std::size_t>(m_length - 1))) {
        return Item::ReadFailed;
    }
    return Item::Frame;
}
