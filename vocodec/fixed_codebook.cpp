#include "vocodec/fixed_codebook.h"

#include <algorithm>

namespace vocodec {

void SharpenAtLag(float* c, int length, int lag, float gain) {
    if (lag <= 0) return;
    for (int n = lag; n < length; ++n) c[n] += gain * c[n - lag];
}

void BuildFixedVector(const CodecLayout& layout, const PulseChoice& pulses, int sharpenLag,
                      float sharpenGain, float* c) {
    const int length = layout.subframeLength;
    std::fill(c, c + length, 0.0f);
    for (int p = 0; p < layout.pulseCount; ++p) {
        const PulseTrack& track = layout.tracks[p];
        const int index = std::clamp(pulses.index[p], 0, track.count - 1);
        const int pos = track.positions[index];
        c[pos] += pulses.negative[p] ? -1.0f : 1.0f;
    }
    SharpenAtLag(c, length, sharpenLag, sharpenGain);
}

}  // namespace vocodec
