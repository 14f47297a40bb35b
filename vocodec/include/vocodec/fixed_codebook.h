#pragma once
#include <array>

#include "vocodec/codec_layout.h"

// The algebraic part of the excitation: one ±1 pulse per track, then sharpened at the pitch
// lag so the pulses repeat with the voice's period inside the subframe.
namespace vocodec {

struct PulseChoice {
    std::array<int, kMaxPulses> index{};     // position within the pulse's track
    std::array<int, kMaxPulses> negative{};  // 1 for a -1 pulse
};

// c[n] += gain * c[n - lag], running forward so a short lag repeats more than once.
void SharpenAtLag(float* c, int length, int lag, float gain);

void BuildFixedVector(const CodecLayout& layout, const PulseChoice& pulses, int sharpenLag,
                      float sharpenGain, float* c);

// The sharpening gain follows the previous subframe's pitch gain, inside these bounds.
inline constexpr float kMinSharpening = 0.2f;
inline constexpr float kMaxSharpening = 0.8f;

}  // namespace vocodec
