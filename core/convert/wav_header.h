#pragma once
#include <array>
#include <cstdint>

// The 44-byte header of a mono 16-bit PCM RIFF WAVE file.

inline constexpr int kWavHeaderBytes = 44;

// The RIFF sizes are 32-bit: a file longer than this cannot describe itself.
inline constexpr std::uint64_t kMaxWavFileBytes = 0xFFFFFFFFull;

using WavHeader = std::array<std::uint8_t, kWavHeaderBytes>;

// The header for dataBytes of audio at sampleRate samples per second. dataBytes must keep the
// file within kMaxWavFileBytes.
WavHeader MakeWavHeader(int sampleRate, std::uint32_t dataBytes);
