#pragma once
#include <array>

#include "vocodec/lpc.h"

// The encoder's view of its input: the high-pass it hears through, the window its spectrum
// is measured in, and a first guess of the pitch.
namespace vocodec {

// Removes rumble and any DC offset below about 70 Hz (second-order Butterworth).
class HighPassFilter {
public:
    HighPassFilter();
    void Reset();
    float Process(float x);

private:
    float m_b0, m_b1, m_b2, m_a1, m_a2;
    float m_x1 = 0.0f, m_x2 = 0.0f, m_y1 = 0.0f, m_y2 = 0.0f;
};

// 40 samples before the frame, the frame, and 40 samples of look-ahead; its peak sits at the
// frame's end, where this frame's spectrum is taken to apply.
inline constexpr int kAnalysisHistory = 40;
inline constexpr int kLookahead = 40;
inline constexpr int kAnalysisWindow = 240;
const std::array<float, kAnalysisWindow>& AnalysisWindow();

// The frame's unquantised spectrum as frequencies; `fallback` when the analysis fails.
LsfVector AnalyseSpectrum(const float* windowStart, const LsfVector& fallback);

// Lag (in whole samples) that best predicts weighted[0..length-1] from its own past;
// weighted[-kMaxLag..-1] must be valid. Prefers a shorter lag over its multiples.
int OpenLoopPitch(const float* weighted, int length);

// Perceptual weighting A(z/g1)/A(z/g2): puts the coding noise under the formants.
inline constexpr float kWeightNumerator = 0.9f;
inline constexpr float kWeightDenominator = 0.5f;

}  // namespace vocodec
