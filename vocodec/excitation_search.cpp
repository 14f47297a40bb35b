#include "vocodec/excitation_search.h"

#include <algorithm>
#include <cmath>

#include "vocodec/adaptive_codebook.h"
#include "vocodec/filters.h"
#include "vocodec/gain_quantizer.h"

namespace vocodec {
namespace {

// Weight of the level penalty beside the waveform error (both are energies).
constexpr float kEnergyMatch = 1.0f;

}  // namespace

int SearchLagCode(const CodecLayout& layout, int subframe, const float* target, const float* h,
                  float* exc, int openLoopLag, int previousLag3) {
    const int length = layout.subframeLength;
    float y[kMaxSubframeLength];
    // Normalised match of one lag; only positive correlations count as a match.
    auto score = [&](int lag3) {
        BuildAdaptiveVector(exc, lag3, length);
        for (int n = 0; n < length; ++n) {
            float acc = 0.0f;
            for (int k = 0; k <= n; ++k) acc += exc[k] * h[n - k];
            y[n] = acc;
        }
        const float xy = Dot(target, y, length);
        const float yy = Dot(y, y, length) + 1e-3f;
        return xy > 0.0f ? xy * xy / yy : 0.0f;
    };

    if (subframe % 2 != 0) {
        const int base = RelativeLagBase(previousLag3, layout.relativeLagBits);
        int bestCode = 0;
        float best = -1.0f;
        for (int code = 0; code < (1 << layout.relativeLagBits); ++code) {
            const float sc = score(base + code);
            if (sc > best) {
                best = sc;
                bestCode = code;
            }
        }
        return bestCode;
    }
    // Whole lags around the open-loop estimate, then the thirds around the best of them.
    int bestLag3 = 3 * std::clamp(openLoopLag, kMinLag, kMaxLag);
    float best = -1.0f;
    for (int t = std::max(kMinLag, openLoopLag - 4); t <= std::min(kMaxLag, openLoopLag + 4); ++t) {
        const float sc = score(3 * t);
        if (sc > best) {
            best = sc;
            bestLag3 = 3 * t;
        }
    }
    const int whole = bestLag3;
    for (int f = -2; f <= 2; ++f) {
        const int lag3 = RoundToAbsoluteLag(whole + f);
        if (f == 0 || lag3 == whole) continue;
        const float sc = score(lag3);
        if (sc > best) {
            best = sc;
            bestLag3 = lag3;
        }
    }
    return EncodeAbsoluteLag(bestLag3);
}

void ChooseGains(const CodecLayout& layout, const GainCorrelations& c, float predictedCodeGain,
                 SubframeParams& params) {
    const float targetLevel = std::sqrt(c.xx);
    float bestError = 1e30f;
    for (int gi = 0; gi < (1 << layout.pitchGainBits); ++gi) {
        const float gp = PitchGainLevel(layout.pitchGainBits, gi);
        for (int ci = 0; ci < (1 << layout.codeGainBits); ++ci) {
            const float gc = predictedCodeGain *
                             std::pow(10.0f, CodeGainCorrectionDb(layout.codeGainBits, ci) / 20.0f);
            const float energy = gp * gp * c.yy + gc * gc * c.zz + 2.0f * gp * gc * c.yz;
            const float level = std::sqrt(std::max(energy, 0.0f)) - targetLevel;
            const float err =
                -2.0f * gp * c.xy - 2.0f * gc * c.xz + energy + kEnergyMatch * level * level;
            if (err < bestError) {
                bestError = err;
                params.pitchGainIndex = gi;
                params.codeGainIndex = ci;
            }
        }
    }
}

}  // namespace vocodec
