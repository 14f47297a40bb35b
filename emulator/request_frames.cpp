#include "emulator/request_frames.h"

#include <cstdio>

namespace emu {

std::optional<Command> Recognise(const Frame& frame) {
    if (frame[0] != kFrameStart) return std::nullopt;
    switch (frame[1]) {
        case 0xAA:
            if (frame[2] == 0xAA && frame[3] == 0x55) return Command::ModeOn;
            if (frame[2] == 0x00 && frame[3] == 0xFF) return Command::ModeOff;
            return std::nullopt;
        case 0xBD:
            return Command::Directory;
        case 0xB1:
            return Command::Header;
        case 0xBE:
            return Command::Delete;
        case 0xBF:
            return Command::Download;
        case 0xC1:
            return Command::SetTime;
        case 0xC2:
            return Command::SetDate;
        default:
            return std::nullopt;
    }
}

std::string DescribeFrame(const Frame& frame) {
    const auto command = Recognise(frame);
    if (!command) return "?";
    const int value = frame[2] | frame[3] << 8;
    char text[64];
    switch (*command) {
        case Command::ModeOn:
            return "mode on";
        case Command::ModeOff:
            return "mode off";
        case Command::Directory:
            return "directory";
        case Command::Header:
            std::snprintf(text, sizeof text, "header %d/%d", frame[2], frame[3]);
            return text;
        case Command::Delete:
            std::snprintf(text, sizeof text, "delete %d/%d", frame[2], frame[3]);
            return text;
        case Command::Download:
            std::snprintf(text, sizeof text, "download %d/%d", frame[2], frame[3]);
            return text;
        case Command::SetTime:
            std::snprintf(text, sizeof text, "set time %02d:%02d (value %d)", value / 1800,
                          value / 30 % 60, value);
            return text;
        case Command::SetDate:
            std::snprintf(text, sizeof text, "set date (day %d since 2001-01-01)", value);
            return text;
    }
    return "?";
}

void FrameParser::Feed(const std::uint8_t* bytes, std::size_t count) {
    m_buffer.insert(m_buffer.end(), bytes, bytes + count);
}

std::optional<Frame> FrameParser::Next() {
    for (;;) {
        while (!m_buffer.empty() && m_buffer.front() != kFrameStart) m_buffer.pop_front();
        if (m_buffer.size() < 4) return std::nullopt;
        const Frame frame{m_buffer[0], m_buffer[1], m_buffer[2], m_buffer[3]};
        if (Recognise(frame)) {
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + 4);
            return frame;
        }
        m_buffer.pop_front();
    }
}

}  // namespace emu
