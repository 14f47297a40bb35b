#pragma once

// The pitch part of the excitation: the past excitation repeated at a lag of 1/3-sample
// resolution. Lags are counted in thirds of a sample throughout.
namespace vocodec {

inline constexpr int kMinLag = 20;
inline constexpr int kMaxLag = 145;
inline constexpr int kMinLag3 = 3 * kMinLag;
inline constexpr int kMaxLag3 = 3 * kMaxLag + 2;
inline constexpr int kInterpolationTaps = 10;  // on each side
// Past excitation kept for the longest lag and the interpolation's reach.
inline constexpr int kExcitationHistory = kMaxLag + kInterpolationTaps + 2;

// 8-bit absolute code: thirds from 20 up to 84 2/3, whole samples from 85 to 145.
int DecodeAbsoluteLag(int code);
int EncodeAbsoluteLag(int lag3);   // nearest representable lag
int RoundToAbsoluteLag(int lag3);  // that lag, in thirds
// Relative code of `bits` bits: a window of 2^bits thirds around the previous subframe's lag.
int RelativeLagBase(int previousLag3, int bits);
int DecodeRelativeLag(int code, int previousLag3, int bits);

// exc points at the first sample of the current subframe; exc[-kExcitationHistory..-1] is the
// past. Fills exc[0..length-1]; lags shorter than the subframe repeat what this very call
// has just written.
void BuildAdaptiveVector(float* exc, int lag3, int length);

// The whole-sample lag that sharpens the fixed codebook pulses.
inline int SharpeningLag(int lag3) {
    return (lag3 + 1) / 3;
}

}  // namespace vocodec
