#pragma once
#include <array>
#include <cstdint>

#include "vocodec/lpc.h"

// Scalar quantisers for the line spectral frequencies: one uniform quantiser per frequency,
// its step matched to how far that frequency strays. Speech frames code the difference from a
// prediction out of the previous frame; comfort noise frames code the frequencies directly.
namespace vocodec {

using LsfBits = std::array<std::uint8_t, kLpcOrder>;
using LsfIndices = std::array<int, kLpcOrder>;

struct LsfQuantizer {
    // Speech: predicted from the previous frame's quantised frequencies.
    static void Quantize(const LsfBits& bits, const LsfVector& target, const LsfVector& previous,
                         LsfIndices& indices);
    static LsfVector Dequantize(const LsfBits& bits, const LsfIndices& indices,
                                const LsfVector& previous);

    // Comfort noise: no prediction.
    static const LsfBits& NoiseBits();
    static void QuantizeNoise(const LsfVector& target, LsfIndices& indices);
    static LsfVector DequantizeNoise(const LsfIndices& indices);

    // The long-term average, where prediction starts after a reset.
    static LsfVector Mean();
};

}  // namespace vocodec
