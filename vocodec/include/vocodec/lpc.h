#pragma once
#include <array>

// Linear prediction of order 10: analysis, and the line spectral frequencies the frames carry.
// Frequencies are in radians (0..pi at 8000 samples per second).
namespace vocodec {

inline constexpr int kLpcOrder = 10;
using LpcCoefficients = std::array<float, kLpcOrder + 1>;  // a[0] == 1
using LsfVector = std::array<float, kLpcOrder>;

// Windowed autocorrelation with a lag window (about 60 Hz of bandwidth expansion) and a
// slight noise floor, so the recursion below stays well conditioned on tones and silence.
void WindowedAutocorrelation(const float* x, const float* window, int length,
                             std::array<double, kLpcOrder + 1>& r);

// Levinson-Durbin. Returns the prediction error energy; a flat filter when r[0] is zero.
double Levinson(const std::array<double, kLpcOrder + 1>& r, LpcCoefficients& a);

// Fails (returns false and leaves lsf alone) when fewer than ten roots are found.
bool LpcToLsf(const LpcCoefficients& a, LsfVector& lsf);
void LsfToLpc(const LsfVector& lsf, LpcCoefficients& a);

// Keeps the frequencies ordered, inside (minFreq, pi - minFreq) and at least minGap apart,
// which keeps the synthesis filter stable with a bounded peak gain.
void StabilizeLsf(LsfVector& lsf, float minGap);

// a[i] * gamma^i: the filter with its poles pulled towards the origin.
void WeightLpc(const LpcCoefficients& a, float gamma, LpcCoefficients& out);

// The equally spaced frequencies of a flat spectrum.
LsfVector FlatLsf();

inline constexpr float kLsfMinGap = 0.04f;  // about 50 Hz
inline constexpr float kLsfEdge = 0.025f;   // about 30 Hz from 0 and from 4000 Hz

}  // namespace vocodec
