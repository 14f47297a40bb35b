#include "vocodec/quality_metrics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "vocodec/frame_format.h"
#include "vocodec/lpc.h"

namespace vocodec {
namespace {

constexpr int kSpectrumPoints = 128;
constexpr int kWindow = 240;

// Log power spectrum (dB) of the 10th-order LPC model of x[0..kWindow-1].
std::array<double, kSpectrumPoints> LpcSpectrumDb(const float* x) {
    constexpr double kPi = 3.14159265358979323846;
    std::array<double, kWindow> w;
    for (int i = 0; i < kWindow; ++i)
        w[i] = (0.54 - 0.46 * std::cos(2.0 * kPi * i / (kWindow - 1))) * x[i];
    std::array<double, kLpcOrder + 1> r{};
    for (int k = 0; k <= kLpcOrder; ++k)
        for (int i = k; i < kWindow; ++i) r[k] += w[i] * w[i - k];
    r[0] = r[0] * 1.0001 + 1.0;
    LpcCoefficients a;
    const double err = std::max(Levinson(r, a), 1e-3);
    std::array<double, kSpectrumPoints> db;
    for (int p = 0; p < kSpectrumPoints; ++p) {
        const double om = kPi * (p + 0.5) / kSpectrumPoints;
        double re = 0.0, im = 0.0;
        for (int k = 0; k <= kLpcOrder; ++k) {
            re += a[k] * std::cos(om * k);
            im -= a[k] * std::sin(om * k);
        }
        db[p] = 10.0 * std::log10(err / kWindow / (re * re + im * im + 1e-12));
    }
    return db;
}

}  // namespace

QualityScore MeasureQuality(const float* reference, const float* test, std::size_t count) {
    QualityScore score;
    const std::size_t frames = count / kFrameSamples;
    if (frames == 0) return score;
    std::vector<double> energy(frames);
    double loudest = 0.0;
    for (std::size_t f = 0; f < frames; ++f) {
        double e = 0.0;
        for (int i = 0; i < kFrameSamples; ++i) {
            const double v = reference[f * kFrameSamples + i];
            e += v * v;
        }
        energy[f] = e;
        loudest = std::max(loudest, e);
    }
    double snrSum = 0.0, distanceSum = 0.0;
    std::vector<float> refWin(kWindow), testWin(kWindow);
    for (std::size_t f = 0; f < frames; ++f) {
        if (energy[f] <= 0.0 || energy[f] < loudest * 1e-4) continue;
        double noise = 0.0;
        for (int i = 0; i < kFrameSamples; ++i) {
            const double d =
                static_cast<double>(reference[f * kFrameSamples + i]) - test[f * kFrameSamples + i];
            noise += d * d;
        }
        const double snr = 10.0 * std::log10(energy[f] / std::max(noise, 1e-9));
        snrSum += std::clamp(snr, -10.0, 35.0);

        // The spectrum window straddles the frame: 40 samples either side where there are any.
        const long start = static_cast<long>(f * kFrameSamples) - 40;
        for (int i = 0; i < kWindow; ++i) {
            const long n = start + i;
            const bool inside = n >= 0 && n < static_cast<long>(count);
            refWin[i] = inside ? reference[n] : 0.0f;
            testWin[i] = inside ? test[n] : 0.0f;
        }
        const auto a = LpcSpectrumDb(refWin.data());
        const auto b = LpcSpectrumDb(testWin.data());
        double sq = 0.0;
        for (int p = 0; p < kSpectrumPoints; ++p) sq += (a[p] - b[p]) * (a[p] - b[p]);
        distanceSum += std::sqrt(sq / kSpectrumPoints);
        ++score.frames;
    }
    if (score.frames > 0) {
        score.segmentalSnrDb = snrSum / score.frames;
        score.spectralDistanceDb = distanceSum / score.frames;
    }
    return score;
}

}  // namespace vocodec
