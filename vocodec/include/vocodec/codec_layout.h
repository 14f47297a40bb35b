#pragma once
#include <array>
#include <cstdint>

#include "vocodec/frame_format.h"
#include "vocodec/lpc.h"

// How the bits of each coded speech frame are spent. One code path serves all three rates;
// only these numbers differ.
namespace vocodec {

inline constexpr int kMaxSubframes = 4;
inline constexpr int kMaxSubframeLength = 80;
inline constexpr int kMaxPulses = 5;
inline constexpr int kMaxTrackPositions = 32;

// The positions one ±1 pulse may take; tracks of a layout interleave and never overlap.
struct PulseTrack {
    int count = 0;
    int bits = 0;
    std::array<std::uint8_t, kMaxTrackPositions> positions{};
};

struct CodecLayout {
    FrameKind kind = FrameKind::HighRate;
    int subframes = 4;
    int subframeLength = 40;
    std::array<std::uint8_t, kLpcOrder> lsfBits{};
    int absoluteLagBits = 8;  // even subframes
    int relativeLagBits = 5;  // odd subframes, relative to the one before
    int pulseCount = 5;
    std::array<PulseTrack, kMaxPulses> tracks{};
    int pitchGainBits = 4;
    int codeGainBits = 5;

    int TotalBits() const;
};

// Only for the three coded speech kinds; any other kind gets the high-rate layout.
const CodecLayout& LayoutOf(FrameKind kind);

}  // namespace vocodec
