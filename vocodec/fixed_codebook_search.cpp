#include "vocodec/fixed_codebook_search.h"

#include <algorithm>
#include <cmath>

#include "vocodec/filters.h"

namespace vocodec {
namespace {

constexpr long kSearchBudget = 4096;

struct SearchState {
    const CodecLayout* layout = nullptr;
    float dd[kMaxSubframeLength];                       // signed correlation with target
    float phi[kMaxSubframeLength][kMaxSubframeLength];  // signed correlations of h
    int candidates[kMaxPulses][kMaxTrackPositions];
    int candidateCount[kMaxPulses];
    int chosen[kMaxPulses];
    int best[kMaxPulses];
    float bestNum = 0.0f;
    float bestDen = 1.0f;

    void Descend(int depth, float corr, float energy) {
        const bool last = depth + 1 >= layout->pulseCount || depth + 1 >= kMaxPulses;
        for (int k = 0; k < candidateCount[depth]; ++k) {
            const int p = candidates[depth][k];
            const float c = corr + dd[p];
            float e = energy + phi[p][p];
            for (int j = 0; j < depth; ++j) e += 2.0f * phi[chosen[j]][p];
            chosen[depth] = p;
            if (last) {
                // c^2/e > bestNum/bestDen without dividing.
                if (c * c * bestDen > bestNum * e && e > 0.0f) {
                    bestNum = c * c;
                    bestDen = e;
                    for (int j = 0; j <= depth; ++j) best[j] = chosen[j];
                }
            } else {
                Descend(depth + 1, c, e);
            }
        }
    }
};

}  // namespace

PulseChoice SearchPulses(const CodecLayout& layout, const float* target, const float* h,
                         const float* signHint) {
    const int length = layout.subframeLength;
    static thread_local SearchState state;
    state.layout = &layout;

    float d[kMaxSubframeLength];
    for (int n = 0; n < length; ++n) d[n] = Dot(target + n, h, length - n);
    const float dNorm = std::sqrt(Dot(d, d, length)) + 1e-6f;
    const float hNorm = std::sqrt(Dot(signHint, signHint, length)) + 1e-6f;
    float sign[kMaxSubframeLength];
    for (int n = 0; n < length; ++n) {
        const float b = d[n] / dNorm + signHint[n] / hNorm;
        sign[n] = b >= 0.0f ? 1.0f : -1.0f;
        state.dd[n] = d[n] * sign[n];
    }
    for (int k = 0; k < length; ++k) {
        float acc = 0.0f;
        for (int j = length - 1; j >= k; --j) {
            const int i = j - k;
            acc += h[length - 1 - j] * h[length - 1 - j + k];
            const float v = acc * sign[i] * sign[j];
            state.phi[i][j] = v;
            state.phi[j][i] = v;
        }
    }

    // Only the likeliest positions of each track take part once the full search grows past
    // the budget: the ones where the target most wants a pulse.
    float strength[kMaxSubframeLength];
    for (int n = 0; n < length; ++n) strength[n] = std::fabs(d[n] / dNorm + signHint[n] / hNorm);
    long combinations = 1;
    for (int t = 0; t < layout.pulseCount; ++t) {
        const PulseTrack& track = layout.tracks[t];
        state.candidateCount[t] = track.count;
        for (int k = 0; k < track.count; ++k) state.candidates[t][k] = track.positions[k];
        std::sort(state.candidates[t], state.candidates[t] + track.count,
                  [&](int a, int b) { return strength[a] > strength[b]; });
        combinations *= track.count;
    }
    while (combinations > kSearchBudget) {
        int widest = 0;
        for (int t = 1; t < layout.pulseCount; ++t)
            if (state.candidateCount[t] > state.candidateCount[widest]) widest = t;
        if (state.candidateCount[widest] <= 2) break;
        combinations =
            combinations / state.candidateCount[widest] * (state.candidateCount[widest] - 1);
        --state.candidateCount[widest];
    }

    state.bestNum = 0.0f;
    state.bestDen = 1.0f;
    for (int p = 0; p < layout.pulseCount; ++p) state.best[p] = layout.tracks[p].positions[0];
    state.Descend(0, 0.0f, 0.0f);

    PulseChoice choice;
    for (int p = 0; p < layout.pulseCount; ++p) {
        const PulseTrack& track = layout.tracks[p];
        int index = 0;
        for (int k = 0; k < track.count; ++k)
            if (track.positions[k] == state.best[p]) index = k;
        choice.index[p] = index;
        choice.negative[p] = sign[state.best[p]] < 0.0f ? 1 : 0;
    }
    return choice;
}

}  // namespace vocodec
