#pragma once
#include <cstdint>

#include "emulator/recorder_emulator.h"

// The request frames, as the program builds them, for tests to send or to expect on the line.
namespace frames {

inline constexpr emu::Frame kModeOn{0xAA, 0xAA, 0xAA, 0x55};
inline constexpr emu::Frame kModeOff{0xAA, 0xAA, 0x00, 0xFF};
inline constexpr emu::Frame kDirectory{0xAA, 0xBD, 0x00, 0x00};

// Folder (0..4) and message (1..n) as they go on the line.
inline emu::Frame Header(int folder, int message) {
    return {0xAA, 0xB1, static_cast<std::uint8_t>(folder), static_cast<std::uint8_t>(message)};
}
inline emu::Frame Delete(int folder, int message) {
    return {0xAA, 0xBE, static_cast<std::uint8_t>(folder), static_cast<std::uint8_t>(message)};
}
inline emu::Frame Download(int folder, int message) {
    return {0xAA, 0xBF, static_cast<std::uint8_t>(folder), static_cast<std::uint8_t>(message)};
}
// The clock codings' values, low byte first.
inline emu::Frame SetTime(int value) {
    return {0xAA, 0xC1, static_cast<std::uint8_t>(value & 0xFF),
            static_cast<std::uint8_t>(value >> 8)};
}
inline emu::Frame SetDate(int value) {
    return {0xAA, 0xC2, static_cast<std::uint8_t>(value & 0xFF),
            static_cast<std::uint8_t>(value >> 8)};
}

}  // namespace frames
