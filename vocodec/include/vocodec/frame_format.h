#pragma once
#include <cstddef>
#include <cstdint>

// The coded frame layout the recorder writes and the converter walks: the top three bits of
// a frame's first byte give its kind and length. Every coded frame stands for 160 samples
// (20 ms at 8000 samples per second).
namespace vocodec {

inline constexpr int kFrameSamples = 160;
inline constexpr int kSampleRate = 8000;
inline constexpr int kMaxFrameBytes = 24;

// Same numbering as the recorder's message header.
enum class Quality : std::uint8_t { LP = 1, MP = 2, SP = 3 };

enum class FrameKind : std::uint8_t {
    LowRate,       // 11 bytes
    MidRate,       // 18 bytes
    HighRate,      // 24 bytes
    ComfortNoise,  // 4 bytes
    SilenceRun,    // 2 bytes: header and repeat count
};

FrameKind KindOfHeader(std::uint8_t header);
int FrameBytes(FrameKind kind);
inline int FrameBytesOfHeader(std::uint8_t header) {
    return FrameBytes(KindOfHeader(header));
}
// Bits the header byte fixes: the rest of the header byte and every later byte are payload.
int HeaderFixedBits(FrameKind kind);
std::uint8_t HeaderPrefix(FrameKind kind);  // the fixed bits in place, payload bits zero
int PayloadBits(FrameKind kind);            // 86, 142, 190, 29 (0 for silence runs)

FrameKind KindOfQuality(Quality quality);
// Accepts 1..3; anything else is not a quality.
bool IsQuality(int value);

// A silence run repeats the silent frame n = (h * 16 + c) mod 256 times; the pair FF FF is
// filler that stands for nothing.
int SilenceRunLength(std::uint8_t header, std::uint8_t count);
inline constexpr int kMaxSilenceRun = 255;
inline constexpr std::uint8_t kSilenceHeader = 0xE0;

}  // namespace vocodec
