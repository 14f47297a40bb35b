#pragma once
#include <cstdint>
#include <deque>
#include <optional>

#include "emulator/recorder_emulator.h"

namespace emu {

inline constexpr std::uint8_t kFrameStart = 0xAA;

enum class Command { ModeOn, ModeOff, Directory, Header, Delete, SetTime, SetDate, Download };

// The request a frame carries, or nothing for four bytes that are no request.
std::optional<Command> Recognise(const Frame& frame);

// Cuts the byte stream from the PC into request frames. A frame starts with 0xAA; bytes before
// it (line noise, the zeros the program sends to stop a transfer) are dropped, and four bytes
// that start with 0xAA but are no request give up only their first byte, so a real frame
// behind a stray 0xAA is still found.
class FrameParser {
public:
    void Feed(const std::uint8_t* bytes, std::size_t count);
    std::optional<Frame> Next();
    bool HasInput() const { return !m_buffer.empty(); }
    void Clear() { m_buffer.clear(); }

private:
    std::deque<std::uint8_t> m_buffer;
};

}  // namespace emu
