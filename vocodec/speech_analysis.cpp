#include "vocodec/speech_analysis.h"

#include <cmath>

#include "vocodec/adaptive_codebook.h"

namespace vocodec {

HighPassFilter::HighPassFilter() {
    constexpr double kPi = 3.14159265358979323846;
    const double k = std::tan(kPi * 70.0 / 8000.0);
    const double q = 1.0 / std::sqrt(2.0);
    const double norm = 1.0 / (1.0 + k / q + k * k);
    m_b0 = static_cast<float>(norm);
    m_b1 = static_cast<float>(-2.0 * norm);
    m_b2 = static_cast<float>(norm);
    m_a1 = static_cast<float>(2.0 * (k * k - 1.0) * norm);
    m_a2 = static_cast<float>((1.0 - k / q + k * k) * norm);
}

void HighPassFilter::Reset() {
    m_x1 = m_x2 = m_y1 = m_y2 = 0.0f;
}

float HighPassFilter::Process(float x) {
    const float y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = x;
    m_y2 = m_y1;
    m_y1 = std::fabs(y) < 1e-12f ? 0.0f : y;
    return y;
}

const std::array<float, kAnalysisWindow>& AnalysisWindow() {
    static const std::array<float, kAnalysisWindow> window = [] {
        constexpr double kPi = 3.14159265358979323846;
        std::array<float, kAnalysisWindow> w{};
        constexpr int kRise = kAnalysisWindow - kLookahead;
        for (int i = 0; i < kRise; ++i)
            w[i] = static_cast<float>(0.54 - 0.46 * std::cos(kPi * i / (kRise - 1)));
        for (int i = 0; i < kLookahead; ++i)
            w[kRise + i] = static_cast<float>(std::cos(0.5 * kPi * (i + 1) / kLookahead));
        return w;
    }();
    return window;
}

LsfVector AnalyseSpectrum(const float* windowStart, const LsfVector& fallback) {
    std::array<double, kLpcOrder + 1> r;
    WindowedAutocorrelation(windowStart, AnalysisWindow().data(), kAnalysisWindow, r);
    LpcCoefficients a;
    Levinson(r, a);
    LpcCoefficients expanded;
    WeightLpc(a, 0.994f, expanded);
    LsfVector lsf = fallback;
    if (!LpcToLsf(expanded, lsf)) return fallback;
    StabilizeLsf(lsf, kLsfMinGap);
    return lsf;
}

int OpenLoopPitch(const float* weighted, int length) {
    float best[3] = {-1e30f, -1e30f, -1e30f};
    int lag[3] = {kMinLag, 40, 80};
    const int lo[3] = {kMinLag, 40, 80};
    const int hi[3] = {39, 79, kMaxLag};
    for (int range = 0; range < 3; ++range) {
        for (int t = lo[range]; t <= hi[range]; ++t) {
            double corr = 0.0, energy = 1e-3;
            for (int n = 0; n < length; ++n) {
                corr += static_cast<double>(weighted[n]) * weighted[n - t];
                energy += static_cast<double>(weighted[n - t]) * weighted[n - t];
            }
            const float score = static_cast<float>(corr / std::sqrt(energy));
            if (score > best[range]) {
                best[range] = score;
                lag[range] = t;
            }
        }
    }
    // A lag and its multiples predict almost equally well; the shortest is the true period.
    int chosen = 2;
    if (best[1] >= 0.85f * best[2]) chosen = 1;
    if (best[0] >= 0.85f * best[chosen]) chosen = 0;
    return lag[chosen];
}

}  // namespace vocodec
