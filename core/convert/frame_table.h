#pragma once
#include <cstdint>

// The layout of a ".Bin" file as the recorder writes it: frames back to back, no file header.
// A frame's first byte selects its length (header byte included) by its top three bits.

inline constexpr int kMaxFrameBytes = 24;   // the longest coded frame
inline constexpr int kPcmBlockBytes = 320;  // what one decoder call produces
inline constexpr int kPcmBlockSamples = kPcmBlockBytes / 2;
inline constexpr std::uint8_t kFrameKindMask = 0xE0;
inline constexpr std::uint8_t kSilenceRunHeader = 0xE0;
inline constexpr int kSilenceRunBytes = 2;

// Frame length in bytes for a header byte: 11, 18, 24, 4, or 2 for a silence run.
constexpr int FrameLength(std::uint8_t header) {
    switch (header & kFrameKindMask) {
        case 0x00:
        case 0x20:
            return 11;
        case 0x40:
        case 0x60:
            return 18;
        case 0x80:
        case 0xA0:
            return 24;
        case 0xC0:
            return 4;
        default:
            return kSilenceRunBytes;
    }
}

constexpr bool IsSilenceRun(std::uint8_t header) {
    return (header & kFrameKindMask) == kSilenceRunHeader;
}

// How many blocks of silence the run h c stands for. The recorder pads its memory with 0xFF,
// so the pair 0xFF 0xFF is filler and stands for none. Otherwise the count is taken in eight
// bits, exactly as the recorder counts: only the low four bits of h matter and the sum wraps.
constexpr int SilenceRunRepeats(std::uint8_t header, std::uint8_t count) {
    if (header == 0xFF && count == 0xFF) return 0;
    return static_cast<std::uint8_t>(header * 16 + count);
}
